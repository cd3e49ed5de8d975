#pragma once

#include <QColor>
#include <QProxyStyle>

// The desktop's style with check box and radio button indicators that stay visible on a dark theme:
// some styles fill them with the text-field colour and outline them a shade darker than the window,
// which on a dark window leaves a box of about 1.2 : 1 against its surroundings.
class ContrastStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    void drawPrimitive(PrimitiveElement element,
                       const QStyleOption *option,
                       QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};

// The fill an indicator gets on a window of colour window: lifted to at least 3 : 1 against it when
// the window is dark, unchanged (base) otherwise.
QColor IndicatorFill(const QColor &window, const QColor &base);
// WCAG contrast ratio of two colours (1 to 21).
double ContrastRatio(const QColor &a, const QColor &b);

// Wraps the application's current style in a ContrastStyle.
void InstallContrastStyle();
