#pragma once
#include <QProxyStyle>

// Style of the browser's tree views, their headers and scroll bars: slim scroll bars without
// arrow buttons (a rounded handle on a light groove), flat header sections, no focus rectangles,
// and round-cornered check indicators for the unchecked, partly checked and checked states.
class CTreeListStyle : public QProxyStyle
{
    Q_OBJECT
public:
    // Built on `base` when given (the style takes it over), else on the portable "Fusion" style.
    explicit CTreeListStyle(QStyle* base = nullptr);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

    // Paints a check indicator into `rect` for Qt's check state (0, 1 or 2); also for delegates.
    static void DrawCheckIndicator(QPainter* painter, const QRect& rect, int checkState, bool enabled, bool hover);
};
