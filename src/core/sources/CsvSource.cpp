#include "CsvSource.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace sources {

namespace {

constexpr QChar Quote = QLatin1Char('"');

// Windows-1252 from 0x80 to 0x9F; the rest of the code page equals Latin-1. The five unassigned
// bytes map to the C1 controls of the same value.
constexpr char16_t Cp1252High[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

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

qsizetype nextQuote(const QString &line, qsizetype from)
{
    return from < line.size() ? line.indexOf(Quote, from) : -1;
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

// The raw fields of the two semicolon line forms (plain and quoted), escapes unresolved.
QStringList splitQuoted(const QString &line)
{
    QStringList fields;
    qsizetype pos = 0;
    while (true) {
        const qsizetype open = nextQuote(line, pos);
        if (open < 0)
            break;
        const qsizetype close = nextQuote(line, open + 1);
        if (close < 0)
            break;
        pos = close + 1;
        if (close == open + 1 && close + 1 < line.size()) {
            const QChar next = line.at(close + 1);
            if (next != Quote && next != QLatin1Char(',') && next != QLatin1Char(';')) {
                const qsizetype inner = nextQuote(line, close + 1);
                const qsizetype end = inner < 0 ? -1 : nextQuote(line, inner + 1);
                if (end >= 0) {
                    fields.append(line.mid(close, end - close));
                    pos = end + 1;
                    continue;
                }
            }
        }
        fields.append(line.mid(open + 1, close - open - 1));
    }
    if (fields.size() >= 24) {
        QString &f = fields[23];
        if (!f.isEmpty() && f.front() != Quote)
            f = Quote + f + Quote;
    }
    return fields;
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

bool IsWellFormedUtf8(const QByteArray &bytes)
{
    int pending = 0;
    unsigned char lower = 0x80, upper = 0xBF;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (pending > 0) {
            if (b < lower || b > upper)
                return false;
            lower = 0x80;
            upper = 0xBF;
            --pending;
            continue;
        }
        if (b < 0x80)
            continue;
        if (b >= 0xC2 && b <= 0xDF) {
            pending = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            pending = 2;
            if (b == 0xE0)
                lower = 0xA0; // overlong
            else if (b == 0xED)
                upper = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            pending = 3;
            if (b == 0xF0)
                lower = 0x90; // overlong
            else if (b == 0xF4)
                upper = 0x8F; // past U+10FFFF
        } else {
            return false;
        }
    }
    return pending == 0;
}

QString DecodeCp1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(Cp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

TextEncoding DetectTextEncoding(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8WithBom;
    return IsWellFormedUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
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
    QString result;
    result.reserve(text.size() + 1);
    bool pending = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\')) {
            pending = true;
            continue;
        }
        if (pending) {
            pending = false;
            if (c == QLatin1Char('r')) {
                result += QLatin1Char('\r');
            } else if (c == QLatin1Char('n')) {
                result += QLatin1Char('\n');
            } else {
                result += QLatin1Char('\\');
                result += c;
            }
            continue;
        }
        result += c;
    }
    if (pending)
        result += QLatin1Char('\\');
    return result;
}

QStringList SplitSemicolonLine(const QString &line)
{
    if (line.isEmpty())
        return {};
    QStringList fields;
    if (line.front() == Quote) {
        fields = splitQuoted(line);
    } else {
        fields = line.split(QLatin1Char(';'));
        if (line.endsWith(QLatin1Char(';')))
            fields.removeLast();
    }
    for (QString &f : fields)
        f = ResolveCsvEscapes(f);
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
    m_truncated = false;
    const qsizetype n = m_text.size();
    qsizetype pos = 0;
    const QChar sep = separatorChar(m_separator);
    while (pos < n) {
        if (qsizetype(m_starts.size()) >= m_maxRecords) {
            m_truncated = true;
            break;
        }
        const qsizetype end = lineEnd(m_text, pos);
        if (m_separator == CsvSeparator::Semicolon) {
            if (yieldsField(m_text, pos, end))
                m_starts.push_back(pos);
            pos = end + 1;
            continue;
        }
        // An empty line (CRs aside) is no record.
        bool blank = true;
        for (qsizetype i = pos; i < end && blank; ++i)
            blank = m_text.at(i) == QLatin1Char('\r');
        if (blank) {
            pos = end + 1;
            continue;
        }
        m_starts.push_back(pos);
        pos = ReadRfc4180Record(m_text, pos, sep, nullptr);
    }
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
