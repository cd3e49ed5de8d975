#include "core/CsvReader.h"
#include "core/Errors.h"

#include <QBuffer>
#include <QStringDecoder>
#include <QtTest>

namespace {

// A device that cannot seek back, as a pipe.
class SequentialDevice : public QIODevice
{
public:
    explicit SequentialDevice(QByteArray data)
        : m_data(std::move(data))
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_data.size() - m_pos + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, m_data.size() - m_pos);
        memcpy(data, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};

// A file whose medium fails after some bytes.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 goodBytes)
        : m_good(goodBytes)
    {
        open(QIODevice::ReadOnly);
    }
    qint64 size() const override { return m_good * 2; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (pos() >= m_good) {
            setErrorString(QStringLiteral("Eingabe/Ausgabe-Fehler"));
            return -1;
        }
        const qint64 n = qMin(maxSize, m_good - pos());
        memset(data, 'a', size_t(n));
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 m_good;
};

} // namespace

class TestCsvReader : public QObject
{
    Q_OBJECT
private slots:
    void recipient_data();
    void recipient();
    void rawFields_data();
    void rawFields();
    void unescape_data();
    void unescape();
    void lines_data();
    void lines();
    void records_data();
    void records();
    void encoding_data();
    void encoding();
    void validatorAcrossChunks();
    void windows1252Table();
    void sequentialDevice();
    void startsAtDevicePosition();
    void readErrorRaises();
};

void TestCsvReader::recipient_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected"); // the recipient field's whole text; empty = no field

    // The table of worked examples, each line as it stands in the file.
    QTest::newRow("plain three") << "Meier;Hauptstr. 5;12345 Berlin"
                                 << "Meier\r\nHauptstr. 5\r\n12345 Berlin\r\n";
    QTest::newRow("plain D") << "Meier;Hauptstr. 5;D"
                             << "Meier\r\nHauptstr. 5\r\nD\r\n";
    QTest::newRow("empty field, final ;") << "Firma Meier;;Hauptstr. 5;12345 Berlin;"
                                          << "Firma Meier\r\n\r\nHauptstr. 5\r\n12345 Berlin\r\n";
    QTest::newRow("leading ;") << ";Meier"
                               << "\r\nMeier\r\n";
    QTest::newRow("escaped line break") << "Herrn\\r\\nDr. Meier;Weg 1"
                                        << "Herrn\r\nDr. Meier\r\nWeg 1\r\n";
    QTest::newRow("backslashes kept") << "C:\\temp;Ende\\"
                                      << "C:\\temp\r\nEnde\\\r\n";
    QTest::newRow("quotes in plain line") << "Meier;\"Haupt;str. 5\";Berlin"
                                          << "Meier\r\n\"Haupt\r\nstr. 5\"\r\nBerlin\r\n";
    QTest::newRow("quoted three") << "\"Meier\";\"Hauptstr. 5\";\"12345 Berlin\""
                                  << "Meier\r\nHauptstr. 5\r\n12345 Berlin\r\n";
    QTest::newRow("comma and ; inside pairs") << "\"Meier; Sohn\",\"Weg 1\""
                                              << "Meier; Sohn\r\nWeg 1\r\n";
    QTest::newRow("unquoted field lost") << "\"Meier\";42;\"Berlin\""
                                         << "Meier\r\nBerlin\r\n";
    QTest::newRow("empty pair") << "\"Meier\";\"\";\"Berlin\""
                                << "Meier\r\n\r\nBerlin\r\n";
    QTest::newRow("doubled marks") << "\"Meier \"\"Sohn\"\"\";\"Berlin\""
                                   << "Meier \r\nSohn\r\n\r\nBerlin\r\n";
    QTest::newRow("quote inside field") << "\"Berlin\";\"\"Meier\" GmbH\""
                                        << "Berlin\r\n\"Meier\" GmbH\r\n";
    QTest::newRow("single mark") << "\"Meier"
                                 << "";

    // Further cases.
    QTest::newRow("empty line") << ""
                                << "";
    QTest::newRow("header line") << "Name;Straße;Ort"
                                 << "Name\r\nStraße\r\nOrt\r\n";
    QTest::newRow("space before mark: plain") << " \"Meier\";\"Weg\""
                                              << " \"Meier\"\r\n\"Weg\"\r\n";
    QTest::newRow("lone ;") << ";"
                            << "\r\n";
    QTest::newRow("two ;") << ";;"
                           << "\r\n\r\n";
    QTest::newRow("comma no separator") << "Meier, Sohn;Weg"
                                        << "Meier, Sohn\r\nWeg\r\n";
    QTest::newRow("two marks") << "\"\""
                               << "\r\n";
    QTest::newRow("lone last mark with text") << "\"a\";\"b"
                                              << "a\r\n";
    QTest::newRow("text between pairs skipped") << "\"a\"b\"c\""
                                                << "a\r\nc\r\n";
    // Reading goes on after the mark that closes the quote-inside field.
    QTest::newRow("after quote inside") << "\"\"Meier\" GmbH\";\"Berlin\";\"D\""
                                        << "\"Meier\" GmbH\r\nBerlin\r\nD\r\n";
    QTest::newRow("empty pair, too few marks") << "\"\"x\""
                                               << "\r\n";
    QTest::newRow("empty pair before ;") << "\"\";\"x\""
                                         << "\r\nx\r\n";
    QTest::newRow("empty pair before comma") << "\"\",\"x\""
                                             << "\r\nx\r\n";
    QTest::newRow("escape in quoted field") << "\"Herrn\\nDr. Meier\";\"Weg\""
                                            << "Herrn\nDr. Meier\r\nWeg\r\n";
    QTest::newRow("two backslashes then n") << "a\\\\nb"
                                            << "a\nb\r\n";
    QTest::newRow("upper R") << "\\R"
                             << "\\R\r\n";
}

