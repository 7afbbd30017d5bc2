#include "CDemoHost.h"

#include "CBackupImageWriter.h"
#include "CBaseSyncExecuter.h"
#include "CDemoRecovery.h"
#include "CDemoWindow.h"
#include "CErrorTable.h"
#include "CMsgBox.h"
#include "CSelectionResolver.h"
#include "CStorageMap.h"
#include "CUIManager.h"
#include "CUIManagerProbe.h"
#include "CUIService.h"
#include "CHostContext.h"
#include "CLibLoader.h"
#include "IBackupRecoverUI.h"
#include "NRResult.h"
#include "PropValue.h"

#include <QApplication>
#include <QTimer>

namespace {

constexpr int kBusyRetryMs = 20;

bool isBackupPage(uint64_t id)
{
    return id == 8 || id == 9 || id == 12 || id == 13;
}

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
}

bool CDemoHost::Start()
{
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
    m_window->setWindowTitle(QStringLiteral("Demo host - page %1").arg(m_options.pageId));
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
        && !m_data->filters.isEmpty() && !WriteImage(m_data->filters.last()))
        m_exitCode = 1;
    return r;
}

bool CDemoHost::WriteImage(const QByteArray& block)
{
    const QSharedPointer<const CStorageMap> map = CStorageMap::Current();
    CSelectionResolver resolver(*map);
    const uint32_t rc = resolver.Resolve(block);
    for (const QString& problem : resolver.Problems())
        m_out << "Skipped: " << problem << Qt::endl;
    if (rc != 0) {
        m_err << "demohost: the selection cannot be resolved into files, code " << hex(rc) << Qt::endl;
        return false;
    }
    m_out << "Backing up " << resolver.Items().size() << " file(s) into " << m_options.imagePath << Qt::endl;
    CBackupImageWriter writer;
    const uint32_t written = writer.Write(m_options.imagePath, resolver.Items(), m_out);
    if (written != 0) {
        m_err << "demohost: writing the image failed, code " << hex(written) << Qt::endl;
        return false;
    }
    m_out << "Image written: " << writer.Written() << " file(s), " << writer.Skipped() << " skipped" << Qt::endl;
    return true;
}

void CDemoHost::OnOk()
{
    if (!m_ui)
        return;
    // A failed commit leaves the page open: the user may correct the selection and confirm again.
    if ((Commit() & 0xFFFu) == 0)
        Finish();
}

void CDemoHost::OnCancel()
{
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
    Commit();
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
