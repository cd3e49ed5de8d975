#include "core/FontRec.h"

#include <iterator>

QFont TFontRec::toQFont() const
{
    QFont f(name);
    f.setPointSize(qMax(1, int(size)));
    f.setBold(style & Bold);
    f.setItalic(style & Italic);
    f.setUnderline(style & Underline);
    f.setStrikeOut(style & StrikeOut);
    if (pitch == 2)
        f.setFixedPitch(true);
    return f;
}

namespace {

// The system colours as a standard light desktop shows them, indexed by system colour number. A font
// record's system colour is ink on paper: a dark desktop theme must not print white text.
constexpr QRgb LightSystemColours[] = {
        qRgb(200, 200, 200), //  0 scroll bar
        qRgb(0, 0, 0),       //  1 desktop
        qRgb(153, 180, 209), //  2 active caption
        qRgb(191, 205, 219), //  3 inactive caption
        qRgb(240, 240, 240), //  4 menu
        qRgb(255, 255, 255), //  5 window background
        qRgb(100, 100, 100), //  6 window frame
        qRgb(0, 0, 0),       //  7 menu text
        qRgb(0, 0, 0),       //  8 window text
        qRgb(0, 0, 0),       //  9 caption text
        qRgb(180, 180, 180), // 10 active border
        qRgb(244, 247, 252), // 11 inactive border
        qRgb(171, 171, 171), // 12 application workspace
        qRgb(0, 120, 215),   // 13 highlight
        qRgb(255, 255, 255), // 14 highlighted text
        qRgb(240, 240, 240), // 15 button face
        qRgb(160, 160, 160), // 16 button shadow
        qRgb(109, 109, 109), // 17 grey text
        qRgb(0, 0, 0),       // 18 button text
        qRgb(0, 0, 0),       // 19 inactive caption text
        qRgb(255, 255, 255), // 20 button highlight
        qRgb(105, 105, 105), // 21 3-D dark shadow
        qRgb(227, 227, 227), // 22 3-D light
        qRgb(0, 0, 0),       // 23 tooltip text
        qRgb(255, 255, 225), // 24 tooltip background
        qRgb(0, 0, 0),       // 25 unused
        qRgb(0, 102, 204),   // 26 hot-tracked item
        qRgb(185, 209, 234), // 27 active caption gradient
        qRgb(215, 228, 242), // 28 inactive caption gradient
        qRgb(0, 120, 215),   // 29 menu highlight
        qRgb(240, 240, 240), // 30 menu bar
};

} // namespace

QColor TFontRec::toQColor() const
{
    if ((color & 0xFF000000u) == 0xFF000000u) {
        const quint32 index = color & 0xFFu;
        // A number no desktop has is drawn as the default ink rather than left invisible.
        if (index >= std::size(LightSystemColours))
            return QColor(LightSystemColours[WindowTextColor & 0xFFu]);
        return QColor(LightSystemColours[index]);
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

quint32 TFontRec::colorValue(const QColor &rgb)
{
    const QColor c = rgb.toRgb();
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

void TFontRec::assignFrom(const QFont &font)
{
    name = font.family();
    if (font.pointSize() > 0)
        size = font.pointSize();
    else if (font.pointSizeF() > 0)
        size = qRound(font.pointSizeF());
    quint8 s = 0;
    if (font.bold())
        s |= Bold;
    if (font.italic())
        s |= Italic;
    if (font.underline())
        s |= Underline;
    if (font.strikeOut())
        s |= StrikeOut;
    style = s;
}
