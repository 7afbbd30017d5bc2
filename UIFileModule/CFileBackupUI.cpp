#include "CFileBackupUI.h"

#include "CBaseSyncExecuter.h"
#include "CErrorDisplay.h"
#include "CGetDataCommon.h"
#include "CKWBox.h"
#include "CKWLineEdit.h"
#include "CKWPushBtn.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CMsgBox.h"
#include "CNetPathCheckThread.h"
#include "CSmartFilterPage.h"
#include "CStoragePath.h"
#include "CTrace.h"
#include "CUIPublic.h"
#include "IFileBrower.h"
#include "IUIService.h"
#include "NRResult.h"
#include "NodeKind.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRegExp>
#include <QRegExpValidator>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

int g_walkTimeoutMs = 120000;
constexpr qint64 kWalkNudgeMs = 1000;

// Error numbers the page never shows: the user either caused them or was already told.
bool isSilentError(uint32_t code)
{
    switch (NRResult::ErrorNumber(code)) {
    case 1: case 26: case 518: case 764: case 770:
        return true;
    default:
        return code == CFileBackupUI::kNotFound;
    }
}

bool hasKind(const CLvFileSystemNode* node)
{
    return node && node->Properties().contains(NodeKind::kPropertyKind);
}

QString withTrailingBackslash(const QString& s)
{
    return s.endsWith(QLatin1Char('\\')) ? s : s + QLatin1Char('\\');
}

} // namespace

void CFileBackupUI::SetWalkTimeoutForTest(int ms)
{
    g_walkTimeoutMs = ms;
}

CFileBackupUI::CFileBackupUI(bool smart, bool edit, QWidget* parentForDialogs)
    : QFrame(nullptr), dialogParent(parentForDialogs), smartMode(smart), editMode(edit)
{
    setObjectName(QStringLiteral("CFileBackupUI"));
    setStyleSheet(QStringLiteral("CFileBackupUI#CFileBackupUI{border-radius:8px;}"));
    setWindowTitle(QCoreApplication::translate("CFileBackupPage", "FileBackup"));

    mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(12, 10, 12, 0);

    auto* pathRow = new QHBoxLayout;
    pathRow->setSpacing(10);
    pathRow->setContentsMargins(0, 0, 0, 0);
    mainLayout->addLayout(pathRow, 0);

    pathEdit = new CKWLineEdit(QString());
    pathEdit->setAccessibleName(QStringLiteral("DefaultLineEdit"));
    pathEdit->setMaximumHeight(28);
    // Lines holding * ? " < > | or a line break cannot be typed.
    const QRegExp pattern(QStringLiteral("(?:[^*?\"<>|\\r\\n]+\\])*"), Qt::CaseSensitive, QRegExp::RegExp);
    pathEdit->setValidator(new QRegExpValidator(pattern, pathEdit));
    connect(pathEdit, &QLineEdit::textChanged, this, &CFileBackupUI::OnTextChanged);
    connect(pathEdit, &CKWLineEdit::KeyPressed, this, &CFileBackupUI::OnTextEditKeyReleased);
    pathRow->addWidget(pathEdit, 0);

    gotoButton = new CKWPushBtn;
    gotoButton->setObjectName(QStringLiteral("btnGoto"));
    gotoButton->setMaximumHeight(28);
    gotoButton->setEnabled(false);
    gotoButton->setText(tr("Goto..."));
    connect(gotoButton, &QPushButton::clicked, this, &CFileBackupUI::OnGotoClicked);
    pathRow->addWidget(gotoButton);

    browserBox = new CKWBox;
    browserBox->SetBorderWidth(1, 1, 1, 1);
    browserBox->SetDrawFrame(true);
    browserBox->SetFrameClr(QColor::fromRgba(0x29000000));
    mainLayout->addWidget(browserBox, 0);

    if (IMsgHub* hub = CUIPublic::Instance()->GetHub())
        SetHub(hub);
}

CFileBackupUI::~CFileBackupUI()
{
    delete browser;
    browser = nullptr;
    loadResults.clear();
}

