#include "FontRec.h"

#include <QGuiApplication>
#include <QPalette>

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

QColor TFontRec::toQColor() const
{
    if ((color & 0xFF000000u) == 0xFF000000u) {
        // Only the window-text colour is in use for fonts; other system colours map to the nearest role.
        const QPalette pal = QGuiApplication::palette();
        switch (color & 0xFFu) {
        case 5: // window background
            return pal.color(QPalette::Base);
        case 14: // highlighted text
            return pal.color(QPalette::HighlightedText);
        default:
            return pal.color(QPalette::WindowText);
        }
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
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
