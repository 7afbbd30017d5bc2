#include "CBrower.h"
#include "CDoubleClickGuard.h"
#include "CDisableExpendTreeView.h"
#include "CFileBackLeftTreeModel.h"
#include "CFileBackRightTreeModel.h"
#include "CFileSystemModel.h"
#include "CFileTreeHeader.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CMailBackLeftTreeModel.h"
#include "CMailBackRightTreeModel.h"
#include "CTreeItemDelegate.h"
#include "TreeView.h"
#include <QApplication>
#include <QCursor>
#include <QSplitter>
#include <QVBoxLayout>
#include <cctype>
#include <cstring>

namespace {
const char kBrowerStyle[] = "CBrower#{border-radius:8px; border: 1px solid red;}";
const char kSplitterStyle[] = "QSplitter#splitter{border:0px; border-radius:8px;} "
                              "QSplitter#splitter::handle{border:0px; background:#dde7f2;}";
const char kLeftStyle[] = "TreeView#treeDirView{border:0px; border-top-left-radius:8px; "
                          "border-bottom-left-radius: 8px;  background:rgba(0, 0, 0, 0%); font-size:13px; "
                          "font-family:\"Segoe UI\"; }";
const char kLeftStyleBesideList[] = "TreeView#treeDirView{border:0px; border-top-left-radius:8px; "
                                    "border-bottom-left-radius: 8px; padding:2px 0px 0px 5px; "
                                    "background:rgba(0, 0, 0, 0%);font-size:13px; font-family:\"Segoe UI\";}";
const char kRightStyle[] = "CDisableExpendTreeView#treeRightView{border:0px; border-top-right-radius:8px; "
                           "border-bottom-right-radius: 8px; background:rgba(0, 0, 0, 0%); font-size:13px; "
                           "font-family:\"Segoe UI\"; }";
constexpr int kLastColumn = CFileSystemModel::ExtraColumn;
constexpr quint64 kSmallFolderRows = 20;

// Qt refuses an id selector without a name ("CBrower#{...}"), ignores the whole sheet and says so
// on the terminal every time a browser is shown. Such a sheet changes nothing on screen, so it is
// kept as the browser's text but not handed to Qt.
bool QtAcceptsIdSelector(const char* sheet)
{
    const char* hash = std::strchr(sheet, '#');
    return !hash || std::isalnum(static_cast<unsigned char>(hash[1])) || hash[1] == '_';
}
} // namespace

