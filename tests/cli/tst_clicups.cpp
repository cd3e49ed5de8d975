// kuvertino --print through the system's print service: the default printer is a cups-pdf queue
// (scripts/cups-setup.sh); the jobs the service completed are read back from its files.

#include "CliProcess.h"
#include "CupsTools.h"

#include <cups/cups.h>

#include <QRegularExpression>
#include <QtTest>

// The print service's jobs above after (all of them, or the completed ones), in order.
static QList<int> jobsAfter(int after, bool completed)
{
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    QList<int> ids;
    for (int i = 0; i < n; ++i)
        if (jobs[i].id > after && (!completed || jobs[i].state == IPP_JSTATE_COMPLETED))
            ids << jobs[i].id;
    cupsFreeJobs(n, jobs);
    std::sort(ids.begin(), ids.end());
    return ids;
}

class TstCliCups : public QObject
{
    Q_OBJECT

private slots:
    void jobsReachTheQueue_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QList<int>>("pages"); // of each job
        QTest::newRow("a job per envelope") << QStringList{QStringLiteral("--range=1-2")} << QList<int>{1, 1};
        QTest::newRow("one job") << QStringList{QStringLiteral("--one-job")} << QList<int>{3};
    }
    void jobsReachTheQueue()
    {
        QFETCH(QStringList, args);
        QFETCH(QList<int>, pages);
        CliHome home(true);
        home.document(QStringLiteral("-"));
        home.write(QStringLiteral("a.csv"), "Name\nPerson 1\nPerson 2\nPerson 3\n");
        const int before = jobsAfter(0, false).value(jobsAfter(0, false).size() - 1);
        const CliResult r = home.run(QStringList{QStringLiteral("--print=brief.kvt"),
                                                 QStringLiteral("--addresses=a.csv"),
                                                 QStringLiteral("--header")}
                                     + args);
        QVERIFY2(r.exit == 0, qPrintable(r.err));
        QCOMPARE(r.err, QString());
        QTRY_COMPARE_WITH_TIMEOUT(jobsAfter(before, true).size(), pages.size(), 120000);
        // cups-pdf's conversion keeps no text to read back: the pages of each job's file.
        const QDir out(CupsPdfOutputFolder());
        for (int k = 0; k < pages.size(); ++k) {
            const QStringList files
                    = out.entryList({QStringLiteral("*-job_%1.pdf").arg(jobsAfter(before, true)[k]),
                                     QStringLiteral("job_%1-*.pdf").arg(jobsAfter(before, true)[k])});
            QTRY_COMPARE(PdfPageTexts(out.filePath(files.value(0))).size(), pages[k]);
        }
    }
};

QTEST_GUILESS_MAIN(TstCliCups)

#include "tst_clicups.moc"
