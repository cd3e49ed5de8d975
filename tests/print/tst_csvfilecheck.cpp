#include "core/CsvFileCheck.h"
#include "core/translateunit.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// A bitmap's first 18 bytes: "BM", file size, zero reserved field, pixel offset, header size.
QByteArray bitmapHead(quint32 infoSize)
{
    QByteArray b("BM");
    b += bytes({0x46, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0});
    b += bytes({int(infoSize & 0xFF), 0, 0, 0});
    return b + QByteArray(40, '\x01');
}

} // namespace

class TestCsvFileCheck : public QObject
{
    Q_OBJECT
    QTemporaryDir m_program;

private slots:
    void initTestCase()
    {
        // New texts go into a table of the test's own, in German.
        QVERIFY(m_program.isValid());
        SetTranslationHost([] { return 0; }, [this] { return m_program.path() + QLatin1Char('/'); });
    }

    void kinds_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<NonTextKind>("kind");
        QTest::newRow("csv") << QByteArray("Meier;Hauptstr. 5;12345 Berlin\r\n") << NonTextKind::None;
        QTest::newRow("empty") << QByteArray() << NonTextKind::None;
        QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBFM\xC3\xBCller;Weg 1\n") << NonTextKind::None;
        QTest::newRow("1252 umlauts") << QByteArray("M\xFCller;Stra\xDF"
                                                    "e 1\n")
                                      << NonTextKind::None;
        QTest::newRow("xlsx") << (QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) + "[Content_Types].xml")
                              << NonTextKind::ZipContainer;
        QTest::newRow("empty zip") << QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')
                                   << NonTextKind::ZipContainer;
        QTest::newRow("spanned zip") << QByteArray("PK\x07\x08", 4) + "abc" << NonTextKind::ZipContainer;
        QTest::newRow("xls") << bytes({0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0})
                             << NonTextKind::OfficeLegacy;
        QTest::newRow("pdf") << QByteArray("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n1 0 obj") << NonTextKind::Pdf;
        QTest::newRow("png") << bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13})
                             << NonTextKind::Png;
        QTest::newRow("jpeg") << bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'})
                              << NonTextKind::Jpeg;
        QTest::newRow("gif87a") << QByteArray("GIF87a\x01\x00") << NonTextKind::Gif;
        QTest::newRow("gif89a") << QByteArray("GIF89a\x01\x00") << NonTextKind::Gif;
        QTest::newRow("bmp 40") << bitmapHead(40) << NonTextKind::Bmp;
        QTest::newRow("bmp 124") << bitmapHead(124) << NonTextKind::Bmp;
        QTest::newRow("BM line") << QByteArray("BMW AG;Petuelring 130;80809 M\xC3\xBCnchen\n")
                                 << NonTextKind::None;
        QTest::newRow("BM, odd header size") << bitmapHead(41) << NonTextKind::NulBytes;
        QTest::newRow("tiff II") << QByteArray("II*\0\x08\0\0\0", 8) << NonTextKind::Tiff;
        QTest::newRow("tiff MM") << QByteArray("MM\0*\0\0\0\x08", 8) << NonTextKind::Tiff;
        QTest::newRow("webp") << QByteArray("RIFF\x24\x01\x01\x01WEBPVP8 ") << NonTextKind::WebP;
        QTest::newRow("RIFF not webp") << QByteArray("RIFF\x24\x01\x01\x01WAVEfmt ") << NonTextKind::None;
        QTest::newRow("UTF-16LE") << bytes({0xFF, 0xFE, 'M', 0, ';', 0}) << NonTextKind::Utf16Text;
        QTest::newRow("UTF-16BE") << bytes({0xFE, 0xFF, 0, 'M', 0, ';'}) << NonTextKind::Utf16Text;
        QTest::newRow("NUL at start") << QByteArray("\0Meier", 6) << NonTextKind::NulBytes;
        QTest::newRow("NUL in last probed byte")
                << QByteArray(NonTextProbeSize - 1, 'a') + QByteArray(1, '\0') << NonTextKind::NulBytes;
        QTest::newRow("NUL just past the probe")
                << QByteArray(NonTextProbeSize, 'a') + QByteArray(1, '\0') << NonTextKind::None;
        // Signatures count only at the very start.
        QTest::newRow("PDF later") << QByteArray("Meier;%PDF-1.4\n") << NonTextKind::None;
        QTest::newRow("short PK") << QByteArray("PK;Weg 1\n") << NonTextKind::None;
    }
    void kinds()
    {
        QFETCH(QByteArray, head);
        QFETCH(NonTextKind, kind);
        QCOMPARE(DetectNonText(head), kind);
    }

    void deviceIsLeftWhereItWas()
    {
        QByteArray data("Kopf\n");
        data += QByteArray("PK\x03\x04", 4);
        QBuffer buffer(&data);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QCOMPARE(DetectNonText(buffer), NonTextKind::None);
        QCOMPARE(buffer.pos(), 0);
        QVERIFY(buffer.seek(5));
        QCOMPARE(DetectNonText(buffer), NonTextKind::ZipContainer);
        QCOMPARE(buffer.pos(), 5);
        QCOMPARE(buffer.readAll(), QByteArray("PK\x03\x04", 4));
    }

    void messages_data()
    {
        QTest::addColumn<NonTextKind>("kind");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("advice");
        const QString spreadsheet = QStringLiteral("als CSV-Datei mit Semikolon als Trennzeichen");
        const QString csv = QStringLiteral("Wählen Sie eine CSV-Datei");
        QTest::newRow("zip") << NonTextKind::ZipContainer << "im ZIP-Format (etwa .xlsx, .ods oder .docx)"
                             << spreadsheet;
        QTest::newRow("xls") << NonTextKind::OfficeLegacy << "im alten Office-Format" << spreadsheet;
        QTest::newRow("pdf") << NonTextKind::Pdf << "ein PDF-Dokument" << csv;
        QTest::newRow("png") << NonTextKind::Png << "ein Bild (PNG)" << csv;
        QTest::newRow("webp") << NonTextKind::WebP << "ein Bild (WebP)" << csv;
        QTest::newRow("utf16") << NonTextKind::Utf16Text << "eine Textdatei in UTF-16"
                               << "Kodierung UTF-8";
        QTest::newRow("nul") << NonTextKind::NulBytes << "Nullbytes" << csv;
    }
    void messages()
    {
        QFETCH(NonTextKind, kind);
        QFETCH(QString, what);
        QFETCH(QString, advice);
        const QString text = NonTextMessage(kind, QStringLiteral("adressen.xlsx"));
        QVERIFY2(text.startsWith(QStringLiteral("„adressen.xlsx“ ist keine CSV-Datei, sondern ")),
                 qPrintable(text));
        QVERIFY2(text.contains(what), qPrintable(text));
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].contains(advice), qPrintable(text));
    }

    void textNeedsNoMessage()
    {
        QVERIFY(NonTextMessage(NonTextKind::None, QStringLiteral("a.csv")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCsvFileCheck)
#include "tst_csvfilecheck.moc"
