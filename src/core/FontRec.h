#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QtGlobal>

// A font as the settings file stores it: everything needed to write it back byte for byte,
// convertible to a QFont for drawing.
struct TFontRec
{
    enum Style : quint8 { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    static constexpr quint32 WindowTextColor = 0xFF000008; // system colour 8, stored as 08 00 00 FF

    quint8 charset = 0;              // 0 ANSI, 1 default, 2 symbol, ...
    quint32 color = WindowTextColor; // 0x00BBGGRR, or 0xFF0000nn for system colour nn
    QString name = QStringLiteral("Arial");
    quint8 pitch = 0; // 0 default, 1 variable, 2 fixed
    qint32 pixelsPerInch = 96;
    qint32 size = 11; // points
    quint8 style = 0; // Style bits

    bool operator==(const TFontRec &) const = default;

    // The face, style and point size as a QFont (the point size may be overridden by the caller).
    QFont toQFont() const;
    // The colour as it shows on paper: a system colour takes its light-theme value whatever the
    // desktop's theme (window text is black).
    QColor toQColor() const;
    // A colour in the record's RGB form (red in the low byte, high byte 0).
    static quint32 colorValue(const QColor &rgb);
    // Takes face, point size and style from a QFont, keeping charset, colour, pitch and ppi.
    void assignFrom(const QFont &font);
    // The default font: Arial, character height 15 pixels at 96 ppi (11 pt), ANSI, window text.
    static TFontRec defaultFont() { return TFontRec{}; }
};
