#include "TestEnvironment.h"
#include "app/ChooseAddressFUnit.h"
#include "app/Memo.h"
#include "core/LineBreaks.h"
#include "render/TextBlock.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTest>

// One line-break rule for every multi-line text: the rule itself, and the address field, the address
// list and the envelope's text blocks all following it.
class TestLineBreaks : public QObject
{
    Q_OBJECT

private slots:
    void rule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lineFeeds");
        QTest::addColumn<QString>("crLf");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << ""
                               << ""
                               << "" << QStringList{};
        QTest::newRow("one line") << "Meier"
                                  << "Meier"
                                  << "Meier" << QStringList{"Meier"};
        QTest::newRow("cr lf") << "A\r\nB"
                               << "A\nB"
                               << "A\r\nB" << QStringList{"A", "B"};
        QTest::newRow("lone cr") << "A\rB"
                                 << "A\nB"
                                 << "A\r\nB" << QStringList{"A", "B"};
        QTest::newRow("lone lf") << "A\nB"
                                 << "A\nB"
                                 << "A\r\nB" << QStringList{"A", "B"};
        QTest::newRow("lf cr is two breaks") << "A\n\rB"
                                             << "A\n\nB"
                                             << "A\r\n\r\nB" << QStringList{"A", "", "B"};
        QTest::newRow("cr before cr lf") << "A\r\r\nB"
                                         << "A\n\nB"
                                         << "A\r\n\r\nB" << QStringList{"A", "", "B"};
        QTest::newRow("mixed") << "A\rB\nC\r\nD"
                               << "A\nB\nC\nD"
                               << "A\r\nB\r\nC\r\nD" << QStringList{"A", "B", "C", "D"};
        QTest::newRow("final break kept, no line") << "A\r\n"
                                                   << "A\n"
                                                   << "A\r\n"
                                                   << QStringList{"A"};
        QTest::newRow("final lone cr") << "A\r"
                                       << "A\n"
                                       << "A\r\n"
                                       << QStringList{"A"};
        QTest::newRow("break alone") << "\r\n"
                                     << "\n"
                                     << "\r\n"
                                     << QStringList{""};
        QTest::newRow("two lone crs") << "\r\r"
                                      << "\n\n"
                                      << "\r\n\r\n"
                                      << QStringList{"", ""};
        QTest::newRow("empty line before final break") << "A\r\n\r\n"
                                                       << "A\n\n"
                                                       << "A\r\n\r\n"
                                                       << QStringList{"A", ""};
        QTest::newRow("blanks stay") << " A \r\n B "
                                     << " A \n B "
                                     << " A \r\n B " << QStringList{" A ", " B "};
    }
    void rule()
    {
        QFETCH(QString, text);
        QTEST(WithLineFeeds(text), "lineFeeds");
        QTEST(WithCrLf(text), "crLf");
        QTEST(SplitTextLines(text), "lines");
        // Each form keeps the lines.
        QTEST(SplitTextLines(WithLineFeeds(text)), "lines");
        QTEST(SplitTextLines(WithCrLf(text)), "lines");
    }

    void everyTextFollowsTheRule_data() { rule_data(); }
    void everyTextFollowsTheRule()
    {
        QFETCH(QString, text);
        QFETCH(QString, crLf);
        QFETCH(QStringList, lines);

        TMemo memo;
        memo.setText(text);
        QCOMPARE(memo.text(), crLf);
        QCOMPARE(memo.lines(), lines);
        QCOMPARE(memo.lineCount(), int(lines.size()));

        QCOMPARE(AddressDisplayText(text), lines.join(QStringLiteral(" ⏎ ")));

        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        const QFontMetrics metrics(font);
        QCOMPARE(LayoutTextBlock(text, metrics, 100000).lines, lines);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestLineBreaks)
#include "tst_linebreaks.moc"