void TestCsvReader::recipient()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(CsvRecipientText(SplitCsvLine(line)), expected);
}

void TestCsvReader::rawFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");

    QStringList quoted26, plain26, expectQuoted, expectPlain;
    QString qline, pline;
    for (int k = 1; k <= 26; ++k) {
        const QString f = k == 24 ? QStringLiteral("x") : QStringLiteral("f%1").arg(k);
        qline += (k > 1 ? QStringLiteral(";") : QString()) + '"' + f + '"';
        pline += (k > 1 ? QStringLiteral(";") : QString()) + f;
        expectQuoted << (k == 24 ? QStringLiteral("\"x\"") : f);
        expectPlain << f;
    }
    QTest::newRow("quoted 26 fields") << qline << expectQuoted;
    QTest::newRow("plain 26 fields") << pline << expectPlain;

    QStringList empty24;
    QString eline;
    for (int k = 1; k <= 25; ++k) {
        const QString f = k == 24 ? QString() : QStringLiteral("f%1").arg(k);
        eline += '"' + f + '"';
        empty24 << f;
    }
    QTest::newRow("quoted empty 24th") << eline << empty24;

    QStringList marked24;
    QString mline;
    for (int k = 1; k <= 24; ++k) {
        if (k == 24) {
            mline += QStringLiteral("\"\"Meier\" GmbH\"");
            marked24 << QStringLiteral("\"Meier\" GmbH");
        } else {
            mline += QStringLiteral("\"f%1\";").arg(k);
            marked24 << QStringLiteral("f%1").arg(k);
        }
    }
    QTest::newRow("quoted 24th begins with a mark") << mline << marked24;
    QTest::newRow("24 is raw, before unescaping")
            << QString(QStringLiteral("\"\";").repeated(23) + QStringLiteral("\"a\\nb\""))
            << (QStringList(23, QString()) << QStringLiteral("\"a\\nb\""));
}

void TestCsvReader::rawFields()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(SplitCsvLine(line), fields);
}

void TestCsvReader::unescape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing") << "abc"
                             << "abc";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("LF") << "a\\nb"
                        << "a\nb";
    QTest::newRow("CR") << "a\\rb"
                        << "a\rb";
    QTest::newRow("CR LF") << "x\\r\\n"
                           << "x\r\n";
    QTest::newRow("run of two") << "a\\\\nb"
                                << "a\nb";
    QTest::newRow("run of three") << "\\\\\\x"
                                  << "\\x";
    QTest::newRow("upper R") << "\\R"
                             << "\\R";
    QTest::newRow("upper N") << "\\N"
                             << "\\N";
    QTest::newRow("tab letter") << "C:\\temp"
                                << "C:\\temp";
    QTest::newRow("trailing") << "Ende\\"
                              << "Ende\\";
    QTest::newRow("lone") << "\\"
                          << "\\";
    QTest::newRow("two trailing") << "\\\\"
                                  << "\\";
    QTest::newRow("before space") << "a\\ b"
                                  << "a\\ b";
}