CBrower::CBrower(QSharedPointer<IFileSystemModel> model, QWidget* parent, bool showFilesInTree, quint32 leftColumns,
                 quint8 mailMode, bool noSortForKind34)
    : QWidget(parent), showFilesInTree(showFilesInTree), leftColumns(leftColumns), mailMode(mailMode),
      noSortForKind34(noSortForKind34)
{
    setObjectName(QStringLiteral("CBrower"));
    resize(566, 463);
    if (QtAcceptsIdSelector(kBrowerStyle))
        setStyleSheet(QLatin1String(kBrowerStyle));

    splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setStyleSheet(QLatin1String(kSplitterStyle));
    splitter->setOrientation(Qt::Horizontal);
    splitter->setHandleWidth(1);

    leftView = new TreeView(splitter);
    leftView->setObjectName(QStringLiteral("treeDirView"));
    leftView->setStyleSheet(QLatin1String(kLeftStyle));
    splitter->addWidget(leftView);

    rightView = new CDisableExpendTreeView(splitter);
    rightView->setObjectName(QStringLiteral("treeRightView"));
    rightView->setStyleSheet(QLatin1String(kRightStyle));
    splitter->addWidget(rightView);

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setObjectName(QStringLiteral("verticalLayout"));
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    splitter->setAccessibleName(QStringLiteral("splitter"));
    leftView->setAccessibleName(QStringLiteral("treeDirView"));
    rightView->setAccessibleName(QStringLiteral("treeRightView"));
    setAccessibleName(QStringLiteral("CBrower"));

    RegisterNodeMetaTypes();

    if (this->leftColumns == 0)
        this->leftColumns = kDefaultLeftColumns;

    const NodeIndex root = model ? model->GetRootIndex() : 0;
    if (rightView) {
        CFileTreeHeader* header = new CFileTreeHeader(0, root);
        rightView->setHeader(header);
        header->setSortIndicator(0, Qt::AscendingOrder);
        rightView->setItemDelegate(new CTreeItemDelegate(rightView, 5));
    }

    CFileTreeHeader* leftHeader = new CFileTreeHeader(0, root);
    leftView->setHeader(leftHeader);
    sectionSize = quint32(leftHeader->defaultSectionSize());
    if (!(this->leftColumns & kShowLeftHeader))
        leftHeader->hide();
    connect(leftView, SIGNAL(pressed(QModelIndex)), this, SLOT(OnNodeClicked(QModelIndex)));
    connect(leftView, SIGNAL(doubleClicked(QModelIndex)), this, SLOT(OnNodeDouClicked(QModelIndex)));
    connect(leftView, SIGNAL(expanded(QModelIndex)), this, SLOT(OnNodeExpanded(QModelIndex)));
    connect(leftView, SIGNAL(DoCollapsed(NodeIndex)), this, SIGNAL(DoCollapsed(NodeIndex)));
    connect(leftView, SIGNAL(DoGetNodeMenu(NodeIndex, QMenu**)), this, SIGNAL(DoGetNodeMenu(NodeIndex, QMenu**)));
    connect(leftView, SIGNAL(DoRowRemoved(NodeIndex)), this, SIGNAL(DoRowRemoved(NodeIndex)));
    leftView->setSelectionBehavior(QAbstractItemView::SelectRows);
    leftView->setAnimated(true);
    leftView->setFocusPolicy(Qt::NoFocus);
    leftView->setItemDelegate(new CTreeItemDelegate(leftView, 3));
    leftView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The style fills the branch area of a selected row with the highlight colour: make it the
    // delegate's selection colour so that the whole row reads as one bar.
    QPalette palette = leftView->palette();
    palette.setColor(QPalette::Highlight, QColor(0x19, 0x19, 0x1a));
    palette.setColor(QPalette::HighlightedText, QColor(0xe7, 0xe9, 0xf2));
    leftView->setPalette(palette);

    connect(this, SIGNAL(DoHideRoot(QList<NodeIndex>, QList<NodeIndex>)), this,
            SLOT(OnHideRoot(QList<NodeIndex>, QList<NodeIndex>)));

    SetModel(model);

    splitter->setSizes({200, 620});
}

CBrower::~CBrower()
{
    if (rightView)
        delete rightView->itemDelegate();
    // Views go before the proxies they show, proxies before the model they read.
    delete splitter;
    splitter = nullptr;
    leftView = nullptr;
    rightView = nullptr;
    delete leftProxy;
    leftProxy = nullptr;
    delete rightProxy;
    rightProxy = nullptr;
    model.clear();
}

IBrower* CreateBrower(QSharedPointer<IFileSystemModel> model, QWidget* parent, bool showFilesInTree,
                      quint32 leftColumns, quint8 mailMode, bool noSortForKind34)
{
    return new CBrower(model, parent, showFilesInTree, leftColumns, mailMode, noSortForKind34);
}

// ---- helpers

QObject* CBrower::ModelObject() const
{
    return model ? model->GetItemModel() : nullptr;
}

CFileSystemModel* CBrower::FsModel() const
{
    return dynamic_cast<CFileSystemModel*>(model.data());
}

QModelIndex CBrower::MapLeftToModel(const QModelIndex& index) const
{
    if (!leftProxy || !index.isValid() || index.model() != leftProxy)
        return QModelIndex();
    QModelIndex mapped = leftProxy->mapToSource(index);
    if (mapped.column() == kLastColumn)
        mapped = mapped.sibling(mapped.row(), 0);
    return mapped;
}

QModelIndex CBrower::LeftIndexOf(NodeIndex node) const
{
    CFileSystemModel* fs = FsModel();
    if (!fs || !leftProxy)
        return QModelIndex();
    return leftProxy->mapFromSource(fs->IndexOf(node));
}

void CBrower::ConnectSortHeader(QTreeView* view, QHeaderView* header)
{
    // A header given to a sorting view after the fact must drive the sort as the one it
    // replaces did. Only a click sorts: showing a folder does not re-sort it.
    if (!view->isSortingEnabled())
        return;
    header->setSortIndicatorShown(true);
    header->setSectionsClickable(true);
    connect(header, SIGNAL(sortIndicatorChanged(int, Qt::SortOrder)), view, SLOT(sortByColumn(int, Qt::SortOrder)),
            Qt::UniqueConnection);
}

