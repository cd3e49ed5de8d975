// Figures for the two CSV runs: the list run (with its write of options.dat after every record) and
// the print run to the built-in PDF printer, each in a process of its own so peak memory is its own.
//   bench_csvruns                 all figures (list 5,000; print 1,000 and 5,000), median of --repeat runs
//   bench_csvruns list|listopen|print N
//                                 one run in this process; prints "seconds processor peak_kib records"
//                                 (listopen: the list run with the address list window kept open)
//   bench_csvruns listfile PATH   the list run over an address file of any kind (.xlsx, .vcf, ...), the
//                                 same line
#include "BenchMeasure.h"
#include "BenchPrinting.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/ChooseAddressFUnit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "core/CsvReader.h"
#include "print/Printer.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// file: the address file to run over; empty for n generated CSV lines.
int runOnce(const QString &mode, int n, const QString &file = QString())
{
    IsolatedEnvironment env;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "bench_csvruns";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    env.prepareApplication();

    QString csv = file;
    if (csv.isEmpty()) {
        csv = env.path(QStringLiteral("bench.csv"));
        QFile f(csv);
        if (!f.open(QIODevice::WriteOnly) || f.write(addressList(n)) < 0)
            return 2;
    }
    auto dialogs = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs *script = dialogs.get();
    SetDialogs(std::move(dialogs));
    CreateApplicationWindows();
    MainForm->show();
    script->fileAnswers.enqueue(csv);

    const bool list = mode.startsWith(QLatin1String("list"));
    if (mode == QLatin1String("listopen"))
        ChooseAddressForm->showNonModal();

    const double cpuBefore = ProcessorSeconds();
    QElapsedTimer t;
    t.start();
    if (list)
        MainForm->CSVDateiinAdresslisteladen1Click();
    else
        MainForm->CSVImportieren1Click();
    const double seconds = ElapsedMs(t) / 1e3;
    const double cpu = ProcessorSeconds() - cpuBefore;
    const int records = list ? int(ChooseAddressForm->addresses().size())
                             : int(QDir(env.pdfFolder()).entryList(QDir::Files).size());
    std::printf("%.3f %.3f %ld %d\n", seconds, cpu, PeakResidentKib(), records);
    std::fflush(stdout);
    // The windows and the application go with the process; the run's folder is not left behind.
    QDir(env.path()).removeRecursively();
    std::_Exit(0);
}

struct Figure
{
    double seconds = 0;
    double cpu = 0;
    long peak = 0;
    int records = 0;
};

Figure child(const QString &self, const QString &mode, int n)
{
    QProcess p;
    p.start(self, {mode, QString::number(n)});
    p.waitForFinished(-1);
    Figure f;
    const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
    if (parts.size() == 4) {
        f.seconds = parts[0].toDouble();
        f.cpu = parts[1].toDouble();
        f.peak = parts[2].toLong();
        f.records = parts[3].toInt();
    } else {
        std::fprintf(stderr, "run failed: %s\n", p.readAllStandardError().constData());
    }
    return f;
}

Figure median(const QString &self, const QString &mode, int n, int repeat)
{
    std::vector<Figure> runs;
    for (int i = 0; i < repeat; ++i)
        runs.push_back(child(self, mode, n));
    Figure m = MedianBy(runs, [](const Figure &f) { return f.seconds; });
    for (const Figure &r : runs)
        m.peak = std::max(m.peak, r.peak);
    return m;
}

void readerOnly(int n)
{
    QByteArray bytes = addressList(n);
    QElapsedTimer t;
    t.start();
    QBuffer b(&bytes);
    b.open(QIODevice::ReadOnly);
    CsvLineReader reader(b);
    QString line;
    qsizetype chars = 0;
    while (reader.readLine(line))
        chars += CsvRecipientText(SplitCsvLine(line)).size();
    std::printf("reader alone, %d lines: %.1f ms (%lld characters)\n",
                n,
                ElapsedMs(t),
                static_cast<long long>(chars));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "listfile")
        return runOnce(
                QStringLiteral("list"), 0, QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath());
    if (argc == 3
        && (QByteArray(argv[1]) == "list" || QByteArray(argv[1]) == "listopen"
            || QByteArray(argv[1]) == "print"))
        return runOnce(QString::fromLocal8Bit(argv[1]), atoi(argv[2]));
    int repeat = 3;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--repeat")
            repeat = std::max(1, atoi(argv[i + 1]));
    const QString self = QString::fromLocal8Bit(argv[0]);
    readerOnly(5000);
    const auto report = [](const char *what, const Figure &f) {
        std::printf("%s: %.2f s (processor %.2f s), %d records, %.0f records/s, peak %ld KiB\n",
                    what,
                    f.seconds,
                    f.cpu,
                    f.records,
                    f.records / std::max(f.seconds, 1e-9),
                    f.peak);
    };
    const Figure list = median(self, QStringLiteral("list"), 5000, repeat);
    report("list run, 5000 lines", list);
    report("list run, 5000 lines, list window open", median(self, QStringLiteral("listopen"), 5000, repeat));
    const Figure p1 = median(self, QStringLiteral("print"), 1000, repeat);
    report("print run, 1000 lines", p1);
    const Figure p5 = median(self, QStringLiteral("print"), 5000, repeat);
    report("print run, 5000 lines", p5);
    std::printf("5000 / 1000 time ratio: %.2f (processor %.2f)\n",
                p5.seconds / std::max(p1.seconds, 1e-9),
                p5.cpu / std::max(p1.cpu, 1e-9));
    return 0;
}