void TestCsvReader::unescape()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(UnescapeCsvField(text), expected);
}

void TestCsvReader::lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("CR LF, last without break") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("lone CR dropped") << QByteArray("a\rb\n") << QStringList{"ab"};
    QTest::newRow("CR at the end") << QByteArray("a\r") << QStringList{"a"};
    QTest::newRow("CR only noise") << QByteArray("\r\r\r\nx\r\r\n") << QStringList{"", "x"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("one break") << QByteArray("\n") << QStringList{""};
    QTest::newRow("two breaks") << QByteArray("\n\n") << QStringList{"", ""};
    QTest::newRow("NUL kept") << QByteArray("a\0b\n", 4) << QStringList{QString::fromUtf16(u"a\0b", 3)};
    QTest::newRow("BOM dropped") << QByteArray("\xEF\xBB\xBF\"Meier\";\"Weg\"\nx\n")
                                 << QStringList{"\"Meier\";\"Weg\"", "x"};
    QTest::newRow("BOM only on the first line") << QByteArray("\xEF\xBB\xBF"
                                                              "a\n\xEF\xBB\xBF"
                                                              "b\n")
                                                << QStringList{"a", QStringLiteral("\uFEFFb")};
    QTest::newRow("UTF-8") << QByteArray("Stra\xC3\x9F"
                                         "e;M\xC3\xBCnchen\n")
                           << QStringList{"Straße;München"};
    QTest::newRow("1252") << QByteArray("Stra\xDF"
                                        "e;M\xFCnchen\n")
                          << QStringList{"Straße;München"};
    QTest::newRow("1252 euro and quotes") << QByteArray("\x80\x84\x93\x9F") << QStringList{"€„“Ÿ"};
    // One byte that is not UTF-8 decides for the whole file, lines before it included.
    QTest::newRow("invalid later") << QByteArray("\xC3\xA4\n\xE4\n") << QStringList{"Ã¤", "ä"};
    QTest::newRow("BOM rules over a stray byte")
            << QByteArray("\xEF\xBB\xBF\xC3\xA4\xE4") << QStringList{"ä\uFFFD"};
}

void TestCsvReader::lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(ReadCsvLines(bytes), lines);
}

void TestCsvReader::records_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("startLine");
    // Each record as "line number:first field".
    QTest::addColumn<QStringList>("records");
    QTest::newRow("all") << QByteArray("a;1\nb;2\n") << 1 << QStringList{"1:a", "2:b"};
    QTest::newRow("empty lines keep their numbers")
            << QByteArray("\na\n\r\n\nb\n\n") << 1 << QStringList{"2:a", "5:b"};
    QTest::newRow("from line 3") << QByteArray("a\nb\nc\nd\n") << 3 << QStringList{"3:c", "4:d"};
    QTest::newRow("start on an empty line") << QByteArray("a\nb\n\nd\n") << 3 << QStringList{"4:d"};
    QTest::newRow("start after the end") << QByteArray("a\nb\n") << 9 << QStringList{};
    QTest::newRow("start 0 is the first line") << QByteArray("a\n") << 0 << QStringList{"1:a"};
    QTest::newRow("quoted first field") << QByteArray("\"x;y\";z\n") << 1 << QStringList{"1:x;y"};
}

void TestCsvReader::records()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, startLine);
    QFETCH(QStringList, records);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvLineReader reader(buffer);
    QStringList read;
    int number = -1;
    QStringList fields;
    while (reader.readRecord(startLine, number, fields))
        read << QStringLiteral("%1:%2").arg(number).arg(fields.value(0));
    QCOMPARE(read, records);
}

