#include "CDoubleClickGuard.h"

#include "CFileSystemModel.h"

#include <QEvent>
#include <QWidget>

CDoubleClickGuard::CDoubleClickGuard(QWidget* viewport, CFileSystemModel* model)
    : QObject(viewport), m_model(model)
{
    viewport->installEventFilter(this);
}

void CDoubleClickGuard::UndoDoubleClick()
{
    // The second click arrives as a press and then the double click: the selection before the
    // first click is the one remembered at the press before the last.
    if (m_model)
        m_model->RestoreChecks(m_beforePressBefore);
    m_swallowRelease = true;
}

bool CDoubleClickGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_swallowRelease = false;
        if (m_model) {
            // Copies share the map's data: remembering costs nothing until the next change.
            m_beforePressBefore = m_beforeLastPress;
            m_beforeLastPress = m_model->Checks();
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_swallowRelease) {
            m_swallowRelease = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
