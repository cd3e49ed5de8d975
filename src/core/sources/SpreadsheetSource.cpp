#include "SpreadsheetSource.h"

#include "NumberFormat.h"
#include "ZipArchive.h"

#include <QDateTime>
#include <QXmlStreamReader>

#include <map>

namespace sources {

namespace {

constexpr QChar FieldEnd(0xFFFF);

const QString NsTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString NsText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString NsOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");

// Small parts (relationships, workbook, styles) are read whole, within this bound.
constexpr qint64 SmallPartBytes = qint64(32) << 20;

// A pull reader that refuses a DTD and names its errors.
class Xml
{
public:
    Xml(QIODevice *device, const QString &entry, ZipEntryDevice *stream = nullptr)
        : m_reader(device)
        , m_entry(entry)
        , m_stream(stream)
    {}
    Xml(const QByteArray &bytes, const QString &entry)
        : m_reader(bytes)
        , m_entry(entry)
    {}

    // The next token; false at the end of the document or on an error (see error()).
    bool next()
    {
        if (m_error)
            return false;
        const auto t = m_reader.readNext();
        if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference) {
            m_error = {SourceErrorKind::ForbiddenXml, m_entry};
            return false;
        }
        if (m_reader.hasError()) {
            if (m_stream && m_stream->streamError(m_entry))
                m_error = m_stream->streamError(m_entry);
            else
                m_error = {SourceErrorKind::MalformedXml,
                           QStringLiteral("%1:%2").arg(m_entry).arg(m_reader.lineNumber())};
            return false;
        }
        return t != QXmlStreamReader::EndDocument;
    }
    bool isStart() const { return m_reader.isStartElement(); }
    bool isEnd() const { return m_reader.isEndElement(); }
    bool isText() const { return m_reader.isCharacters(); }
    bool is(const QString &ns, QLatin1StringView name) const
    {
        return m_reader.name() == name && m_reader.namespaceUri() == ns;
    }
    bool isLocal(QLatin1StringView name) const { return m_reader.name() == name; }
    QStringView text() const { return m_reader.text(); }
    QStringView attr(const QString &ns, QLatin1StringView name) const
    {
        return m_reader.attributes().value(ns, name);
    }
    // An attribute by its local name, whatever its namespace.
    QStringView attrLocal(QLatin1StringView name) const
    {
        for (const QXmlStreamAttribute &a : m_reader.attributes())
            if (a.name() == name)
                return a.value();
        return {};
    }
    // An attribute without namespace.
    QStringView plainAttr(QLatin1StringView name) const { return m_reader.attributes().value(name); }
    // Passes over the element just started, with all it holds.
    bool skip()
    {
        int depth = 1;
        while (depth > 0 && next()) {
            if (isStart())
                ++depth;
            else if (isEnd())
                --depth;
        }
        return !m_error;
    }
    // The end of the document was reached without error.
    SourceError finish()
    {
        if (!m_error && m_stream && m_stream->streamError(m_entry))
            m_error = m_stream->streamError(m_entry);
        return m_error;
    }
    SourceError error() const { return m_error; }
    void fail(SourceError e)
    {
        if (!m_error)
            m_error = std::move(e);
    }

private:
    QXmlStreamReader m_reader;
    QString m_entry;
    ZipEntryDevice *m_stream = nullptr;
    SourceError m_error;
};

// Builds the records of one sheet within the bounds.
class SheetBuilder
{
public:
    SheetBuilder(SheetRecords &sheet, const SourceLimits &limits)
        : m_sheet(sheet)
        , m_limits(limits)
    {}

    void setColumnHidden(qint64 from, qint64 count, bool hidden)
    {
        if (!hidden || from >= m_limits.maxColumns)
            return;
        const qint64 end = std::min<qint64>(from + count, m_limits.maxColumns);
        if (qint64(m_hiddenColumns.size()) < end)
            m_hiddenColumns.resize(size_t(end), false);
        for (qint64 c = from; c < end; ++c)
            m_hiddenColumns[size_t(c)] = true;
    }

