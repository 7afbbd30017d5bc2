#pragma once
#include "CFileSystemModel.h"
#include <QList>
#include <QSharedPointer>
#include <QString>

class CBrower;
class QColor;
class QImage;
class QRect;
class QTreeView;
class QWidget;

// Builds small trees in a model the way the file-browser library does: library nodes with their
// records, handed to the model in batches through AddNode.
struct Entry
{
    QString name;
    int infoKind = InfoKind::kDirectory;
    qint64 size = 0;
    int nodeKind = -1;          // property 1; none when negative
    quint64 userData = 0;       // the library key; 0 leaves it unset
    bool mayHaveChildren = true;
};

namespace BrowserFixture {

inline Entry Dir(const QString& name) { return Entry{name, InfoKind::kDirectory}; }
inline Entry File(const QString& name, qint64 size = 100) { return Entry{name, InfoKind::kFile, size}; }
inline Entry Drive(const QString& name) { return Entry{name, InfoKind::kDrive, 1ll << 30}; }

// Delivers entries to parent as one batch; finish marks the folder as enumerated.
void Load(CFileSystemModel& model, NodeIndex parent, const QList<Entry>& entries, bool finish = true);
// The model's child of parent by name (0 when absent).
NodeIndex Child(NodeIndex parent, const QString& name);
// Adds "\\Computer" with drives C: and D: under the root; returns the computer.
NodeIndex AddComputer(CFileSystemModel& model);

// The view row of a node (column 0) and its rectangle in the viewport.
QModelIndex ViewIndex(QTreeView* view, CFileSystemModel& model, NodeIndex node);
QPoint RowPoint(QTreeView* view, CFileSystemModel& model, NodeIndex node, int x = -1);
// Presses or clicks at pos in a view's viewport through the window system, so that the
// application's button state and the cursor follow as they do for a real mouse.
void Press(QTreeView* view, const QPoint& pos, Qt::MouseButton button);
void Release(QTreeView* view, const QPoint& pos, Qt::MouseButton button);
void Click(QTreeView* view, const QPoint& pos, Qt::MouseButton button = Qt::LeftButton);
void DoubleClick(QTreeView* view, const QPoint& pos);
void Click(QWidget* widget, const QPoint& pos, Qt::MouseButton button = Qt::LeftButton);

// The blue of ticked boxes and of the loading spinner; whether some pixel of area passes test.
bool IsBlue(const QColor& c);
bool Any(const QImage& image, const QRect& area, bool (*test)(const QColor&));

// The two-pane browser with check boxes over AddComputer's tree, shown at 900 x 500 with the
// contents list; the test waits for its window before it clicks.
class BrowserWindow
{
protected:
    void OpenBrowser();
    void CloseBrowser();

    CFileSystemModel* fs = nullptr;
    QSharedPointer<IFileSystemModel> model;
    CBrower* browser = nullptr;
    NodeIndex computer = 0, driveC = 0, driveD = 0;
};

} // namespace BrowserFixture