bool CFileBackupUI::CreateBrower(_CFileBrowserPara* para, CGetDataCommon* data, QWidget* parent)
{
    delete browser;
    browser = IFileBrower::CreateInstance(para, data, this);
    if (!browser)
        return false;
    browser->SetParentWidget(parent);
    QWidget* widget = browser->GetWidget();
    if (widget && browserBox)
        browserBox->PackStart(widget, true, true, 0);
    if (widget) {
        connect(widget, SIGNAL(DoNodeSelect(NodeIndex)), this, SLOT(OnNodeSelect(NodeIndex)));
        connect(widget, SIGNAL(DoRowRemoved(NodeIndex)), this, SLOT(OnRowRemoved(NodeIndex)));
    }
    if (QSharedPointer<CGetDataCommon> source = browser->GetDataSource())
        connect(source.data(), SIGNAL(DoLoadFinished(NodeIndex, qint32)), this, SLOT(OnLoadFinished(NodeIndex, qint32)));
    return true;
}

IFileBrower* CFileBackupUI::GetBrower(int index) const
{
    return index == 0 ? browser : nullptr;
}

QSharedPointer<CGetDataCommon> CFileBackupUI::dataSource() const
{
    return browser ? browser->GetDataSource() : QSharedPointer<CGetDataCommon>();
}

void CFileBackupUI::ShowPage(bool, uint32_t typeFilter)
{
    if (browser)
        browser->ShowBrowser(false, typeFilter);
}

bool CFileBackupUI::GetFilter(void** block, uint32_t* size, uint32_t* flag)
{
    return browser ? browser->GetFilter(block, size, flag) : false;
}

bool CFileBackupUI::SetFilter(const void* block, uint32_t size)
{
    return GetBrower(0) ? browser->SetFilter(block, size) : false;
}

bool CFileBackupUI::FreeFilter(void* block)
{
    return browser ? browser->FreeFilter(block) : false;
}

void CFileBackupUI::ClearModified(bool modified)
{
    if (browser)
        browser->ClearModified(modified);
}

QString CFileBackupUI::GetCurrentPath() const
{
    return browser ? browser->GetCurrentPath() : QString();
}

int64_t CFileBackupUI::OnMsg(NRDeliveryRecord)
{
    return 0;
}

bool CFileBackupUI::released() const
{
    // Released through the handshake, or by the host while a job was waited for.
    return releaseRequested || CBaseSyncExecuter::IsReleased(this);
}

void CFileBackupUI::Release()
{
    NR_TRACE(u"[CFileBackupUI::Release]File = %s, Line = %u, this = %p", __FILE__, unsigned(__LINE__),
             static_cast<void*>(this));
    if (busy)
        releaseRequested = true; // the running expansion walk deletes the page
    else
        deleteLater();
}

// The path of a node as the path bar shows it, before the NAS form and the translation of the
// top-level place.
QString CFileBackupUI::nodePath(NodeIndex node) const
{
    NodePtr start(CLvFileSystemNodeMgr::GetNode(node));
    if (!start)
        return QString();
    NodeIndex w = node;
    QString tail;
    NodePtr below(CLvFileSystemNodeMgr::GetNode(w));
    NodePtr above(below ? CLvFileSystemNodeMgr::GetNode(below->Parent()) : nullptr);
    while (above) {
        const int kind = above->GetKind();
        if (kind == NodeKind::kLabelledPathRoot) {
            const QString text = below->PathText();
            const int mark = text.lastIndexOf(QLatin1Char('>'));
            QString path = mark >= 0 ? text.mid(mark + 2) : text;
            if (w != node)
                path += tail;
            return path;
        }
        if (kind == NodeKind::kBrowserPathRoot)
            break;
        tail = QLatin1Char('\\') + below->Name() + tail;
        w = above->Id();
        below = CLvFileSystemNodeMgr::GetNode(w);
        above = below ? CLvFileSystemNodeMgr::GetNode(below->Parent()) : nullptr;
    }
    return browser ? QString::fromUtf8(browser->GetNodePathUtf8(node, 0)) : QString();
}

bool CFileBackupUI::isNasNode(NodeIndex node) const
{
    NodePtr n(CLvFileSystemNodeMgr::GetNode(node));
    if (!n)
        return false;
    const int kind = n->GetKind();
    return kind == NodeKind::kNasDevice || kind == NodeKind::kNasShare || kind == NodeKind::kNasFolder;
}

