#include "TestEnvironment.h"

#include "core/PaperFormats.h"

#include <QTest>

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void paperEntries_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("0") << 0 << QString::fromUtf8("10  - 4⅛ × 9½") << 20;
        QTest::newRow("1") << 1 << QString::fromUtf8("11 - 4½ × 10⅜") << 21;
        QTest::newRow("2") << 2 << QString::fromUtf8("12 - 4¾ × 11") << 22;
        QTest::newRow("3") << 3 << QString::fromUtf8("14 - 5 × 11½") << 23;
        QTest::newRow("4") << 4 << QString::fromUtf8("9 - 3⅞ × 8⅞") << 19;
        QTest::newRow("5") << 5 << "B4 - 250 x 353" << 33;
        QTest::newRow("6") << 6 << "B5 - 176 x 250" << 34;
        QTest::newRow("7") << 7 << "B6 - 125 x 176" << 35;
        QTest::newRow("8") << 8 << "C3 - 324 x 458" << 29;
        QTest::newRow("9") << 9 << "C4 - 229 x 324" << 30;
        QTest::newRow("10") << 10 << "C5 - 162 x 229" << 28;
        QTest::newRow("11") << 11 << "C6 - 114 x 162" << 31;
        QTest::newRow("12") << 12 << "C65 - 114 x 229" << 32;
        QTest::newRow("13") << 13 << "DL- 110 x 220" << 27;
        QTest::newRow("14") << 14 << "INVITE" << 47;
        QTest::newRow("15") << 15 << "ITALY" << 36;
        QTest::newRow("16") << 16 << "MONARCH" << 37;
        QTest::newRow("17") << 17 << "PERSONAL" << 38;
        QTest::newRow("18") << 18 << "A4" << 9;
        QTest::newRow("19") << 19 << "A5" << 11;
        QTest::newRow("20") << 20 << QString::fromUtf8("A6 - 4¾ × 6½") << 70;
        QTest::newRow("21") << 21 << "B4" << 12;
        QTest::newRow("22") << 22 << "B5 - 176 x 250" << 13;
        QTest::newRow("23") << 23 << "B6 - 176 x 125" << 256;
        QTest::newRow("24") << 24 << "" << -1;
    }
    void paperEntries()
    {
        QFETCH(int, index);
        QCOMPARE(PaperFormatItems().size(), 25);
        QTEST(PaperFormatItems().at(index), "text");
        QTEST(PaperFormatCode(index), "code");
    }

    void outsideListHasNoCode()
    {
        QCOMPARE(PaperFormatCode(-1), -1);
        QCOMPARE(PaperFormatCode(25), -1);
    }

    void sheetExtent_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("targetDpi");
        QTest::addColumn<int>("printerDpi");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("expected");
        QTest::newRow("6 inch at 96 dpi") << 7200 << 96 << 1200 << 100.0 << 576;
        QTest::newRow("printer itself") << 7654 << 1200 << 1200 << 100.0 << 7654;
        QTest::newRow("zoom 200") << 7200 << 96 << 1200 << 200.0 << 1152;
        QTest::newRow("truncates") << 1000 << 96 << 300 << 100.0 << 320;
        QTest::newRow("truncates fraction") << 1001 << 96 << 300 << 100.0 << 320;
        QTest::newRow("zoom 10") << 7649 << 96 << 1200 << 10.0 << 61;
        QTest::newRow("no resolution") << 1000 << 96 << 0 << 100.0 << 0;
    }
    void sheetExtent()
    {
        QFETCH(int, page);
        QFETCH(int, targetDpi);
        QFETCH(int, printerDpi);
        QFETCH(double, zoom);
        QTEST(SheetExtent(page, targetDpi, printerDpi, zoom), "expected");
    }

    void lengths_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("inch");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("expected");
        QTest::newRow("1 inch") << 1.0 << true << 96 << 100.0 << 96;
        QTest::newRow("1 mm") << 1.0 << false << 96 << 100.0 << 3;
        QTest::newRow("15 mm") << 15.0 << false << 96 << 100.0 << 56;
        QTest::newRow("15 mm at 1200") << 15.0 << false << 1200 << 100.0 << 708;
        QTest::newRow("25.39995 mm is one inch") << 25.39995 << false << 300 << 100.0 << 300;
        QTest::newRow("zoom 50") << 1.0 << true << 96 << 50.0 << 48;
        QTest::newRow("zero") << 0.0 << false << 96 << 100.0 << 0;
    }
    void lengths()
    {
        QFETCH(double, value);
        QFETCH(bool, inch);
        QFETCH(int, dpi);
        QFETCH(double, zoom);
        QTEST(LengthToPixels(value, inch, dpi, zoom), "expected");
    }

    void physicalUnits()
    {
        QCOMPARE(PagePixelsToInches(7200, 1200), 6.0);
        QCOMPARE(PagePixelsToMm(1200, 1200), 25.39995);
        QCOMPARE(QString::number(PagePixelsToMm(7200, 1200), 'f', 2), QStringLiteral("152.40"));
    }
};

KUVERTINO_GUI_TEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
