#include "app/ContrastStyle.h"

#include <QApplication>
#include <QStyleOption>

#include <cmath>

namespace {

double luminance(const QColor &c)
{
    const auto channel
            = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor IndicatorFill(const QColor &window, const QColor &base)
{
    if (window.lightness() >= 128 || ContrastRatio(window, base) >= 3.0)
        return base;
    // Lighter greys of the window's hue until the box stands out.
    QColor fill = window.toHsl();
    for (int lightness = window.lightness(); lightness <= 255; lightness += 8) {
        fill.setHsl(fill.hslHue(), fill.hslSaturation(), lightness);
        if (ContrastRatio(window, fill) >= 3.0)
            return fill.toRgb();
    }
    return QColor(Qt::white);
}

void ContrastStyle::drawPrimitive(PrimitiveElement element,
                                  const QStyleOption *option,
                                  QPainter *painter,
                                  const QWidget *widget) const
{
    if ((element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton) && option) {
        const QColor window = option->palette.color(QPalette::Window);
        const QColor base = option->palette.color(QPalette::Base);
        const QColor fill = IndicatorFill(window, base);
        if (fill != base) {
            QStyleOptionButton lifted;
            if (const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option))
                lifted = *button;
            else
                static_cast<QStyleOption &>(lifted) = *option;
            lifted.palette.setColor(QPalette::Base, fill);
            // The mark must stand out from the lifted fill, too.
            if (ContrastRatio(fill, lifted.palette.color(QPalette::Text)) < 3.0)
                lifted.palette.setColor(QPalette::Text, Qt::black);
            QProxyStyle::drawPrimitive(element, &lifted, painter, widget);
            return;
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void InstallContrastStyle()
{
    // The proxy takes the current style over; QApplication owns the proxy.
    QApplication::setStyle(new ContrastStyle(QApplication::style()->name()));
}
