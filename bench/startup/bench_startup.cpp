// Start-up time from process start to the main window shown, offscreen: the parent starts itself as
// a child ten times; the child creates the windows, shows the main window and prints the wall-clock
// time at which the first show had finished. Prints the median.

#include "BenchMeasure.h"

#include "app/MainUnit.h"
#include "print/Printer.h"

#include <QApplication>
#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (argc > 1 && QByteArray(argv[1]) == "--child") {
        QApplication app(argc, argv);
        CreateApplicationWindows();
        MainForm->show();
        QTimer::singleShot(0, &app, [] {
            std::printf("%lld\n", (long long)QDateTime::currentMSecsSinceEpoch());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
        return app.exec();
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    std::vector<qint64> times;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.setProcessEnvironment(env);
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        child.waitForFinished(30000);
        const qint64 shown = child.readAllStandardOutput().trimmed().toLongLong();
        if (child.exitCode() != 0 || shown == 0) {
            std::fprintf(stderr, "child failed: %s\n", child.readAllStandardError().constData());
            return 1;
        }
        times.push_back(shown - start);
        std::printf("run %d: %lld ms\n", i + 1, (long long)(shown - start));
    }
    std::printf("start-up to main window shown: median %lld ms over %d runs (min %lld, max %lld)\n",
                (long long)Median(times),
                runs,
                (long long)*std::min_element(times.begin(), times.end()),
                (long long)*std::max_element(times.begin(), times.end()));
    return 0;
}