    // Text for column col (0-based) of the current row, repeated; empty texts only advance.
    SourceError put(qint64 col, const QString &text, qint64 repeat, qint64 rowNumber)
    {
        if (text.isEmpty())
            return {};
        if (col + repeat > m_limits.maxColumns)
            return {SourceErrorKind::TooManyColumns, QString::number(rowNumber)};
        if (qint64(m_cells.size()) < col + repeat)
            m_cells.resize(size_t(col + repeat));
        for (qint64 i = 0; i < repeat; ++i)
            m_cells[size_t(col + i)] = text;
        m_chars += text.size() * repeat;
        if (m_chars > m_limits.maxTextChars)
            return {SourceErrorKind::TooLarge, QString()};
        return {};
    }

    // Ends the current row, repeated; a row with text becomes records (or hidden rows).
    SourceError endRow(qint64 repeat, bool hidden)
    {
        QString fields;
        qsizetype count = 0;
        qsizetype lastText = -1;
        for (size_t c = 0; c < m_cells.size(); ++c) {
            if (c < m_hiddenColumns.size() && m_hiddenColumns[c])
                continue;
            if (!m_cells[c].isEmpty())
                lastText = count;
            ++count;
        }
        if (lastText >= 0) {
            qsizetype index = 0;
            for (size_t c = 0; c < m_cells.size() && index <= lastText; ++c) {
                if (c < m_hiddenColumns.size() && m_hiddenColumns[c])
                    continue;
                fields += m_cells[c];
                fields += FieldEnd;
                ++index;
            }
        }
        m_cells.clear();
        if (fields.isEmpty())
            return {};
        if (hidden) {
            m_sheet.hiddenRows += qsizetype(std::min<qint64>(repeat, m_limits.maxRecords));
            return {};
        }
        if (qint64(m_sheet.records.size()) + repeat > m_limits.maxRecords)
            return {SourceErrorKind::TooManyRows, QString()};
        if (m_sheet.pool.size() + fields.size() > m_limits.maxTextChars
            || m_sheet.pool.size() + fields.size() > 0x7FFFFFFF)
            return {SourceErrorKind::TooLarge, QString()};
        const SheetRecords::Span span{quint32(m_sheet.pool.size()), quint32(fields.size() - 1)};
        m_sheet.pool += fields;
        for (qint64 i = 0; i < repeat; ++i)
            m_sheet.records.push_back(span);
        return {};
    }

private:
    SheetRecords &m_sheet;
    const SourceLimits &m_limits;
    std::vector<QString> m_cells;
    std::vector<bool> m_hiddenColumns;
    qint64 m_chars = 0;
};

qint64 repeatAttr(QStringView v)
{
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    return ok && n > 0 ? std::min<qint64>(n, qint64(1) << 40) : 1;
}

// CR LF and lone CR become LF; the _xHHHH_ escapes of Office Open XML become their character.
QString normaliseXlsxText(QString s)
{
    if (s.contains(QLatin1Char('_')) && s.contains(QLatin1String("_x"))) {
        QString out;
        out.reserve(s.size());
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (s.at(i) == QLatin1Char('_') && i + 6 < s.size() && s.at(i + 1) == QLatin1Char('x')
                && s.at(i + 6) == QLatin1Char('_')) {
                bool ok = false;
                const uint code = QStringView(s).mid(i + 2, 4).toUInt(&ok, 16);
                if (ok) {
                    out += QChar(char16_t(code));
                    i += 6;
                    continue;
                }
            }
            out += s.at(i);
        }
        s = out;
    }
    if (s.contains(QLatin1Char('\r'))) {
        s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return s;
}

// A zip path relative to base folder ("xl/"), or absolute ("/xl/...").
QString resolvePart(const QString &base, const QString &target)
{
    QString path = target.startsWith(QLatin1Char('/')) ? target.mid(1) : base + target;
    QStringList out;
    for (const QString &part : path.split(QLatin1Char('/'))) {
        if (part == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
        } else if (part != QLatin1String(".") && !part.isEmpty()) {
            out.append(part);
        }
    }
    return out.join(QLatin1Char('/'));
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

struct Relationship
{
    QString id, type, target;
};

SourceError readRelationships(ZipArchive &zip, const QString &part, std::vector<Relationship> &rels)
{
    QByteArray bytes;
    if (SourceError e = zip.readEntry(part, bytes, SmallPartBytes))
        return e;
    Xml x(bytes, part);
    while (x.next()) {
        if (x.isStart() && x.isLocal(QLatin1StringView("Relationship")))
            rels.push_back({x.plainAttr(QLatin1StringView("Id")).toString(),
                            x.plainAttr(QLatin1StringView("Type")).toString(),
                            x.plainAttr(QLatin1StringView("Target")).toString()});
    }
    return x.finish();
}

// Column number (0-based) of a cell reference such as "AB12"; -1 without letters; large for
// anything past three letters.
qint64 columnOf(QStringView ref)
{
    qint64 col = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref.at(i).isLetter(); ++i) {
        const char16_t c = ref.at(i).toUpper().unicode();
        if (c < u'A' || c > u'Z')
            return -1;
        col = col * 26 + (c - u'A' + 1);
        if (col > (qint64(1) << 40))
            return qint64(1) << 40;
    }
    return i == 0 ? -1 : col - 1;
}

QString booleanText(bool value, const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::German:
        return value ? QStringLiteral("WAHR") : QStringLiteral("FALSCH");
    case QLocale::French:
        return value ? QStringLiteral("VRAI") : QStringLiteral("FAUX");
    case QLocale::Dutch:
        return value ? QStringLiteral("WAAR") : QStringLiteral("ONWAAR");
    default:
        return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    }
}

