#include "NumberFormat.h"
#include "RecordSource.h"
#include "SourceFiles.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace sources;

Q_DECLARE_METATYPE(sources::SourceErrorKind)
Q_DECLARE_METATYPE(sources::SourceFormat)

namespace {

SourceOptions german()
{
    SourceOptions o;
    o.locale = QLocale(QLocale::German, QLocale::Germany);
    return o;
}

QString allRecords(const RecordSource &s)
{
    QStringList out;
    for (qsizetype k = 0; k < s.recordCount(); ++k)
        out.append(s.record(k).join(QLatin1Char('|')));
    return out.join(QLatin1Char('#'));
}

QByteArray odsTable(const QByteArray &name, const QByteArray &inner)
{
    return "<table:table table:name=\"" + name + "\">" + inner + "</table:table>";
}

QByteArray sharedStrings(int count)
{
    QByteArray items;
    items.reserve(count * 16);
    for (int i = 0; i < count; ++i)
        items += "<si><t>x</t></si>";
    return items;
}

} // namespace

class TestSpreadsheetSource : public QObject
{
    Q_OBJECT
private slots:
    void numberFormat_data();
    void numberFormat();
    void xlsxCells();
    void xlsxSheets();
    void ods_data();
    void ods();
    void detect_data();
    void detect();
    void hostile_data();
    void hostile();
};

void TestSpreadsheetSource::numberFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("shown");
    QTest::newRow("postal code") << 1067.0 << "00000"
                                 << "01067";
    QTest::newRow("thousands, decimals") << 1234567.891 << "#,##0.00"
                                         << "1.234.567,89";
    QTest::newRow("percent") << 0.256 << "0.0%"
                             << "25,6%";
    QTest::newRow("date") << 45658.0 << "dd.mm.yyyy"
                          << "01.01.2025";
    QTest::newRow("date and time") << 45658.5 << "dd.mm.yyyy hh:mm"
                                   << "01.01.2025 12:00";
    QTest::newRow("month name") << 45658.0 << "d. mmmm yyyy"
                                << "1. Januar 2025";
    QTest::newRow("12-hour") << 0.75 << "h:mm AM/PM"
                             << "6:00 PM";
    QTest::newRow("elapsed hours") << 1.5 << "[h]:mm"
                                   << "36:00";
    QTest::newRow("before the leap quirk") << 59.0 << "dd.mm.yyyy"
                                           << "28.02.1900";
    QTest::newRow("after the leap quirk") << 61.0 << "dd.mm.yyyy"
                                          << "01.03.1900";
    QTest::newRow("general decimal") << 3.5 << "General"
                                     << "3,5";
    QTest::newRow("general long integer") << 12345678901.0 << "General"
                                          << "12345678901";
    QTest::newRow("general huge") << 123456789012.0 << "General"
                                  << "1,23457E+11";
    QTest::newRow("general tiny noise") << 0.30000000000000004 << "General"
                                        << "0,3";
    QTest::newRow("negative section") << -5.0 << "0;(0)"
                                      << "(5)";
    QTest::newRow("negative, one section") << -5.25 << "0.0"
                                           << "-5,3";
    QTest::newRow("zero section") << 0.0 << "0;-0;\"-\""
                                  << "-";
    QTest::newRow("literal between digits") << 5551234.0 << "000-0000"
                                            << "555-1234";
    QTest::newRow("currency") << 1234.5 << "#,##0.00 [$€-407]"
                              << "1.234,50 €";
    QTest::newRow("scaled millions") << 1500000.0 << "#,##0,,"
                                     << "2";
    QTest::newRow("scientific") << 12345.0 << "0.00E+00"
                                << "1,23E+04";
    QTest::newRow("optional digits") << 0.5 << "#.##"
                                     << ",5";
    QTest::newRow("text section literal") << 7.0 << "\"Nr. \"0"
                                          << "Nr. 7";
    QTest::newRow("colour ignored, padding") << 42.0 << "[Red]0_)"
                                             << "42 ";
}

void TestSpreadsheetSource::numberFormat()
{
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QString, shown);
    QCOMPARE(FormatNumber(value, format, QLocale(QLocale::German, QLocale::Germany)), shown);
}

