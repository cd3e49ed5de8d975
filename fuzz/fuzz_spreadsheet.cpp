// libFuzzer entry point for the spreadsheet readers (zip and XML). An input that starts with "PK" is
// read as it is; any other is the XML of a workbook that the target zips first, so mutations reach
// the XML readers: its first byte chooses .ods (odd) or .xlsx (even), the rest is cut at "\n--\n"
// into content.xml (.ods), or the sheet, shared strings, styles and workbook (.xlsx).
#include "RecordSource.h"

#include <QBuffer>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        abort();
}

QByteArray zip(const QList<QPair<QString, QByteArray>> &entries)
{
    QBuffer buffer;
    {
        QuaZip z(&buffer);
        if (!z.open(QuaZip::mdCreate))
            return {};
        for (const auto &[name, bytes] : entries) {
            QuaZipFile f(&z);
            // Stored, not deflated: cheaper per run.
            f.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, 0, 0);
            f.write(bytes);
            f.close();
        }
        z.close();
    }
    return buffer.data();
}

QByteArray workbook(const QByteArray &input)
{
    if (input.isEmpty())
        return {};
    QList<QByteArray> pieces;
    qsizetype from = 1;
    while (true) {
        const qsizetype at = input.indexOf("\n--\n", from);
        pieces.append(input.mid(from, at < 0 ? -1 : at - from));
        if (at < 0)
            break;
        from = at + 4;
    }
    if (input.at(0) & 1)
        return zip({{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
                    {QStringLiteral("content.xml"), pieces.value(0)}});
    const QByteArray rels
            = "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
              "Target=\"worksheets/sheet1.xml\"/>"
              "<Relationship Id=\"rS\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
              "<Relationship Id=\"rT\" Type=\"x/styles\" Target=\"styles.xml\"/></Relationships>";
    const QByteArray book
            = pieces.size() > 3
                      ? pieces.value(3)
                      : QByteArray("<workbook xmlns:r=\"r\"><sheets><sheet name=\"A\" r:id=\"rId1\"/>"
                                   "<sheet name=\"B\" r:id=\"rId1\"/></sheets></workbook>");
    return zip({{QStringLiteral("xl/workbook.xml"), book},
                {QStringLiteral("xl/_rels/workbook.xml.rels"), rels},
                {QStringLiteral("xl/worksheets/sheet1.xml"), pieces.value(0)},
                {QStringLiteral("xl/sharedStrings.xml"), pieces.value(1)},
                {QStringLiteral("xl/styles.xml"), pieces.value(2)}});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray content = input.startsWith("PK") ? input : workbook(input);
    sources::SourceOptions options;
    options.locale = QLocale(QLocale::German, QLocale::Germany);
    options.limits.maxEntryBytes = 4 << 20;
    options.limits.maxTotalBytes = 8 << 20;
    options.limits.maxSharedStrings = 50'000;
    options.limits.maxTextChars = 1 << 20;
    options.limits.maxRecords = 20'000;
    options.limits.maxColumns = 1024;
    sources::SourceOpenResult r = sources::OpenRecordSource(content, options);
    if (r.error) {
        check(!r.source && !sources::SourceErrorText(r.error.kind).isEmpty());
        return 0;
    }
    check(r.source != nullptr);
    sources::RecordSource &s = *r.source;
    for (int sheet = 0; sheet < s.sheetNames().size(); ++sheet) {
        const int before = s.currentSheet();
        if (s.selectSheet(sheet)) {
            check(s.currentSheet() == before);
            continue;
        }
        check(s.currentSheet() == sheet);
        for (qsizetype k = 0; k < s.recordCount(); ++k) {
            const QStringList fields = s.record(k);
            // A record has a field with text, and never more fields than columns.
            check(!fields.isEmpty() && fields.size() <= options.limits.maxColumns);
            bool text = false;
            for (const QString &f : fields)
                text = text || !f.isEmpty();
            check(text || s.format() == sources::SourceFormat::Csv);
        }
    }
    return 0;
}