// The text of an .ods cell: its paragraphs as lines; the cell element has just started.
QString readOdsCell(Xml &x, const QString &fallback, qint64 maxChars)
{
    QStringList paras;
    QString cur;
    int depth = 1;
    int paraDepth = 0; // depth of the open paragraph, 0 for none
    while (depth > 0 && x.next()) {
        if (x.isStart()) {
            if (x.is(NsOffice, QLatin1StringView("annotation")) || x.isLocal(QLatin1StringView("frame"))
                || x.is(NsText, QLatin1StringView("note"))) {
                x.skip();
                continue;
            }
            ++depth;
            if (paraDepth == 0
                && (x.is(NsText, QLatin1StringView("p")) || x.is(NsText, QLatin1StringView("h")))) {
                paraDepth = depth;
                cur.clear();
            } else if (paraDepth > 0 && x.is(NsText, QLatin1StringView("s"))) {
                const qint64 c = repeatAttr(x.attr(NsText, QLatin1StringView("c")));
                cur += QString(qsizetype(std::min<qint64>(c, 1024)), QLatin1Char(' '));
            } else if (paraDepth > 0 && x.is(NsText, QLatin1StringView("tab"))) {
                cur += QLatin1Char('\t');
            } else if (paraDepth > 0 && x.is(NsText, QLatin1StringView("line-break"))) {
                cur += QLatin1Char('\n');
            }
        } else if (x.isEnd()) {
            if (paraDepth > 0 && depth == paraDepth) {
                paras.append(cur);
                paraDepth = 0;
            }
            --depth;
        } else if (x.isText() && paraDepth > 0) {
            cur += x.text();
        }
        // Spaces written as counts (text:s) cost little in the file: bound what they become.
        if (cur.size() > maxChars) {
            x.fail({SourceErrorKind::TooLarge, QStringLiteral("content.xml")});
            return QString();
        }
    }
    if (paras.isEmpty())
        return fallback;
    return paras.join(QLatin1Char('\n'));
}

// The value an .ods cell holds without any paragraph (files written by programs, not by hand).
QString odsFallback(const Xml &x)
{
    const QStringView type = x.attr(NsOffice, QLatin1StringView("value-type"));
    if (type == QLatin1String("string"))
        return x.attr(NsOffice, QLatin1StringView("string-value")).toString();
    if (type == QLatin1String("date"))
        return x.attr(NsOffice, QLatin1StringView("date-value")).toString();
    if (type == QLatin1String("time"))
        return x.attr(NsOffice, QLatin1StringView("time-value")).toString();
    if (type == QLatin1String("boolean"))
        return x.attr(NsOffice, QLatin1StringView("boolean-value")).toString();
    if (!type.isEmpty())
        return x.attr(NsOffice, QLatin1StringView("value")).toString();
    return QString();
}

