// End to end through the system print service: the program prints to the default printer, a cups-pdf
// queue (scripts/cups-setup.sh), and the service is asked afterwards what it did with the jobs.
// Without a reachable print service this test fails; it never skips.

#include "CopiesAnswer.h"
#include "CupsTools.h"
#include "PdfCheck.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "app/KopienFUnit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/RxSpinEdit.h"
#include "print/CupsSubmission.h"
#include "print/Printer.h"

#include <cups/cups.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <unistd.h>

namespace {

struct JobFacts
{
    int id = 0;
    QString title;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    int priority = 0;
};

// The queue's jobs numbered above `after`, as the print service lists them.
QList<JobFacts> jobsAfter(const QString &queue, int after)
{
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    QList<JobFacts> out;
    for (int i = 0; i < n; ++i) {
        if (jobs[i].id > after)
            out.append({jobs[i].id, QString::fromUtf8(jobs[i].title), jobs[i].state, jobs[i].priority});
    }
    cupsFreeJobs(n, jobs);
    std::sort(out.begin(), out.end(), [](const JobFacts &a, const JobFacts &b) { return a.id < b.id; });
    return out;
}

int lastJobIdOf(const QString &queue)
{
    int last = 0;
    for (const JobFacts &j : jobsAfter(queue, 0))
        last = qMax(last, j.id);
    return last;
}

} // namespace

class TstCupsPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void oneEnvelopeAndThreeCopiesReachTheQueue();
    void abortedJobNeverReachesTheQueue();
    void refusedJobIsReportedWithTheServicesText();
    void setupDialogChoicesReachTheJob();

private:
    // Waits until every job is done; fails on a job the service aborted or cancelled.
    QList<JobFacts> waitForCompleted(const QList<int> &ids, int after);
    QString outputFileOf(int jobId) const;

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
    QString m_queue;
    QString m_outDir;
};

void TstCupsPrint::initTestCase()
{
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        QFAIL(qPrintable(
                QStringLiteral(
                        "No default printer from the print service (%1). Run scripts/cups-setup.sh as root.")
                        .arg(QString::fromLocal8Bit(cupsLastErrorString()))));
    m_queue = QString::fromUtf8(dest->name);
    const QString uri = QString::fromUtf8(cupsGetOption("device-uri", dest->num_options, dest->options));
    cupsFreeDests(1, dest);
    QVERIFY2(
            uri.startsWith(QLatin1String("cups-pdf:")),
            qPrintable(QStringLiteral("The default printer %1 is no cups-pdf queue (%2)").arg(m_queue, uri)));
    m_outDir = CupsPdfOutputFolder();
    QVERIFY2(!m_outDir.isEmpty() && QDir(m_outDir).exists(),
             qPrintable(QStringLiteral("cups-pdf output folder \"%1\" not found").arg(m_outDir)));

    m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    CreateApplicationWindows();
    // The program starts on the system's default printer, here the PDF queue.
    QVERIFY(!Printer().isBuiltInPdfPrinter());
    QCOMPARE(Printer().printerName(), m_queue);
}

void TstCupsPrint::cleanupTestCase()
{
    DestroyApplicationWindows();
    m_dialogs.reset();
}

QList<JobFacts> TstCupsPrint::waitForCompleted(const QList<int> &ids, int after)
{
    QElapsedTimer clock;
    clock.start();
    QList<JobFacts> jobs;
    while (clock.elapsed() < 120000) {
        jobs = jobsAfter(m_queue, after);
        int done = 0;
        for (const JobFacts &j : jobs) {
            if (!ids.contains(j.id))
                continue;
            if (j.state == IPP_JSTATE_ABORTED || j.state == IPP_JSTATE_CANCELED)
                return jobs;
            if (j.state == IPP_JSTATE_COMPLETED)
                ++done;
        }
        if (done == ids.size())
            return jobs;
        QTest::qWait(100);
    }
    return jobs;
}

QString TstCupsPrint::outputFileOf(int jobId) const
{
    // cups-pdf labels each file with its job number, before or after the title.
    const QRegularExpression label(QStringLiteral("(^job_%1-|-job_%1\\.pdf$)").arg(jobId));
    for (int tries = 0; tries < 100; ++tries) {
        for (const QString &f : QDir(m_outDir).entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
            if (label.match(f).hasMatch())
                return QDir(m_outDir).filePath(f);
        }
        QTest::qWait(50);
    }
    return QString();
}

