#include "CsvSource.h"

#include <QtTest>

using namespace sources;

Q_DECLARE_METATYPE(sources::CsvSeparator)

namespace {

// Records joined: fields by '|', records by '#'.
QString allRecords(const RecordSource &s)
{
    QStringList out;
    for (qsizetype k = 0; k < s.recordCount(); ++k)
        out.append(s.record(k).join(QLatin1Char('|')));
    return out.join(QLatin1Char('#'));
}

} // namespace

class TestCsvSource : public QObject
{
    Q_OBJECT
private slots:
    void records_data();
    void records();
    void sniff_data();
    void sniff();
    void encoding_data();
    void encoding();
    void randomAccessMatchesOrder();
};

void TestCsvSource::records_data()
{
    QTest::addColumn<CsvSeparator>("separator");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    const auto semi = CsvSeparator::Semicolon;
    const auto comma = CsvSeparator::Comma;
    const auto tab = CsvSeparator::Tab;
    // Semicolon: the CSV runs' rules, unchanged.
    QTest::newRow("plain") << semi << QByteArray("Meier;Hauptstr. 5;12345 Berlin\n")
                           << "Meier|Hauptstr. 5|12345 Berlin";
    QTest::newRow("final semicolon") << semi << QByteArray("Firma Meier;;Hauptstr. 5;12345 Berlin;")
                                     << "Firma Meier||Hauptstr. 5|12345 Berlin";
    QTest::newRow("escapes") << semi << QByteArray("Herrn\\r\\nDr. Meier;Weg 1")
                             << "Herrn\r\nDr. Meier|Weg 1";
    QTest::newRow("backslashes kept") << semi << QByteArray("C:\\temp;Ende\\") << "C:\\temp|Ende\\";
    QTest::newRow("quotes in plain line")
            << semi << QByteArray("Meier;\"Haupt;str. 5\";Berlin") << "Meier|\"Haupt|str. 5\"|Berlin";
    QTest::newRow("quoted line") << semi << QByteArray("\"Meier; Sohn\",\"Weg 1\"") << "Meier; Sohn|Weg 1";
    QTest::newRow("unquoted lost") << semi << QByteArray("\"Meier\";42;\"Berlin\"") << "Meier|Berlin";
    QTest::newRow("doubled marks") << semi << QByteArray("\"Meier \"\"Sohn\"\"\";\"Berlin\"")
                                   << "Meier |Sohn||Berlin";
    QTest::newRow("quote inside") << semi << QByteArray("\"Berlin\";\"\"Meier\" GmbH\"")
                                  << "Berlin|\"Meier\" GmbH";
    QTest::newRow("no-field lines passed") << semi << QByteArray("a\n\n\"Meier\r\nb\r\n") << "a#b";
    QTest::newRow("field 24 quoted")
            << semi
            << QByteArray("\"1\";\"2\";\"3\";\"4\";\"5\";\"6\";\"7\";\"8\";\"9\";\"10\";\"11\";\"12\";\"13\";"
                          "\"14\";\"15\";"
                          "\"16\";\"17\";\"18\";\"19\";\"20\";\"21\";\"22\";\"23\";\"x\";\"25\"")
            << "1|2|3|4|5|6|7|8|9|10|11|12|13|14|15|16|17|18|19|20|21|22|23|\"x\"|25";
    // Comma and tab: RFC 4180.
    QTest::newRow("rfc plain") << comma << QByteArray("Meier,Weg 1,12345 Berlin\r\nSchulz,,Bonn\r\n")
                               << "Meier|Weg 1|12345 Berlin#Schulz||Bonn";
    QTest::newRow("rfc doubled quote")
            << comma << QByteArray("\"Meier \"\"Sohn\"\"\",Berlin") << "Meier \"Sohn\"|Berlin";
    QTest::newRow("rfc separator in quotes")
            << comma << QByteArray("\"Meier, Hans\",\"Weg 1; Hof\"") << "Meier, Hans|Weg 1; Hof";
    QTest::newRow("rfc line break in quotes")
            << comma << QByteArray("\"Herrn\r\nDr. Meier\",Weg 1\nX,Y") << "Herrn\nDr. Meier|Weg 1#X|Y";
    QTest::newRow("rfc mark inside unquoted") << comma << QByteArray("5\" Platte,b") << "5\" Platte|b";
    QTest::newRow("rfc trailing empty field") << comma << QByteArray("a,b,\n") << "a|b|";
    QTest::newRow("rfc empty lines no records") << comma << QByteArray("a\n\r\n\nb") << "a#b";
    QTest::newRow("rfc open quote to end") << comma << QByteArray("a,\"b\nc") << "a|b\nc";
    QTest::newRow("rfc no escapes") << comma << QByteArray("C:\\new,x") << "C:\\new|x";
    QTest::newRow("tab") << tab << QByteArray("Meier\tWeg 1, Hof\t\"12345\tBerlin\"")
                         << "Meier|Weg 1, Hof|12345\tBerlin";
}

