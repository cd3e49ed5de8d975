// kuvertino --print as a script runs it: exit codes, what reaches the paper, stopping on a signal
// and going on with --resume.

#include "CliProcess.h"

#include <QRegularExpression>
#include <QtTest>

#include <csignal>

namespace {

// n records "Person NN;Street NN" after a header line.
QByteArray addressFile(int n)
{
    QByteArray csv = "Name;Street\n";
    for (int k = 1; k <= n; ++k)
        csv += QStringLiteral("Person %1;Street %1\n").arg(k, 2, 10, QLatin1Char('0')).toUtf8();
    return csv;
}

// Each page's recipient number, in order.
QList<int> people(const QStringList &pageTexts)
{
    static const QRegularExpression person(QStringLiteral("Person (\\d\\d)"));
    QList<int> numbers;
    for (const QString &text : pageTexts)
        numbers << person.match(text).captured(1).toInt();
    return numbers;
}

QList<int> printedPeople(const QString &folder)
{
    return people(PdfFolderTexts(folder));
}

} // namespace

class TstCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void exitCodes_data();
    void exitCodes();
    void printsEachRecordOnce_data();
    void printsEachRecordOnce();
    void interruptedRunResumes();
};

void TstCommandLine::exitCodes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("message");     // on stdout for 0, else on stderr
    QTest::addColumn<QByteArray>("options0"); // the stored language, empty for none
    struct Row
    {
        const char *tag, *args; // args: "P" stands for --print=brief.kvt, "A" for --addresses=a.csv
        int exit;
        const char16_t *message;
        const char *options0;
    };
    // clang-format off
    static const Row rows[] = {
        {"help lists the exit codes", "--help", 0, u"4  the run was interrupted", ""},
        {"help in the stored language", "--help", 0, u"2  un fichier n’a pas pu être lu", "0200000000"},
        {"version", "--version", 0, u"kuvertino 1.0\n", ""},
        {"no document", "--copies 2", 1, u"--print with the document is missing.", ""},
        {"unknown option", "P --colour", 1, u"Unknown option 'colour'.", ""},
        {"range backwards", "P A --range=5-2", 1, u"Invalid range “5-2”", ""},
        {"separator", "P A --separator=|", 1, u"Invalid separator “|”", ""},
        {"copies with addresses", "P A --copies=2", 1, u"--copies applies only without --addresses.", ""},
        {"resume without addresses", "P --resume", 1, u"--resume applies only with --addresses.", ""},
        {"usage in Dutch", "P --copies=0", 1, u"Ongeldig aantal “0”", "03000000"},
        {"no such sheet", "P A --sheet=X", 1, u"“a.csv” has no sheet “X”", ""},
        {"missing document", "--print=none.kvt", 2, u"“none.kvt” cannot be read", ""},
        {"cut document", "--print=cut.kvt", 2, u"“cut.kvt” is damaged or incomplete", ""},
        {"address file is a PDF", "P --addresses=fake.pdf", 2, u"“fake.pdf” is a PDF document", ""},
        {"unknown printer", "P --printer=Nirgendwo", 3, u"There is no printer “Nirgendwo”.", ""},
        {"PDF file not writable", "P --pdf=no/such/folder/out.pdf", 3, u"out.pdf", ""},
        // The documents folder is a file: the built-in printer has nowhere to write.
        {"output refused", "P", 3, u"for the PDF files cannot be created", ""},
    };
    // clang-format on
    for (const Row &r : rows) {
        QStringList args = QString::fromLatin1(r.args).split(u' ');
        args.replaceInStrings(QRegularExpression(QStringLiteral("^P$")), QStringLiteral("--print=brief.kvt"));
        args.replaceInStrings(QRegularExpression(QStringLiteral("^A$")), QStringLiteral("--addresses=a.csv"));
        QTest::newRow(r.tag) << args << r.exit << QString::fromUtf16(r.message)
                             << QByteArray::fromHex(r.options0);
    }
}

void TstCommandLine::exitCodes()
{
    QFETCH(QStringList, args);
    QFETCH(int, exit);
    QFETCH(QString, message);
    QFETCH(QByteArray, options0);
    CliHome home;
    home.document(QStringLiteral("Erika Muster"));
    home.write(QStringLiteral("cut.kvt"), SettingsFileBytes(TEnvelopeSettings{}).left(30));
    home.write(QStringLiteral("fake.pdf"), "%PDF-1.4\n1 0 obj\n");
    home.write(QStringLiteral("a.csv"), addressFile(3));
    if (!options0.isEmpty())
        home.write(QStringLiteral("data/Velmora/Kuvertino/options0.dat"), options0);
    if (QString::fromLatin1(QTest::currentDataTag()) == QStringLiteral("output refused")) {
        QDir(home.path(QStringLiteral("docs"))).removeRecursively();
        home.write(QStringLiteral("docs"), "not a folder");
    }
    const CliResult r = home.run(args);
    QVERIFY2(r.exit == exit, qPrintable(QStringLiteral("exit %1: %2").arg(r.exit).arg(r.err)));
    QVERIFY2((exit == 0 ? r.out : r.err).contains(message), qPrintable(r.out + r.err));
}

