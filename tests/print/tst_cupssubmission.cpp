// Handing jobs to the print service: the options a job carries, and the service's answer as the
// submission reports it (job id, or status and the service's own words). The answers need the running
// scheduler with its cups-pdf queue (scripts/cups-setup.sh); without it this test fails, never skips.

#include "CupsTools.h"
#include "TestEnvironment.h"
#include "print/CupsSubmission.h"

#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString optionsText(const QList<CupsJobOption> &options)
{
    QStringList parts;
    for (const CupsJobOption &o : options)
        parts << QString::fromLatin1(o.name + '=' + o.value);
    return parts.join(QLatin1Char(' '));
}

// The state of one job as the service lists it; 0 when it does not list it.
int jobState(const QString &queue, int id)
{
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    int state = 0;
    for (int i = 0; i < n; ++i) {
        if (jobs[i].id == id)
            state = jobs[i].state;
    }
    cupsFreeJobs(n, jobs);
    return state;
}

} // namespace

class TstCupsSubmission : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
        if (!dest)
            QFAIL(qPrintable(QStringLiteral("No default printer from the print service (%1). Run "
                                            "scripts/cups-setup.sh as root.")
                                     .arg(QString::fromLocal8Bit(cupsLastErrorString()))));
        m_queue = QString::fromUtf8(dest->name);
        cupsFreeDests(1, dest);
        QVERIFY(m_dir.isValid());
        // A small job the service takes as it is.
        m_job = m_dir.filePath(QStringLiteral("job.ps"));
        QFile f(m_job);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("%!PS\nshowpage\n");
    }

    void jobOptions_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("duplex");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("options");
        QTest::newRow("portrait, one side")
                << int(QPageLayout::Portrait) << int(QPrinter::DuplexNone) << QStringList()
                << "media=EnvC6 print-scaling=none fit-to-page=false sides=one-sided";
        QTest::newRow("landscape, one side")
                << int(QPageLayout::Landscape) << int(QPrinter::DuplexNone) << QStringList()
                << "media=EnvC6 print-scaling=none fit-to-page=false sides=one-sided landscape=";
        QTest::newRow("automatic duplex, portrait: long edge")
                << int(QPageLayout::Portrait) << int(QPrinter::DuplexAuto) << QStringList()
                << "media=EnvC6 print-scaling=none fit-to-page=false sides=two-sided-long-edge";
        QTest::newRow("automatic duplex, landscape: short edge")
                << int(QPageLayout::Landscape) << int(QPrinter::DuplexAuto) << QStringList()
                << "media=EnvC6 print-scaling=none fit-to-page=false sides=two-sided-short-edge landscape=";
        QTest::newRow("long side")
                << int(QPageLayout::Landscape) << int(QPrinter::DuplexLongSide) << QStringList()
                << "media=EnvC6 print-scaling=none fit-to-page=false sides=two-sided-long-edge landscape=";
        QTest::newRow("short side")
                << int(QPageLayout::Portrait) << int(QPrinter::DuplexShortSide) << QStringList()
                << "media=EnvC6 print-scaling=none fit-to-page=false sides=two-sided-short-edge";
        QTest::newRow("set-up dialog's choices follow")
                << int(QPageLayout::Portrait) << int(QPrinter::DuplexNone)
                << QStringList{"job-priority", "77", "InputSlot", "Tray2"}
                << "media=EnvC6 print-scaling=none fit-to-page=false sides=one-sided job-priority=77 "
                   "InputSlot=Tray2";
        QTest::newRow("a name without value is dropped")
                << int(QPageLayout::Portrait) << int(QPrinter::DuplexNone)
                << QStringList{"ColorModel", "Gray", "Resolution"}
                << "media=EnvC6 print-scaling=none fit-to-page=false sides=one-sided ColorModel=Gray";
    }
    void jobOptions()
    {
        QFETCH(int, orientation);
        QFETCH(int, duplex);
        QFETCH(QStringList, chosen);
        QFETCH(QString, options);
        const QPageLayout layout(
                QPageSize(QPageSize::EnvelopeC6), QPageLayout::Orientation(orientation), QMarginsF());
        QCOMPARE(optionsText(CupsJobOptions(layout, QPrinter::DuplexMode(duplex), chosen)), options);
    }

    void queueOfAPrinterName_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("queue");
        QTest::newRow("queue") << "Kuvertino-PDF"
                               << "Kuvertino-PDF";
        QTest::newRow("instance") << "Kuvertino-PDF/entwurf"
                                  << "Kuvertino-PDF";
        QTest::newRow("empty") << ""
                               << "";
    }
    void queueOfAPrinterName()
    {
        QFETCH(QString, printer);
        QFETCH(QString, queue);
        QCOMPARE(CupsQueueOf(printer), queue);
    }

    void setupDialogChoicesAreReadFromThePrintEngine()
    {
        QPrinter printer(QPrinterInfo::printerInfo(m_queue), QPrinter::HighResolution);
        QCOMPARE(SetupDialogCupsOptions(printer), QStringList());
        const QStringList chosen{QStringLiteral("job-priority"), QStringLiteral("77")};
        printer.printEngine()->setProperty(QtCupsJobOptionsKey, chosen);
        QCOMPARE(SetupDialogCupsOptions(printer), chosen);
        // The built-in PDF output has no such choices.
        QPrinter pdf;
        pdf.setOutputFormat(QPrinter::PdfFormat);
        QCOMPARE(SetupDialogCupsOptions(pdf), QStringList());
    }

    void takenJobCarriesItsIdAndOptions()
    {
        // Held in the queue, so the options are seen to arrive and nothing is printed.
        const CupsJob job{
                m_queue,
                m_job,
                QStringLiteral("Plikato"),
                {CupsJobOption{"job-hold-until", "indefinite"}, CupsJobOption{"job-priority", "12"}}};
        const CupsSubmissionResult r = SubmitCupsJob(job);
        QVERIFY2(r.accepted(), qPrintable(r.serviceText));
        QVERIFY(r.jobId > 0);
        QCOMPARE(r.status, IPP_STATUS_OK);
        QCOMPARE(r.serviceText, QString());
        QCOMPARE(jobState(m_queue, r.jobId), int(IPP_JSTATE_HELD));
        QVERIFY(cupsCancelJob2(CUPS_HTTP_DEFAULT, m_queue.toUtf8().constData(), r.jobId, 1) == IPP_STATUS_OK);
    }

    void refusalsCarryTheServicesStatusAndWords_data()
    {
        QTest::addColumn<bool>("rejecting");
        QTest::addColumn<QString>("queue");
        QTest::addColumn<int>("status");
        QTest::newRow("queue refuses jobs") << true << QString() << int(IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS);
        // libcups answers an unknown queue itself, before any request, with its internal-error status.
        QTest::newRow("no such queue") << false << "Kuvertino-nirgends" << int(IPP_STATUS_ERROR_INTERNAL);
    }
    void refusalsCarryTheServicesStatusAndWords()
    {
        QFETCH(bool, rejecting);
        QFETCH(QString, queue);
        QFETCH(int, status);
        if (queue.isEmpty())
            queue = m_queue;
        struct Accept
        {
            QString queue;
            bool active;
            ~Accept()
            {
                if (active)
                    RunTool(QStringLiteral("cupsaccept"), {queue});
            }
        } accept{m_queue, rejecting};
        if (rejecting)
            RunTool(QStringLiteral("cupsreject"), {QStringLiteral("-r"), QStringLiteral("test"), m_queue});

        const CupsJob job{queue, m_job, QStringLiteral("Plikato"), {}};
        const CupsSubmissionResult r = SubmitCupsJob(job);
        QVERIFY(!r.accepted());
        QCOMPARE(r.jobId, 0);
        QCOMPARE(int(r.status), status);
        QVERIFY2(!r.serviceText.isEmpty(), "the service gave no words");
        // The same job is handed over again once the service takes jobs again.
        if (rejecting) {
            RunTool(QStringLiteral("cupsaccept"), {m_queue});
            CupsJob again = job;
            again.options = {CupsJobOption{"job-hold-until", "indefinite"}};
            const CupsSubmissionResult taken = SubmitCupsJob(again);
            QVERIFY2(taken.accepted(), qPrintable(taken.serviceText));
            QCOMPARE(taken.status, IPP_STATUS_OK);
            cupsCancelJob2(CUPS_HTTP_DEFAULT, m_queue.toUtf8().constData(), taken.jobId, 1);
        }
    }

private:
    QString m_queue;
    QTemporaryDir m_dir;
    QString m_job;
};

KUVERTINO_GUI_TEST_MAIN_WITH_PRINTER(TstCupsSubmission, TestPrinter::SystemDefault)
#include "tst_cupssubmission.moc"
