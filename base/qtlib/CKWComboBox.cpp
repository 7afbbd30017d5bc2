#include "CKWComboBox.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr qreal kRadius = 4.0;
constexpr int kArrowArea = 24;
constexpr int kTextPadding = 8;
} // namespace

CKWComboBox::CKWComboBox(QWidget* parent) : QComboBox(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void CKWComboBox::SetBorderAntennaDrawing(bool on)
{
    m_antenna = on;
    update();
}

bool CKWComboBox::IsBorderAntennaDrawing() const { return m_antenna; }

void CKWComboBox::SetBorderColor(const QColor& color)
{
    m_border = color;
    update();
}

void CKWComboBox::enterEvent(QEvent* event)
{
    m_hover = true;
    update();
    QComboBox::enterEvent(event);
}

void CKWComboBox::leaveEvent(QEvent* event)
{
    m_hover = false;
    update();
    QComboBox::leaveEvent(event);
}

void CKWComboBox::paintEvent(QPaintEvent* event)
{
    if (!m_antenna)
        return QComboBox::paintEvent(event);

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    // Square left corners, rounded right ones.
    QPainterPath outline;
    outline.moveTo(r.topLeft());
    outline.lineTo(r.right() - kRadius, r.top());
    outline.arcTo(QRectF(r.right() - 2 * kRadius, r.top(), 2 * kRadius, 2 * kRadius), 90, -90);
    outline.lineTo(r.right(), r.bottom() - kRadius);
    outline.arcTo(QRectF(r.right() - 2 * kRadius, r.bottom() - 2 * kRadius, 2 * kRadius, 2 * kRadius), 0, -90);
    outline.lineTo(r.bottomLeft());
    outline.closeSubpath();

    p.fillPath(outline, isEnabled() ? (m_hover ? QColor(0xf4, 0xf6, 0xfb) : QColor(Qt::white)) : QColor(0xf4, 0xf5, 0xf8));
    p.setPen(QPen(hasFocus() ? QColor(0x2f, 0x6f, 0xde) : m_border, 1));
    p.drawPath(outline);
    // The divider on the joining edge, inset so it does not touch the outer border lines.
    p.setPen(QPen(QColor(0xc9, 0xcc, 0xd8), 1));
    p.drawLine(QPointF(r.left(), r.top() + 5), QPointF(r.left(), r.bottom() - 5));

    const QRect textRect = rect().adjusted(kTextPadding, 0, -kArrowArea, 0);
    p.setPen(isEnabled() ? palette().color(QPalette::Text) : QColor(0xb4, 0xb7, 0xc3));
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               fontMetrics().elidedText(currentText(), Qt::ElideRight, textRect.width()));

    // Chevron pointing down.
    const QPointF c(width() - kArrowArea / 2.0, height() / 2.0);
    p.setPen(QPen(QColor(0x5c, 0x60, 0x70), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF chevron[3] = {c + QPointF(-4, -2), c + QPointF(0, 2), c + QPointF(4, -2)};
    p.drawPolyline(chevron, 3);
}
