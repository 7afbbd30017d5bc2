#include "CSearchResultBrower.h"

#include "CFileBrower.h"
#include "CGetDataCommon.h"
#include "CListHeader.h"
#include "CNodeInfo.h"
#include "CSearchResultModel.h"
#include "CTrace.h"
#include "CTreeItemDelegate.h"
#include "CUISearchFileData.h"

#include <QTreeView>

namespace {

const char kViewStyle[] = "QTreeView#treeDirView{border:0px; border-radius:8px; background:rgba(0, 0, 0, 0%);}";
constexpr int kNameWidth = 220;
constexpr int kSizeWidth = 90;
constexpr int kTypeWidth = 110;
// The delegate's room before a column's text, and some air after it.
constexpr int kCellTextPadding = 10 + 14;

// Wide enough for any modification time in the system locale's short form.
int dateColumnWidth(const QFont& font)
{
    const QFontMetrics metrics(font);
    int widest = 0;
    for (int month = 1; month <= 12; ++month) {
        CNodeInfo info;
        info.modified = QDateTime(QDate(2000, month, 28), QTime(23, 58, 58), Qt::UTC);
        widest = qMax(widest, metrics.horizontalAdvance(info.ModifiedText()));
    }
    return widest + kCellTextPadding;
}

} // namespace

CSearchResultBrower::CSearchResultBrower(QWidget* parentWidget)
{
    m_model = new CSearchResultModel(this);
    connect(m_model, &CSearchResultModel::DoCheckStatusChange, this, &CSearchResultBrower::OnCheckStatusChange);

    auto* view = new QTreeView(parentWidget);
    m_view = view;
    view->setObjectName(QStringLiteral("treeDirView"));
    view->setAccessibleName(QStringLiteral("treeDirView"));
    view->setStyleSheet(QLatin1String(kViewStyle));
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(13);
    view->setFont(font);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    // Every row is one line high: the view need not ask 100,000 rows for their height.
    view->setUniformRowHeights(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setFocusPolicy(Qt::NoFocus);
    view->setItemDelegate(new CTreeItemDelegate(view, 3));

    auto* header = new CListHeader(CSearchResultModel::NameColumn, view);
    header->SetRoundLastSection(true);
    view->setHeader(header);
    view->setModel(m_model);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_model->SortColumn(), m_model->SortOrder());
    header->onSectionClicked(m_model->SortColumn()); // the arrow shows from the start
    view->setSortingEnabled(true);
    header->resizeSection(CSearchResultModel::NameColumn, kNameWidth);
    header->resizeSection(CSearchResultModel::SizeColumn, kSizeWidth);
    header->resizeSection(CSearchResultModel::TypeColumn, kTypeWidth);
    header->resizeSection(CSearchResultModel::DateColumn, dateColumnWidth(font));
    // The check-all box follows the rows' ticks.
    connect(m_model, &QAbstractItemModel::dataChanged, header, [header] { header->viewport()->update(); });
}

CSearchResultBrower::~CSearchResultBrower()
{
    // Nothing may reach the model once teardown starts.
    SetDataSource(QSharedPointer<CGetDataCommon>());
    CGetDataCommon::RemoveInstances(this);
    CGetDataCommon::RemoveInstances(static_cast<IFileBrower*>(this));
    delete m_view.data();
}

// ---- slots of IFileBrower

QWidget* CSearchResultBrower::GetWidget()
{
    return m_view.data();
}

void CSearchResultBrower::SetParentWidget(QWidget* parent)
{
    if (m_view && !m_view->parentWidget() && parent)
        m_view->setParent(parent);
}

void CSearchResultBrower::SetPageValue(qint64) {}

void CSearchResultBrower::ShowBrowser(bool, uint32_t)
{
    if (m_view)
        m_view->show();
}

QSharedPointer<CGetDataCommon> CSearchResultBrower::GetDataSource()
{
    return m_source;
}

void CSearchResultBrower::SetDataSource(QSharedPointer<CGetDataCommon> source)
{
    if (m_source == source)
        return;
    if (m_source) {
        disconnect(m_source.data(), nullptr, this, nullptr);
        m_source->SetFileBrower(nullptr);
        // What the old source found goes with it.
        m_model->Clear();
    }
    m_source = source;
    if (!m_source)
        return;
    if (auto* search = qobject_cast<CUISearchFileData*>(m_source.data()))
        connect(search, &CUISearchFileData::DoSearchFinished, this, &CSearchResultBrower::OnSearchFinished);
    m_source->SetFileBrower(this);
    m_source->Start();
}

QAbstractItemModel* CSearchResultBrower::GetSearchModel()
{
    return m_model;
}

bool CSearchResultBrower::SetFilter(const void* block, uint32_t)
{
    if (block) {
        NR_TRACE(u"File = %s, Line = %u, a search-result list takes no filter block", __FILE__, __LINE__);
        return false;
    }
    // Cleared by the page, not by the user; the page hears that nothing is ticked.
    const bool modified = m_modified;
    m_model->SetAllChecked(false);
    m_modified = modified;
    emit DoTreeHasSelect(HasSelection());
    return true;
}

