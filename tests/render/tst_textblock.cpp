#include "InkHelpers.h"
#include "TestEnvironment.h"

#include "render/TextBlock.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

// The text rule with a monospaced font, so every expected width is a multiple of one advance.
class TestTextBlock : public QObject
{
    Q_OBJECT

    QFont mono;
    int adv = 0;
    QImage canvas;

private slots:
    void initTestCase()
    {
        canvas = imageAtDpi(400, 200, 96);
        mono = QFont(QStringLiteral("Liberation Mono"));
        mono.setPixelSize(20);
        QFontMetrics fm(mono, &canvas);
        QCOMPARE(QFontInfo(mono).family(), QStringLiteral("Liberation Mono"));
        adv = fm.horizontalAdvance(u'a');
        QVERIFY(adv > 0);
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("aaaaaaa")), 7 * adv);
    }

    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("one") << "abc" << QStringList{"abc"};
        QTest::newRow("crlf") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("cr") << "a\rb" << QStringList{"a", "b"};
        QTest::newRow("lf") << "a\nb" << QStringList{"a", "b"};
        QTest::newRow("lf cr is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
        QTest::newRow("final break starts no line") << "a\r\n" << QStringList{"a"};
        QTest::newRow("lone break is one empty line") << "\r\n" << QStringList{""};
        QTest::newRow("empty line keeps its place") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
        QTest::newRow("blank line before final break") << "a\r\n\r\n" << QStringList{"a", ""};
        QTest::newRow("two lone breaks") << "\r\r" << QStringList{"", ""};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(SplitTextLines(text), lines);
    }

    void wrap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("wrapChars"); // wrap width in advances, plus wrapExtra pixels
        QTest::addColumn<int>("wrapExtra");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("widthChars");
        QTest::newRow("fits exactly") << "aaa bbb" << 7 << 0 << QStringList{"aaa bbb"} << 7;
        QTest::newRow("one pixel short") << "aaa bbb" << 7 << -1 << QStringList{"aaa", "bbb"} << 3;
        QTest::newRow("three words") << "aa bb cc dd" << 5 << 0 << QStringList{"aa bb", "cc dd"} << 5;
        QTest::newRow("hyphen is no break") << "aaa-bbb" << 4 << 0 << QStringList{"aaa-bbb"} << 7;
        QTest::newRow("long word whole")
                << "x aaaaaaaaaa y" << 3 << 0 << QStringList{"x", "aaaaaaaaaa", "y"} << 10;
        QTest::newRow("blanks at a break vanish") << "aa    bb" << 4 << 0 << QStringList{"aa", "bb"} << 2;
        QTest::newRow("leading blanks kept") << "  aa" << 10 << 0 << QStringList{"  aa"} << 4;
        QTest::newRow("trailing blanks do not widen") << "aa   " << 10 << 0 << QStringList{"aa   "} << 2;
        QTest::newRow("tab not expanded")
                << "a\tb" << 10 << 0 << QStringList{QString("a") + QChar(0xA0) + "b"} << 3;
        QTest::newRow("tab is no break")
                << "aa\tbb" << 2 << 0 << QStringList{QString("aa") + QChar(0xA0) + "bb"} << 5;
        QTest::newRow("ampersand is a character") << "&a&&b" << 10 << 0 << QStringList{"&a&&b"} << 5;
        QTest::newRow("zero width: word per line") << "a b c" << 0 << 0 << QStringList{"a", "b", "c"} << 1;
        QTest::newRow("negative width") << "ab c" << -3 << 0 << QStringList{"ab", "c"} << 2;
        QTest::newRow("breaks and wrapping") << "aa bb\r\ncc" << 3 << 0 << QStringList{"aa", "bb", "cc"} << 2;
        QTest::newRow("empty line in text") << "a\r\n\r\nb" << 3 << 0 << QStringList{"a", "", "b"} << 1;
    }
    void wrap()
    {
        QFETCH(QString, text);
        QFETCH(int, wrapChars);
        QFETCH(int, wrapExtra);
        QFETCH(QStringList, lines);
        QFETCH(int, widthChars);
        const TextBlockLayout layout
                = LayoutTextBlock(text, QFontMetrics(mono, &canvas), wrapChars * adv + wrapExtra);
        QCOMPARE(layout.lines, lines);
        QCOMPARE(layout.width, widthChars * adv);
    }

    void measure_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("widthChars");
        QTest::newRow("empty text has no height") << QString() << 0 << 0;
        QTest::newRow("one line") << "abc" << 1 << 3;
        QTest::newRow("final CR adds nothing") << "abc\r" << 1 << 3;
        QTest::newRow("final CR LF adds nothing") << "abc\r\n" << 1 << 3;
        QTest::newRow("lone break") << "\r\n" << 1 << 0;
        QTest::newRow("wrapped") << "aaaa bbbb cc" << 3 << 4;
        QTest::newRow("word wider than the block") << "aaaaaaaaaaa" << 1 << 11;
    }
    void measure()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(int, widthChars);
        QFontMetrics fm(mono, &canvas);
        const int advance = fm.ascent() + fm.descent();
        QCOMPARE(TextLineAdvance(fm), advance);
        const QRect r = MeasureTextBlock(text, fm, QRect(17, 23, 5 * adv, 1000));
        QCOMPARE(r, QRect(17, 23, widthChars * adv, lines * advance));
    }

    // Lines times advance beyond an int: the block still ends below its top, far below any sheet.
    void measureHugeBlock()
    {
        QFont huge = mono;
        huge.setPixelSize(10000);
        QFontMetrics fm(huge, &canvas);
        const int advance = TextLineAdvance(fm);
        QVERIFY(advance > 10000);
        const int lines = INT_MAX / advance + 100;
        const QRect r = MeasureTextBlock(QString(lines, u'\n'), fm, QRect(17, 23, 100, 100));
        QCOMPARE(r.top(), 23);
        QCOMPARE(r.top() + r.height(), 1000000000);
    }

    // Ink of the block equals the same lines drawn one advance apart from the top-left corner.
    void drawPlacesLines()
    {
        QImage drawn = imageAtDpi(400, 200, 96);
        {
            QPainter p(&drawn);
            p.setFont(mono);
            p.setPen(Qt::black);
            DrawTextBlock(p, QStringLiteral("Ha&b\r\n\r\nHx"), QRect(30, 10, 300, 150));
        }
        QImage expected = imageAtDpi(400, 200, 96);
        {
            QPainter p(&expected);
            p.setFont(mono);
            p.setPen(Qt::black);
            QFontMetrics fm = p.fontMetrics();
            const int a = fm.ascent() + fm.descent();
            p.drawText(QPoint(30, 10 + fm.ascent()), QStringLiteral("Ha&b"));
            p.drawText(QPoint(30, 10 + 2 * a + fm.ascent()), QStringLiteral("Hx"));
        }
        QCOMPARE(drawn, expected);
    }

    void drawClipsToRect()
    {
        QImage drawn = imageAtDpi(400, 200, 96);
        const QRect rect(20, 20, 3 * adv + 2, 30);
        {
            QPainter p(&drawn);
            p.setFont(mono);
            p.setPen(Qt::black);
            DrawTextBlock(p, QStringLiteral("HHHHHHHHHH\r\nHHH\r\nHHH\r\nHHH"), rect);
        }
        const QRect ink = inkBox(drawn, drawn.rect());
        QVERIFY(!ink.isNull());
        QVERIFY2(rect.contains(ink),
                 qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                                    .arg(ink.x())
                                    .arg(ink.y())
                                    .arg(ink.width())
                                    .arg(ink.height())));
        // The long word is cut at the right edge and the second line at the bottom, not left out.
        QCOMPARE(ink.right(), rect.right());
        QCOMPARE(ink.bottom(), rect.bottom());
    }

    void drawLeavesBackground()
    {
        QImage drawn = imageAtDpi(200, 60, 96, Qt::red);
        {
            QPainter p(&drawn);
            p.setFont(mono);
            p.setPen(Qt::black);
            p.setBackgroundMode(Qt::OpaqueMode);
            p.setBackground(Qt::blue);
            DrawTextBlock(p, QStringLiteral("Hallo Welt"), QRect(0, 0, 200, 60));
        }
        const QRect blue = inkBox(drawn, drawn.rect(), [](QRgb c) { return qBlue(c) > qRed(c) + 40; });
        QVERIFY(blue.isNull());
        QVERIFY(!inkBox(drawn, drawn.rect(), [](QRgb c) { return qRed(c) < 100; }).isNull());
    }
};

KUVERTINO_GUI_TEST_MAIN(TestTextBlock)
#include "tst_textblock.moc"