bool CBrower::IsMailRight() const
{
    return mailMode != 0 || qobject_cast<CMailBackRightTreeModel*>(rightProxy) != nullptr;
}

// ---- IBrower

void CBrower::Destroy()
{
    setParent(nullptr);
    deleteLater();
}

void CBrower::ShowRightView(bool show, bool mail)
{
    const bool ready = rightView && show && rightView->isVisible() && rightProxy;
    QObject* mo = ModelObject();
    // A list that is not shown gets no proxy: it would follow every row of the model for nothing.
    if (show && !ready && mo && rightView) {
        delete rightView->itemDelegate();
        delete rightView;
        rightView = new CDisableExpendTreeView(this);
        QFont font(QStringLiteral("Segoe UI"));
        font.setPixelSize(13);
        rightView->setFont(font);
        rightView->setObjectName(QStringLiteral("treeRightView"));
        rightView->setAccessibleName(QStringLiteral("treeRightView"));
        rightView->setStyleSheet(QLatin1String(kRightStyle));
        connect(mo, SIGNAL(DoUpdateView(bool)), rightView, SLOT(OnUpdateView(bool)));
        connect(rightView, SIGNAL(doubleClicked(QModelIndex)), this, SLOT(OnRightViewDblClicked(QModelIndex)));
        leftView->setStyleSheet(QLatin1String(kLeftStyleBesideList));

        rightView->setIndentation(1);
        QSortFilterProxyModel* old = rightProxy;
        rightProxy = mail ? new CMailBackRightTreeModel(this) : new CFileBackRightTreeModel(this);
        rightProxy->setSourceModel(model->GetItemModel());
        rightView->setModel(rightProxy);
        delete old;
        connect(rightProxy, SIGNAL(layoutChanged()), rightView, SLOT(OnUpdateView()));
        CFileTreeHeader* header = new CFileTreeHeader(0, model->GetRootIndex());
        rightView->setHeader(header);
        rightView->setColumnWidth(0, 200);
        rightView->setItemDelegate(new CTreeItemDelegate(rightView, 5));
        header->setSortIndicator(0, Qt::AscendingOrder);
        ConnectSortHeader(rightView, header);
        header->setDefaultSectionSize(int(sectionSize));
        SetHeaderSectionHidden(rightView, int(rightColumnsDrives));
        connect(rightView, SIGNAL(clicked(QModelIndex)), this, SLOT(OnChangeCheckStatus(QModelIndex)));
        if (CFileSystemModel* fs = FsModel())
            clickGuard = new CDoubleClickGuard(rightView->viewport(), fs);
        splitter->insertWidget(1, rightView);
    }
    if (rightView)
        rightView->setVisible(show);
    if (!show) {
        splitter->setStretchFactor(0, 2);
        splitter->setStretchFactor(1, 0);
    } else {
        splitter->setSizes({175, 605});
    }
}

void CBrower::HideLeftView(bool hide)
{
    if (leftView)
        leftView->setVisible(!hide);
}

QSharedPointer<IFileSystemModel> CBrower::GetModel()
{
    return model;
}