bool CSearchResultBrower::GetFilter(void** block, uint32_t* size, uint32_t* flag)
{
    // Ticked results go to the host as items (GetCheckedItems), never as a block.
    if (block)
        *block = nullptr;
    if (size)
        *size = 0;
    if (flag)
        *flag = 0;
    return false;
}

bool CSearchResultBrower::FreeFilter(void*)
{
    return false;
}

void CSearchResultBrower::ClearModified(bool modified)
{
    m_modified = modified;
}

QString CSearchResultBrower::GetCurrentPath()
{
    return m_view ? m_model->PathAt(m_view->currentIndex().row()) : QString();
}

QByteArray CSearchResultBrower::GetNodePathUtf8(NodeIndex node, int)
{
    return m_model->PathAt(m_model->RowOfNode(node)).toUtf8();
}

NodeIndex CSearchResultBrower::FindNodeByUtf8Path(const char* utf8Path)
{
    return utf8Path ? m_model->NodeAt(m_model->RowOfPath(QString::fromUtf8(utf8Path))) : 0;
}

void CSearchResultBrower::SelectNode(NodeIndex node)
{
    const int row = m_model->RowOfNode(node);
    if (!m_view || row < 0)
        return;
    const QModelIndex index = m_model->index(row, CSearchResultModel::NameColumn);
    m_view->scrollTo(index);
    m_view->setCurrentIndex(index);
}

QList<NodeIndex> CSearchResultBrower::GetCheckedNodes()
{
    return m_model->CheckedNodes();
}

int CSearchResultBrower::GetRootType(NodeIndex)
{
    return CGetDataCommon::kRootImage;
}

bool CSearchResultBrower::GetDriveInfo(const QString&, NRDriveInfo*)
{
    return false;
}

QString CSearchResultBrower::TranslateMappedPath(const QString&)
{
    return QString();
}

bool CSearchResultBrower::SetNodeCheckState(NodeIndex node, int state)
{
    const int row = m_model->RowOfNode(node);
    return row >= 0 && m_model->setData(m_model->index(row, CSearchResultModel::NameColumn), state, Qt::CheckStateRole);
}

void CSearchResultBrower::SetNetworkRecords(const void*, uint32_t) {}

bool CSearchResultBrower::GetShareCredentials(const QString&, QString*, QString*)
{
    return false;
}

QString CSearchResultBrower::GetShareOfPath(const QString&)
{
    return QString();
}

QByteArray CSearchResultBrower::GetNetworkLocations(uint32_t* count)
{
    if (count)
        *count = 0;
    return QByteArray();
}

IBrower* CSearchResultBrower::GetBrower()
{
    return nullptr;
}

bool CSearchResultBrower::IsModified()
{
    return m_modified;
}

bool CSearchResultBrower::GetCheckedItems(QList<NodeIndex>* items, int, int)
{
    if (!items)
        return false;
    *items = m_model->CheckedNodes();
    return !items->isEmpty();
}

NodeIndex CSearchResultBrower::GetRootIndex()
{
    return 0; // a flat list: no root node
}

NodeIndex CSearchResultBrower::GetRootIdByName(const QString&)
{
    return 0;
}

bool CSearchResultBrower::SetCheckEnabled(bool enabled)
{
    m_model->SetCheckEnabled(enabled);
    return true;
}

void CSearchResultBrower::ExpandNode(NodeIndex, bool) {}

void CSearchResultBrower::SetRootIsHide(bool) {}

void CSearchResultBrower::ShowRightView(bool) {}

bool CSearchResultBrower::HasSelection()
{
    return m_model->CheckedCount() > 0;
}

void CSearchResultBrower::SetNameFilters(const QStringList&) {}

QStringList CSearchResultBrower::GetNameFilters()
{
    return QStringList();
}

void CSearchResultBrower::StopNodeLoading(NodeIndex) {}

bool CSearchResultBrower::IsNodeLoaded(NodeIndex node)
{
    return m_model->RowOfNode(node) >= 0;
}

QString CSearchResultBrower::GetNodeDisplayPath(NodeIndex node)
{
    return m_model->PathAt(m_model->RowOfNode(node));
}

void CSearchResultBrower::Refresh(NodeIndex) {}

uint32_t CSearchResultBrower::GetOptions()
{
    return CFileBrower::kOptCheckBoxes | CFileBrower::kOptFiles;
}

void CSearchResultBrower::SetCurrentNode(NodeIndex node)
{
    SelectNode(node);
}

NodeIndex CSearchResultBrower::GetCurrentNode()
{
    return m_view ? m_model->NodeAt(m_view->currentIndex().row()) : 0;
}

int CSearchResultBrower::GetLoadingState()
{
    return m_loadingState;
}

void CSearchResultBrower::SetLoadingState(int state)
{
    m_loadingState = state;
    // A list that starts loading drops the results of the last search.
    if (state == CFileBrower::kStateLoading)
        m_model->Clear();
}

QString CSearchResultBrower::GetSingleFolderSelection()
{
    return QString();
}

// ---- model and source signals

void CSearchResultBrower::OnCheckStatusChange(bool anyChecked)
{
    m_modified = true;
    emit DoTreeHasSelect(anyChecked);
}

void CSearchResultBrower::OnSearchFinished()
{
    m_loadingState = CFileBrower::kStateIdle;
    emit DoModelInitFinish();
}
