#pragma once
#include "CDemoOptions.h"
#include "CDemoTask.h"
#include "CTransferJob.h"

#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QTextStream>

#include <functional>
#include <memory>
#include <vector>

class CDemoRecovery;
class CDemoWindow;
class CTransferDialog;
class QTranslator;
class ICommonUI;
class IBackupRecoverUI;
class IUICommon;
struct CHostTaskData;

// Drives one page of the module the way the product's host does: load the module by name,
// CreateObject, SetParentWidget, CreatePage, GetWidget, InitPage; CommitSelection on OK (or at
// once with --auto-commit); Release and destruction on close. Result codes go to stdout.
// What a page commits is acted on: a backup page's selection is written into the image, a
// recovery page's is restored from it, on a worker thread with a progress dialog (without a
// window, as progress lines); the page goes when that is over.
class CDemoHost : public QObject
{
    Q_OBJECT
public:
    CDemoHost(const CDemoOptions& options, QTextStream& out, QTextStream& err);
    ~CDemoHost() override;

    // False (with a message on err) when the module or the task cannot be loaded.
    bool Start();
    int ExitCode() const { return m_exitCode; }
    // The module's page interface while the page is open: what tests click in, as a user would.
    IBackupRecoverUI* PageInterface() const { return m_ui; }

private slots:
    void OnOk();
    void OnCancel();
    void OnAutoCommit();
    void OnTransferProgress(const CTransferProgress& progress, const QStringList& lines, const QStringList& problems);
    void OnTransferFinished(uint32_t result);
    void OnTransferDialogClosed();

private:
    // Installs the translations of the texts for --lang before any page exists; a missing file is
    // told on err and leaves its texts in English.
    void InstallTranslations();
    QSharedPointer<IUICommon> MakeContext();
    uint32_t Commit();
    // Resolves the committed block into files and writes them into the image.
    void StartBackup(const QByteArray& block);
    // Restores what the committed block selects from the image into the target folder.
    void StartRestore(const QByteArray& block);
    // How a backup or restore ended: done; over, but something was left out (the closing line
    // says what); or failed as a whole (the text says why).
    struct Outcome
    {
        enum State { Done, Incomplete, Failed } state;
        QString text;
    };
    // Runs `work` with its progress shown; `done` turns its result into the outcome once it is over.
    void StartTransfer(const QString& title, CTransferJob::Work work, std::function<Outcome(uint32_t)> done);
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
    // Installed in the application while this host lives; removed with it.
    std::vector<std::unique_ptr<QTranslator>> m_translators;
    int m_exitCode = 0;
    // The running backup or restore, its dialog (window runs only) and what ends it.
    QPointer<CTransferJob> m_job;
    QPointer<CTransferDialog> m_dialog;
    std::function<Outcome(uint32_t)> m_transferDone;
    bool m_transferOver = false;
    QStringList m_problems;
    qint64 m_lastProgressLineMs = -1;
};