void TestSpreadsheetSource::xlsxCells()
{
    // Styles 1 to 4 use the custom formats in order; a hidden column D and a hidden row 3.
    const QByteArray shared
            = "<si><t>Meier</t></si><si><r><t>Haupt</t></r><r><t>str. 5</t></r><rPh><t>ignored</t></rPh></si>"
              "<si><t>Zeile 1_x000D_\nZeile 2</t></si>";
    const QByteArray body
            = "<cols><col min=\"4\" max=\"4\" hidden=\"1\"/></cols><sheetData>"
              "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" "
              "s=\"1\"><v>1067</v></c>"
              "<c r=\"D1\" t=\"inlineStr\"><is><t>versteckt</t></is></c><c r=\"E1\" "
              "s=\"2\"><v>45658</v></c></row>"
              "<row r=\"2\"/>"
              "<row r=\"3\" hidden=\"1\"><c r=\"A3\" t=\"inlineStr\"><is><t>gefiltert</t></is></c></row>"
              "<row r=\"4\"><c r=\"B4\" t=\"s\"><v>2</v></c><c r=\"C4\" t=\"b\"><v>1</v></c><c r=\"E4\" "
              "t=\"str\"><f>A1</f><v>Formel</v></c>"
              "<c r=\"F4\" s=\"3\"><v>0.256</v></c><c r=\"G4\"><v>3.5</v></c><c r=\"H4\" s=\"1\"/></row>"
              "<row r=\"5\"><c r=\"A5\" s=\"4\"><v>45658</v></c><c r=\"B5\" t=\"e\"><v>#NV</v></c></row>"
              "</sheetData>";
    const QByteArray xlsx = MakeXlsx({{QStringLiteral("Adressen"), body}},
                                     shared,
                                     {QStringLiteral("00000"),
                                      QStringLiteral("dd.mm.yyyy"),
                                      QStringLiteral("0.0%"),
                                      QStringLiteral("DD.MM.YYYY")});
    SourceOpenResult r = OpenRecordSource(xlsx, german());
    QVERIFY2(!r.error, qPrintable(r.error.detail));
    QCOMPARE(r.source->format(), SourceFormat::Xlsx);
    QCOMPARE(allRecords(*r.source),
             QStringLiteral("Meier|Hauptstr. 5|01067|01.01.2025#"
                            "|Zeile 1\nZeile 2|WAHR|Formel|25,6%|3,5#"
                            "01.01.2025|#NV"));
    QCOMPARE(r.source->hiddenRowsSkipped(), 1);
    QCOMPARE(BuiltinNumberFormat(14, QLocale(QLocale::German, QLocale::Germany)),
             QStringLiteral("dd.mm.yyyy"));
}

void TestSpreadsheetSource::xlsxSheets()
{
    const auto row = [](const QByteArray &text) {
        return "<sheetData><row><c t=\"inlineStr\"><is><t>" + text + "</t></is></c></row></sheetData>";
    };
    const QByteArray xlsx = MakeXlsx({{QStringLiteral("Kunden"), row("K")},
                                      {QStringLiteral("Lieferanten"), row("L")},
                                      {QStringLiteral("Kaputt"), "<sheetData><row><c>"}});
    SourceOpenResult r = OpenRecordSource(xlsx);
    QVERIFY(!r.error);
    QCOMPARE(
            r.source->sheetNames(),
            QStringList({QStringLiteral("Kunden"), QStringLiteral("Lieferanten"), QStringLiteral("Kaputt")}));
    QCOMPARE(r.source->currentSheet(), 0);
    QCOMPARE(allRecords(*r.source), QStringLiteral("K"));
    QVERIFY(!r.source->selectSheet(1));
    QCOMPARE(allRecords(*r.source), QStringLiteral("L"));
    // A broken sheet says so and leaves the chosen one.
    QCOMPARE(r.source->selectSheet(2).kind, SourceErrorKind::MalformedXml);
    QCOMPARE(r.source->currentSheet(), 1);
    QVERIFY(!r.source->selectSheet(0));
    QCOMPARE(allRecords(*r.source), QStringLiteral("K"));
}

