#include "CsvSource.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace sources {

namespace {

constexpr QChar Quote = QLatin1Char('"');

QChar separatorChar(CsvSeparator s)
{
    switch (s) {
    case CsvSeparator::Comma:
        return QLatin1Char(',');
    case CsvSeparator::Tab:
        return QLatin1Char('\t');
    case CsvSeparator::Semicolon:
        break;
    }
    return QLatin1Char(';');
}

// The end of the line starting at from (the position of its LF, or the text's end).
qsizetype lineEnd(const QString &text, qsizetype from)
{
    const qsizetype lf = text.indexOf(QLatin1Char('\n'), from);
    return lf < 0 ? text.size() : lf;
}

// A line without its CR characters (before the LF, or lone: both are dropped).
QString lineAt(const QString &text, qsizetype from)
{
    QString line = text.mid(from, lineEnd(text, from) - from);
    line.remove(QLatin1Char('\r'));
    return line;
}

// Whether a line (CRs already gone) yields a field by the semicolon rules.
bool yieldsField(const QString &text, qsizetype from, qsizetype end)
{
    qsizetype first = from;
    while (first < end && text.at(first) == QLatin1Char('\r'))
        ++first;
    if (first >= end)
        return false;
    if (text.at(first) != Quote)
        return true;
    // A quoted line needs a second mark.
    const qsizetype second = text.indexOf(Quote, first + 1);
    return second >= 0 && second < end;
}

} // namespace

// The byte rules are the CSV runs' own (core/CsvReader), so both readers decide alike.
bool IsWellFormedUtf8(const QByteArray &bytes)
{
    return IsValidUtf8(bytes);
}

QString DecodeCp1252(const QByteArray &bytes)
{
    return DecodeWindows1252(bytes);
}

TextEncoding DetectTextEncoding(const QByteArray &bytes)
{
    return DetectCsvEncoding(bytes);
}

QString DecodeText(const QByteArray &bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Windows1252:
        return DecodeCp1252(bytes);
    case TextEncoding::Utf8WithBom:
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    case TextEncoding::Utf8:
        break;
    }
    // Plain fromUtf8 would drop a U+FEFF at the start; only the file's own mark goes.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return utf8.decode(bytes);
}

QString ResolveCsvEscapes(const QString &text)
{
    return UnescapeCsvField(text);
}

QStringList SplitSemicolonLine(const QString &line)
{
    QStringList fields = SplitCsvLine(line);
    for (QString &f : fields)
        f = UnescapeCsvField(f);
    return fields;
}

qsizetype ReadRfc4180Record(const QString &text, qsizetype from, QChar separator, QStringList *fields)
{
    const qsizetype n = text.size();
    const QChar *d = text.constData();
    qsizetype pos = from;
    QString field;
    bool quoted = false; // inside a quoted field
    bool fieldStart = true;
    const auto endField = [&] {
        if (fields)
            fields->append(field);
        field.clear();
        fieldStart = true;
    };
    while (pos < n) {
        const QChar c = d[pos++];
        if (quoted) {
            if (c == Quote) {
                if (pos < n && d[pos] == Quote) {
                    if (fields)
                        field += Quote;
                    ++pos;
                } else {
                    quoted = false;
                }
            } else if (c == QLatin1Char('\r')) {
                if (pos < n && d[pos] == QLatin1Char('\n')) {
                    ++pos;
                    if (fields)
                        field += QLatin1Char('\n');
                }
            } else if (fields) {
                field += c;
            }
            continue;
        }
        if (c == separator) {
            endField();
            continue;
        }
        if (c == QLatin1Char('\n')) {
            endField();
            return pos;
        }
        if (c == QLatin1Char('\r'))
            continue;
        if (c == Quote && fieldStart) {
            quoted = true;
            fieldStart = false;
            continue;
        }
        fieldStart = false;
        if (fields)
            field += c;
    }
    endField();
    return n;
}