void CBrower::SetModel(QSharedPointer<IFileSystemModel> newModel)
{
    QObject* oldObject = ModelObject();
    model = newModel;
    QObject* mo = ModelObject();
    if (oldObject && oldObject != mo) {
        // Nothing of a model that is no longer shown may reach the browser or its views.
        disconnect(oldObject, nullptr, this, nullptr);
        disconnect(oldObject, nullptr, leftView, nullptr);
        if (rightView)
            disconnect(oldObject, nullptr, rightView, nullptr);
    }
    if (mo) {
        connect(mo, SIGNAL(DoModelInitFinish()), this, SIGNAL(DoModelInitFinish()), Qt::UniqueConnection);
        connect(mo, SIGNAL(DoInterface(QList<NodeIndex>, QList<NodeIndex>, int, bool)), this,
                SLOT(OnInterface(QList<NodeIndex>, QList<NodeIndex>, int, bool)), Qt::UniqueConnection);
    }
    if (model) {
        currentNode = model->GetRootIndex();
        connect(mo, SIGNAL(DoCheckStatusChange(NodeIndex, bool)), this, SIGNAL(DoCheckStatusChange(NodeIndex, bool)),
                Qt::UniqueConnection);
        connect(mo, SIGNAL(DoGetExtendWidget(QWidget**)), this, SIGNAL(DoGetExtendWidget(QWidget**)),
                Qt::UniqueConnection);
        connect(mo, SIGNAL(DoNeedSort(NodeIndex, bool*)), this, SLOT(OnNeedSort(NodeIndex, bool*)),
                Qt::UniqueConnection);

        QSortFilterProxyModel* old = leftProxy;
        CFileBackLeftTreeModel* proxy = mailMode != 0 ? new CMailBackLeftTreeModel(this, mailMode == 1)
                                                      : new CFileBackLeftTreeModel(this);
        leftProxy = proxy;
        proxy->setSourceModel(model->GetItemModel());
        connect(mo, SIGNAL(dataChanged(const QModelIndex&, const QModelIndex&, const QVector<int>&)), this,
                SLOT(dataChanged(const QModelIndex&, const QModelIndex&, const QVector<int>&)), Qt::UniqueConnection);
        leftView->setModel(proxy);
        delete old;
        proxy->SetShowFiles(showFilesInTree);
        if (CFileTreeHeader* header = qobject_cast<CFileTreeHeader*>(leftView->header()))
            header->SetRootNode(model->GetRootIndex());
    }

    SetHeaderSectionHidden(leftView, int(leftColumns));
    leftView->setSortingEnabled(true);
    if (QHeaderView* header = leftView->header()) {
        if (leftColumns == kDefaultLeftColumns) {
            header->setSectionResizeMode(QHeaderView::ResizeToContents);
            header->resizeSection(kLastColumn, 1);
        }
    }
    if (model) {
        connect(mo, SIGNAL(DoNodeCanBeCheck(NodeIndex, QVariant, bool*)), leftView->header(), SLOT(doItemsLayout()),
                Qt::UniqueConnection);
        connect(mo, SIGNAL(DoUpdateView(bool)), leftView, SLOT(OnUpdateView(bool)), Qt::UniqueConnection);
        connect(mo, SIGNAL(DoFolderLoaded(NodeIndex)), leftView, SLOT(OnNodeLoaded(NodeIndex)), Qt::UniqueConnection);
        connect(leftProxy, SIGNAL(layoutChanged()), leftView, SLOT(OnUpdateView()), Qt::UniqueConnection);
    }
}

NodeIndex CBrower::GetMappedValue(NodeIndex key)
{
    return model ? model->GetMappedValue(key) : 0;
}

QList<NodeIndex> CBrower::GetNodeByPath(const char* utf8Path, bool fetch)
{
    if (!model)
        return QList<NodeIndex>();
    return model->GetNodeByPath(QString::fromUtf8(utf8Path ? utf8Path : ""), fetch);
}

void CBrower::CollectSelected(QTreeView* view, QList<NodeIndex>& out) const
{
    if (!view || !view->selectionModel())
        return;
    const QAbstractProxyModel* proxy = qobject_cast<const QAbstractProxyModel*>(view->model());
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes()) {
        const QModelIndex source = proxy ? proxy->mapToSource(index) : index;
        if (!source.isValid())
            continue;
        const NodeIndex node = NodeIndex(source.internalId());
        if (node && !out.contains(node))
            out.append(node);
    }
}

QList<NodeIndex> CBrower::GetSelectedNodes()
{
    QList<NodeIndex> nodes;
    CollectSelected(leftView, nodes);
    CollectSelected(rightView, nodes);
    return nodes;
}

bool CBrower::SetCheckEnabled(bool enabled)
{
    if (!model)
        return false;
    model->SetCheckEnabled(enabled);
    return true;
}

QWidget* CBrower::GetWidget()
{
    return this;
}

void CBrower::SetModelFilter(QDir::Filters filters)
{
    if (model)
        model->setFilter(filters);
}

QDir::Filters CBrower::GetModelFilter()
{
    return model ? model->filter() : QDir::Filters(QDir::Dirs | QDir::Files | QDir::Drives);
}

void CBrower::SetNameFilterDisables(bool enable)
{
    if (model)
        model->setNameFilterDisables(enable);
}

