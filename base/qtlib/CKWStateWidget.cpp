#include "CKWStateWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>

CKWStateWidget::CKWStateWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

CKWStateWidget::State CKWStateWidget::CurrentState() const
{
    if (!isEnabled())
        return StateDisabled;
    if (m_pressed)
        return StatePressed;
    return m_hover ? StateHover : StateNormal;
}

void CKWStateWidget::enterEvent(QEvent* event)
{
    m_hover = true;
    refresh();
    QWidget::enterEvent(event);
}

void CKWStateWidget::leaveEvent(QEvent* event)
{
    m_hover = false;
    refresh();
    QWidget::leaveEvent(event);
}

void CKWStateWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        refresh();
        return event->accept();
    }
    QWidget::mousePressEvent(event);
}

void CKWStateWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        const bool inside = rect().contains(event->pos());
        m_hover = inside;
        refresh();
        if (inside && isEnabled())
            emit clicked();
        return event->accept();
    }
    QWidget::mouseReleaseEvent(event);
}

void CKWStateWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            m_pressed = false;
        refresh();
    }
    QWidget::changeEvent(event);
}

void CKWStateWidget::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && isEnabled()) {
        emit clicked();
        return event->accept();
    }
    QWidget::keyPressEvent(event);
}

void CKWStateWidget::refresh()
{
    const State now = CurrentState();
    if (now != m_last) {
        m_last = now;
        emit stateChanged(now);
    }
    update();
}
