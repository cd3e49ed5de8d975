#pragma once

#include "core/LineBreaks.h"

#include <QRect>
#include <QString>
#include <QStringList>

class QFontMetrics;
class QPainter;

// The one text rule of the envelope's three text blocks (info line, recipient, sender). Their lines
// before wrapping are those of SplitTextLines.

struct TextBlockLayout
{
    QStringList lines; // what is drawn on each line, top to bottom
    int width = 0;     // advance of the widest line (trailing blanks not counted)
};

// Wraps text at blanks for a block wrapWidth pixels wide. Only blanks are break opportunities (a
// hyphen is not); a word wider than the block stays whole on its own line and widens the block. Tabs
// are not expanded: each is laid out as one unbreakable blank.
TextBlockLayout LayoutTextBlock(const QString &text, const QFontMetrics &metrics, int wrapWidth);

// Line advance: ascent plus descent, no leading.
int TextLineAdvance(const QFontMetrics &metrics);

// The rectangle the wrapped text needs inside rect: rect's top-left corner, the widest line's width,
// and lines x line advance in height (0 for an empty text), ending at most at y = 1e9.
QRect MeasureTextBlock(const QString &text, const QFontMetrics &metrics, const QRect &rect);

enum class TextClip {
    ToRect, // lines below rect and ink beyond its edges are cut off
    None,   // for a block drawn into its own measured rectangle, which holds all of its lines: ink
            // beyond the glyph advances (an italic overhang) is not cut
};

// Draws the wrapped text with the painter's font and pen, left aligned from rect's top, wrapped at
// rect's width, with no background; clipped to rect unless clip is None. '&' is an ordinary character.
void DrawTextBlock(QPainter &painter,
                   const QString &text,
                   const QRect &rect,
                   TextClip clip = TextClip::ToRect);
