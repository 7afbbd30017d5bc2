#include "CDemoHost.h"

#include "CBackupImageWriter.h"
#include "CBaseSyncExecuter.h"
#include "CDemoRecovery.h"
#include "CDemoWindow.h"
#include "CErrorTable.h"
#include "CImageManifest.h"
#include "CMsgBox.h"
#include "CRestoreEngine.h"
#include "CSelectionResolver.h"
#include "CStorageMap.h"
#include "CTransferDialog.h"
#include "CUIManager.h"
#include "CUIManagerProbe.h"
#include "CUIService.h"
#include "CHostContext.h"
#include "CLibLoader.h"
#include "IBackupRecoverUI.h"
#include "NRResult.h"
#include "PropValue.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <QTranslator>

namespace {

constexpr int kBusyRetryMs = 20;
// Exit code of a scripted run (--auto-commit) whose CommitSelection failed.
constexpr int kExitCommitFailed = 7;
// The binaries whose texts a page shows, each with its own translation file beside it.
const char* const kTranslated[] = {"demohost", "UIFileModule", "NRFileBrower", "QtLib"};

bool isBackupPage(uint64_t id)
{
    return id == 8 || id == 9 || id == 12 || id == 13;
}

// Progress lines of a run without a window: one a second, and the last.
constexpr qint64 kProgressLineEveryMs = 1000;

bool isEditPage(uint64_t id)
{
    return id == 9 || id == 13;
}

QString hex(uint32_t code)
{
    return QStringLiteral("0x%1").arg(code, 8, 16, QLatin1Char('0')).toUpper().replace(QLatin1String("0X"), QLatin1String("0x"));
}

// What the user is told of a failed call: the module's text of its error number, else the
// host's own text of the code.
QString failureText(uint32_t code)
{
    constexpr uint32_t kModuleNumber = 4;
    if (((code >> 12) & 0xFFu) == kModuleNumber) {
        if (const char* text = CErrorTable::Text(code & 0xFFFu))
            return QCoreApplication::translate(CErrorTable::kTranslationContext, text);
    }
    return CUIService::CodeText(code);
}

} // namespace

CDemoHost::CDemoHost(const CDemoOptions& options, QTextStream& out, QTextStream& err)
    : m_options(options), m_out(out), m_err(err), m_data(std::make_shared<CHostTaskData>())
{
}

CDemoHost::~CDemoHost()
{
    Finish();
    // Finish only schedules the window's deletion; after the event loop there is no later.
    delete m_window;
    for (const auto& translator : m_translators)
        QCoreApplication::removeTranslator(translator.get());
}

void CDemoHost::InstallTranslations()
{
    if (m_options.language.isEmpty())
        return;
    const QString dir = QCoreApplication::applicationDirPath();
    QStringList missing;
    for (const char* binary : kTranslated) {
        const QString file = QStringLiteral("%1_%2.qm").arg(QLatin1String(binary), m_options.language);
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(file, dir)) {
            missing << file;
            continue;
        }
        QCoreApplication::installTranslator(translator.get());
        m_translators.push_back(std::move(translator));
    }
    if (!missing.isEmpty())
        m_err << "demohost: no " << missing.join(QStringLiteral(", ")) << " in " << dir
              << "; those texts stay in English" << Qt::endl;
}