// NAS locations show as NAS://device/folder.
QString CFileBackupUI::nasForm(NodeIndex node, const QString& path) const
{
    NodePtr device(CLvFileSystemNodeMgr::GetNode(node));
    while (device && device->GetKind() != NodeKind::kNasDevice)
        device = CLvFileSystemNodeMgr::GetNode(device->Parent());
    if (!device)
        return QString();
    QString devicePath = device->PathText();
    if (devicePath.endsWith(QLatin1Char('\\')))
        devicePath.chop(1);
    const QString name = device->DisplayName();
    if (devicePath.isEmpty() || name.isEmpty())
        return QString();
    QString result = path;
    result.replace(devicePath, QStringLiteral("NAS:\\\\") + name);
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

QString CFileBackupUI::ShownPathOf(NodeIndex node)
{
    {
        NodePtr n(CLvFileSystemNodeMgr::GetNode(node));
        if (!hasKind(n.get()))
            return QString();
    }
    currentNode = node;
    QString path = nodePath(node);
    if (isNasNode(node))
        path = nasForm(node, path);
    // Named top-level places are shown in the user's language.
    const int sep = path.indexOf(QLatin1Char('\\'));
    const QString head = sep < 0 ? path : path.left(sep);
    if (!head.isEmpty())
        path = tr(head.toUtf8().constData()) + (sep < 0 ? QString() : path.mid(sep));
    return path;
}

bool CFileBackupUI::isGotoTarget(NodeIndex node, bool* blocked) const
{
    NodePtr n(CLvFileSystemNodeMgr::GetNode(node));
    if (!hasKind(n.get()))
        return false;
    const int kind = n->GetKind();
    if ((kind == NodeKind::kGoToBlocked20 || kind == NodeKind::kGoToBlocked22) && blocked)
        *blocked = true;
    return kind == NodeKind::kGoToTarget1 || kind == NodeKind::kGoToTarget9 || kind == NodeKind::kGoToTarget10;
}

void CFileBackupUI::OnTextChanged(const QString& text)
{
    if (!gotoButton)
        return;
    bool found = false;
    bool blocked = false;
    QString examined = text;
    if (!text.startsWith(QLatin1String("\\\\"))) {
        int sep = -1;
        for (int i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\\') || text[i] == QLatin1Char('/')) {
                sep = i;
                break;
            }
        }
        examined = sep < 0 ? text : text.left(sep);
        NodeIndex node = browser ? browser->FindNodeByUtf8Path(examined.toUtf8().constData()) : 0;
        if (node) {
            found = isGotoTarget(node, &blocked);
        } else if (sep >= 0) {
            examined = text.left(sep + 1);
            node = browser ? browser->FindNodeByUtf8Path(examined.toUtf8().constData()) : 0;
            if (node)
                found = isGotoTarget(node, &blocked);
        }
    }
    if (!found) {
        static const QRegExp drivePattern(QStringLiteral("[A-Za-z]:"));
        found = examined.contains(drivePattern) || isGotoTarget(currentNode, &blocked) ||
                CStoragePath::IsUNCPath(examined);
    }
    gotoButton->setEnabled(found && !blocked);
}

void CFileBackupUI::OnTextEditKeyReleased(QKeyEvent* event)
{
    if (!event || (event->key() != Qt::Key_Enter && event->key() != Qt::Key_Return))
        return;
    if (gotoButton && gotoButton->isEnabled())
        emit gotoButton->clicked();
}

void CFileBackupUI::OnNodeSelect(NodeIndex node)
{
    if (!pathEdit)
        return;
    pathEdit->setText(ShownPathOf(node));
    OnTextChanged(pathEdit->text());
}

void CFileBackupUI::OnRowRemoved(NodeIndex node)
{
    OnNodeSelect(node);
}

void CFileBackupUI::OnLoadFinished(NodeIndex node, qint32 nErr)
{
    loadResults.insert(node, nErr);
}

uint32_t CFileBackupUI::splitComponents(const QString& path, QStringList* components) const
{
    components->clear();
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part.isEmpty() || part.front().isSpace() || part.back().isSpace())
            return kBadComponent;
        components->append(part);
    }
    return 0;
}

