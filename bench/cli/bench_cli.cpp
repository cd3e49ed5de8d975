// The command line as a whole process: `kuvertino --print design.kvt --addresses N.csv --pdf out.pdf`
// for 1,000 and 10,000 address lines, started by this program and measured as a child: wall-clock
// seconds, processor seconds and peak resident memory (wait4's usage of that child alone). Medians
// of three runs; the pages of the PDF file are counted to be sure the run did its work.

#include "BenchMeasure.h"
#include "core/SettingsFile.h"

#include <poppler-qt6.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct ChildRun
{
    int exit = -1;
    double wallS = 0;
    double cpuS = 0;
    long peakKib = 0;
};

ChildRun runChild(const QString &home, const QStringList &args)
{
    QList<QByteArray> argBytes{QByteArrayLiteral(KUVERTINO_BINARY_DIR "/kuvertino")};
    for (const QString &a : args)
        argBytes << a.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray homeBytes = home.toLocal8Bit();
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        // No display, no print service, a home of its own: the run as on a server.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        setenv("HOME", homeBytes.constData(), 1);
        setenv("XDG_DATA_HOME", (homeBytes + "/data").constData(), 1);
        setenv("XDG_CONFIG_HOME", (homeBytes + "/config").constData(), 1);
        setenv("CUPS_SERVER", (homeBytes + "/no-cups.sock").constData(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ChildRun r;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    r.wallS = ElapsedMs(t) / 1000.0;
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.cpuS = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
             + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.peakKib = usage.ru_maxrss;
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString home = dir.path();
    TEnvelopeSettings design;
    design.recipient = QStringLiteral("Erika Muster\r\nHauptstraße 1\r\n12345 Musterstadt");
    design.sender = QStringLiteral("Verein e.V., Postfach 7, 54321 Irgendwo");
    QFile doc(home + QStringLiteral("/design.kvt"));
    if (!doc.open(QIODevice::WriteOnly) || doc.write(SettingsFileBytes(design)) <= 0)
        return 1;
    doc.close();

    std::printf("lines   wall s   processor s   peak MiB   pages\n");
    for (const int lines : {1000, 10000}) {
        const QString csv = home + QStringLiteral("/%1.csv").arg(lines);
        QFile f(csv);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        for (int k = 1; k <= lines; ++k)
            f.write(QStringLiteral("Mitglied %1;Lindenweg %1;%2 Musterstadt\n")
                            .arg(k)
                            .arg(10000 + k % 90000)
                            .toUtf8());
        f.close();
        const QString out = home + QStringLiteral("/out.pdf");
        std::vector<ChildRun> runs;
        for (int i = 0; i < 3; ++i) {
            runs.push_back(runChild(home,
                                    {QStringLiteral("--print"),
                                     home + QStringLiteral("/design.kvt"),
                                     QStringLiteral("--addresses"),
                                     csv,
                                     QStringLiteral("--pdf"),
                                     out}));
            if (runs.back().exit != 0) {
                std::printf("run failed: exit %d\n", runs.back().exit);
                return 1;
            }
        }
        const ChildRun m = MedianBy(runs, [](const ChildRun &r) { return r.wallS; });
        const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(out);
        std::printf("%5d   %6.2f   %11.2f   %8.1f   %5d\n",
                    lines,
                    m.wallS,
                    m.cpuS,
                    double(m.peakKib) / 1024.0,
                    pdf ? pdf->numPages() : -1);
    }
    return 0;
}
