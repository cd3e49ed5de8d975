#include "core/LineBreaks.h"

namespace {

// The length of the line break at i (0 where none starts): CR LF counts as one break.
qsizetype breakLength(const QString &text, qsizetype i)
{
    const QChar c = text.at(i);
    if (c == u'\n')
        return 1;
    if (c != u'\r')
        return 0;
    return i + 1 < text.size() && text.at(i + 1) == u'\n' ? 2 : 1;
}

// Calls line(begin, length) for each line that a break ends; returns where the text after the last
// break begins.
template<class LineFn>
qsizetype forEachEndedLine(const QString &text, LineFn line)
{
    qsizetype begin = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = breakLength(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        line(begin, i - begin);
        i += length;
        begin = i;
    }
    return begin;
}

QString withBreak(const QString &text, QStringView lineBreak)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype rest = forEachEndedLine(text, [&](qsizetype begin, qsizetype length) {
        out += QStringView(text).mid(begin, length);
        out += lineBreak;
    });
    out += QStringView(text).mid(rest);
    return out;
}

} // namespace

QString WithLineFeeds(const QString &text)
{
    // Most texts hold no CR: they come back as they are, without a copy.
    if (!text.contains(u'\r'))
        return text;
    return withBreak(text, u"\n");
}

QString WithCrLf(const QString &text)
{
    return withBreak(text, u"\r\n");
}

QStringList SplitTextLines(const QString &text)
{
    QStringList lines;
    const qsizetype rest = forEachEndedLine(
            text, [&](qsizetype begin, qsizetype length) { lines.append(text.mid(begin, length)); });
    // A break at the very end starts no further line.
    if (rest < text.size())
        lines.append(text.mid(rest));
    return lines;
}
