#include "BrowserFixture.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include <QAbstractProxyModel>
#include <QCursor>
#include <QTest>
#include <QTreeView>
#include <QWindow>

namespace BrowserFixture {

void Load(CFileSystemModel& model, NodeIndex parent, const QList<Entry>& entries, bool finish)
{
    QList<NodeIndex> batch;
    for (const Entry& e : entries) {
        CLvFileSystemNode* node = CLvFileSystemNodeMgr::CreateNode(e.name, 0, nullptr);
        auto info = CNodeInfoPtr::create();
        info->kind = e.infoKind;
        info->size = e.size;
        info->secondSize = e.size / 2;
        node->SetInfo(info);
        if (e.nodeKind >= 0)
            node->SetKind(e.nodeKind);
        if (e.userData)
            node->SetUserData(QVariant::fromValue<quint64>(e.userData));
        node->SetMayHaveChildren(e.mayHaveChildren);
        batch.append(node->Id());
    }
    model.AddNode(parent, batch, finish ? -1 : 0, 0);
}

NodeIndex Child(NodeIndex parent, const QString& name)
{
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(parent));
    return node ? node->ChildByName(name) : 0;
}

NodeIndex AddComputer(CFileSystemModel& model)
{
    Load(model, model.GetRootIndex(), {Entry{QStringLiteral("\\Computer"), InfoKind::kSystem, 0, NodeKind::kComputer}});
    const NodeIndex computer = Child(model.GetRootIndex(), QStringLiteral("\\Computer"));
    Load(model, computer, {Drive(QStringLiteral("C:")), Drive(QStringLiteral("D:"))});
    return computer;
}

QModelIndex ViewIndex(QTreeView* view, CFileSystemModel& model, NodeIndex node)
{
    const QAbstractProxyModel* proxy = qobject_cast<const QAbstractProxyModel*>(view->model());
    const QModelIndex source = model.IndexOf(node);
    return proxy ? proxy->mapFromSource(source) : source;
}

QPoint RowPoint(QTreeView* view, CFileSystemModel& model, NodeIndex node, int x)
{
    const QRect r = view->visualRect(ViewIndex(view, model, node));
    return QPoint(x >= 0 ? x : r.center().x(), r.center().y());
}

namespace {
void Send(QTreeView* view, const QPoint& pos, Qt::MouseButton button, bool press)
{
    QWidget* viewport = view->viewport();
    QWindow* window = viewport->window()->windowHandle();
    const QPoint inWindow = viewport->mapTo(viewport->window(), pos);
    QCursor::setPos(viewport->mapToGlobal(pos));
    if (press)
        QTest::mousePress(window, button, Qt::NoModifier, inWindow);
    else
        QTest::mouseRelease(window, button, Qt::NoModifier, inWindow);
}
} // namespace

void Press(QTreeView* view, const QPoint& pos, Qt::MouseButton button)
{
    Send(view, pos, button, true);
}

void Release(QTreeView* view, const QPoint& pos, Qt::MouseButton button)
{
    Send(view, pos, button, false);
}

void Click(QTreeView* view, const QPoint& pos, Qt::MouseButton button)
{
    QWidget* viewport = view->viewport();
    Click(viewport, pos, button);
}

void Click(QWidget* widget, const QPoint& pos, Qt::MouseButton button)
{
    QWindow* window = widget->window()->windowHandle();
    const QPoint inWindow = widget->mapTo(widget->window(), pos);
    QCursor::setPos(widget->mapToGlobal(pos));
    // A click keeps QTest's clock past the double-click interval, so two clicks in a row
    // never turn into a double click.
    QTest::mouseClick(window, button, Qt::NoModifier, inWindow);
}

} // namespace BrowserFixture

namespace BrowserFixture {
void DoubleClick(QTreeView* view, const QPoint& pos)
{
    QWidget* viewport = view->viewport();
    QWindow* window = viewport->window()->windowHandle();
    const QPoint inWindow = viewport->mapTo(viewport->window(), pos);
    QCursor::setPos(viewport->mapToGlobal(pos));
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, inWindow);
    // Keep the next press from pairing up with this one.
    QTest::mouseMove(window, inWindow + QPoint(40, 40));
}
} // namespace BrowserFixture