bool CBrower::GetNameFilterDisables()
{
    return model ? model->nameFilterDisables() : false;
}

QStringList CBrower::GetNameFilters()
{
    return model ? model->nameFilters() : QStringList();
}

void CBrower::SetInvertClickView(bool invert)
{
    invertViewChoice = invert;
}

void CBrower::StopNodeLoading(NodeIndex node)
{
    if (leftView)
        leftView->StopNodeLoading(node);
}

void CBrower::ExpandNode(NodeIndex node, bool expand)
{
    if (!leftProxy || !leftView || !model)
        return;
    const QModelIndex index = LeftIndexOf(node);
    if (!index.isValid())
        return;
    if (expand)
        leftView->expand(index);
    else
        leftView->collapse(index);
}

void CBrower::SelectNode(NodeIndex node)
{
    const QModelIndex index = LeftIndexOf(node);
    if (index.isValid())
        OnSelectAndSetCurrentIndex(index, true);
}

NodeIndex CBrower::GetCurrentNode()
{
    return currentNode;
}

void CBrower::SetCurrentNode(NodeIndex node)
{
    if (leftView && leftProxy) {
        const QModelIndex index = LeftIndexOf(node);
        leftView->setCurrentIndex(index);
        emit leftView->pressed(index);
    }
    currentNode = node;
}

void CBrower::SetFlatMode(bool flat)
{
    if (CFileSystemModel* fs = FsModel())
        fs->SetFlatMode(flat);
    if (leftView)
        leftView->setRootIsDecorated(!flat);
}

void CBrower::UpdateLeftView(bool update)
{
    if (update && leftView && leftView->viewport()) {
        leftView->viewport()->update();
        leftView->OnUpdateView(true);
    }
}

// ---- public slots

void CBrower::OnSelectNode(QString path)
{
    if (model)
        model->FindNode(path, false, true, nullptr, nullptr);
}

void CBrower::OnInitFinishRootNode()
{
}

void CBrower::OnReloadNode()
{
    if (leftView)
        leftView->OnReloadNode();
}

void CBrower::dataChanged(const QModelIndex&, const QModelIndex&, const QVector<int>&)
{
    if (leftView)
        leftView->viewport()->update();
    if (rightView) {
        rightView->viewport()->update();
        rightView->header()->viewport()->update();
    }
}

void CBrower::OnTreeNodeLoading(NodeIndex node, bool topLevelOnly)
{
    if (!model || !leftProxy)
        return;
    const QModelIndex index = LeftIndexOf(node);
    if (!index.isValid() || (topLevelOnly && index.parent().isValid()))
        return;
    CLvAutoPtrEx<CLvFileSystemNode> n(CLvFileSystemNodeMgr::GetNode(node));
    if (!n || n->InitFinish() || n->IsFile())
        return;
    // The spinner's delay starts first: a source that ends the folder at once (it cannot be
    // listed) then also ends the pending spinner.
    if (leftView && leftView->isVisible())
        leftView->OnFetchMore(index, 1);
    emit DoExpand(node);
}

// ---- private slots

void CBrower::OnChangeCheckStatus(QModelIndex index)
{
    if (!model || !index.isValid() || !rightView)
        return;
    const QAbstractProxyModel* proxy = qobject_cast<const QAbstractProxyModel*>(index.model());
    const QModelIndex source = proxy ? proxy->mapToSource(index) : index;
    const NodeIndex id = NodeIndex(source.internalId());
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(id));
    if (!node)
        return;
    // The state the row shows is derived from the selection map; the node's own copy may lag.
    CFileSystemModel* fs = FsModel();
    const quint32 state = fs ? fs->CheckState(id) : node->GetCheckStatus();
    const int next = state == Qt::Checked ? Qt::Unchecked : Qt::Checked;

    bool useLeft = rightView->model() && rightView->model()->data(QModelIndex(), Qt::UserRole + 1).toBool();
    if (invertViewChoice)
        useLeft = !useLeft;
    QTreeView* view = useLeft ? static_cast<QTreeView*>(leftView) : static_cast<QTreeView*>(rightView);
    if (!view)
        return;
    // Clicks near the left edge are the check box's own business.
    if (view->viewport()->mapFromGlobal(QCursor::pos()).x() > kCheckClickWidth)
        model->SetNodeData(id, next, Qt::CheckStateRole);
}

