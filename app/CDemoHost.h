#pragma once
#include "CDemoOptions.h"
#include "CDemoTask.h"

#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QTextStream>

#include <memory>

class CDemoRecovery;
class CDemoWindow;
class ICommonUI;
class IBackupRecoverUI;
class IUICommon;
struct CHostTaskData;

// Drives one page of the module the way the product's host does: load the module by name,
// CreateObject, SetParentWidget, CreatePage, GetWidget, InitPage; CommitSelection on OK (or at
// once with --auto-commit); Release and destruction on close. Result codes go to stdout.
class CDemoHost : public QObject
{
    Q_OBJECT
public:
    CDemoHost(const CDemoOptions& options, QTextStream& out, QTextStream& err);
    ~CDemoHost() override;

    // False (with a message on err) when the module or the task cannot be loaded.
    bool Start();
    int ExitCode() const { return m_exitCode; }

private slots:
    void OnOk();
    void OnCancel();
    void OnAutoCommit();

private:
    QSharedPointer<IUICommon> MakeContext();
    uint32_t Commit();
    // Resolves the committed block into files and writes them into the image; false on failure.
    bool WriteImage(const QByteArray& block);
    void Finish();

    CDemoOptions m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    ICommonUI* m_module = nullptr;
    IBackupRecoverUI* m_ui = nullptr;
    QPointer<CDemoWindow> m_window;
    std::shared_ptr<CHostTaskData> m_data;
    CDemoTask m_task;
    std::unique_ptr<CDemoRecovery> m_recovery;
    int m_exitCode = 0;
};
