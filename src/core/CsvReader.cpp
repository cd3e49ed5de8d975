#include "core/CsvReader.h"

#include "core/Errors.h"

#include <QBuffer>
#include <QIODevice>
#include <QStringDecoder>

namespace {

constexpr QChar Quote = QLatin1Char('"');

// Windows-1252 from 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr char16_t Cp1252High[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Position of the next quotation mark at or after from, or -1.
qsizetype nextQuote(const QString &line, qsizetype from)
{
    return from < line.size() ? line.indexOf(Quote, from) : -1;
}

QString decodeLine(const QByteArray &bytes, CsvEncoding encoding)
{
    if (encoding == CsvEncoding::Windows1252)
        return DecodeWindows1252(bytes);
    // Plain fromUtf8 would swallow a U+FEFF at the start of any line; only the file's own mark goes.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

} // namespace

QStringList SplitCsvLine(const QString &line)
{
    if (line.isEmpty())
        return {};
    if (line.front() == Quote)
        return SplitQuotedCsvLine(line);
    return SplitPlainCsvLine(line);
}

QStringList SplitPlainCsvLine(const QString &line)
{
    if (line.isEmpty())
        return {};
    QStringList fields = line.split(QLatin1Char(';'));
    // A ';' at the very end closes the last field and starts none.
    if (line.endsWith(QLatin1Char(';')))
        fields.removeLast();
    return fields;
}

QStringList SplitQuotedCsvLine(const QString &line)
{
    QStringList fields;
    qsizetype pos = 0;
    while (true) {
        const qsizetype open = nextQuote(line, pos);
        if (open < 0)
            break;
        const qsizetype close = nextQuote(line, open + 1);
        if (close < 0)
            break; // a last mark without a partner goes with the text after it
        pos = close + 1;
        if (close == open + 1 && close + 1 < line.size()) {
            const QChar next = line.at(close + 1);
            if (next != Quote && next != QLatin1Char(',') && next != QLatin1Char(';')) {
                // ""Meier" GmbH": an empty pair directly followed by text opens a field that holds
                // a quoted word; it runs to the second mark after the pair.
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
    // The 24th field of a quoted line keeps (or gets) its marks.
    if (fields.size() >= 24) {
        QString &f = fields[23];
        if (!f.isEmpty() && f.front() != Quote)
            f = Quote + f + Quote;
    }
    return fields;
}

QString UnescapeCsvField(const QString &text)
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

QString CsvRecipientText(const QStringList &fields)
{
    QString text;
    for (const QString &field : fields) {
        text += UnescapeCsvField(field);
        text += QStringLiteral("\r\n");
    }
    return text;
}

void Utf8Validator::feed(const char *data, qint64 size)
{
    for (qint64 i = 0; i < size && m_valid; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (m_pending > 0) {
            if (b < m_lower || b > m_upper) {
                m_valid = false;
                break;
            }
            m_lower = 0x80;
            m_upper = 0xBF;
            --m_pending;
            continue;
        }
        if (b < 0x80)
            continue;
        m_lower = 0x80;
        m_upper = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            m_pending = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            m_pending = 2;
            if (b == 0xE0)
                m_lower = 0xA0; // overlong
            else if (b == 0xED)
                m_upper = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            m_pending = 3;
            if (b == 0xF0)
                m_lower = 0x90; // overlong
            else if (b == 0xF4)
                m_upper = 0x8F; // past U+10FFFF
        } else {
            m_valid = false;
        }
    }
}

bool IsValidUtf8(const QByteArray &bytes)
{
    Utf8Validator v;
    v.feed(bytes.constData(), bytes.size());
    return v.finish();
}

QString DecodeWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(Cp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

CsvEncoding DetectCsvEncoding(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return CsvEncoding::Utf8WithBom;
    return IsValidUtf8(bytes) ? CsvEncoding::Utf8 : CsvEncoding::Windows1252;
}

CsvLineReader::CsvLineReader(QIODevice &device)
    : m_device(&device)
{
    if (device.isSequential()) {
        // No way back to the start: keep the whole input.
        m_copy = std::make_unique<QBuffer>();
        m_copy->setData(device.readAll());
        m_copy->open(QIODevice::ReadOnly);
        m_device = m_copy.get();
    }
    m_start = m_device->pos();
    Utf8Validator validator;
    QByteArray head;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    while (true) {
        const qint64 n = m_device->read(chunk.data(), chunk.size());
        if (n < 0)
            throw EInOutError(m_device->errorString());
        if (n == 0)
            break;
        if (head.size() < 3)
            head += chunk.left(qMin<qint64>(n, 3 - head.size()));
        validator.feed(chunk.constData(), n);
        m_total += n;
    }
    if (!m_device->seek(m_start))
        throw EInOutError(m_device->errorString());
    // The mark speaks for the whole file, even when a stray byte further on is not UTF-8.
    if (head == "\xEF\xBB\xBF")
        m_encoding = CsvEncoding::Utf8WithBom;
    else if (validator.finish())
        m_encoding = CsvEncoding::Utf8;
    else
        m_encoding = CsvEncoding::Windows1252;
}

// Out of line, where QBuffer is complete.
CsvLineReader::~CsvLineReader() = default;

bool CsvLineReader::readLine(QString &line)
{
    if (m_device->atEnd())
        return false;
    QByteArray bytes = m_device->readLine();
    if (bytes.isEmpty()) {
        if (m_device->atEnd())
            return false;
        throw EInOutError(m_device->errorString());
    }
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    // CR before the LF belongs to the line break; any other CR is dropped too.
    bytes.replace('\r', QByteArray());
    if (m_first) {
        m_first = false;
        if (m_encoding == CsvEncoding::Utf8WithBom && bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
    }
    line = decodeLine(bytes, m_encoding);
    return true;
}

bool CsvLineReader::readRecord(int startLine, int &number, QStringList &fields)
{
    QString line;
    while (readLine(line)) {
        if (++m_lineNumber < startLine)
            continue;
        fields = SplitCsvLine(line);
        if (!fields.isEmpty()) {
            number = m_lineNumber;
            return true;
        }
    }
    return false;
}

qint64 CsvLineReader::bytesRead() const
{
    return m_device->pos() - m_start;
}

QStringList ReadCsvLines(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvLineReader reader(buffer);
    QStringList lines;
    QString line;
    while (reader.readLine(line))
        lines.append(line);
    return lines;
}
