#pragma once
#include "CCheckMap.h"

#include <QObject>
#include <QPointer>

class CFileSystemModel;
class QWidget;

// Keeps a double click that enters a folder of the contents list from changing any check state.
// The list ticks a row on a click, and the first click of a double click is done before anyone
// can know that a second one follows. The guard watches the list's viewport and remembers the
// selection as it was before each press; when a double click enters a folder, the browser has
// it put back the selection from before the double click began, and the release that ends the
// double click (it would land on a row of the folder just entered) is not delivered.
class CDoubleClickGuard : public QObject
{
    Q_OBJECT
public:
    CDoubleClickGuard(QWidget* viewport, CFileSystemModel* model);

    // The double click under way enters a folder.
    void UndoDoubleClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<CFileSystemModel> m_model;
    CCheckMap m_beforeLastPress;
    CCheckMap m_beforePressBefore;
    bool m_swallowRelease = false;
};