CsvSeparator SniffCsvSeparator(const QString &text)
{
    constexpr std::array<CsvSeparator, 3> order{
            CsvSeparator::Semicolon, CsvSeparator::Tab, CsvSeparator::Comma};
    std::array<std::vector<int>, 3> counts;
    // Quote state runs on across line breaks: a quoted field may hold one.
    std::array<int, 3> current{0, 0, 0};
    bool inQuotes = false;
    bool blank = true;
    const qsizetype n = std::min<qsizetype>(text.size(), 256 * 1024);
    for (qsizetype i = 0; i <= n && counts[0].size() < 20; ++i) {
        const QChar c = i < n ? text.at(i) : QLatin1Char('\n');
        if (c == QLatin1Char('\n') && (!inQuotes || i == n)) {
            if (!blank)
                for (size_t s = 0; s < order.size(); ++s)
                    counts[s].push_back(current[s]);
            current = {0, 0, 0};
            blank = true;
            inQuotes = false;
            continue;
        }
        if (!c.isSpace())
            blank = false;
        if (c == Quote)
            inQuotes = !inQuotes;
        for (size_t s = 0; s < order.size(); ++s)
            if (!inQuotes && c == separatorChar(order[s]))
                ++current[s];
    }
    int best = -1;
    for (size_t s = 0; s < order.size(); ++s) {
        const auto &c = counts[s];
        const bool consistent = !c.empty() && c.front() > 0
                                && std::all_of(c.begin(), c.end(), [&](int v) { return v == c.front(); });
        if (consistent && (best < 0 || c.front() > counts[size_t(best)].front()))
            best = int(s);
    }
    if (best >= 0)
        return order[size_t(best)];
    qsizetype most = 0;
    for (size_t s = 0; s < order.size(); ++s) {
        const auto present = std::count_if(counts[s].begin(), counts[s].end(), [](int v) { return v > 0; });
        if (present > most) {
            most = present;
            best = int(s);
        }
    }
    return best < 0 ? CsvSeparator::Semicolon : order[size_t(best)];
}

CsvSource::CsvSource(const QByteArray &content, const SourceLimits &limits)
    : m_encoding(DetectTextEncoding(content))
    , m_maxRecords(limits.maxRecords)
{
    m_text = DecodeText(content, m_encoding);
    m_separator = SniffCsvSeparator(m_text);
    buildIndex();
}

void CsvSource::setSeparator(CsvSeparator separator)
{
    if (separator == m_separator)
        return;
    m_separator = separator;
    buildIndex();
}

void CsvSource::buildIndex()
{
    m_starts.clear();
    m_lines.clear();
    m_truncated = false;
    const qsizetype n = m_text.size();
    qsizetype pos = 0;
    qsizetype line = 1;
    const QChar sep = separatorChar(m_separator);
    // Moves to the next record's start, counting the lines passed.
    const auto advance = [&](qsizetype next) {
        line += QStringView(m_text).mid(pos, qMin(next, n) - pos).count(u'\n');
        pos = next;
    };
    while (pos < n) {
        if (qsizetype(m_starts.size()) >= m_maxRecords) {
            m_truncated = true;
            break;
        }
        const qsizetype end = lineEnd(m_text, pos);
        if (m_separator == CsvSeparator::Semicolon) {
            if (yieldsField(m_text, pos, end)) {
                m_starts.push_back(pos);
                m_lines.push_back(line);
            }
            advance(end + 1);
            continue;
        }
        // An empty line (CRs aside) is no record.
        bool blank = true;
        for (qsizetype i = pos; i < end && blank; ++i)
            blank = m_text.at(i) == QLatin1Char('\r');
        if (blank) {
            advance(end + 1);
            continue;
        }
        m_starts.push_back(pos);
        m_lines.push_back(line);
        advance(ReadRfc4180Record(m_text, pos, sep, nullptr));
    }
}

qsizetype CsvSource::recordLine(qsizetype k) const
{
    return k >= 0 && k < recordCount() ? m_lines[size_t(k)] : 0;
}

QStringList CsvSource::record(qsizetype k) const
{
    if (k < 0 || k >= recordCount())
        return {};
    const qsizetype start = m_starts[size_t(k)];
    if (m_separator == CsvSeparator::Semicolon)
        return SplitSemicolonLine(lineAt(m_text, start));
    QStringList fields;
    ReadRfc4180Record(m_text, start, separatorChar(m_separator), &fields);
    return fields;
}

} // namespace sources
