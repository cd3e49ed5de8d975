// A CSV print run of N lines (default 1,000) through a cups-pdf queue with the scheduler's default job
// limit (500), against the same envelopes submitted alone, one libcups call each (retried every
// 100 ms while the scheduler is full). Counts the files cups-pdf wrote, the times until the last one
// arrived, the run's own processor time and the rate.
//
// The queue belongs to a scheduler started for the benchmark (same cupsd, same cups-pdf, same
// default limit as the system's), so a thousand jobs do not hold up every other print job of the
// machine for the time they take. Needs root: cups-pdf reads its settings only from /etc/cups.
//
//   bench_massprint [N]

#include "BenchMeasure.h"
#include "BenchPrinting.h"
#include "PrivateScheduler.h"
#include "ScriptedDialogs.h"

#include "app/MainUnit.h"
#include "print/Printer.h"

#include <cups/cups.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinterInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

QSet<QString> pdfsIn(const QString &folder)
{
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    return QSet<QString>(names.begin(), names.end());
}

// Seconds from `clock`'s start until n files beyond `before` are in the folder (or 40 minutes).
double untilArrived(
        const QString &folder, const QSet<QString> &before, int n, const QElapsedTimer &clock, int &arrived)
{
    for (;;) {
        arrived = int((pdfsIn(folder) - before).size());
        if (arrived >= n || clock.elapsed() > 40 * 60 * 1000)
            return double(clock.nsecsElapsed()) / 1e9;
        QThread::msleep(20);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    PrivateScheduler scheduler(0, PrivateScheduler::Backend::CupsPdf);
    if (!scheduler.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(scheduler.error()));
        return 2;
    }
    qputenv("CUPS_SERVER", scheduler.socket().toLocal8Bit());
    QTemporaryDir dir;
    // A default printer chosen in the user's own print settings would win over the scheduler's.
    qputenv("HOME", dir.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("kuvertino"));
    SetProgramFolderForTests(dir.path() + QStringLiteral("/prog/"));

    const QString queue = QPrinterInfo::defaultPrinterName();
    const QString out = scheduler.outDir();
    if (queue != QLatin1String(PrivateScheduler::Queue)) {
        std::fprintf(stderr,
                     "the default printer is \"%s\", not the benchmark's queue\n%s\n",
                     qPrintable(queue),
                     qPrintable(scheduler.log()));
        return 2;
    }
    const QString csv = dir.path() + QStringLiteral("/bench.csv");
    {
        const QByteArray bytes = addressList(n);
        QFile f(csv);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 2;
    }
    auto dialogs = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs *script = dialogs.get();
    SetDialogs(std::move(dialogs));
    CreateApplicationWindows();

    // The same envelopes as documents of their own, drawn by the built-in PDF printer.
    const QString docs = dir.path() + QStringLiteral("/docs");
    TPrinter::setPdfOutputFolder(docs);
    Printer().useBuiltInPdfPrinter();
    script->fileAnswers.enqueue(csv);
    MainForm->CSVImportieren1Click();
    QStringList files = QDir(docs).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    const auto num = [](const QString &s) { return s.section(u'-', -1).section(u'.', 0, 0).toInt(); };
    std::sort(
            files.begin(), files.end(), [&](const QString &a, const QString &b) { return num(a) < num(b); });
    Printer().selectPrinter(queue);
    if (files.size() != n || Printer().isBuiltInPdfPrinter()) {
        std::fprintf(stderr, "preparing the documents failed (%lld)\n", qlonglong(files.size()));
        return 2;
    }
    if (!queueIdle(queue))
        return 3;

    // Alone: one call per document, the queue's own pace.
    QSet<QString> before = pdfsIn(out);
    QElapsedTimer clock;
    clock.start();
    int refusals = 0;
    for (const QString &f : files) {
        const QByteArray path = QFile::encodeName(QDir(docs).filePath(f));
        while (cupsPrintFile(queue.toUtf8().constData(), path.constData(), "Plikato", 0, nullptr) <= 0) {
            if (cupsLastError() != IPP_STATUS_ERROR_NOT_POSSIBLE) {
                std::fprintf(stderr, "refused: %s\n", cupsLastErrorString());
                return 4;
            }
            ++refusals;
            QThread::msleep(100);
        }
    }
    const double aloneSubmitted = double(clock.nsecsElapsed()) / 1e9;
    int aloneArrived = 0;
    const double alone = untilArrived(out, before, n, clock, aloneArrived);
    if (!queueIdle(queue))
        return 3;

    // The program's CSV run.
    before = pdfsIn(out);
    script->fileAnswers.enqueue(csv);
    const double cpuBefore = ProcessorSeconds();
    clock.restart();
    MainForm->CSVImportieren1Click();
    const double runSeconds = double(clock.nsecsElapsed()) / 1e9;
    const double runCpu = ProcessorSeconds() - cpuBefore;
    int arrived = 0;
    const double total = untilArrived(out, before, n, clock, arrived);

    std::printf("queue %s, %d lines, cups-pdf output in %s\n", qPrintable(queue), n, qPrintable(out));
    std::printf("alone:   %d of %d arrived, %.1f s (all submitted after %.1f s, %d refusals), %.2f jobs/s\n",
                aloneArrived,
                n,
                alone,
                aloneSubmitted,
                refusals,
                n / alone);
    std::printf(
            "program: %d of %d arrived, %.1f s (run %.1f s, processor %.1f s), %.2f jobs/s, messages %lld\n",
            arrived,
            n,
            total,
            runSeconds,
            runCpu,
            n / total,
            qlonglong(script->messages.size()));
    std::printf("program over alone: %+.1f %%\n", (total / alone - 1) * 100);
    std::fflush(stdout);
    return arrived == n && aloneArrived == n ? 0 : 1;
}
