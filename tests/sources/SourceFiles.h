#pragma once

// Small workbooks and archives for the source tests, written with QuaZip, and a memory probe.

#include <QBuffer>
#include <QFile>
#include <QList>
#include <QPair>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <functional>

using ZipEntries = QList<QPair<QString, QByteArray>>;

inline QByteArray MakeZip(const ZipEntries &entries)
{
    QBuffer buffer;
    {
        QuaZip zip(&buffer);
        if (!zip.open(QuaZip::mdCreate))
            return {};
        for (const auto &[name, bytes] : entries) {
            QuaZipFile f(&zip);
            f.open(QIODevice::WriteOnly, QuaZipNewInfo(name));
            f.write(bytes);
            f.close();
        }
        zip.close();
    }
    return buffer.data();
}

// Sets the uncompressed size the local and central headers of entry name claim.
inline void PatchClaimedSize(QByteArray &zip, const QByteArray &name, quint32 size)
{
    const auto put = [&zip, size](qsizetype at) {
        for (int i = 0; i < 4; ++i)
            zip[at + i] = char((size >> (8 * i)) & 0xFF);
    };
    for (qsizetype at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4))
        if (zip.mid(at + 30, name.size()) == name)
            put(at + 22);
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4))
        if (zip.mid(at + 46, name.size()) == name)
            put(at + 24);
}

struct XlsxSheet
{
    QString name;
    QByteArray body; // what goes inside <worksheet>: <cols>, <sheetData>
};

// A workbook: its sheets, shared strings (already as <si> elements) and the custom number formats
// (numFmtId 164 on) that cell styles 1, 2... use in order.
inline QByteArray
MakeXlsx(const QList<XlsxSheet> &sheets, const QByteArray &sharedItems = {}, const QStringList &formats = {})
{
    const QByteArray ns
            = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
    ZipEntries e;
    e.append({QStringLiteral("[Content_Types].xml"), "<Types/>"});
    e.append(
            {QStringLiteral("_rels/.rels"),
             R"(<Relationships><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"});
    QByteArray wb = "<workbook" + ns + "><sheets>";
    QByteArray rels
            = R"(<Relationships><Relationship Id="rS" Type="x/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rT" Type="x/styles" Target="/xl/styles.xml"/>)";
    for (int i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        wb += "<sheet name=\"" + sheets[i].name.toUtf8() + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"x/worksheet\" Target=\"worksheets/sheet" + n
                + ".xml\"/>";
        e.append({QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1),
                  "<worksheet" + ns + ">" + sheets[i].body + "</worksheet>"});
    }
    e.append({QStringLiteral("xl/workbook.xml"), wb + "</sheets></workbook>"});
    e.append({QStringLiteral("xl/_rels/workbook.xml.rels"), rels + "</Relationships>"});
    e.append({QStringLiteral("xl/sharedStrings.xml"), "<sst" + ns + ">" + sharedItems + "</sst>"});
    QByteArray styles = "<styleSheet" + ns + "><numFmts>";
    QByteArray xfs = "<cellXfs><xf numFmtId=\"0\"/>";
    for (int i = 0; i < formats.size(); ++i) {
        styles += "<numFmt numFmtId=\"" + QByteArray::number(164 + i) + "\" formatCode=\""
                  + formats[i].toHtmlEscaped().toUtf8() + "\"/>";
        xfs += "<xf numFmtId=\"" + QByteArray::number(164 + i) + "\"/>";
    }
    e.append({QStringLiteral("xl/styles.xml"), styles + "</numFmts>" + xfs + "</cellXfs></styleSheet>"});
    return MakeZip(e);
}

// An OpenDocument spreadsheet whose office:spreadsheet holds tables.
inline QByteArray MakeOds(const QByteArray &tables,
                          const QByteArray &mimetype = "application/vnd.oasis.opendocument.spreadsheet")
{
    const QByteArray content
            = R"(<?xml version="1.0" encoding="UTF-8"?><office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet>)"
              + tables + "</office:spreadsheet></office:body></office:document-content>";
    return MakeZip({{QStringLiteral("mimetype"), mimetype}, {QStringLiteral("content.xml"), content}});
}

inline long StatusKib(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLong();
    return -1;
}

// The sanitizers keep freed memory in quarantine and slow every access: the same bounds, widened by
// these factors in such a build, still tell a bounded reader from one that reads whatever it is told.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int BoundMemoryFactor = 4;
inline constexpr int BoundTimeFactor = 10;
#else
inline constexpr int BoundMemoryFactor = 1;
inline constexpr int BoundTimeFactor = 1;
#endif

// How far resident memory rose above its level before work, at its highest during work, in KiB.
inline long PeakGrowthKib(const std::function<void()> &work)
{
    const long before = StatusKib("VmRSS:");
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5"); // resets VmHWM to the present size
    reset.close();
    work();
    return StatusKib("VmHWM:") - before;
}
