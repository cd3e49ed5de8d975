// First start in English: from process start to the end of the main window's first show, offscreen.
// Each run is a fresh child process with its own settings folder holding "options0.dat" = English,
// and a program folder whose "translate.dat" is empty (every text is added, the file rewritten per
// text) or the delivered table. Prints the median of the runs for both, with the child's processor
// time (the rest of the wall time is waiting, mostly for each table save to reach the disk).

#include "BenchMeasure.h"

#include "app/MainUnit.h"
#include "core/translateunit.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run
{
    qint64 total = 0;  // process start to first show done
    qint64 inside = 0; // window creation and first show
    int rows = 0;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int child(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetProgramFolderForTests(QString::fromLocal8Bit(argv[2]));
    QElapsedTimer t;
    t.start();
    CreateApplicationWindows();
    MainForm->show();
    const qint64 inside = t.elapsed();
    const qint64 done = QDateTime::currentMSecsSinceEpoch();
    const long long cpu = (long long)(ProcessorSeconds() * 1000);
    std::printf("%lld %lld %d %d %lld\n",
                (long long)done,
                (long long)inside,
                TranslationRowCount(),
                MainForm->language,
                cpu);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 2 && QByteArray(argv[1]) == "--child")
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 11;
    QFile delivered(QStringLiteral(KUVERTINO_BINARY_DIR "/translate.dat"));
    const QByteArray deliveredTable
            = delivered.open(QIODevice::ReadOnly) ? delivered.readAll() : QByteArray();

    for (const bool empty : {true, false}) {
        if (!empty && deliveredTable.isEmpty())
            continue;
        std::vector<qint64> totals, insides, cpus;
        int rows = 0;
        for (int i = 0; i < runs; ++i) {
            QTemporaryDir dir;
            const QString prog = dir.filePath(QStringLiteral("prog")) + QLatin1Char('/');
            QDir().mkpath(prog);
            if (!empty)
                writeFile(prog + QStringLiteral("translate.dat"), deliveredTable);
            writeFile(dir.filePath(QStringLiteral("data/Velmora/Kuvertino/options0.dat")),
                      QByteArray::fromHex("0100000000"));
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
            QProcess p;
            p.setProcessEnvironment(env);
            const qint64 start = QDateTime::currentMSecsSinceEpoch();
            p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), prog});
            p.waitForFinished(60000);
            const QList<QByteArray> out = p.readAllStandardOutput().trimmed().split(' ');
            if (p.exitCode() != 0 || out.size() != 5 || out[3] != "1") {
                std::fprintf(stderr, "child failed: %s\n", p.readAllStandardError().constData());
                return 1;
            }
            totals.push_back(out[0].toLongLong() - start);
            insides.push_back(out[1].toLongLong());
            rows = out[2].toInt();
            cpus.push_back(out[4].toLongLong());
        }
        std::printf("%s translate.dat, English: start-up median %lld ms (min %lld, max %lld), windows "
                    "created and shown median %lld ms, processor time median %lld ms, %d rows in the table "
                    "afterwards, %d runs\n",
                    empty ? "empty" : "delivered",
                    (long long)Median(totals),
                    (long long)*std::min_element(totals.begin(), totals.end()),
                    (long long)*std::max_element(totals.begin(), totals.end()),
                    (long long)Median(insides),
                    (long long)Median(cpus),
                    rows,
                    runs);
    }
    return 0;
}