void TestSpreadsheetSource::ods_data()
{
    QTest::addColumn<QByteArray>("tables");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<QString>("expected");
    const QByteArray cellP = "<table:table-cell><text:p>";
    QTest::newRow("paragraphs, spaces, formatted value") << odsTable(
            "A",
            "<table:table-row><table:table-cell office:value-type=\"float\" "
            "office:value=\"1067\"><text:p>01067</text:p></table:table-cell>"
            "<table:table-cell><text:p>Herrn</text:p><text:p>Dr.<text:s "
            "text:c=\"2\"/><text:span>Meier</text:span></text:p>"
            "<office:annotation><text:p>Notiz</text:p></office:annotation></table:table-cell>"
            "<table:table-cell/><table:table-cell><text:p>a<text:line-break/>b</text:p></table:table-cell>"
            "<table:table-cell table:number-columns-repeated=\"16000\"/></table:table-row>")
                                                         << 0 << "01067|Herrn\nDr.  Meier||a\nb";
    QTest::newRow("repeated rows and columns")
            << odsTable("A",
                        "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
                        "table:number-columns-repeated=\"2\"><text:p>x</text:p></table:table-cell>"
                        "<table:table-cell "
                        "table:number-columns-repeated=\"3\"/><table:table-cell><text:p>y</text:p></"
                        "table:table-cell></table:table-row>"
                        "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell "
                        "table:number-columns-repeated=\"1024\"/></table:table-row>")
            << 0 << "x|x||||y#x|x||||y";
    QTest::newRow("hidden and filtered rows, hidden column") << odsTable(
            "A",
            "<table:table-column/><table:table-column table:visibility=\"collapse\"/><table:table-column "
            "table:number-columns-repeated=\"3\"/>"
            "<table:table-row>"
                    + cellP + "1</text:p></table:table-cell>" + cellP + "weg</text:p></table:table-cell>"
                    + cellP
                    + "3</text:p></table:table-cell></table:table-row>"
                      "<table:table-row table:visibility=\"filter\">"
                    + cellP
                    + "f</text:p></table:table-cell></table:table-row>"
                      "<table:table-row table:visibility=\"collapse\">"
                    + cellP
                    + "c</text:p></table:table-cell></table:table-row>"
                      "<table:table-header-rows><table:table-row><table:covered-table-cell/>"
                    + cellP
                    + "nur versteckt</text:p></table:table-cell></table:table-row></table:table-header-rows>")
                                                             << 0 << "1|3";
    QTest::newRow("second sheet")
            << odsTable("Eins",
                        "<table:table-row>" + cellP + "1</text:p></table:table-cell></table:table-row>")
                       + odsTable("Zwei",
                                  "<table:table-row>" + cellP
                                          + "2</text:p></table:table-cell></table:table-row>")
            << 1 << "2";
}

void TestSpreadsheetSource::ods()
{
    QFETCH(QByteArray, tables);
    QFETCH(int, sheet);
    QFETCH(QString, expected);
    SourceOpenResult r = OpenRecordSource(MakeOds(tables));
    QVERIFY2(!r.error, qPrintable(r.error.detail));
    QCOMPARE(r.source->format(), SourceFormat::Ods);
    QVERIFY(!r.source->selectSheet(sheet));
    QCOMPARE(allRecords(*r.source), expected);
}

void TestSpreadsheetSource::detect_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<SourceErrorKind>("error");
    QTest::addColumn<SourceFormat>("format");
    const auto ok = SourceErrorKind::None;
    QTest::newRow("csv") << QByteArray("a;b\n") << ok << SourceFormat::Csv;
    QTest::newRow("vcard after mark and blank line")
            << QByteArray("\xEF\xBB\xBF\r\nbegin:vcard\r\nEND:VCARD\r\n") << ok << SourceFormat::VCard;
    QTest::newRow("ods") << MakeOds({}) << ok << SourceFormat::Ods;
    QTest::newRow("odt") << MakeOds({}, "application/vnd.oasis.opendocument.text")
                         << SourceErrorKind::WordProcessor << SourceFormat::Csv;
    QTest::newRow("odp") << MakeOds({}, "application/vnd.oasis.opendocument.presentation")
                         << SourceErrorKind::Presentation << SourceFormat::Csv;
    QTest::newRow("docx") << MakeZip({{QStringLiteral("word/document.xml"), "<w/>"}})
                          << SourceErrorKind::WordProcessor << SourceFormat::Csv;
    QTest::newRow("other zip") << MakeZip({{QStringLiteral("a.txt"), "a"}}) << SourceErrorKind::OtherZip
                               << SourceFormat::Csv;
    QTest::newRow("pdf") << QByteArray("%PDF-1.7\n") << SourceErrorKind::Pdf << SourceFormat::Csv;
    QTest::newRow("png") << QByteArray("\x89PNG\r\n\x1A\n....") << SourceErrorKind::Picture
                         << SourceFormat::Csv;
    QTest::newRow("xls") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") << SourceErrorKind::LegacyOffice
                         << SourceFormat::Csv;
    QTest::newRow("utf-16") << QByteArray("\xFF\xFE"
                                          "a\0;\0",
                                          6)
                            << SourceErrorKind::Utf16Text << SourceFormat::Csv;
}

void TestSpreadsheetSource::detect()
{
    QFETCH(QByteArray, content);
    QFETCH(SourceErrorKind, error);
    QFETCH(SourceFormat, format);
    const DetectedContent d = DetectContent(content);
    QCOMPARE(d.error.kind, error);
    if (error == SourceErrorKind::None)
        QCOMPARE(d.format, format);
    // Every refusal has its text, naming the file.
    QCOMPARE(SourceErrorText(error).contains(QLatin1String("%1")), error != SourceErrorKind::None);
}