bool CDemoHost::Start()
{
    InstallTranslations();
    if (!m_options.taskFile.isEmpty()) {
        QString error;
        if (!m_task.Load(m_options.taskFile, &error)) {
            m_err << "demohost: " << error << Qt::endl;
            return false;
        }
        m_task.ServeTo(*m_data);
    }
    m_data->imagePath = m_options.imagePath;
    if (CDemoRecovery::IsRecoveryPage(m_options.pageId))
        m_recovery.reset(new CDemoRecovery(m_options, m_data, m_out));

    if (!m_options.iniFile.isEmpty()) {
        // One map per process: the browser, the host's folder check and the image writer alike.
        CStorageMap::SetIniPath(m_options.iniFile);
        CStorageMap::Reload();
        CUIManagerProbe::SetDefaultIniPath(m_options.iniFile);
    }
    if (m_options.shellLaunch) {
        // Known before the module exists: it reads the launch from the UI manager when created.
        CUIManager::Instance()->SetShellLaunchFlag(1);
        CUIManager::Instance()->SetShellProcessId(m_options.shellSenderPid);
    }

    auto create = reinterpret_cast<NRModuleCreateFn>(CLibLoader::Resolve(QStringLiteral("UIFileModule"), "CreateObject"));
    if (!create) {
        m_err << "demohost: libUIFileModule.so or its CreateObject is missing" << Qt::endl;
        return false;
    }
    m_module = create();
    if (!m_module) {
        m_err << "demohost: the module's CreateObject gave no object" << Qt::endl;
        return false;
    }
    // The entry answers the root object by its first base; the page interface extends it.
    m_ui = static_cast<IBackupRecoverUI*>(m_module);

    m_window = new CDemoWindow;
    m_window->setWindowTitle(tr("Demo host - page %1").arg(m_options.pageId));
    connect(m_window, SIGNAL(DoOk()), this, SLOT(OnOk()));
    connect(m_window, SIGNAL(DoCancel()), this, SLOT(OnCancel()));

    m_ui->SetParentWidget(m_window->PageArea());
    IUIWidget* widget = m_ui->CreatePage(m_options.pageId, 0);
    m_window->ShowPage(widget ? widget->GetWidget() : nullptr);

    const QByteArray guid = m_task.guid;
    const uint8_t* guidPtr = (isEditPage(m_options.pageId) && guid.size() == 16)
                                 ? reinterpret_cast<const uint8_t*>(guid.constData())
                                 : nullptr;
    const uint32_t r = m_ui->InitPage(m_options.pageId, MakeContext(), guidPtr);
    m_out << "InitPage " << hex(r) << Qt::endl;

    if (m_options.autoCommit && m_recovery)
        m_recovery->WhenLoaded(this, SLOT(OnAutoCommit())); // the whole image, once it is in
    else if (m_options.autoCommit)
        QTimer::singleShot(0, this, SLOT(OnAutoCommit()));
    else
        m_window->show();
    return true;
}

QSharedPointer<IUICommon> CDemoHost::MakeContext()
{
    const uint64_t id = m_options.pageId;
    if (isBackupPage(id))
        return QSharedPointer<IUICommon>(new CBackupHostContext(m_data));
    if (id == 40)
        return QSharedPointer<IUICommon>(new CDiskRestoreHostContext(m_data));
    if (id == 37 || id == 39 || id == 41)
        return QSharedPointer<IUICommon>(new CFileRestoreHostContext(m_data));
    return QSharedPointer<IUICommon>(new CBareHostContext(m_data));
}

uint32_t CDemoHost::Commit()
{
    // What this commit hands over is what the task keeps: nothing of an earlier, failed attempt.
    m_data->filters.clear();
    m_data->credentials.clear();
    m_data->networkLocations.clear();
    m_data->sourceDescriptions.clear();
    PropValue doc;
    const uint32_t r = m_ui->CommitSelection(m_options.pageId, 0, &doc);
    m_out << "CommitSelection " << hex(r) << Qt::endl;
    if ((r & 0xFFFu) != 0) {
        const QString text = failureText(r);
        m_err << "demohost: the page's selection was not taken: " << text << " (" << hex(r) << ")" << Qt::endl;
        // The page has told the user itself when it answers this code; a second box would repeat it.
        if (!m_options.autoCommit && m_window && r != NRResult::kNothingSelectedShown)
            CMsgBox::message(3, text, m_window->windowTitle(), CMsgBox::Ok, QString(), m_window);
    }
    if (const PropValue* content = doc.find(u"Content")) {
        if (const std::u16string* text = content->string())
            m_out << "Content " << QString::fromStdU16String(*text) << Qt::endl;
    }
    m_out << "Host received " << m_data->filters.size() << " filter block(s), "
          << m_data->credentials.size() << " credential hand-over(s), " << m_data->networkLocations.size()
          << " network location hand-over(s)" << Qt::endl;
    if (m_recovery)
        m_recovery->Report();
    if ((r & 0xFFFu) == 0 && isBackupPage(m_options.pageId) && !m_options.taskFile.isEmpty()) {
        m_task.TakeFrom(*m_data);
        QString error;
        if (!m_task.Save(m_options.taskFile, &error)) {
            m_err << "demohost: " << error << Qt::endl;
            m_exitCode = 1;
        }
    }
    if ((r & 0xFFFu) == 0 && isBackupPage(m_options.pageId) && !m_options.imagePath.isEmpty()
        && !m_data->filters.isEmpty())
        StartBackup(m_data->filters.last());
    if ((r & 0xFFFu) == 0 && CDemoRecovery::IsRecoveryPage(m_options.pageId) && !m_options.targetDir.isEmpty()
        && !m_data->filters.isEmpty())
        StartRestore(m_data->filters.last());
    return r;
}