void CFileBackupUI::OnGotoClicked()
{
    if (!gotoButton || !pathEdit)
        return;
    // The go-to waits on checks, questions and loading folders, and the host may close the page
    // meanwhile: a released page ends the go-to at its next step and goes, and a page destroyed
    // with its window is not touched again.
    const QPointer<CFileBackupUI> self(this);
    const bool wasReadOnly = pathEdit->isReadOnly();
    gotoButton->setEnabled(false);
    gotoButton->blockSignals(true);
    pathEdit->setReadOnly(true);
    busy = true;

    QString text = pathEdit->text();
    gotoText = text;
    uint32_t code = 0;
    if (!browser) {
        code = kGotoNoBrowser;
    } else if (!CStoragePath::IsValidGotoPath(text)) {
        code = kGotoInvalidPath;
    } else {
        QString current;
        if (CLvFileSystemNodeMgr::IsValidNode(currentNode))
            current = isNasNode(currentNode) ? ShownPathOf(currentNode) : nodePath(currentNode);
        if (current != text) {
            const QString b = withTrailingBackslash(text);
            if (CStoragePath::IsNASPath(b.toUtf8().constData())) {
                QString native = text.mid(4);
                native = QStringLiteral("\\\\") + native.mid(2);
                native.replace(QLatin1Char('/'), QLatin1Char('\\'));
                code = gotoNas(native);
            } else if (CStoragePath::IsDrivePath(b) || text.startsWith(QLatin1String("\\\\"))) {
                code = gotoDriveOrUnc(b);
            }
        }
    }
    if (!self)
        return;
    lastGotoResult = code;
    if (!released() && NRResult::Failed(code) && !isSilentError(code)) {
        // A code without any text (no table entry, and no host to ask) still gets a word.
        if (!CErrorDisplay::ShowError(code, this) && self)
            tellUnreachable(tr("Error code 0x%1.").arg(QString::number(code, 16).toUpper().rightJustified(8, QLatin1Char('0'))));
        if (!self)
            return;
    }

    busy = false;
    gotoButton->blockSignals(false);
    pathEdit->setReadOnly(wasReadOnly);
    if (released()) {
        NR_TRACE(u"[CFileBackupUI]File = %s, Line = %u, this = %p", __FILE__, unsigned(__LINE__),
                 static_cast<void*>(this));
        deleteLater();
        return;
    }
    OnTextChanged(pathEdit->text());
    NR_TRACE(u"[CFileBackupUI::OnGotoClicked]File = %s, Line = %u, code = 0x%08X", __FILE__,
             unsigned(__LINE__), code);
}

void CFileBackupUI::tellUnreachable(const QString& reason)
{
    CMsgBox::message(3, tr("Cannot go to %1. %2").arg(gotoText, reason), QString(), CMsgBox::Ok, QString(), this);
}

uint32_t CFileBackupUI::gotoDriveOrUnc(const QString& b)
{
    if (b.isEmpty())
        return kDriveNullPath;
    if (!browser)
        return kDriveNoBrowser;
    QStringList components;
    if (CStoragePath::IsDrivePath(b)) {
        NRDriveInfo info;
        if (!browser->GetDriveInfo(b, &info))
            return kDriveNoInfo;
        bool mapped = false;
        QString translated;
        if (info.driveType == NRDriveInfo::kNetworkDrive) {
            translated = browser->TranslateMappedPath(b);
            if (translated.isEmpty())
                return kDriveNoTranslation;
            mapped = true;
        }
        QString root;
        if (mapped) {
            // The network root is the part of the translated path that the drive letter covers.
            const QString tb = withTrailingBackslash(b);
            const QString tt = withTrailingBackslash(translated);
            const int n = tt.size() - tb.size() + 1 + b.indexOf(QLatin1Char(':'));
            root = n > 0 ? tt.left(n) : QString();
            if (root.isEmpty())
                return kDriveEmptyRoot;
        }
        if (const uint32_t r = splitComponents(b, &components))
            return r;
        return gotoLocal(components, b, mapped, root);
    }
    if (b == QLatin1String("\\\\"))
        return kUncServerOnly;
    if (const uint32_t r = splitComponents(b.mid(2), &components))
        return r;
    return gotoUnc(components, b);
}

uint32_t CFileBackupUI::gotoNas(const QString& native)
{
    QStringList components;
    if (const uint32_t r = splitComponents(native.mid(2), &components))
        return r;
    if (!browser)
        return kNasNoBrowser;
    QSharedPointer<CGetDataCommon> source = dataSource();
    if (!source)
        return kNasNoDataSource;
    const NodeIndex root = topLevelNode(NodeKind::kNasGroup);
    if (!root)
        return kNasNoRoot;
    source->ExpandPath(root, components);
    return expansionWalk(root, components);
}

