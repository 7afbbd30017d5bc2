#include "CKWBox.h"

#include <QBoxLayout>
#include <QPainter>
#include <QSpacerItem>

CKWBox::CKWBox(QWidget* parent) : CKWBox(Vertical, parent) {}

CKWBox::CKWBox(BoxType type, QWidget* parent)
    : QWidget(parent)
    , m_layout(new QBoxLayout(type == Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this))
    , m_type(type)
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

CKWBox::~CKWBox() = default;

void CKWBox::PackStart(QWidget* widget, bool expand, bool fill, int padding)
{
    if (!widget)
        return;
    if (padding > 0)
        m_layout->addSpacing(padding);
    Qt::Alignment align;
    if (!fill)
        align = m_type == Horizontal ? Qt::AlignVCenter : Qt::AlignHCenter;
    m_layout->addWidget(widget, expand ? 1 : 0, align);
    if (padding > 0)
        m_layout->addSpacing(padding);
}

void CKWBox::PackStart(QLayout* layout, bool expand, bool fill, int padding)
{
    if (!layout)
        return;
    if (padding > 0)
        m_layout->addSpacing(padding);
    m_layout->addLayout(layout, expand ? 1 : 0);
    if (!fill)
        m_layout->setAlignment(layout, m_type == Horizontal ? Qt::AlignVCenter : Qt::AlignHCenter);
    if (padding > 0)
        m_layout->addSpacing(padding);
}

void CKWBox::AddSpacerItem(QSpacerItem* item)
{
    if (item)
        m_layout->addSpacerItem(item);
}

void CKWBox::AddSpacerItem()
{
    m_layout->addStretch(1);
}

void CKWBox::AddSpacing(int size) { m_layout->addSpacing(size); }

void CKWBox::SetSpacing(int spacing) { m_layout->setSpacing(spacing); }

void CKWBox::SetBorderWidth(int left, int top, int right, int bottom)
{
    m_layout->setContentsMargins(left, top, right, bottom);
    update();
}

void CKWBox::SetDrawFrame(bool draw)
{
    m_drawFrame = draw;
    update();
}

bool CKWBox::IsDrawFrame() const { return m_drawFrame; }

void CKWBox::SetFrameClr(const QColor& color)
{
    m_frameClr = color;
    update();
}

QColor CKWBox::FrameClr() const { return m_frameClr; }

void CKWBox::SetFrameRadius(int radius)
{
    m_radius = qMax(0, radius);
    update();
}

CKWBox::BoxType CKWBox::Type() const { return m_type; }

QBoxLayout* CKWBox::BoxLayout() const { return m_layout; }

void CKWBox::paintEvent(QPaintEvent*)
{
    if (!m_drawFrame || !m_frameClr.isValid())
        return;
    QPainter p(this);
    // A one-pixel line on the outermost pixels, inside the border width the children leave free.
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(m_frameClr, 1));
    p.setBrush(Qt::NoBrush);
    if (m_radius > 0) {
        p.setRenderHint(QPainter::Antialiasing);
        p.drawRoundedRect(r, m_radius, m_radius);
    } else {
        p.drawRect(r);
    }
}