void TestCsvSource::records()
{
    QFETCH(CsvSeparator, separator);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    CsvSource s(content, SourceLimits());
    s.setSeparator(separator);
    QCOMPARE(allRecords(s), expected);
}

void TestCsvSource::sniff_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<CsvSeparator>("expected");
    QTest::newRow("semicolons") << "Meier;Weg 1;Berlin\nSchulz;Gasse 2;Bonn" << CsvSeparator::Semicolon;
    QTest::newRow("commas") << "Name,Street,City\nMeier,Weg 1,Berlin" << CsvSeparator::Comma;
    QTest::newRow("tabs") << "Meier\tWeg 1, Hof\tBerlin\nSchulz\tGasse 2\tBonn" << CsvSeparator::Tab;
    QTest::newRow("commas in quotes")
            << "\"Meier, Hans\";\"Weg 1, Hof\";x\n\"a,b,c\";\"d\";y" << CsvSeparator::Semicolon;
    QTest::newRow("both consistent: more fields") << "a,b;c,d,e\nf,g;h,i,j" << CsvSeparator::Comma;
    QTest::newRow("inconsistent: most lines") << "a,b\nc,d,e\nf;g\nh,i" << CsvSeparator::Comma;
    QTest::newRow("one field per line") << "Meier\nSchulz" << CsvSeparator::Semicolon;
    QTest::newRow("tie prefers semicolon") << "a;b,c\nd;e,f" << CsvSeparator::Semicolon;
}

void TestCsvSource::sniff()
{
    QFETCH(QString, text);
    QFETCH(CsvSeparator, expected);
    QCOMPARE(SniffCsvSeparator(text), expected);
    // The source presets what the sniffer says.
    QCOMPARE(CsvSource(text.toUtf8(), SourceLimits()).separator(), expected);
}

void TestCsvSource::encoding_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("first");
    QTest::newRow("utf-8 mark dropped") << QByteArray("\xEF\xBB\xBF\"Gr\xC3\xBC\xC3\x9F\";x")
                                        << int(TextEncoding::Utf8WithBom) << QString::fromUtf8("Grüß");
    QTest::newRow("utf-8") << QByteArray("M\xC3\xBCller;\xE2\x82\xAC") << int(TextEncoding::Utf8)
                           << QString::fromUtf8("Müller|€");
    QTest::newRow("windows-1252") << QByteArray("M\xFCller;\x80;\x81") << int(TextEncoding::Windows1252)
                                  << QString::fromUtf8("Müller|€|\u0081");
    QTest::newRow("overlong is no utf-8")
            << QByteArray("\xC0\xAF;a") << int(TextEncoding::Windows1252) << QString::fromUtf8("À¯|a");
}

void TestCsvSource::encoding()
{
    QFETCH(QByteArray, content);
    QFETCH(int, encoding);
    QFETCH(QString, first);
    CsvSource s(content, SourceLimits());
    QCOMPARE(int(s.encoding()), encoding);
    QCOMPARE(s.record(0).join(QLatin1Char('|')), first);
}

void TestCsvSource::randomAccessMatchesOrder()
{
    // 20,000 comma records with quoted line breaks: any record straight from the index.
    QByteArray content;
    for (int i = 0; i < 20000; ++i)
        content += "\"Name " + QByteArray::number(i) + "\nzweite Zeile\",Weg " + QByteArray::number(i)
                   + ",Ort\r\n";
    CsvSource s(content, SourceLimits());
    QCOMPARE(s.separator(), CsvSeparator::Comma);
    QCOMPARE(s.recordCount(), 20000);
    QCOMPARE(s.record(12345),
             QStringList({QStringLiteral("Name 12345\nzweite Zeile"),
                          QStringLiteral("Weg 12345"),
                          QStringLiteral("Ort")}));
    QCOMPARE(s.record(20000), QStringList());
    SourceLimits few;
    few.maxRecords = 100;
    CsvSource bounded(content, few);
    QCOMPARE(bounded.recordCount(), 100);
    QVERIFY(bounded.truncated());
}

QTEST_GUILESS_MAIN(TestCsvSource)
#include "tst_csvsource.moc"