void TestSpreadsheetSource::hostile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("lowered"); // 0: default bounds; 1: 4 MiB per entry and 6 MiB in all
    QTest::addColumn<SourceErrorKind>("error");
    QTest::addColumn<int>("maxMs");
    QTest::addColumn<int>("maxKib");
    const QByteArray row = "<sheetData><row><c t=\"inlineStr\"><is><t>x</t></is></c></row></sheetData>";
    QByteArray claimed = MakeXlsx({{QStringLiteral("A"), row}});
    PatchClaimedSize(claimed, "xl/worksheets/sheet1.xml", 1u << 30);
    QTest::newRow("entry claims 1 GiB") << claimed << 0 << SourceErrorKind::TooLarge << 500 << 20'000;
    // Two entries of 3.5 MiB each: each under the entry bound, together over the total.
    const QByteArray padding(3'500'000, ' ');
    QTest::newRow("total bound streamed") << MakeXlsx({{QStringLiteral("A"), padding + row}}, padding) << 1
                                          << SourceErrorKind::TooLarge << 3000 << 60'000;
    QTest::newRow("3 million shared strings")
            << MakeXlsx({{QStringLiteral("A"), row}}, sharedStrings(3'000'000)) << 0
            << SourceErrorKind::TooManyStrings << 30'000 << 250'000;
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 "
                              "\"&lol;&lol;&lol;&lol;&lol;&lol;\">]>";
    QTest::newRow("entity expansion")
            << MakeZip({{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
                        {QStringLiteral("content.xml"), laughs + "<r>&lol2;</r>"}})
            << 0 << SourceErrorKind::ForbiddenXml << 500 << 20'000;
    QTest::newRow("ods million columns")
            << MakeOds(odsTable("A",
                                "<table:table-row><table:table-cell "
                                "table:number-columns-repeated=\"1000000\"><text:p>x</text:p></"
                                "table:table-cell></table:table-row>"))
            << 0 << SourceErrorKind::TooManyColumns << 500 << 20'000;
    QTest::newRow("xlsx column past XFD") << MakeXlsx(
            {{QStringLiteral("A"),
              "<sheetData><row><c r=\"XFE1\" t=\"inlineStr\"><is><t>x</t></is></c></row></sheetData>"}})
                                          << 0 << SourceErrorKind::TooManyColumns << 500 << 20'000;
    QTest::newRow("ods million rows repeated")
            << MakeOds(odsTable("A",
                                "<table:table-row "
                                "table:number-rows-repeated=\"2000000\"><table:table-cell><text:p>x</"
                                "text:p></table:table-cell></table:table-row>"))
            << 0 << SourceErrorKind::TooManyRows << 500 << 20'000;
    QByteArray spaces = "<table:table-row><table:table-cell><text:p>";
    for (int i = 0; i < 100'000; ++i)
        spaces += "<text:s text:c=\"1000\"/>";
    QTest::newRow("ods 100 million spaces")
            << MakeOds(odsTable("A", spaces + "</text:p></table:table-cell></table:table-row>")) << 0
            << SourceErrorKind::TooLarge << 3000 << 200'000;
    const QByteArray whole = MakeXlsx({{QStringLiteral("A"), row}});
    QTest::newRow("truncated archive")
            << whole.left(whole.size() / 2) << 0 << SourceErrorKind::DamagedArchive << 500 << 20'000;
    QByteArray corrupt = MakeXlsx({{QStringLiteral("A"), QByteArray(100'000, 'a') + row}});
    const qsizetype at = corrupt.indexOf("xl/worksheets/sheet1.xml") + 40;
    corrupt.replace(at, 64, QByteArray(64, '\xFF'));
    QTest::newRow("damaged entry") << corrupt << 0 << SourceErrorKind::DamagedArchive << 500 << 20'000;
}

void TestSpreadsheetSource::hostile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, lowered);
    QFETCH(SourceErrorKind, error);
    QFETCH(int, maxMs);
    QFETCH(int, maxKib);
    SourceOptions options;
    if (lowered) {
        options.limits.maxEntryBytes = 4 << 20;
        options.limits.maxTotalBytes = 6 << 20;
    }
    SourceOpenResult r;
    QElapsedTimer timer;
    timer.start();
    const long kib = PeakGrowthKib([&] { r = OpenRecordSource(content, options); });
    const qint64 ms = timer.elapsed();
    QCOMPARE(r.error.kind, error);
    QVERIFY(!r.source);
    QVERIFY2(ms <= maxMs * BoundTimeFactor, qPrintable(QStringLiteral("%1 ms").arg(ms)));
    QVERIFY2(kib <= maxKib * BoundMemoryFactor, qPrintable(QStringLiteral("%1 KiB").arg(kib)));
}

QTEST_GUILESS_MAIN(TestSpreadsheetSource)
#include "tst_spreadsheetsource.moc"
