// Figures for the address sources: a generated .xlsx of N rows and a .vcf of N contacts (default
// 10,000; the first argument sets N). For each: the time to open the file, count its records and
// read the first (what the run box needs), the time to read every record (what a list run needs),
// the time for a record anywhere (the preview of record k), and the highest memory above the level
// before opening. With --write DIR the two files are written there (sources.xlsx, sources.vcf) instead,
// for runs over them in other programs.
#include "BenchMeasure.h"
#include "RecordSource.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <cstdio>

#include <malloc.h>

using namespace sources;

namespace {

QByteArray zip(const QList<QPair<QString, QByteArray>> &entries)
{
    QBuffer buffer;
    {
        QuaZip z(&buffer);
        z.open(QuaZip::mdCreate);
        for (const auto &[name, bytes] : entries) {
            QuaZipFile f(&z);
            f.open(QIODevice::WriteOnly, QuaZipNewInfo(name));
            f.write(bytes);
            f.close();
        }
        z.close();
    }
    return buffer.data();
}

// Name, company, street, postal code (number formatted 00000), town, a date: as address lists hold.
QByteArray makeXlsx(int rows)
{
    const QByteArray ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    QByteArray shared = "<sst " + ns + ">";
    QByteArray sheet = "<worksheet " + ns + "><sheetData>";
    int strings = 0;
    for (int i = 0; i < rows; ++i) {
        const QByteArray r = QByteArray::number(i + 1);
        shared += "<si><t>Frau Erika Mustermann " + r
                  + "</t></si><si><t>Musterstra\xC3\x9F"
                    "e "
                  + r + "</t></si>";
        sheet += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"s\"><v>" + QByteArray::number(strings)
                 + "</v></c>" + "<c r=\"B" + r + "\" t=\"inlineStr\"><is><t>Firma "
                 + QByteArray::number(i % 97) + "</t></is></c>" + "<c r=\"C" + r + "\" t=\"s\"><v>"
                 + QByteArray::number(strings + 1) + "</v></c>" + "<c r=\"D" + r + "\" s=\"1\"><v>"
                 + QByteArray::number(1067 + i % 90000) + "</v></c>" + "<c r=\"E" + r
                 + "\" t=\"inlineStr\"><is><t>Dresden</t></is></c>" + "<c r=\"F" + r + "\" s=\"2\"><v>"
                 + QByteArray::number(40000 + i % 5000) + "</v></c></row>";
        strings += 2;
    }
    return zip({{QStringLiteral("xl/workbook.xml"),
                 "<workbook " + ns + "><sheets><sheet name=\"Adressen\" r:id=\"rId1\"/></sheets></workbook>"},
                {QStringLiteral("xl/_rels/workbook.xml.rels"),
                 "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
                 "Target=\"worksheets/sheet1.xml\"/>"
                 "<Relationship Id=\"rS\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
                 "<Relationship Id=\"rT\" Type=\"x/styles\" Target=\"styles.xml\"/></Relationships>"},
                {QStringLiteral("xl/styles.xml"),
                 "<styleSheet " + ns
                         + "><numFmts><numFmt numFmtId=\"164\" formatCode=\"00000\"/></numFmts>"
                           "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf "
                           "numFmtId=\"14\"/></cellXfs></styleSheet>"},
                {QStringLiteral("xl/sharedStrings.xml"), shared + "</sst>"},
                {QStringLiteral("xl/worksheets/sheet1.xml"), sheet + "</sheetData></worksheet>"}});
}

// vCard 3.0 contacts with a work and a home address, folded lines; every tenth has no address.
QByteArray makeVcf(int contacts)
{
    QByteArray vcf;
    for (int i = 0; i < contacts; ++i) {
        const QByteArray n = QByteArray::number(i);
        vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mustermann " + n
               + ";Erika;;Frau;\r\nFN:Frau Erika Mustermann " + n + "\r\nORG:Firma " + n
               + "\r\nTEL;TYPE=work:+49 351 12345\r\nEMAIL:erika" + n + "@example.org\r\n";
        if (i % 10 != 9)
            vcf += "ADR;TYPE=work:;;Musterstra\xC3\x9F"
                   "e "
                   + n
                   + ";Dresden;;01067;Deutschland\r\n"
                     "ADR;TYPE=home:;;Heimweg "
                   + n + ";Radebeul;;01445;Deutsch\r\n land\r\n";
        vcf += "END:VCARD\r\n";
    }
    return vcf;
}

// The highest resident size since the last reset, in KiB (Linux).
long peakResidentSinceResetKib()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void measure(const char *label, const QString &path)
{
    SourceOptions options;
    options.locale = QLocale(QLocale::German, QLocale::Germany);
    qsizetype count = 0;
    const double firstMs = MedianMs(
            5,
            [] {},
            [&] {
                SourceOpenResult r = OpenRecordSourceFile(path, options);
                count = r.source ? r.source->recordCount() : -1;
                if (r.source)
                    r.source->record(0);
            });
    const double allMs = MedianMs(
            5,
            [] {},
            [&] {
                SourceOpenResult r = OpenRecordSourceFile(path, options);
                for (qsizetype k = 0; r.source && k < r.source->recordCount(); ++k)
                    r.source->record(k);
            });
    // Memory: the highest resident size while one list run's worth of reading happens.
    // Processor time of one opening with its first record, steadier than the wall clock on a shared machine.
    const double cpuBefore = ProcessorSeconds();
    {
        SourceOpenResult once = OpenRecordSourceFile(path, options);
        if (once.source)
            once.source->record(0);
    }
    const double firstCpuMs = (ProcessorSeconds() - cpuBefore) * 1000.0;
    // Memory freed by the timed runs goes back to the system first, so it does not hide the peak.
    malloc_trim(0);
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    const long before = ResidentKib();
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5");
    reset.close();
    SourceOpenResult r = OpenRecordSourceFile(path, options);
    for (qsizetype k = 0; r.source && k < r.source->recordCount(); ++k)
        r.source->record(k);
    const long peak = peakResidentSinceResetKib() - before;
    // Any record, once open: the preview of record k.
    QRandomGenerator random(42);
    QElapsedTimer t;
    t.start();
    const int probes = 1000;
    for (int i = 0; i < probes && r.source; ++i)
        r.source->record(random.bounded(qint64(r.source->recordCount())));
    const double anyUs = double(t.nsecsElapsed()) / 1e3 / probes;
    std::printf("%-5s %6lld records, file %7lld KiB: open+count+first %8.1f ms (processor %6.1f ms), all "
                "records %8.1f ms, "
                "record k %6.1f us, peak memory above start %7ld KiB\n",
                label,
                static_cast<long long>(count),
                static_cast<long long>(QFileInfo(path).size() / 1024),
                firstMs,
                firstCpuMs,
                allMs,
                anyUs,
                peak);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 && QByteArray(argv[1]) != "--write" ? std::max(1, atoi(argv[1])) : 10000;
    QString writeTo;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--write")
            writeTo = QString::fromLocal8Bit(argv[i + 1]);
    QTemporaryDir temporary;
    const QDir dir(writeTo.isEmpty() ? temporary.path() : writeTo);
    const QString xlsx = dir.filePath(QStringLiteral("sources.xlsx"));
    const QString vcf = dir.filePath(QStringLiteral("sources.vcf"));
    for (const auto &[path, bytes] : {std::pair{xlsx, makeXlsx(n)}, std::pair{vcf, makeVcf(n)}}) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    if (!writeTo.isEmpty())
        return 0;
    measure("xlsx", xlsx);
    measure("vcf", vcf);
    return 0;
}
