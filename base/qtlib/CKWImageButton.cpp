#include "CKWImageButton.h"

#include "Util.h"

#include <QPainter>

namespace {
constexpr int kTextGap = 6;
}

CKWImageButton::CKWImageButton(QWidget* parent) : CKWStateWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void CKWImageButton::SetImages(const QString& normal, const QString& hover, const QString& pressed,
                               const QString& disabled)
{
    const QString paths[4] = {normal, hover, pressed, disabled};
    for (int i = 0; i < 4; ++i)
        m_images[i] = paths[i].isEmpty() ? QPixmap() : QPixmap(Util::getResFullPath(paths[i]));
    updateGeometry();
    update();
}

void CKWImageButton::SetText(const QString& text)
{
    m_text = text;
    updateGeometry();
    update();
}

QString CKWImageButton::Text() const { return m_text; }

QSize CKWImageButton::sizeHint() const
{
    QSize s = m_images[StateNormal].isNull() ? QSize(16, 16) : m_images[StateNormal].size();
    if (!m_text.isEmpty()) {
        s.rwidth() += kTextGap + fontMetrics().horizontalAdvance(m_text);
        s.setHeight(qMax(s.height(), fontMetrics().height()));
    }
    return s;
}

void CKWImageButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const State state = CurrentState();
    QPixmap pm = m_images[state];
    if (pm.isNull())
        pm = m_images[StateNormal];
    if (state == StateDisabled && m_images[StateDisabled].isNull())
        p.setOpacity(0.4);
    int x = 0;
    if (!pm.isNull()) {
        p.drawPixmap(QPoint(0, (height() - pm.height()) / 2), pm);
        x = pm.width() + kTextGap;
    }
    if (!m_text.isEmpty()) {
        p.setPen(state == StateHover || state == StatePressed ? QColor(0x2f, 0x6f, 0xde) : palette().color(QPalette::WindowText));
        p.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, m_text);
    }
}
