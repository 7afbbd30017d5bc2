#pragma once
#include "CMsgReceiver.h"

#include <QFrame>

class IFileBrower;
class QVBoxLayout;

// The file backup source page: a path bar above the file browser.
class CFileBackupUI : public QFrame, public CMsgReceiver
{
    Q_OBJECT
    Q_INTERFACES(CMsgReceiver)
public:
    CFileBackupUI(bool smartMode, bool editMode, QWidget* dialogParent);
    ~CFileBackupUI() override;

    IFileBrower* GetBrower(int index) const;
    void ShowPage(bool editMode, uint32_t typeFilter);
    void Release();

    int64_t OnMsg(NRDeliveryRecord record) override;

private:
    IFileBrower* browser = nullptr;
    QWidget* dialogParent = nullptr;
    QVBoxLayout* mainLayout = nullptr;
    bool smartMode = false;
    bool editMode = false;
};