bool hiddenVisibility(QStringView v)
{
    return v == QLatin1String("collapse") || v == QLatin1String("filter");
}

} // namespace

SpreadsheetSource::SpreadsheetSource(SourceFormat format,
                                     const QByteArray &content,
                                     const SourceOptions &options)
    : m_format(format)
    , m_options(options)
    , m_zip(std::make_unique<ZipArchive>(content, options.limits))
{
    m_error = m_zip->open();
    if (!m_error)
        m_error = format == SourceFormat::Ods ? openOds() : openXlsx();
    if (!m_error && m_sheetNames.isEmpty())
        m_error = {SourceErrorKind::NoSheets, QString()};
}

SpreadsheetSource::~SpreadsheetSource() = default;

qsizetype SpreadsheetSource::recordCount() const
{
    const SheetRecords *s = m_current < int(m_sheets.size()) ? m_sheets[size_t(m_current)].get() : nullptr;
    return s ? qsizetype(s->records.size()) : 0;
}

qsizetype SpreadsheetSource::hiddenRowsSkipped() const
{
    const SheetRecords *s = m_current < int(m_sheets.size()) ? m_sheets[size_t(m_current)].get() : nullptr;
    return s ? s->hiddenRows : 0;
}

QStringList SpreadsheetSource::record(qsizetype k) const
{
    if (k < 0 || k >= recordCount())
        return {};
    const SheetRecords &s = *m_sheets[size_t(m_current)];
    const SheetRecords::Span span = s.records[size_t(k)];
    return s.pool.mid(span.start, span.length).split(FieldEnd);
}

SourceError SpreadsheetSource::selectSheet(int index)
{
    if (index < 0 || index >= m_sheetNames.size())
        return {SourceErrorKind::MissingPart, QString::number(index)};
    if (!m_sheets[size_t(index)]) {
        if (m_format == SourceFormat::Ods)
            return {SourceErrorKind::MissingPart, m_sheetNames.at(index)};
        if (SourceError e = readXlsxSheet(index)) {
            m_sheets[size_t(index)].reset();
            return e;
        }
    }
    m_current = index;
    return {};
}

SourceError SpreadsheetSource::openOds()
{
    const QString entry = QStringLiteral("content.xml");
    std::unique_ptr<ZipEntryDevice> device;
    if (SourceError e = m_zip->openEntry(entry, device))
        return e;
    Xml x(device.get(), entry, device.get());
    const SourceLimits &limits = m_options.limits;
    std::unique_ptr<SheetRecords> sheet;
    std::unique_ptr<SheetBuilder> builder;
    qint64 columnsDefined = 0;
    qint64 rowNumber = 0;
    while (x.next()) {
        if (x.isStart()) {
            if (x.is(NsTable, QLatin1StringView("table")) && !sheet) {
                m_sheetNames.append(x.attr(NsTable, QLatin1StringView("name")).toString());
                sheet = std::make_unique<SheetRecords>();
                builder = std::make_unique<SheetBuilder>(*sheet, limits);
                columnsDefined = 0;
                rowNumber = 0;
            } else if (sheet && x.is(NsTable, QLatin1StringView("table-column"))) {
                const qint64 rep = repeatAttr(x.attr(NsTable, QLatin1StringView("number-columns-repeated")));
                builder->setColumnHidden(columnsDefined,
                                         rep,
                                         hiddenVisibility(x.attr(NsTable, QLatin1StringView("visibility"))));
                columnsDefined = std::min<qint64>(columnsDefined + rep, qint64(1) << 40);
            } else if (sheet && x.is(NsTable, QLatin1StringView("table-row"))) {
                const qint64 rowRep = repeatAttr(x.attr(NsTable, QLatin1StringView("number-rows-repeated")));
                const bool hidden = hiddenVisibility(x.attr(NsTable, QLatin1StringView("visibility")));
                ++rowNumber;
                qint64 col = 0;
                int depth = 1;
                while (depth > 0 && x.next()) {
                    if (x.isStart()) {
                        if (x.is(NsTable, QLatin1StringView("table-cell"))
                            || x.is(NsTable, QLatin1StringView("covered-table-cell"))) {
                            const qint64 rep = repeatAttr(
                                    x.attr(NsTable, QLatin1StringView("number-columns-repeated")));
                            const QString text = readOdsCell(x, odsFallback(x), limits.maxTextChars);
                            if (SourceError e = builder->put(col, text, rep, rowNumber))
                                x.fail(e);
                            col = std::min<qint64>(col + rep, qint64(1) << 40);
                        } else {
                            x.skip();
                        }
                    } else if (x.isEnd()) {
                        --depth;
                    }
                }
                // After an error the row is incomplete, and may be what the bounds refused.
                if (x.error())
                    break;
                if (SourceError e = builder->endRow(rowRep, hidden))
                    x.fail(e);
                rowNumber = std::min<qint64>(rowNumber + rowRep - 1, qint64(1) << 40);
            }
        } else if (x.isEnd() && sheet && x.is(NsTable, QLatin1StringView("table"))) {
            builder.reset();
            m_sheets.push_back(std::move(sheet));
        }
    }
    if (SourceError e = x.finish())
        return e;
    return {};
}