void CDemoHost::StartBackup(const QByteArray& block)
{
    // The image says which task wrote it: the task's GUID (made now for a task without one).
    m_task.TakeFrom(*m_data);
    CImageManifest manifest;
    manifest.guid = m_task.guid;
    manifest.time = QDateTime::currentDateTimeUtc();
    manifest.source = m_task.sourceDescription;
    const QSharedPointer<const CStorageMap> map = CStorageMap::Current();
    const QString image = m_options.imagePath;
    struct Counts
    {
        uint32_t resolved = 0;
        int written = 0;
        int skipped = 0;
    };
    auto outcome = std::make_shared<Counts>();
    auto work = [map, block, manifest, image, outcome](CTransferSink& sink) -> uint32_t {
        CSelectionResolver resolver(*map);
        outcome->resolved = resolver.Resolve(block);
        for (const QString& problem : resolver.Problems())
            sink.Problem(QStringLiteral("Skipped: %1").arg(problem));
        if (outcome->resolved != 0)
            return outcome->resolved;
        CBackupImageWriter writer;
        const uint32_t r = writer.Write(image, resolver.Items(), manifest, sink);
        outcome->written = writer.Written();
        outcome->skipped = writer.Skipped();
        return r;
    };
    auto done = [outcome](uint32_t r) -> Outcome {
        if (outcome->resolved != 0)
            return {Outcome::Failed, QStringLiteral("the selection cannot be resolved into files, code %1").arg(hex(r))};
        if (r == CBackupImageWriter::kErrCancelled)
            return {Outcome::Failed, QStringLiteral("the backup was cancelled; no image was written")};
        if (r != 0)
            return {Outcome::Failed, QStringLiteral("writing the image failed, code %1").arg(hex(r))};
        return {Outcome::Done, QStringLiteral("Image written: %1 file(s), %2 skipped").arg(outcome->written).arg(outcome->skipped)};
    };
    StartTransfer(tr("Backing up"), work, done);
}

void CDemoHost::StartRestore(const QByteArray& block)
{
    auto engine = std::make_shared<CRestoreEngine>();
    const QString image = m_options.imagePath;
    const QString target = m_options.targetDir;
    const bool overwrite = m_options.overwrite;
    auto work = [engine, image, block, target, overwrite](CTransferSink& sink) {
        return engine->Run(image, block, target, overwrite, sink);
    };
    auto done = [engine](uint32_t r) -> Outcome {
        if (r != 0 && r != CRestoreEngine::kErrCancelled && r != CRestoreEngine::kErrRead)
            return {Outcome::Failed, QStringLiteral("restoring failed, code %1").arg(hex(r))};
        // A restore that left anything out says so, in its exit code too, for scripts.
        const bool complete = r == 0 && engine->Refused().isEmpty() && engine->Failed().isEmpty();
        return {complete ? Outcome::Done : Outcome::Incomplete, engine->Summary()};
    };
    StartTransfer(tr("Restoring"), work, done);
}

