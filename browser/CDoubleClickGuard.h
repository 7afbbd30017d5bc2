#pragma once
#include "CCheckMap.h"

#include <QObject>
#include <QPointer>

class CFileSystemModel;
class QWidget;

// Keeps a double click in the contents list from changing any check state. The list ticks a row
// on a click, and the first click of a double click is done before anyone can know that a second
// one follows. The guard watches the list's viewport and remembers the selection as it was
// before each press; on a double click (entering a folder, or on a file), the browser has it put
// back the selection from before the double click began, and the release that ends the double
// click (after entering a folder it lands on a row of the folder just entered) is not delivered.
class CDoubleClickGuard : public QObject
{
    Q_OBJECT
public:
    CDoubleClickGuard(QWidget* viewport, CFileSystemModel* model);

    // A double click is under way on a row of the list.
    void UndoDoubleClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<CFileSystemModel> m_model;
    CCheckMap m_beforePress;
    bool m_swallowRelease = false;
};