SourceError SpreadsheetSource::openXlsx()
{
    // The workbook part: from the package relationships, else where Excel puts it.
    QString workbook = QStringLiteral("xl/workbook.xml");
    std::vector<Relationship> rels;
    if (m_zip->contains(QStringLiteral("_rels/.rels"))) {
        if (SourceError e = readRelationships(*m_zip, QStringLiteral("_rels/.rels"), rels))
            return e;
        for (const Relationship &r : rels)
            if (r.type.endsWith(QLatin1String("/officeDocument")))
                workbook = resolvePart(QString(), r.target);
    }
    const QString base = folderOf(workbook);
    m_general = std::make_shared<const NumberFormatter>(QStringLiteral("General"), m_options.locale);
    QByteArray bytes;
    if (SourceError e = m_zip->readEntry(workbook, bytes, SmallPartBytes))
        return e;
    QStringList sheetIds;
    {
        Xml x(bytes, workbook);
        while (x.next()) {
            if (!x.isStart())
                continue;
            if (x.isLocal(QLatin1StringView("workbookPr"))) {
                const QStringView d = x.plainAttr(QLatin1StringView("date1904"));
                m_date1904 = d == QLatin1String("1") || d == QLatin1String("true");
            } else if (x.isLocal(QLatin1StringView("sheet"))) {
                m_sheetNames.append(x.plainAttr(QLatin1StringView("name")).toString());
                sheetIds.append(x.attrLocal(QLatin1StringView("id")).toString());
            }
        }
        if (SourceError e = x.finish())
            return e;
    }
    // The workbook's relationships: sheets, shared strings, styles.
    rels.clear();
    const QString relsPart
            = base + QStringLiteral("_rels/") + workbook.mid(base.size()) + QStringLiteral(".rels");
    if (SourceError e = readRelationships(*m_zip, relsPart, rels))
        return e;
    QString sharedPart, stylesPart;
    for (const Relationship &r : rels) {
        if (r.type.endsWith(QLatin1String("/sharedStrings")))
            sharedPart = resolvePart(base, r.target);
        else if (r.type.endsWith(QLatin1String("/styles")))
            stylesPart = resolvePart(base, r.target);
    }
    for (const QString &id : sheetIds) {
        QString part;
        for (const Relationship &r : rels)
            if (r.id == id)
                part = resolvePart(base, r.target);
        m_sheetParts.append(part);
    }
    // Styles: the number format of each cell style.
    if (!stylesPart.isEmpty() && m_zip->contains(stylesPart)) {
        if (SourceError e = m_zip->readEntry(stylesPart, bytes, SmallPartBytes))
            return e;
        std::map<int, QString> custom;
        Xml x(bytes, stylesPart);
        bool inCellXfs = false;
        std::vector<int> ids;
        while (x.next()) {
            if (x.isStart() && x.isLocal(QLatin1StringView("numFmt"))) {
                custom[x.plainAttr(QLatin1StringView("numFmtId")).toInt()]
                        = x.plainAttr(QLatin1StringView("formatCode")).toString();
            } else if (x.isStart() && x.isLocal(QLatin1StringView("cellXfs"))) {
                inCellXfs = true;
            } else if (x.isEnd() && x.isLocal(QLatin1StringView("cellXfs"))) {
                inCellXfs = false;
            } else if (x.isStart() && inCellXfs && x.isLocal(QLatin1StringView("xf"))) {
                if (ids.size() >= size_t(1) << 20)
                    x.fail({SourceErrorKind::TooLarge, stylesPart});
                ids.push_back(x.plainAttr(QLatin1StringView("numFmtId")).toInt());
            }
        }
        if (SourceError e = x.finish())
            return e;
        std::map<int, std::shared_ptr<const NumberFormatter>> resolved;
        for (int id : ids) {
            auto it = resolved.find(id);
            if (it == resolved.end()) {
                const auto c = custom.find(id);
                const QString code
                        = c != custom.end() ? c->second : BuiltinNumberFormat(id, m_options.locale);
                it = resolved.emplace(id,
                                      std::make_shared<const NumberFormatter>(
                                              code, m_options.locale, m_date1904))
                             .first;
            }
            m_styleFormats.push_back(it->second);
        }
    }
    // Shared strings, streamed, within their bounds.
    if (!sharedPart.isEmpty() && m_zip->contains(sharedPart)) {
        std::unique_ptr<ZipEntryDevice> device;
        if (SourceError e = m_zip->openEntry(sharedPart, device))
            return e;
        Xml x(device.get(), sharedPart, device.get());
        QString cur;
        int phonetic = 0;
        bool inT = false;
        while (x.next()) {
            if (x.isStart()) {
                if (x.isLocal(QLatin1StringView("si"))) {
                    cur.clear();
                } else if (x.isLocal(QLatin1StringView("rPh"))) {
                    ++phonetic;
                } else if (x.isLocal(QLatin1StringView("t"))) {
                    inT = true;
                }
            } else if (x.isEnd()) {
                if (x.isLocal(QLatin1StringView("si"))) {
                    if (qint64(m_sharedStarts.size()) >= m_options.limits.maxSharedStrings) {
                        x.fail({SourceErrorKind::TooManyStrings, sharedPart});
                        break;
                    }
                    if (m_sharedPool.size() + cur.size()
                        >= std::min<qint64>(m_options.limits.maxTextChars, 0x7FFFFFFF)) {
                        x.fail({SourceErrorKind::TooLarge, sharedPart});
                        break;
                    }
                    m_sharedStarts.push_back(quint32(m_sharedPool.size()));
                    m_sharedPool += normaliseXlsxText(cur);
                    m_sharedPool += FieldEnd;
                } else if (x.isLocal(QLatin1StringView("rPh"))) {
                    --phonetic;
                } else if (x.isLocal(QLatin1StringView("t"))) {
                    inT = false;
                }
            } else if (x.isText() && inT && phonetic == 0) {
                cur += x.text();
                if (cur.size() > m_options.limits.maxTextChars) {
                    x.fail({SourceErrorKind::TooLarge, sharedPart});
                    break;
                }
            }
        }
        if (SourceError e = x.finish())
            return e;
    }
    m_sheets.resize(size_t(m_sheetNames.size()));
    if (m_sheetNames.isEmpty())
        return {};
    return readXlsxSheet(0);
}

