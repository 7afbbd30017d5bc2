#pragma once
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <cstdint>

class IUICommon;
class IUIManager;
class IUIService;
class QWidget;

// Host-side context of a backup task shared by the backup page's logic: the UI manager and its
// service object, the host context, the task GUID, the backup type.
class CBackupCommonData : public QObject
{
    Q_OBJECT
public:
    CBackupCommonData(IUIManager* uiManager, QWidget* parent);
    ~CBackupCommonData() override;

    void SetTaskGuid(const uint8_t guid[16]);
    // Sends the host a proposed task name (message 4673): the name without characters a file
    // name cannot hold, or the fallback when nothing is left.
    void ProposeTaskName(const QString& name, const QString& fallback);

    static constexpr uint32_t kMsgProposedTaskName = 4673;
    static constexpr uint32_t kTaskNamePayloadBytes = 520;
    const uint8_t* TaskGuid() const { return taskGuid; }
    uint32_t BackupType() const { return backupType; }
    bool UserEnteredTaskName() const { return userEnteredTaskName; }

    static constexpr uint32_t kBackupTypePlain = 0;
    static constexpr uint32_t kBackupTypeSmart = 9;

protected:
    IUIManager* uiManager = nullptr;
    IUIService* service = nullptr;
    QSharedPointer<IUICommon> uiCommon;
    uint8_t taskGuid[16] = {};
    uint32_t backupType = kBackupTypePlain;
    bool userEnteredTaskName = false;
};