void TestCsvReader::encoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    const int bom = int(CsvEncoding::Utf8WithBom), utf8 = int(CsvEncoding::Utf8),
              cp = int(CsvEncoding::Windows1252);
    QTest::newRow("ASCII") << QByteArray("abc") << utf8;
    QTest::newRow("empty") << QByteArray() << utf8;
    QTest::newRow("BOM") << QByteArray("\xEF\xBB\xBF") << bom;
    QTest::newRow("half a BOM") << QByteArray("\xEF\xBB") << cp;
    QTest::newRow("two bytes") << QByteArray("\xC3\xA4") << utf8;
    QTest::newRow("three bytes") << QByteArray("\xE2\x82\xAC") << utf8;
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << utf8;
    QTest::newRow("max") << QByteArray("\xF4\x8F\xBF\xBF") << utf8;
    QTest::newRow("past max") << QByteArray("\xF4\x90\x80\x80") << cp;
    QTest::newRow("overlong 2") << QByteArray("\xC0\xAF") << cp;
    QTest::newRow("overlong 3") << QByteArray("\xE0\x80\xAF") << cp;
    QTest::newRow("overlong 4") << QByteArray("\xF0\x80\x80\xAF") << cp;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << cp;
    QTest::newRow("cut at end") << QByteArray("a\xC3") << cp;
    QTest::newRow("lone continuation") << QByteArray("\x80") << cp;
    QTest::newRow("F5") << QByteArray("\xF5\x80\x80\x80") << cp;
    QTest::newRow("cut before ASCII") << QByteArray("\xE2\x82"
                                                    "a")
                                      << cp;
}

void TestCsvReader::encoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QCOMPARE(int(DetectCsvEncoding(bytes)), encoding);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvLineReader reader(buffer);
    QCOMPARE(int(reader.encoding()), encoding);
}

void TestCsvReader::validatorAcrossChunks()
{
    const QByteArray text("\xF0\x9F\x98\x80\xE2\x82\xAC\xC3\xA4");
    for (int cut = 0; cut <= text.size(); ++cut) {
        Utf8Validator v;
        v.feed(text.constData(), cut);
        v.feed(text.constData() + cut, text.size() - cut);
        QVERIFY2(v.finish(), qPrintable(QString::number(cut)));
    }
    Utf8Validator open;
    open.feed("\xE2\x82", 2);
    QVERIFY(open.valid());
    QVERIFY(!open.finish());
}

void TestCsvReader::windows1252Table()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = DecodeWindows1252(all);
    QCOMPARE(text.size(), 256);
    for (int b = 0; b < 256; ++b) {
        if (b < 0x80 || b >= 0xA0)
            QCOMPARE(text.at(b).unicode(), char16_t(b));
    }
    const QString high = text.mid(0x80, 32);
    QCOMPARE(high, QStringLiteral("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"));
    // Where the toolkit has its own converter, the assigned bytes agree with it.
    QStringDecoder system("windows-1252");
    if (system.isValid()) {
        const QString other = system.decode(all);
        QCOMPARE(other.size(), 256);
        for (int b = 0; b < 256; ++b) {
            if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D)
                QCOMPARE(text.at(b), other.at(b));
        }
    }
}

void TestCsvReader::sequentialDevice()
{
    SequentialDevice pipe(QByteArray("Stra\xDF"
                                     "e\r\n\"a\";\"b\"\n"));
    CsvLineReader reader(pipe);
    QCOMPARE(reader.encoding(), CsvEncoding::Windows1252);
    QString line;
    QVERIFY(reader.readLine(line));
    QCOMPARE(line, QStringLiteral("Straße"));
    QVERIFY(reader.readLine(line));
    QCOMPARE(line, QStringLiteral("\"a\";\"b\""));
    QVERIFY(!reader.readLine(line));
}

void TestCsvReader::startsAtDevicePosition()
{
    QByteArray bytes("skip\nStra\xC3\x9F"
                     "e\n");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(5);
    CsvLineReader reader(buffer);
    QCOMPARE(reader.bytesTotal(), bytes.size() - 5);
    QString line;
    QVERIFY(reader.readLine(line));
    QCOMPARE(line, QStringLiteral("Straße"));
    QCOMPARE(reader.bytesRead(), reader.bytesTotal());
    QVERIFY(!reader.readLine(line));
}

void TestCsvReader::readErrorRaises()
{
    FailingDevice device(100);
    try {
        CsvLineReader reader(device);
        QFAIL("no error raised");
    } catch (const EInOutError &e) {
        QCOMPARE(e.message(), QStringLiteral("Eingabe/Ausgabe-Fehler"));
    }
}

QTEST_APPLESS_MAIN(TestCsvReader)
#include "tst_csvreader.moc"