uint32_t CFileBackupUI::gotoLocal(const QStringList& components, const QString& path, bool mapped, const QString& root)
{
    if (!browser)
        return kLocalNoBrowser;
    QSharedPointer<CGetDataCommon> source = dataSource();
    if (!source)
        return kLocalNoDataSource;
    if (mapped) {
        if (const uint32_t r = checkNetworkPath(root, true); NRResult::Failed(r))
            return r;
    }
    if (const uint32_t r = checkFolderExists(path); NRResult::Failed(r)) {
        const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return kLocalNoParts;
        const uint32_t drive = checkFolderExists(parts.first() + QLatin1Char('\\'));
        if (NRResult::Failed(drive))
            return drive;
        const QPointer<CFileBackupUI> self(this);
        const int answer = CMsgBox::message(0, tr("Cannot find specified folder. Do you want to create this folder?"),
                                            QString(), CMsgBox::OkCancel, QString(), this);
        if (!self || released())
            return kGotoAbandoned;
        if (answer != CMsgBox::Ok)
            return kLocalDeclined;
    }
    const NodeIndex computer = topLevelNode(NodeKind::kComputer);
    source->ExpandPath(computer, components);
    return expansionWalk(computer, components);
}

uint32_t CFileBackupUI::gotoUnc(const QStringList& components, const QString& path)
{
    if (!browser)
        return kUncNoBrowser;
    QSharedPointer<CGetDataCommon> source = dataSource();
    if (!source)
        return kUncNoDataSource;
    if (const uint32_t r = checkNetworkPath(path, false); NRResult::Failed(r))
        return r;
    if (path.size() < 3)
        return kUncTooShort;
    const int slashes = path.count(QLatin1Char('\\'));
    const bool serverOnly = slashes == 2 || (slashes == 3 && path.endsWith(QLatin1Char('\\')));
    if (!serverOnly) {
        if (const uint32_t r = checkFolderExists(path); NRResult::Failed(r)) {
            const QStringList parts = path.mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
            if (parts.size() < 2)
                return kUncNoShare;
            const QString share = QStringLiteral("\\\\") + parts[0] + QLatin1Char('\\') + parts[1];
            const uint32_t shareResult = checkFolderExists(share);
            if (NRResult::Failed(shareResult))
                return shareResult;
            const QPointer<CFileBackupUI> self(this);
            const int answer = CMsgBox::message(0, tr("Cannot find specified folder. Do you want to create this folder?"),
                                                tr("Question"), CMsgBox::OkCancel, QString(), this);
            if (!self || released())
                return kGotoAbandoned;
            if (answer != CMsgBox::Ok)
                return kUncDeclined;
        }
    }
    const NodeIndex root = topLevelNode(NodeKind::kNetworkGroup);
    if (!root)
        return kUncNoRoot;
    source->ExpandPath(root, components);
    return expansionWalk(root, components);
}

uint32_t CFileBackupUI::checkNetworkPath(const QString& path, bool mapped)
{
    const QPointer<CFileBackupUI> self(this);
    auto job = std::make_unique<CNetPathCheckThread>(dataSource(), path, mapped);
    const qint64 result = CNetPathCheckThread::Run(nullptr, tr("Loading"), this, job.get());
    if (!self || released())
        return kGotoAbandoned;
    return static_cast<uint32_t>(result);
}

uint32_t CFileBackupUI::checkFolderExists(const QString& path) const
{
    IUIService* service = CUIPublic::Instance()->GetService();
    if (!service)
        return kExistsNoService;
    const QString limited = path.left(259);
    const uint32_t r = service->CheckFolderExists(reinterpret_cast<const char16_t*>(limited.utf16()));
    if (NRResult::Failed(r) && NRResult::ErrorNumber(r) != kFolderMissing)
        return kExistsFailed;
    return r;
}

NodeIndex CFileBackupUI::topLevelNode(int kind) const
{
    QSharedPointer<CGetDataCommon> source = dataSource();
    if (!source)
        return 0;
    NodePtr root(CLvFileSystemNodeMgr::GetNode(source->GetRootIndex()));
    if (!root)
        return 0;
    for (int row = 0; row < root->RowCount(); ++row) {
        const NodeIndex id = root->ChildByName(root->NameAtRow(row));
        NodePtr child(CLvFileSystemNodeMgr::GetNode(id));
        if (child && child->GetKind() == kind)
            return id;
    }
    for (NodeIndex id : root->ChildIds()) {
        NodePtr child(CLvFileSystemNodeMgr::GetNode(id));
        if (child && child->GetKind() == kind)
            return id;
    }
    return 0;
}

