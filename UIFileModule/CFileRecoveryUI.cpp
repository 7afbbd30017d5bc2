#include "CFileRecoveryUI.h"

#include "CFileBrower.h"
#include "CGetImgFileData.h"
#include "CImageIndex.h"
#include "CKWBox.h"
#include "CKWComboBox.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CMsgBox.h"
#include "CSearchRecoveryLineEdit.h"
#include "CTrace.h"
#include "IBackupRecoverUI.h"
#include "IFileBrower.h"
#include "NRFileBrowserPara.h"
#include "NRResult.h"

#include <QFontMetrics>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

constexpr int kSearchRowMinWidth = 400;
constexpr int kSearchRowHeight = 30;
constexpr int kComboTextPadding = 32;

// Puts a tree's widget into one of the stack's pages.
void embed(IFileBrower* tree, QVBoxLayout* layout)
{
    if (QWidget* widget = tree ? tree->GetWidget() : nullptr)
        layout->addWidget(widget);
}

} // namespace

CFileRecoveryUI::CFileRecoveryUI(QWidget* parent, uint64_t id) : QWidget(parent), pageParent(parent), pageId(id)
{
    setObjectName(QStringLiteral("CFileRecoveryUI"));

    auto* searchRow = new CKWBox(CKWBox::Horizontal);
    searchRow->setMinimumWidth(kSearchRowMinWidth);
    searchRow->setFixedHeight(kSearchRowHeight);
    searchEdit = new CSearchRecoveryLineEdit;
    searchEdit->setObjectName(QStringLiteral("edtSearch"));
    searchEdit->setStyleSheet(QStringLiteral(
        "CSearchRecoveryLineEdit#edtSearch{border-top-left-radius: 4px; border-bottom-left-radius:4px; "
        "border-top-right-radius: 0px; border-bottom-right-radius:0px;border-top:1px solid #7d7f91; "
        "border-left:1px solid #7d7f91;border-bottom:1px solid #7d7f91;border-right:none;}"));
    scopeCombo = new CKWComboBox;
    scopeCombo->SetBorderAntennaDrawing(true);
    scopeCombo->addItem(tr("Current folder"));
    scopeCombo->addItem(tr("All folder"));
    // Wide enough for the longer item in the product's font, whatever font the system has.
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(14);
    const QFontMetrics metrics(font);
    int textWidth = 0;
    for (int i = 0; i < scopeCombo->count(); ++i)
        textWidth = qMax(textWidth, metrics.horizontalAdvance(scopeCombo->itemText(i)));
    scopeCombo->setFixedWidth(textWidth + kComboTextPadding);
    connect(scopeCombo, SIGNAL(activated(const QString&)), this, SLOT(OnChangeSearchType(const QString&)));
    searchRow->PackStart(searchEdit, true, true, 0);
    searchRow->PackStart(scopeCombo, false, true, 0);

    fileTreePage = new QWidget;
    fileTreePage->setObjectName(QStringLiteral("pgFileTree"));
    fileTreePage->setStyleSheet(QStringLiteral("QWidget#pgFileTree{border-radius:4px; border: 1px solid #e7e9f2;}"));
    searchTreePage = new QWidget;
    searchTreePage->setObjectName(QStringLiteral("pgSearchTree"));
    searchTreePage->setStyleSheet(QStringLiteral("QWidget#pgSearchTree{border-radius:4px; border: 1px solid #e7e9f2;}"));
    fileTreeLayout = new QVBoxLayout(fileTreePage);
    searchTreeLayout = new QVBoxLayout(searchTreePage);
    for (QVBoxLayout* layout : {fileTreeLayout, searchTreeLayout}) {
        layout->setSpacing(6);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    stack = new QStackedWidget;
    stack->addWidget(fileTreePage);
    stack->addWidget(searchTreePage);
    stack->setCurrentIndex(0);

    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(20);
    outer->setContentsMargins(0, pageId == NRPage::kDiskRecovery ? 0 : 5, 0, 10);
    outer->addWidget(searchRow);
    outer->addWidget(stack, 1);

    connect(searchEdit, SIGNAL(DoSearch(bool, QString)), this, SLOT(OnSearch(bool, QString)));
}

CFileRecoveryUI::~CFileRecoveryUI()
{
    delete defaultTree;
    defaultTree = nullptr;
    delete searchTree;
    searchTree = nullptr;
}

bool CFileRecoveryUI::CreateTrees(_CFileBrowserPara* para, CGetDataCommon* data, QWidget* parent)
{
    delete defaultTree;
    defaultTree = IFileBrower::CreateInstance(para, data, this);
    if (!defaultTree)
        return false;
    defaultTree->SetParentWidget(parent);
    embed(defaultTree, fileTreeLayout);
    if (auto* fileBrower = dynamic_cast<CFileBrower*>(defaultTree))
        connect(fileBrower, SIGNAL(DoTreeHasSelect(bool)), this, SLOT(OnTreeHasSelectByDefaultTree(bool)));
    return true;
}

bool CFileRecoveryUI::CreateSearchTree()
{
    delete searchTree;
    searchTree = IFileBrower::CreateInstanceByType(IFileBrower::kTypeSearchResult, nullptr, pageParent);
    if (!searchTree)
        return false;
    embed(searchTree, searchTreeLayout);
    if (auto* object = dynamic_cast<QObject*>(searchTree))
        connect(object, SIGNAL(DoTreeHasSelect(bool)), this, SLOT(OnTreeHasSelectBySearchTree(bool)));
    return true;
}

uint32_t CFileRecoveryUI::InitView(const _CFileBrowserPara* para)
{
    if (!defaultTree)
        return kInitViewNoTree;
    if (para)
        imagePath = QString::fromUtf8(para->imagePath);
    searchEdit->setPlaceholderText(tr("Search in the current directory"));
    OnSearch(false, QString());

    auto* source = new CGetImgFileData(para);
    // The end of the root's loading tells whether the image could be read at all; the user hears
    // about it once the delivery that reported it has returned.
    QPointer<CFileRecoveryUI> self(this);
    connect(source, &CGetDataCommon::DoLoadFinished, this, [self, source](NodeIndex node, qint32 err) {
        if (node != source->GetRootIndex())
            return;
        QTimer::singleShot(0, self.data(), [self, err] {
            if (self)
                self->reportImageLoaded(uint32_t(err));
        });
    });
    defaultTree->SetDataSource(QSharedPointer<CGetDataCommon>(source));
    return 0;
}

void CFileRecoveryUI::reportImageLoaded(uint32_t code)
{
    if (NRResult::Succeeded(code)) {
        NodePtr root(CLvFileSystemNodeMgr::GetNode(defaultTree ? defaultTree->GetRootIndex() : 0));
        if (root && root->RowCount() == 0)
            CMsgBox::message(0, tr("The backup image holds no files or folders."), QString(), CMsgBox::Ok,
                             imagePath, pageParent);
        return;
    }
    QString text;
    switch (code) {
    case CImageIndex::kErrCancelled:
        return; // the page stopped reading it
    case CImageIndex::kErrOpenFailed:
        text = tr("The backup image cannot be found or opened.");
        break;
    case CImageIndex::kErrUnreadable:
        text = tr("The backup image cannot be read: access is denied.");
        break;
    case CImageIndex::kErrNotAnImage:
        text = tr("The file is not a backup image.");
        break;
    case CImageIndex::kErrCorrupt:
        text = tr("The backup image is damaged.");
        break;
    case CImageIndex::kErrTruncated:
        text = tr("The backup image is incomplete.");
        break;
    case CImageIndex::kErrTooLarge:
        text = tr("The backup image is too large to browse.");
        break;
    default:
        text = tr("The backup image cannot be browsed.");
        break;
    }
    NR_TRACE(u"File = %s, Line = %u, image %S not browsable: 0x%08X", __FILE__, __LINE__, imagePath.utf16(), code);
    const QString hex = QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')).toUpper();
    const QString detail = tr("%1\nError code: 0x%2").arg(imagePath, hex);
    CMsgBox::message(3, text, QString(), CMsgBox::Ok, detail, pageParent);
}

bool CFileRecoveryUI::IsSearchShown() const
{
    return stack->currentIndex() == 1;
}

NodeIndex CFileRecoveryUI::GetCurrentFolder() const
{
    return defaultTree ? defaultTree->GetCurrentNode() : 0;
}

QString CFileRecoveryUI::GetSearchScope() const
{
    return scopeCombo ? scopeCombo->currentText() : QString();
}

void CFileRecoveryUI::SelectRow(int row)
{
    if (!defaultTree)
        return;
    NodePtr root(CLvFileSystemNodeMgr::GetNode(defaultTree->GetRootIndex()));
    if (!root || row < 0 || row >= root->RowCount())
        return;
    const NodeIndex child = root->ChildByName(root->NameAtRow(row));
    root.reset();
    if (child)
        defaultTree->SelectNode(child);
}

void CFileRecoveryUI::ShowSearching(const QString& path, const QString& filter, const QString& folder)
{
    searchEdit->SearchBegin();
    lastImagePath = path;
    lastFilter = filter;
    lastFolder = folder;
}

void CFileRecoveryUI::ShowSearchResult(const QString& path, const QString& filter, const QString& folder)
{
    searchEdit->SearchFinished();
    lastImagePath = path;
    lastFilter = filter;
    lastFolder = folder;
}

QString CFileRecoveryUI::searchFolderOf(NodeIndex node) const
{
    // Image folders carry no display name: the folder is named by its path inside the image, which
    // is what the search engine looks up ("C:\Users\ann\").
    QString folder = QString::fromUtf8(defaultTree->GetNodePathUtf8(node, 0));
    if (folder.startsWith(QLatin1String("\\\\")))
        folder.remove(0, 2);
    if (folder.isEmpty())
        return folder; // the image's root: the whole image
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    return folder;
}

void CFileRecoveryUI::OnSearch(bool start, QString text)
{
    searchText = text;
    if (!start) {
        stack->setCurrentIndex(0);
        emit DoSearch(false, imagePath, QString(), searchText);
        emit DoTreeHasSelect(defaultHasSelect);
        return;
    }
    if (searchText.isEmpty())
        return;
    QString folder;
    if (scopeCombo->currentText() == tr("Current folder") && defaultTree) {
        const NodeIndex current = defaultTree->GetCurrentNode();
        if (CLvFileSystemNodeMgr::IsValidNode(current))
            folder = searchFolderOf(current);
    }
    stack->setCurrentIndex(1);
    if (imagePath != lastImagePath || searchText != lastFilter || folder != lastFolder) {
        searchHasSelect = false;
        emit DoTreeHasSelect(false);
        emit DoSearch(true, imagePath, folder, searchText);
    } else {
        // The same search is shown already.
        emit DoTreeHasSelect(searchHasSelect);
    }
}

void CFileRecoveryUI::OnChangeSearchType(const QString& text)
{
    searchEdit->setPlaceholderText(text == tr("Current folder") ? tr("Search in the current directory")
                                                                : tr("Search for all backups"));
    if (!searchText.isEmpty())
        searchEdit->OnSearch();
}

void CFileRecoveryUI::OnTreeHasSelectByDefaultTree(bool bSelected)
{
    defaultHasSelect = bSelected;
    if (stack->currentIndex() == 0)
        emit DoTreeHasSelect(bSelected);
}

void CFileRecoveryUI::OnTreeHasSelectBySearchTree(bool bSelected)
{
    searchHasSelect = bSelected;
    if (stack->currentIndex() == 1)
        emit DoTreeHasSelect(bSelected);
}
