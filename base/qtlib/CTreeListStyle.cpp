#include "CTreeListStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

constexpr int kScrollExtent = 10;
constexpr int kSliderMin = 24;
constexpr int kIndicator = 14;

const QColor kAccent(0x2f, 0x6f, 0xde);
const QColor kGroove(0xf4, 0xf5, 0xf8);
const QColor kHandle(0xc4, 0xc7, 0xd3);
const QColor kHandleActive(0x9a, 0x9e, 0xae);
const QColor kLine(0xe7, 0xe9, 0xf2);

} // namespace

CTreeListStyle::CTreeListStyle(QStyle* base)
    : QProxyStyle(base ? base : QStyleFactory::create(QStringLiteral("Fusion")))
{
}

int CTreeListStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_ScrollBarExtent:
        return kScrollExtent;
    case PM_ScrollBarSliderMin:
        return kSliderMin;
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return kIndicator;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int CTreeListStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const
{
    switch (hint) {
    case SH_ScrollBar_LeftClickAbsolutePosition:
        return 1;
    case SH_ScrollBar_ContextMenu:
        return 0;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

QRect CTreeListStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                                     const QWidget* widget) const
{
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar)
        return QProxyStyle::subControlRect(control, option, sub, widget);

    // No arrow buttons: the groove is the whole bar and the handle moves along all of it.
    const bool horizontal = bar->orientation == Qt::Horizontal;
    const QRect r = bar->rect;
    const int length = horizontal ? r.width() : r.height();
    const qint64 range = qint64(bar->maximum) - bar->minimum;
    int handle = length;
    if (range > 0)
        handle = int(qint64(length) * bar->pageStep / (range + bar->pageStep));
    handle = qBound(qMin(kSliderMin, length), handle, length);
    const int start = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition, length - handle,
                                              bar->upsideDown);
    auto along = [&](int from, int size) {
        return horizontal ? QRect(r.x() + from, r.y(), size, r.height()) : QRect(r.x(), r.y() + from, r.width(), size);
    };
    switch (sub) {
    case SC_ScrollBarGroove:
        return r;
    case SC_ScrollBarSlider:
        return along(start, handle);
    case SC_ScrollBarSubPage:
        return along(0, start);
    case SC_ScrollBarAddPage:
        return along(start + handle, length - start - handle);
    case SC_ScrollBarAddLine:
    case SC_ScrollBarSubLine:
    case SC_ScrollBarFirst:
    case SC_ScrollBarLast:
        return QRect();
    default:
        return QProxyStyle::subControlRect(control, option, sub, widget);
    }
}

void CTreeListStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                        QPainter* painter, const QWidget* widget) const
{
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar)
        return QProxyStyle::drawComplexControl(control, option, painter, widget);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillRect(bar->rect, kGroove);
    if (bar->maximum > bar->minimum) {
        const bool active = (bar->activeSubControls & SC_ScrollBarSlider)
                            && (bar->state & (State_MouseOver | State_Sunken));
        QRectF handle = subControlRect(control, option, SC_ScrollBarSlider, widget);
        handle.adjust(2, 2, -2, -2);
        const qreal radius = qMin(handle.width(), handle.height()) / 2.0;
        painter->setPen(Qt::NoPen);
        painter->setBrush(active ? kHandleActive : kHandle);
        painter->drawRoundedRect(handle, radius, radius);
    }
    painter->restore();
}

void CTreeListStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const
{
    switch (element) {
    case PE_FrameFocusRect:
        return; // rows show selection by colour; the dotted rectangle only adds noise
    case PE_IndicatorCheckBox:
    case PE_IndicatorItemViewItemCheck: {
        const int state = (option->state & State_NoChange) ? 1 : (option->state & State_On) ? 2 : 0;
        QRect r(0, 0, kIndicator, kIndicator);
        r.moveCenter(option->rect.center());
        DrawCheckIndicator(painter, r, state, option->state & State_Enabled, option->state & State_MouseOver);
        return;
    }
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void CTreeListStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const
{
    switch (element) {
    case CE_HeaderSection:
    case CE_HeaderEmptyArea: {
        painter->save();
        painter->fillRect(option->rect, Qt::white);
        painter->setPen(kLine);
        const QRect& r = option->rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        if (element == CE_HeaderSection)
            painter->drawLine(QPoint(r.right(), r.top() + 6), QPoint(r.right(), r.bottom() - 6));
        painter->restore();
        return;
    }
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void CTreeListStyle::DrawCheckIndicator(QPainter* painter, const QRect& rect, int checkState, bool enabled, bool hover)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor accent = enabled ? kAccent : QColor(0xb4, 0xb7, 0xc3);
    if (checkState == 0) {
        painter->setPen(QPen(enabled ? (hover ? kAccent : QColor(0x9a, 0x9e, 0xae)) : QColor(0xd5, 0xd7, 0xe0), 1));
        painter->setBrush(enabled ? Qt::white : QColor(0xf4, 0xf5, 0xf8));
        painter->drawRoundedRect(box, 2.5, 2.5);
    } else {
        painter->setPen(QPen(accent, 1));
        painter->setBrush(accent);
        painter->drawRoundedRect(box, 2.5, 2.5);
        painter->setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal w = box.width();
        const QPointF o = box.topLeft();
        if (checkState == 1) {
            painter->drawLine(o + QPointF(w * 0.28, w * 0.5), o + QPointF(w * 0.72, w * 0.5));
        } else {
            QPainterPath tick;
            tick.moveTo(o + QPointF(w * 0.24, w * 0.52));
            tick.lineTo(o + QPointF(w * 0.43, w * 0.70));
            tick.lineTo(o + QPointF(w * 0.76, w * 0.32));
            painter->setBrush(Qt::NoBrush);
            painter->drawPath(tick);
        }
    }
    painter->restore();
}
