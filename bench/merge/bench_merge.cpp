// Whole runs: N C6 envelopes (default 1,000) with a 400 x 300 PNG logo from an address list in memory,
//  1. into one PDF file through RunMerge and TPdfFileTarget, the whole run until the file is in place:
//     envelopes per second (median of R runs), the file's size and the process's peak memory;
//  2. as one print job to a cups-pdf queue until cups-pdf's file has arrived, against M envelopes
//     (default 100) as jobs of their own until the last of their M files has arrived.
// The queue belongs to a scheduler started for the benchmark, as in bench_massprint; step 2 needs root
// (cups-pdf reads its settings only from /etc/cups). --pdf runs step 1 only.
//
//   bench_merge [--pdf] [N] [M] [R]

#include "BenchMeasure.h"
#include "BenchPrinting.h"
#include "PrivateScheduler.h"
#include "TestEnvironment.h"

#include "core/PaperFormats.h"
#include "core/sources/RecordSource.h"
#include "print/OneJobTarget.h"
#include "print/PaperSetup.h"
#include "print/PdfTarget.h"
#include "print/Printer.h"
#include "print/PrinterTarget.h"
#include "print/SourceRecords.h"
#include "render/EnvelopePicture.h"

#include <cups/cups.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QThread>

#include <cstdio>

namespace {

int pdfsIn(const QString &folder)
{
    return int(QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files).size());
}

// Seconds from clock's start until the folder holds `want` files (or 30 minutes).
double untilArrived(const QString &folder, int want, const QElapsedTimer &clock)
{
    while (pdfsIn(folder) < want && clock.elapsed() < 30 * 60 * 1000)
        QThread::msleep(20);
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool pdfOnly = args.removeAll(QStringLiteral("--pdf")) > 0;
    const int n = args.size() > 0 ? std::max(1, args[0].toInt()) : 1000;
    const int separate = args.size() > 1 ? std::max(1, args[1].toInt()) : 100;
    const int rounds = args.size() > 2 ? std::max(1, args[2].toInt()) : 5;

    std::unique_ptr<PrivateScheduler> scheduler;
    if (!pdfOnly) {
        scheduler = std::make_unique<PrivateScheduler>(0, PrivateScheduler::Backend::CupsPdf);
        if (!scheduler->ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(scheduler->error()));
            return 2;
        }
        qputenv("CUPS_SERVER", scheduler->socket().toLocal8Bit());
    }
    IsolatedEnvironment env(pdfOnly ? TestPrinter::BuiltInPdf : TestPrinter::SystemDefault);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    env.prepareApplication();
    const long startKib = ResidentKib();

    const sources::SourceOpenResult list = sources::OpenRecordSource(addressList(n));
    if (!list.source)
        return 2;
    EnvelopeValue envelope;
    envelope.sender = QStringLiteral("Velmora GmbH\r\nPostfach 12 34\r\n10115 Berlin");
    envelope.infoLine = QStringLiteral("Einschreiben");
    envelope.pictureFile = makeLogo(env.path());
    envelope.picturePosition = 1;
    PictureCache cache;

    // 1. One PDF file.
    const QString file = env.path(QStringLiteral("run.pdf"));
    std::vector<double> seconds;
    std::vector<double> processor;
    for (int r = 0; r < rounds; ++r) {
        QFile::remove(file);
        TSourceRecords records(*list.source, TRunOptions{});
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = ProcessorSeconds();
        TPdfFileTarget target(file,
                              QStringLiteral("Plikato"),
                              PageSizeForPaperEntry(PaperFormatDefaultIndex, Printer()),
                              QPageLayout::Landscape,
                              &cache);
        const TMergeResult result = RunMerge(records, envelope, target, n);
        seconds.push_back(double(clock.nsecsElapsed()) / 1e9);
        processor.push_back(ProcessorSeconds() - cpuBefore);
        if (result.end != TMergeEnd::Completed || result.printed != n) {
            std::fprintf(stderr, "the PDF run failed: %s\n", qPrintable(result.failureText));
            return 1;
        }
    }
    const double pdf = Median(seconds);
    const double pdfCpu = Median(processor);
    std::printf("one PDF: %d envelopes in %.3f s (median of %d), %.0f envelopes/s; processor %.3f s, "
                "%.0f envelopes per processor second; file %.1f KiB; "
                "picture decoded %d times; resident at start %.1f MiB, peak %.1f MiB\n",
                n,
                pdf,
                rounds,
                n / pdf,
                pdfCpu,
                n / pdfCpu,
                QFileInfo(file).size() / 1024.0,
                cache.loads(),
                startKib / 1024.0,
                PeakResidentKib() / 1024.0);
    std::fflush(stdout);
    if (pdfOnly)
        return 0;

    // 2. One job against jobs of their own, through the cups-pdf queue.
    TPrinter &printer = Printer();
    ApplyPaperFormat(printer, PaperFormatDefaultIndex, false);
    const QString out = scheduler->outDir();
    if (printer.isBuiltInPdfPrinter() || !queueIdle(printer.printerName()))
        return 3;
    int before = pdfsIn(out);
    QElapsedTimer clock;
    clock.start();
    {
        TSourceRecords records(*list.source, TRunOptions{});
        TOneJobTarget target(printer, QStringLiteral("Plikato"), &cache);
        if (RunMerge(records, envelope, target, n).end != TMergeEnd::Completed)
            return 1;
    }
    const double submitted = double(clock.nsecsElapsed()) / 1e9;
    const double oneJob = untilArrived(out, before + 1, clock);
    if (!queueIdle(printer.printerName()))
        return 3;

    before = pdfsIn(out);
    clock.restart();
    {
        TSourceRecords records(*list.source, TRunOptions{false, false, 1, separate});
        TPrinterJobTarget target(printer, QStringLiteral("Plikato"), &cache);
        if (RunMerge(records, envelope, target, separate).end != TMergeEnd::Completed)
            return 1;
    }
    const double alone = untilArrived(out, before + separate, clock);
    std::printf("one job of %d envelopes: %.1f s until cups-pdf's file arrived (handed over after %.1f s)\n",
                n,
                oneJob,
                submitted);
    std::printf("%d jobs of their own: %.1f s until the last arrived, %.2f jobs/s; for %d: %.1f s "
                "(extrapolated); one job is %.1f times faster\n",
                separate,
                alone,
                separate / alone,
                n,
                alone * n / separate,
                alone * n / separate / oneJob);
    return pdfsIn(out) == before + separate ? 0 : 1;
}
