#include "TranslateTestSupport.h"
#include "TsvTable.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestTsv2Dat : public QObject
{
    Q_OBJECT

    static QString toolPath() { return QStringLiteral(KUVERTINO_BINARY_DIR "/tools/tsv2dat/tsv2dat"); }

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("tsv");
        QTest::addColumn<QString>("rows"); // rows joined by '/', columns by '|'; "error: ..." on failure
        QTest::newRow("comments and empty lines")
                << QByteArray("# German\tEnglish\n\nHaus\tHouse\tMaison\tHuis\n# end\n")
                << "Haus|House|Maison|Huis";
        QTest::newRow("German only") << QByteArray("Haus\n") << "Haus";
        QTest::newRow("empty English, French given") << QByteArray("Haus\t\tMaison\n") << "Haus||Maison";
        QTest::newRow("CR LF line ends") << QByteArray("A\tB\r\nC\tD\r\n") << "A|B/C|D";
        QTest::newRow("escapes") << QByteArray("Zeile\\neins\tLine\\tone\\\\\n") << "Zeile\neins|Line\tone\\";
        QTest::newRow("umlauts in UTF-8")
                << QByteArray("Öffnen...\tOpen...\n") << QStringLiteral("Öffnen...|Open...");
        QTest::newRow("twice") << QByteArray("A\tB\nA\tC\n")
                               << "error: line 2: German text \"A\" given twice";
        QTest::newRow("empty German") << QByteArray("\tB\n") << "error: line 1: empty German text";
        QTest::newRow("outer space") << QByteArray("A \tB\n")
                                     << "error: line 1: German text with outer spaces";
        QTest::newRow("bad escape") << QByteArray("A\\x\n") << "error: line 1: bad escape in \"A\\x\"";
        QTest::newRow("trailing backslash")
                << QByteArray("A\tB\\\n") << "error: line 1: bad escape in \"B\\\"";
        QTest::newRow("21 columns") << QByteArray("A") + QByteArray(20, '\t') + "B\n"
                                    << "error: line 1: more than 20 columns";
        QTest::newRow("20 columns") << QByteArray("A") + QByteArray(19, '\t') + "T\n"
                                    << "A" + QString(18, QLatin1Char('|')) + "|T";
    }
    void parse()
    {
        QFETCH(QByteArray, tsv);
        QFETCH(QString, rows);
        TTsvTable table;
        QString error;
        if (ParseTsvTable(tsv, table, error)) {
            QStringList out;
            for (const QStringList &r : table.rows)
                out << r.join(QLatin1Char('|'));
            QCOMPARE(out.join(QLatin1Char('/')), rows);
        } else {
            QCOMPARE(QStringLiteral("error: ") + error, rows);
        }
    }

    void exactBytes()
    {
        TTsvTable table;
        table.rows = {{QStringLiteral("Ü"), QStringLiteral("U")}};
        QByteArray expected = hexBytes("14000000 01000000"
                                       "01000000 dc00"
                                       "01000000 5500");
        for (int k = 2; k < 20; ++k)
            expected += hexBytes("00000000");
        QCOMPARE(TranslationFileBytes(table), expected);
        QCOMPARE(TranslationFileBytes({}), hexBytes("14000000 00000000"));
    }

    // What the build put beside the program is the delivered TSV, row for row.
    void builtTableMatchesTheTsv()
    {
        QFile tsv(QStringLiteral(KUVERTINO_SOURCE_TSV));
        QVERIFY(tsv.open(QIODevice::ReadOnly));
        TTsvTable table;
        QString error;
        QVERIFY2(ParseTsvTable(tsv.readAll(), table, error), qPrintable(error));
        QVERIFY(table.rows.size() > 100);
        QCOMPARE(readBytes(QStringLiteral(KUVERTINO_BINARY_DIR "/translate.dat")),
                 TranslationFileBytes(table));
        for (const QStringList &row : table.rows)
            QVERIFY2(row.size() >= 2 && !row[1].isEmpty(),
                     qPrintable(row[0] + QStringLiteral(": no English")));
    }

    void toolRejectsBadTableAndWritesNothing()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("bad.tsv"));
        const QString out = dir.filePath(QStringLiteral("translate.dat"));
        QVERIFY(writeBytes(in, "A\tB\nA\tC\n"));
        QProcess p;
        p.start(toolPath(), {in, out});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardError().contains("given twice"));
        QVERIFY(!QFile::exists(out));

        QVERIFY(writeBytes(in, "Haus\tHouse\n"));
        p.start(toolPath(), {in, out});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(readTable(out),
                 QList<QStringList>({QStringList{"Haus", "House"} + QStringList(18, QString())}));
    }
};

QTEST_GUILESS_MAIN(TestTsv2Dat)
#include "tst_tsv2dat.moc"
