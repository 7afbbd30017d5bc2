#include "CKWLabel.h"

#include <QResizeEvent>

CKWLabel::CKWLabel(QWidget* parent) : QLabel(parent) {}

CKWLabel::CKWLabel(const QString& text, QWidget* parent) : QLabel(text, parent), m_fullText(text) {}

void CKWLabel::SetElideMode(Qt::TextElideMode mode)
{
    m_elide = mode;
    refresh();
}

void CKWLabel::SetText(const QString& text)
{
    m_fullText = text;
    refresh();
}

QString CKWLabel::FullText() const { return m_elide == Qt::ElideNone ? text() : m_fullText; }

void CKWLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    if (m_elide != Qt::ElideNone)
        refresh();
}

void CKWLabel::refresh()
{
    if (m_elide == Qt::ElideNone) {
        setText(m_fullText);
        return;
    }
    const QString shown = fontMetrics().elidedText(m_fullText, m_elide, contentsRect().width());
    setText(shown);
    setToolTip(shown == m_fullText ? QString() : m_fullText);
}
