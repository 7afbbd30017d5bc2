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
    // Widgets get a double click as press, release, double click, release: the press the
    // selection was remembered at is the one that began it.
    if (m_model)
        m_model->RestoreChecks(m_beforePress);
    m_swallowRelease = true;
}

bool CDoubleClickGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_swallowRelease = false;
        // Copies share the map's data: remembering costs nothing until the next change.
        if (m_model)
            m_beforePress = m_model->Checks();
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