void CDemoHost::StartTransfer(const QString& title, CTransferJob::Work work, std::function<Outcome(uint32_t)> done)
{
    m_transferDone = std::move(done);
    m_transferOver = false;
    m_lastProgressLineMs = -1;
    m_problems.clear();
    m_job = new CTransferJob(std::move(work), this);
    connect(m_job, SIGNAL(DoProgress(CTransferProgress, QStringList, QStringList)), this,
            SLOT(OnTransferProgress(CTransferProgress, QStringList, QStringList)));
    connect(m_job, SIGNAL(DoFinished(uint32_t)), this, SLOT(OnTransferFinished(uint32_t)));
    if (m_window && m_window->isVisible()) {
        m_dialog = new CTransferDialog(title, m_window);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_job, SIGNAL(DoProgress(CTransferProgress, QStringList, QStringList)), m_dialog,
                SLOT(OnProgress(CTransferProgress, QStringList, QStringList)));
        connect(m_dialog, SIGNAL(DoCancel()), m_job, SLOT(OnCancel()));
        connect(m_dialog, SIGNAL(finished(int)), this, SLOT(OnTransferDialogClosed()));
        m_dialog->open();
    }
    m_job->Start();
}

void CDemoHost::OnTransferProgress(const CTransferProgress& progress, const QStringList& files, const QStringList& problems)
{
    for (const QString& line : files)
        m_out << line << '\n';
    // What could not be moved is listed once more at the end, under the closing line.
    for (const QString& line : problems)
        m_out << line << '\n';
    m_problems << problems;
    if (progress.finished || m_lastProgressLineMs < 0 || progress.elapsedMs - m_lastProgressLineMs >= kProgressLineEveryMs) {
        m_lastProgressLineMs = progress.elapsedMs;
        m_out << progress.Line() << '\n';
    }
    m_out.flush();
}

void CDemoHost::OnTransferFinished(uint32_t result)
{
    const Outcome outcome = m_transferDone(result);
    if (outcome.state != Outcome::Done)
        m_exitCode = 1;
    if (outcome.state == Outcome::Failed)
        m_err << "demohost: " << outcome.text << Qt::endl;
    else
        m_out << outcome.text << Qt::endl;
    if (!m_problems.isEmpty()) {
        m_out << "Not moved (" << m_problems.size() << "):" << Qt::endl;
        for (const QString& line : m_problems)
            m_out << "  " << line << Qt::endl;
    }
    m_transferOver = true;
    if (m_job)
        m_job->deleteLater();
    if (m_dialog)
        m_dialog->OnFinished(outcome.state == Outcome::Done, outcome.text);
    else
        Finish();
}

void CDemoHost::OnTransferDialogClosed()
{
    if (m_transferOver)
        Finish();
}

void CDemoHost::OnOk()
{
    if (!m_ui || m_job)
        return;
    // A failed commit leaves the page open: the user may correct the selection and confirm again.
    if ((Commit() & 0xFFFu) != 0 || m_job)
        return;
    if (CDemoRecovery::IsRecoveryPage(m_options.pageId) && m_options.targetDir.isEmpty() && !m_data->filters.isEmpty()) {
        const QString folder = QFileDialog::getExistingDirectory(m_window, tr("Restore into"), QDir::homePath());
        // No folder chosen: back to the page, the selection as it was.
        if (folder.isEmpty())
            return;
        m_options.targetDir = folder;
        StartRestore(m_data->filters.last());
        return;
    }
    Finish();
}

void CDemoHost::OnCancel()
{
    // A running backup or restore is stopped first; the page goes when it has.
    if (m_job) {
        m_job->Cancel();
        return;
    }
    Finish();
}

void CDemoHost::OnAutoCommit()
{
    if (!m_ui)
        return;
    // A page waiting for a job (a folder sort, the end of a search) is still on the stack: the
    // host commits and releases once it is back, as a user's OK could only come then.
    if (CBaseSyncExecuter::Waiting() > 0) {
        QTimer::singleShot(kBusyRetryMs, this, SLOT(OnAutoCommit()));
        return;
    }
    // A script learns of a refused commit from the exit code, not only from stderr.
    if ((Commit() & 0xFFFu) != 0 && m_exitCode == 0)
        m_exitCode = kExitCommitFailed;
    if (!m_job)
        Finish();
}

void CDemoHost::Finish()
{
    if (m_module) {
        // Pages go before the window that parents them.
        m_ui->Release();
        delete m_module;
        m_module = nullptr;
        m_ui = nullptr;
    }
    if (m_window) {
        m_window->hide();
        m_window->deleteLater();
    }
    QCoreApplication::exit(m_exitCode);
}
