#include "BrowserFixture.h"
#include "CBrower.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include <QAbstractProxyModel>
#include <QCursor>
#include <QImage>
#include <QTest>
#include <QThreadPool>
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
// Puts the cursor on pos in widget, as a real mouse would be, and gives the window and the point
// in it that QTest's window events take.
QWindow* PointAt(QWidget* widget, const QPoint& pos, QPoint* inWindow)
{
    *inWindow = widget->mapTo(widget->window(), pos);
    QCursor::setPos(widget->mapToGlobal(pos));
    return widget->window()->windowHandle();
}
} // namespace

void Press(QTreeView* view, const QPoint& pos, Qt::MouseButton button)
{
    QPoint at;
    QTest::mousePress(PointAt(view->viewport(), pos, &at), button, Qt::NoModifier, at);
}

void Release(QTreeView* view, const QPoint& pos, Qt::MouseButton button)
{
    QPoint at;
    QTest::mouseRelease(PointAt(view->viewport(), pos, &at), button, Qt::NoModifier, at);
}

void Click(QTreeView* view, const QPoint& pos, Qt::MouseButton button)
{
    Click(view->viewport(), pos, button);
}

void Click(QWidget* widget, const QPoint& pos, Qt::MouseButton button)
{
    // A click keeps QTest's clock past the double-click interval, so two clicks in a row
    // never turn into a double click.
    QPoint at;
    QTest::mouseClick(PointAt(widget, pos, &at), button, Qt::NoModifier, at);
}

void DoubleClick(QTreeView* view, const QPoint& pos)
{
    QPoint at;
    QWindow* window = PointAt(view->viewport(), pos, &at);
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, at);
    // Keep the next press from pairing up with this one.
    QTest::mouseMove(window, at + QPoint(40, 40));
}

bool IsBlue(const QColor& c)
{
    return c.blue() > c.red() + 60 && c.blue() > c.green() + 20;
}

bool Any(const QImage& image, const QRect& area, bool (*test)(const QColor&))
{
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (test(image.pixelColor(x, y)))
                return true;
    return false;
}

void BrowserWindow::OpenBrowser()
{
    fs = new CFileSystemModel();
    model = QSharedPointer<IFileSystemModel>(fs);
    fs->SetCheckEnabled(true);
    browser = new CBrower(model, nullptr);
    browser->resize(900, 500);
    browser->ShowRightView(true, false);
    computer = AddComputer(*fs);
    driveC = Child(computer, QStringLiteral("C:"));
    driveD = Child(computer, QStringLiteral("D:"));
    browser->show();
}

void BrowserWindow::CloseBrowser()
{
    delete browser;
    browser = nullptr;
    model.clear();
    QThreadPool::globalInstance()->waitForDone();
}

} // namespace BrowserFixture