void CBrower::OnSelChanged(QModelIndex current, QModelIndex)
{
    if (current.isValid())
        OnNodeClicked(current, false, false);
}

void CBrower::OnNodeExpanded(QModelIndex index, bool)
{
    if (!leftProxy || !leftView)
        return;
    // Persistent: a sort started while the list changes folder reorders the proxy under it.
    const QPersistentModelIndex row(index);
    const QModelIndex mapped = MapLeftToModel(index);
    OnRootNodeChanged(mapped);
    const NodeIndex id = NodeIndex(mapped.internalId());
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(id));
    if (!node || node->InitFinish() || node->IsFile())
        return;
    if (QApplication::mouseButtons() == Qt::LeftButton) {
        const QModelIndex under = leftView->indexAt(leftView->viewport()->mapFromGlobal(QCursor::pos()));
        if (under.isValid() && under.row() == row.row() && under.parent() == row.parent())
            emit DoExpandByUser();
    }
    if (leftView->isVisible())
        leftView->OnFetchMore(LeftIndexOf(id), 1);
    emit DoExpand(id);
}

void CBrower::OnNodeClicked(QModelIndex index, bool, bool)
{
    if (!leftProxy)
        return;
    const QModelIndex mapped = MapLeftToModel(index);
    if (!mapped.isValid())
        return;
    // Only a left press (or no button at all, for calls made by code) navigates.
    if (QApplication::mouseButtons() & ~Qt::MouseButtons(Qt::LeftButton))
        return;
    if (rightView)
        OnNodeExpanded(index, true);
    else
        OnRootNodeChanged(mapped);
    emit DoNodeSelect(NodeIndex(mapped.internalId()));
}

void CBrower::OnNodeDouClicked(QModelIndex index, bool b1, bool)
{
    if (!leftProxy || !leftView || !index.isValid() || index.model() != leftProxy)
        return;
    const QModelIndex mapped = leftProxy->mapToSource(index);
    if (b1 && mapped.column() == kLastColumn) {
        const QModelIndex first = index.sibling(index.row(), 0);
        if (leftView->isExpanded(first))
            leftView->collapse(first);
        else
            leftView->expand(first);
    }
}

void CBrower::OnRootNodeChanged(QModelIndex index)
{
    CFileSystemModel* fs = FsModel();
    const NodeIndex node = fs ? fs->NodeOf(index) : NodeIndex(index.internalId());
    if (node == currentNode)
        return;
    currentNode = node;
    if (model) {
        if (fs)
            emit fs->DoUpdateView(false);
        model->SetRootIndex(index);
    }
    if (rightView && rightView->isVisible()) {
        const QModelIndex root = rightProxy ? rightProxy->mapFromSource(index) : index;
        rightView->setRootIndex(root);
        rightView->header()->setRootIndex(root);
        rightView->viewport()->update();
    }
    bool drives = false;
    CLvAutoPtrEx<CLvFileSystemNode> n(CLvFileSystemNodeMgr::GetNode(node));
    if (n && n->ChildCount() >= 1) {
        CLvAutoPtrEx<CLvFileSystemNode> first(CLvFileSystemNodeMgr::GetNode(n->ChildIdAt(0)));
        drives = first && first->IsDrive();
    }
    SetHeaderSectionHidden(rightView, int(drives ? rightColumnsDrives : rightColumnsFiles));
}

void CBrower::SetHeaderSectionHidden(QTreeView* view, int mask)
{
    if (!view || !view->header())
        return;
    QHeaderView* header = view->header();
    if (view == rightView && rightView->isVisible()) {
        // Persistent: the sort below may reorder the rows under it.
        const QPersistentModelIndex root = header->rootIndex();
        CFileTreeHeader* fresh = new CFileTreeHeader(0, currentNode);
        view->setHeader(fresh);
        fresh->setRootIndex(root);
        if (QObject* mo = ModelObject())
            connect(mo, SIGNAL(DoNodeCanBeCheck(NodeIndex, QVariant, bool*)), fresh, SLOT(doItemsLayout()));
        if (sectionSize != 0)
            fresh->setDefaultSectionSize(int(sectionSize));
        ConnectSortHeader(view, fresh);
        fresh->show();
        const bool mail = IsMailRight();
        fresh->resizeSection(0, 180);
        fresh->resizeSection(1, mail ? 200 : 100);
        fresh->resizeSection(2, mail ? 130 : 120);
        if (mail)
            fresh->resizeSection(3, 50);
        header = fresh;
    }
    for (int i = 0; i < header->count(); ++i)
        header->setSectionHidden(i, i >= 32 || !(quint32(mask) & (1u << i)));
    header->setStretchLastSection(true);
}