void TstCupsPrint::oneEnvelopeAndThreeCopiesReachTheQueue()
{
    MainForm->HochformatCheck->setChecked(false);
    MainForm->ComboBox1->setCurrentIndex(11); // C6
    MainForm->ComboBox1Change();
    MainForm->Memo1->setText(QStringLiteral("Erika Mustermann\r\nHauptstraße 1\r\n12345 Musterstadt"));
    MainForm->Memo2->setText(QStringLiteral("Max Absender, Nebenweg 2, 54321 Irgendwo"));

    const int before = lastJobIdOf(m_queue);
    MainForm->Drucken1Click();
    QueueCopiesAnswer(**m_dialogs, 3);
    MainForm->MehrereKopiendrucken1Click();
    // Our four jobs: other programs may print to the same queue meanwhile.
    const QList<int> ours = Printer().recentJobIds().mid(Printer().recentJobIds().size() - 4);
    QCOMPARE(ours.size(), 4);
    QVERIFY(ours.first() > before);

    const QList<JobFacts> listed = waitForCompleted(ours, before);
    QString listing;
    QList<JobFacts> jobs;
    for (const JobFacts &j : listed) {
        listing += QStringLiteral("%1 \"%2\" state %3; ").arg(j.id).arg(j.title).arg(int(j.state));
        if (ours.contains(j.id))
            jobs.append(j);
    }
    QVERIFY2(jobs.size() == 4, qPrintable(listing));
    for (const JobFacts &j : jobs) {
        QVERIFY2(j.state == IPP_JSTATE_COMPLETED, qPrintable(listing));
        QCOMPARE(j.title, QStringLiteral("Plikato"));
        const QString file = outputFileOf(j.id);
        QVERIFY2(!file.isEmpty(),
                 qPrintable(QStringLiteral("no output of job %1 in %2").arg(j.id).arg(m_outDir)));
        QVERIFY2(file.contains(QLatin1String("Plikato")), qPrintable(file));
        const PdfFacts facts = ReadPdf(file);
        QVERIFY2(facts.ok, qPrintable(file));
        QCOMPARE(facts.pages, 1);
        // A C6 sheet. The queue feeds the envelope short edge first and turns the landscape page onto it,
        // so the sheet may come out as 114 x 162 mm.
        const QSizeF sheet(qMax(facts.firstPageMm.width(), facts.firstPageMm.height()),
                           qMin(facts.firstPageMm.width(), facts.firstPageMm.height()));
        QVERIFY2(SameMm(sheet, QSizeF(162, 114), 1.0),
                 qPrintable(QStringLiteral("%1: %2 x %3 mm\n%4")
                                    .arg(file)
                                    .arg(facts.firstPageMm.width())
                                    .arg(facts.firstPageMm.height())
                                    .arg(RunTool(QStringLiteral("pdfinfo"), {file}))));
        const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    }
    QCOMPARE(ours.last(), Printer().lastJobId());
}

void TstCupsPrint::abortedJobNeverReachesTheQueue()
{
    const int before = lastJobIdOf(m_queue);
    TPrinter &p = Printer();
    p.setTitle(QStringLiteral("Plikato"));
    p.beginDoc();
    p.canvas().fillRect(QRect(0, 0, 500, 500), Qt::black);
    p.abortDoc();
    QVERIFY(!p.printing());
    // A job that did reach the service would be listed at once (submission is synchronous) and
    // would be one of ours.
    const QList<int> ours = Printer().recentJobIds();
    for (const JobFacts &j : jobsAfter(m_queue, before))
        QVERIFY2(!ours.contains(j.id),
                 qPrintable(QStringLiteral("aborted job %1 reached the queue").arg(j.id)));
    // The printer goes on working afterwards.
    MainForm->Drucken1Click();
    const int id = Printer().lastJobId();
    QVERIFY(id > before);
    bool completed = false;
    for (const JobFacts &j : waitForCompleted({id}, before))
        completed = completed || (j.id == id && j.state == IPP_JSTATE_COMPLETED);
    QVERIFY(completed);
}

void TstCupsPrint::refusedJobIsReportedWithTheServicesText()
{
    const QString reject
            = RunTool(QStringLiteral("cupsreject"), {QStringLiteral("-r"), QStringLiteral("test"), m_queue});
    struct Accept
    {
        QString queue;
        ~Accept() { RunTool(QStringLiteral("cupsaccept"), {queue}); }
    } accept{m_queue};

    const int lastOfOurs = Printer().lastJobId();
    (*m_dialogs)->messages.clear();
    QueueCopiesAnswer(**m_dialogs, 3);
    Guarded([] { MainForm->MehrereKopiendrucken1Click(); });
    QVERIFY2((*m_dialogs)->messages.size() == 1, qPrintable(reject));
    const ScriptedDialogs::Message &m = (*m_dialogs)->messages.first();
    QCOMPARE(m.icon, TMsgIcon::Error);
    // Our sentence naming the printer, then the service's own words.
    const QString ours = QStringLiteral("Der Drucker \"%1\" hat den Druckauftrag abgelehnt. ").arg(m_queue);
    QVERIFY2(m.text.startsWith(ours)
                     && m.text.mid(ours.size()).contains(QLatin1String("accept"), Qt::CaseInsensitive),
             qPrintable(m.text));
    QVERIFY(!Printer().printing());
    QCOMPARE(Printer().lastJobId(), lastOfOurs);
}

void TstCupsPrint::setupDialogChoicesReachTheJob()
{
    const int before = lastJobIdOf(m_queue);
    // What the set-up dialog's option page leaves on the printer: print-service options by name.
    (*m_dialogs)->printerAnswers.enqueue([](TPrinter &p) {
        p.qprinter().printEngine()->setProperty(
                QtCupsJobOptionsKey, QStringList{QStringLiteral("job-priority"), QStringLiteral("77")});
        p.syncSettingsFromPrinter();
        return true;
    });
    MainForm->Druckereinrichten1Click();
    MainForm->Drucken1Click();
    const int id = Printer().lastJobId();
    QVERIFY(id > before);
    int priority = -1;
    for (const JobFacts &j : waitForCompleted({id}, before)) {
        if (j.id == id)
            priority = j.priority;
    }
    QCOMPARE(priority, 77);

    // Applying a paper format selects the printer again with its defaults: the choice is gone.
    MainForm->ComboBox1Change();
    MainForm->Drucken1Click();
    const int next = Printer().lastJobId();
    for (const JobFacts &j : waitForCompleted({next}, id)) {
        if (j.id == next)
            priority = j.priority;
    }
    QCOMPARE(priority, 50);
}

KUVERTINO_GUI_TEST_MAIN_WITH_PRINTER(TstCupsPrint, TestPrinter::SystemDefault)
#include "tst_cupsprint.moc"