void TstCommandLine::printsEachRecordOnce_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QList<int>>("pages"); // each page's person, 0: the document's own recipient
    QTest::addColumn<int>("files");        // the built-in printer's; 0: one PDF file out.pdf

    const QString csv = QStringLiteral("--addresses=a.csv");
    QTest::newRow("copies of the recipient")
            << QStringList{QStringLiteral("--copies=3")} << QList<int>{0, 0, 0} << 3;
    QTest::newRow("header and range")
            << QStringList{csv, QStringLiteral("--header"), QStringLiteral("--range=2-4")}
            << QList<int>{2, 3, 4} << 3;
    QTest::newRow("open range") << QStringList{csv, QStringLiteral("--header"), QStringLiteral("--range=5-")}
                                << QList<int>{5, 6} << 2;
    QTest::newRow("tabs") << QStringList{QStringLiteral("--addresses=t.csv"),
                                         QStringLiteral("--separator=tab")}
                          << QList<int>{1, 2} << 2;
    QTest::newRow("one job") << QStringList{csv, QStringLiteral("--header"), QStringLiteral("--one-job")}
                             << QList<int>{1, 2, 3, 4, 5, 6} << 1;
    QTest::newRow("one PDF file") << QStringList{csv,
                                                 QStringLiteral("--range=3-5"),
                                                 QStringLiteral("--pdf=out.pdf")}
                                  << QList<int>{2, 3, 4} << 0;
    QTest::newRow("copies to a PDF file")
            << QStringList{QStringLiteral("--copies=2"), QStringLiteral("--pdf=out.pdf")} << QList<int>{0, 0}
            << 0;
}

void TstCommandLine::printsEachRecordOnce()
{
    QFETCH(QStringList, args);
    QFETCH(QList<int>, pages);
    QFETCH(int, files);
    CliHome home;
    home.document(QStringLiteral("Person 00\r\nDorfplatz 1"));
    home.write(QStringLiteral("a.csv"), addressFile(6));
    home.write(QStringLiteral("t.csv"), "Person 01\tA\nPerson 02\tB\n");
    const CliResult r = home.run(QStringList{QStringLiteral("--print=brief.kvt")} + args);
    QVERIFY2(r.exit == 0, qPrintable(r.err));
    QCOMPARE(QDir(home.pdfFolder()).entryList(QDir::Files).size(), files);
    QCOMPARE(people(files ? PdfFolderTexts(home.pdfFolder())
                          : PdfPageTexts(home.path(QStringLiteral("out.pdf")))),
             pages);
    // Not a terminal: no progress, only where the envelopes went.
    QCOMPARE(r.err.count(u'\n'), 1);
    QVERIFY(r.err.contains(files > 1 ? QStringLiteral("%1 envelopes printed to PDF files").arg(files)
                                     : QStringLiteral("Printed to the PDF file")));
}

void TstCommandLine::interruptedRunResumes()
{
    CliHome home;
    home.document(QStringLiteral("-"));
    home.write(QStringLiteral("a.csv"), addressFile(12));
    const QStringList args{QStringLiteral("--print=brief.kvt"),
                           QStringLiteral("--addresses=a.csv"),
                           QStringLiteral("--header")};
    home.env().insert(QStringLiteral("KUVERTINO_TEST_ENVELOPE_DELAY_MS"), QStringLiteral("300"));
    QProcess p;
    home.start(p, args);
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.pdfFolder() + QStringLiteral("/Plikato-3.pdf")), 60000);
    ::kill(pid_t(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 4);
    const QList<int> first = printedPeople(home.pdfFolder());
    QVERIFY(first.size() >= 3 && first.size() < 12);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    // The file's line: the header line comes first.
    QVERIFY2(err.contains(QStringLiteral("Next record: line %1, “Person %2”")
                                  .arg(first.size() + 2)
                                  .arg(first.size() + 1, 2, 10, QLatin1Char('0'))),
             qPrintable(err));

    home.env().remove(QStringLiteral("KUVERTINO_TEST_ENVELOPE_DELAY_MS"));
    const CliResult resumed = home.run(args + QStringList{QStringLiteral("--resume")});
    QVERIFY2(resumed.exit == 0, qPrintable(resumed.err));
    QVERIFY(resumed.err.contains(QStringLiteral("Continuing at record %1").arg(first.size() + 1)));
    QList<int> all;
    for (int k = 1; k <= 12; ++k)
        all << k;
    QCOMPARE(printedPeople(home.pdfFolder()), all);
    // The finished run leaves no point to resume from.
    const CliResult again
            = home.run(args + QStringList{QStringLiteral("--resume"), QStringLiteral("--range=12")});
    QVERIFY(again.err.contains(
            QStringLiteral("No interrupted run is stored for “a.csv”; printing starts at record 12.")));
}

QTEST_GUILESS_MAIN(TstCommandLine)

#include "tst_commandline.moc"
