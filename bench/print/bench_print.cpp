// Envelopes per second through the print routine: C6 with sender, recipient, info line and a
// 400 x 300 PNG logo, to the built-in PDF printer (default) or to the system's default printer
// (--cups: jobs per second until the print service reports them all completed). Peak memory is
// sampled along the way to show it does not grow with the number of jobs.
//
//   bench_print [--jobs N] [--rounds R] [--cups] [--keep FILE]   (FILE: a copy of one printed PDF)

#include "BenchMeasure.h"
#include "BenchPrinting.h"
#include "TestEnvironment.h"

#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "print/Printer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

int pendingJobs(const QString &queue)
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"),
                 {QStringLiteral("-W"), QStringLiteral("not-completed"), QStringLiteral("-o"), queue});
    lpstat.waitForFinished(30000);
    const QByteArray out = lpstat.readAllStandardOutput().trimmed();
    return out.isEmpty() ? 0 : int(out.count('\n')) + 1;
}

} // namespace

int main(int argc, char **argv)
{
    // The printer is chosen before the application exists, as in the tests.
    const bool cups
            = std::any_of(argv + 1, argv + argc, [](const char *a) { return QByteArray(a) == "--cups"; });
    IsolatedEnvironment env(cups ? TestPrinter::SystemDefault : TestPrinter::BuiltInPdf);
    QApplication app(argc, argv);
    env.prepareApplication();
    int jobs = 1000;
    int rounds = 3;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--jobs") && i + 1 < args.size())
            jobs = args[++i].toInt();
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = args[++i].toInt();
        else if (args[i] == QLatin1String("--keep") && i + 1 < args.size())
            keep = args[++i];
    }

    const QDir out(env.pdfFolder());
    if (cups && Printer().isBuiltInPdfPrinter()) {
        std::fprintf(stderr, "--cups: no system printer\n");
        return 1;
    }
    CreateApplicationWindows();
    MainForm->ComboBox1->setCurrentIndex(11); // C6, landscape
    MainForm->ComboBox1Change();
    MainForm->Memo1->setText(QStringLiteral("Erika Mustermann\r\nHauptstraße 17\r\n12345 Musterstadt"));
    MainForm->Memo2->setText(QStringLiteral("Max Absender\r\nNebenweg 2\r\n54321 Irgendwo"));
    MainForm->InfoEd->setText(QStringLiteral("Einschreiben"));
    MainForm->ComboBox2->setCurrentIndex(1); // logo below the sender
    MainForm->FilenameEdit1->setText(makeLogo(env.path()));

    std::printf("printer: %s, page %d x %d px at %d dpi\n",
                cups ? qPrintable(Printer().printerName()) : "built-in PDF",
                Printer().pageWidth(),
                Printer().pageHeight(),
                Printer().resolutionX());

    {
        // What every preview paint asks the printer.
        QElapsedTimer t;
        t.start();
        qint64 sum = 0;
        const int n = 200000;
        for (int i = 0; i < n; ++i)
            sum += Printer().pageWidth() + Printer().pageHeight() + Printer().resolutionX();
        std::printf("page query (width, height, resolution): %.0f ns per paint (checksum %lld)\n",
                    t.nsecsElapsed() / double(n),
                    sum % 7);
    }

    if (cups) {
        const QString queue = Printer().printerName();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < jobs; ++i)
            MainForm->Drucken1Click();
        const double submitted = t.elapsed() / 1000.0;
        while (pendingJobs(queue) > 0)
            QThread::msleep(50);
        const double done = t.elapsed() / 1000.0;
        std::printf("cups: %d jobs handed over in %.2f s (%.1f/s), all completed after %.2f s: %.1f jobs/s\n",
                    jobs,
                    submitted,
                    jobs / submitted,
                    done,
                    jobs / done);
        DestroyApplicationWindows();
        return 0;
    }

    for (int i = 0; i < 10; ++i) // warm-up: fonts, the picture cache, the PDF engine
        MainForm->Drucken1Click();
    std::printf("after warm-up: RSS %ld kB\n", ResidentKib());
    const qint64 oneFile = QFileInfo(Printer().lastOutputFile()).size();
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(Printer().lastOutputFile(), keep);
    }

    std::vector<double> rates;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        QList<long> samples;
        for (int i = 1; i <= jobs; ++i) {
            MainForm->Drucken1Click();
            if (i % (jobs / 4 > 0 ? jobs / 4 : 1) == 0)
                samples << ResidentKib();
        }
        const double s = t.elapsed() / 1000.0;
        rates.push_back(jobs / s);
        QString rss;
        for (long kb : samples)
            rss += QString::number(kb) + QLatin1Char(' ');
        std::printf("round %d: %d envelopes in %.2f s = %.0f/s; RSS at each quarter (kB): %s\n",
                    r + 1,
                    jobs,
                    s,
                    jobs / s,
                    qPrintable(rss));
        // Files of the round go, so the disk does not fill across rounds (not timed).
        for (const QString &f : out.entryList({QStringLiteral("*.pdf")}, QDir::Files))
            QFile::remove(out.filePath(f));
    }
    std::printf("median: %.0f envelopes/s; one PDF %lld bytes; peak RSS %ld kB\n",
                Median(rates),
                oneFile,
                PeakResidentKib());
    DestroyApplicationWindows();
    return 0;
}