void CBrower::OnHideRoot(QList<NodeIndex> roots, QList<NodeIndex> nodes)
{
    if (roots.isEmpty() || !rightView || !model || !rightProxy)
        return;
    CLvAutoPtrEx<CLvFileSystemNode> first(CLvFileSystemNodeMgr::GetNode(roots.first()));
    if (!first || CLvFileSystemNodeMgr::IsValidNode(first->Parent()))
        return;
    bool anyValid = false;
    for (NodeIndex n : nodes)
        anyValid = anyValid || CLvFileSystemNodeMgr::IsValidNode(n);
    if (!anyValid)
        return;
    CFileSystemModel* fs = FsModel();
    const QModelIndex parent = rightProxy->mapFromSource(fs ? fs->IndexOf(first->Id()) : QModelIndex());
    const int rows = first->RowCount();
    for (int r = 0; r < rows; ++r)
        rightView->setRowHidden(r, parent, true);
}

void CBrower::OnInterface(QList<NodeIndex> targets, QList<NodeIndex> children, int, bool)
{
    emit DoHideRoot(targets, children);
}

void CBrower::OnSelectAndSetCurrentIndex(QModelIndex index, bool emitClick)
{
    if (leftView) {
        const bool wasBlocked = emitClick ? leftView->signalsBlocked() : leftView->blockSignals(true);
        const bool animated = leftView->isAnimated();
        leftView->setAnimated(false);
        leftView->scrollTo(index, QAbstractItemView::PositionAtCenter);
        leftView->SetHorizontalOffset(leftView->visualRect(index).left());
        leftView->setAnimated(animated);
        leftView->setCurrentIndex(index);
        if (!emitClick)
            leftView->blockSignals(wasBlocked);
    }
    if (emitClick)
        OnNodeClicked(index, true, true);
}

void CBrower::OnNeedSort(NodeIndex id, bool* needSort)
{
    if (!needSort || !model)
        return;
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(id));
    if (!node || !node->InitFinish() || node->Sorted())
        return;
    const int kind = node->GetKind();
    if ((kind == NodeKind::kNone && noSortForKind34) || kind == NodeKind::kNeverSort) {
        *needSort = false;
        return;
    }
    if (kind == NodeKind::kNasGroup || kind == NodeKind::kAlwaysRefresh || kind == NodeKind::kInsertionOrder)
        return;
    if (id != currentNode && kind != NodeKind::kComputer)
        return;
    // A handful of rows in the library's own order is not worth a sort.
    const bool small = node->UserKey() == kNoPropagateUserData && quint64(node->RowCount()) < kSmallFolderRows;
    if (rightView && rightView->isVisible() && rightProxy) {
        if (!small)
            *needSort = true;
    } else if (leftProxy && !small) {
        // A tree alone sorts its folders; a flat list (search results) its root, as the sort
        // indicator of its header says.
        CFileSystemModel* fs = FsModel();
        const bool flatRoot = fs && fs->IsFlatMode() && id == fs->GetRootIndex();
        const QModelIndex row = fs && !flatRoot ? leftProxy->mapFromSource(fs->IndexOf(id)) : QModelIndex();
        if ((flatRoot || row.isValid()) && leftProxy->rowCount(row) >= 1)
            *needSort = true;
    }
}

void CBrower::OnRightViewDblClicked(QModelIndex index)
{
    const QAbstractProxyModel* proxy = qobject_cast<const QAbstractProxyModel*>(index.model());
    const QModelIndex source = proxy ? proxy->mapToSource(index) : index;
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(NodeIndex(source.internalId())));
    // A double click is not a click: the click it began with ticks nothing, whether it enters a
    // folder or lands on a file.
    if (node && clickGuard)
        clickGuard->UndoDoubleClick();
    if (!node || !(node->IsDir() || node->IsDrive()))
        return;
    SelectNode(node->Id());
}