SourceError SpreadsheetSource::readXlsxSheet(int index)
{
    const QString part = m_sheetParts.value(index);
    if (part.isEmpty() || !m_zip->contains(part))
        return {SourceErrorKind::MissingPart, part.isEmpty() ? m_sheetNames.value(index) : part};
    std::unique_ptr<ZipEntryDevice> device;
    if (SourceError e = m_zip->openEntry(part, device))
        return e;
    auto sheet = std::make_unique<SheetRecords>();
    SheetBuilder builder(*sheet, m_options.limits);
    const QLocale &locale = m_options.locale;
    Xml x(device.get(), part, device.get());
    qint64 rowNumber = 0;
    while (x.next()) {
        if (!x.isStart())
            continue;
        if (x.isLocal(QLatin1StringView("col"))) {
            const qint64 min = x.plainAttr(QLatin1StringView("min")).toLongLong();
            const qint64 max = x.plainAttr(QLatin1StringView("max")).toLongLong();
            const QStringView h = x.plainAttr(QLatin1StringView("hidden"));
            if (min >= 1 && max >= min)
                builder.setColumnHidden(
                        min - 1, max - min + 1, h == QLatin1String("1") || h == QLatin1String("true"));
        } else if (x.isLocal(QLatin1StringView("row"))) {
            const QStringView h = x.plainAttr(QLatin1StringView("hidden"));
            const bool hidden = h == QLatin1String("1") || h == QLatin1String("true");
            bool ok = false;
            const qint64 r = x.plainAttr(QLatin1StringView("r")).toLongLong(&ok);
            rowNumber = ok ? r : rowNumber + 1;
            qint64 col = 0;
            int depth = 1;
            while (depth > 0 && x.next()) {
                if (x.isEnd()) {
                    --depth;
                    continue;
                }
                if (!x.isStart())
                    continue;
                if (!x.isLocal(QLatin1StringView("c"))) {
                    x.skip();
                    continue;
                }
                const qint64 refCol = columnOf(x.plainAttr(QLatin1StringView("r")));
                if (refCol >= 0)
                    col = refCol;
                const QString type = x.plainAttr(QLatin1StringView("t")).toString();
                const qsizetype style = x.plainAttr(QLatin1StringView("s")).toLongLong();
                QString value, inlineText;
                int cdepth = 1;
                int phonetic = 0;
                enum { None, V, T } in = None;
                while (cdepth > 0 && x.next()) {
                    if (x.isStart()) {
                        ++cdepth;
                        if (x.isLocal(QLatin1StringView("v")))
                            in = V;
                        else if (x.isLocal(QLatin1StringView("t")) && phonetic == 0)
                            in = T;
                        else if (x.isLocal(QLatin1StringView("rPh")))
                            ++phonetic;
                    } else if (x.isEnd()) {
                        --cdepth;
                        if (x.isLocal(QLatin1StringView("rPh")))
                            --phonetic;
                        in = None;
                    } else if (x.isText()) {
                        if (in == V)
                            value += x.text();
                        else if (in == T)
                            inlineText += x.text();
                        if (value.size() + inlineText.size() > m_options.limits.maxTextChars)
                            x.fail({SourceErrorKind::TooLarge, part});
                    }
                }
                QString text;
                if (type == QLatin1String("s")) {
                    bool okIndex = false;
                    const qint64 i = value.trimmed().toLongLong(&okIndex);
                    if (okIndex && i >= 0 && i < qint64(m_sharedStarts.size())) {
                        const quint32 start = m_sharedStarts[size_t(i)];
                        const qsizetype end = m_sharedPool.indexOf(FieldEnd, start);
                        text = m_sharedPool.mid(start, end - start);
                    }
                } else if (type == QLatin1String("inlineStr")) {
                    text = normaliseXlsxText(inlineText);
                } else if (type == QLatin1String("str") || type == QLatin1String("e")) {
                    text = normaliseXlsxText(value);
                } else if (type == QLatin1String("b")) {
                    text = value.isEmpty() ? QString()
                                           : booleanText(value.trimmed() == QLatin1String("1"), locale);
                } else if (!value.isEmpty()) {
                    const NumberFormatter &format = style >= 0 && style < qsizetype(m_styleFormats.size())
                                                            ? *m_styleFormats[size_t(style)]
                                                            : *m_general;
                    double number = 0;
                    bool okNumber = false;
                    if (type == QLatin1String("d")) {
                        const QDateTime dt = QDateTime::fromString(value.trimmed(), Qt::ISODate);
                        okNumber = dt.isValid();
                        if (okNumber) {
                            const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), dt.timeSpec());
                            number = double(epoch.msecsTo(dt)) / 86400000.0;
                        }
                    } else {
                        number = value.trimmed().toDouble(&okNumber);
                    }
                    text = okNumber ? format.format(number) : value;
                }
                if (SourceError e = builder.put(col, text, 1, rowNumber))
                    x.fail(e);
                ++col;
            }
            if (x.error())
                break;
            if (SourceError e = builder.endRow(1, hidden))
                x.fail(e);
        }
    }
    if (SourceError e = x.finish())
        return e;
    m_sheets[size_t(index)] = std::move(sheet);
    return {};
}

} // namespace sources
