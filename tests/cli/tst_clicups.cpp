// kuvertino --print through the system's print service: the default printer is a cups-pdf queue
// (scripts/cups-setup.sh); the jobs the service completed are read back from its files.

#include "CliProcess.h"
#include "CupsTools.h"

#include <cups/cups.h>

#include <QRegularExpression>
#include <QtTest>

namespace {

// The ids of the completed jobs numbered above after, once none is pending (at most two minutes).
QList<int> completedJobsAfter(int after, int expected)
{
    QList<int> ids;
    for (int tries = 0; tries < 1200 && ids.size() < expected; ++tries) {
        cups_job_t *jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
        ids.clear();
        for (int i = 0; i < n; ++i)
            if (jobs[i].id > after && jobs[i].state == IPP_JSTATE_COMPLETED)
                ids << jobs[i].id;
        cupsFreeJobs(n, jobs);
        QTest::qWait(100);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

int lastJobId()
{
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    int last = 0;
    for (int i = 0; i < n; ++i)
        last = qMax(last, jobs[i].id);
    cupsFreeJobs(n, jobs);
    return last;
}

// The pages of the file cups-pdf wrote for each job (its conversion keeps no text to read back).
QList<int> pagesOfJobs(const QList<int> &ids)
{
    const QDir out(CupsPdfOutputFolder());
    QList<int> pages;
    for (int id : ids) {
        const QRegularExpression label(QStringLiteral("(^job_%1-|-job_%1\\.pdf$)").arg(id));
        QString file;
        for (int tries = 0; tries < 100 && file.isEmpty(); ++tries, QTest::qWait(file.isEmpty() ? 50 : 0))
            for (const QString &f : out.entryList({QStringLiteral("*.pdf")}, QDir::Files))
                if (label.match(f).hasMatch())
                    file = out.filePath(f);
        pages << int(PdfPageTexts(file).size());
    }
    return pages;
}

} // namespace

class TstCliCups : public QObject
{
    Q_OBJECT

private slots:
    void jobsReachTheQueue_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("jobs");
        QTest::addColumn<QList<int>>("pages"); // of each job
        QTest::newRow("a job per envelope")
                << QStringList{QStringLiteral("--range=1-2")} << 2 << QList<int>{1, 1};
        QTest::newRow("one job") << QStringList{QStringLiteral("--one-job")} << 1 << QList<int>{3};
    }
    void jobsReachTheQueue()
    {
        QFETCH(QStringList, args);
        QFETCH(int, jobs);
        QFETCH(QList<int>, pages);
        CliHome home(true);
        home.document(QStringLiteral("-"));
        home.write(QStringLiteral("a.csv"), "Name\nPerson 1\nPerson 2\nPerson 3\n");
        const int before = lastJobId();
        const CliResult r = home.run(QStringList{QStringLiteral("--print=brief.kvt"),
                                                 QStringLiteral("--addresses=a.csv"),
                                                 QStringLiteral("--header")}
                                     + args);
        QVERIFY2(r.exit == 0, qPrintable(r.err));
        QCOMPARE(r.err, QString());
        const QList<int> ids = completedJobsAfter(before, jobs);
        QCOMPARE(ids.size(), jobs);
        QCOMPARE(pagesOfJobs(ids), pages);
    }
};

QTEST_GUILESS_MAIN(TstCliCups)

#include "tst_clicups.moc"
