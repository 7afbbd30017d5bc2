#pragma once
#include "CDemoOptions.h"
#include "CDemoTask.h"

#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QTextStream>

#include <memory>
#include <vector>

class CDemoRecovery;
class CDemoWindow;
class QTranslator;
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
    // Installs the translations of the texts for --lang before any page exists; a missing file is
    // told on err and leaves its texts in English.
    void InstallTranslations();
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
    // Installed in the application while this host lives; removed with it.
    std::vector<std::unique_ptr<QTranslator>> m_translators;
    int m_exitCode = 0;
};
