#include "render/TextBlock.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr QChar Blank = u' ';
// Qt's text engine would advance a tab to the next tab stop; an unbreakable blank keeps it one
// character wide without making it a break opportunity.
constexpr QChar TabReplacement = QChar(0x00A0);

int lineWidth(const QFontMetrics &metrics, const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1) == Blank)
        --end;
    return end == 0 ? 0 : metrics.horizontalAdvance(line.left(end));
}

void wrapParagraph(const QString &paragraph, const QFontMetrics &metrics, int wrapWidth, TextBlockLayout &out)
{
    const qsizetype n = paragraph.size();
    qsizetype i = 0;
    // Leading blanks of a paragraph stay with its first word.
    while (i < n && paragraph.at(i) == Blank)
        ++i;
    while (i < n && paragraph.at(i) != Blank)
        ++i;
    QString line = paragraph.left(i);
    while (i < n) {
        const qsizetype sepStart = i;
        while (i < n && paragraph.at(i) == Blank)
            ++i;
        const qsizetype wordStart = i;
        while (i < n && paragraph.at(i) != Blank)
            ++i;
        if (wordStart == i) {
            // Blanks at the paragraph's end: kept, but they never widen the block.
            line += paragraph.mid(sepStart);
            break;
        }
        QString candidate = line + paragraph.mid(sepStart, i - sepStart);
        if (metrics.horizontalAdvance(candidate) > wrapWidth) {
            out.width = qMax(out.width, lineWidth(metrics, line));
            out.lines.append(line);
            line = paragraph.mid(wordStart, i - wordStart); // the blanks at a break vanish
        } else {
            line = std::move(candidate);
        }
    }
    out.width = qMax(out.width, lineWidth(metrics, line));
    out.lines.append(line);
}

} // namespace

TextBlockLayout LayoutTextBlock(const QString &text, const QFontMetrics &metrics, int wrapWidth)
{
    TextBlockLayout layout;
    QString prepared = text;
    prepared.replace(u'\t', TabReplacement);
    const QStringList paragraphs = SplitTextLines(prepared);
    for (const QString &paragraph : paragraphs)
        wrapParagraph(paragraph, metrics, wrapWidth, layout);
    return layout;
}

int TextLineAdvance(const QFontMetrics &metrics)
{
    return metrics.ascent() + metrics.descent();
}

QRect MeasureTextBlock(const QString &text, const QFontMetrics &metrics, const QRect &rect)
{
    const TextBlockLayout layout = LayoutTextBlock(text, metrics, rect.width());
    // A long text in a large font can need more pixels than an int holds: the block then ends far
    // below any sheet instead of wrapping round to a negative height.
    constexpr qint64 FarBottom = 1'000'000'000;
    const qint64 height = std::min(qint64(layout.lines.size()) * TextLineAdvance(metrics),
                                   std::max<qint64>(0, FarBottom - rect.top()));
    return QRect(rect.left(), rect.top(), layout.width, int(height));
}

void DrawTextBlock(QPainter &painter, const QString &text, const QRect &rect, TextClip clip)
{
    if (rect.isEmpty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const TextBlockLayout layout = LayoutTextBlock(text, metrics, rect.width());
    const int advance = TextLineAdvance(metrics);
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    if (clip == TextClip::ToRect)
        painter.setClipRect(rect, Qt::IntersectClip);
    int top = rect.top();
    for (const QString &line : layout.lines) {
        if (top > rect.bottom())
            break;
        // drawText at a point does no mnemonic processing, so '&' stays as typed.
        painter.drawText(QPoint(rect.left(), top + metrics.ascent()), line);
        top += advance;
    }
    painter.restore();
}