uint32_t CFileBackupUI::expansionWalk(NodeIndex root, const QStringList& components)
{
    if (!root || !browser || components.isEmpty()) {
        NR_TRACE(u"File = %s, Line = %u, Invalid para", __FILE__, unsigned(__LINE__));
        return 0;
    }
    const QPointer<CFileBackupUI> self(this);
    // Wakes the event loop regularly so that a walk waiting on a silent data source still ends.
    QTimer tick;
    tick.start(50);
    QElapsedTimer waited;
    waited.start();
    QElapsedTimer sinceNudge;
    sinceNudge.start();
    // A folder whose end of loading came before its rows (the model holds rows back while it
    // sorts) gets one more chance before its component counts as absent.
    bool retried = false;

    NodeIndex node = root;
    for (int i = 0; i < components.size(); ++i) {
        const QString& component = components[i];
        for (;;) {
            NodeIndex childId = 0;
            bool descend = false;
            {
                NodePtr current(CLvFileSystemNodeMgr::GetNode(node));
                if (!current)
                    return kNotFound;
                childId = current->ChildByTypedName(component);
                NodePtr child(CLvFileSystemNodeMgr::GetNode(childId));
                if (!child)
                    childId = 0;
                descend = child && (child->IsDir() || child->IsDrive());
            }
            if (descend) {
                node = childId;
                waited.restart();
                sinceNudge.restart();
                retried = false;
                break;
            }
            const QStringList rest = components.mid(i);
            if (loadResults.contains(node)) {
                const qint32 result = loadResults.take(node);
                if (NRResult::Failed(uint32_t(result)) || retried) {
                    // The folder is loaded and the component is not a folder in it.
                    tellUnreachable(tr("The folder %1 was not found.").arg(component));
                    return kNotFound;
                }
                retried = true;
                if (QSharedPointer<CGetDataCommon> source = dataSource())
                    source->ExpandPath(node, rest);
            } else if (sinceNudge.elapsed() > kWalkNudgeMs) {
                // The data source may have lost track of this walk (a newer expansion replaced
                // it): ask again from the folder reached so far.
                sinceNudge.restart();
                if (QSharedPointer<CGetDataCommon> source = dataSource())
                    source->ExpandPath(node, rest);
            }
            if (waited.elapsed() > g_walkTimeoutMs) {
                tellUnreachable(tr("The folder %1 did not finish loading in time.").arg(component));
                return kNotFound;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            if (!self || released())
                return kGotoAbandoned; // the go-to's end deletes a released page

        }
    }
    browser->SelectNode(node);
    return 0;
}

bool CFileBackupUI::isNetworkItem(NodeIndex node) const
{
    NodePtr n(CLvFileSystemNodeMgr::GetNode(node));
    NodeIndex last = node;
    while (n) {
        if (CStoragePath::IsUNCPath(n->PathText()))
            return true;
        last = n->Id();
        if (n->IsDrive())
            break;
        n = CLvFileSystemNodeMgr::GetNode(n->Parent());
    }
    const int rootType = browser ? browser->GetRootType(last) : 0;
    return rootType == 1 || rootType == 3 || rootType == 5;
}

int CFileBackupUI::ExcludeNetworkItems()
{
    if (!browser)
        return 0;
    QList<NodeIndex> network;
    for (NodeIndex node : browser->GetCheckedNodes()) {
        if (isNetworkItem(node))
            network.append(node);
    }
    if (network.isEmpty())
        return 0;
    QStringList paths;
    for (NodeIndex node : network) {
        QString path = QString::fromUtf8(browser->GetNodePathUtf8(node, 1));
        if (isNasNode(node))
            path = nasForm(node, path);
        paths << path;
    }
    CSmartFilterPage dialog(dialogParent, paths);
    if (dialog.Exec() != 1)
        return -1;
    int unchecked = 0;
    for (NodeIndex node : network) {
        if (CLvFileSystemNodeMgr::IsValidNode(node) && browser->SetNodeCheckState(node, Qt::Unchecked))
            ++unchecked;
    }
    return unchecked;
}
