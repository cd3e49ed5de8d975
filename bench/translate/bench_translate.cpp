// Figures for the translation table: loading and indexing, lookups, and adding a new text (which
// rewrites the whole file). Prints medians of repeated runs and the peak resident memory.

#include "BenchMeasure.h"

#include "core/translateunit.h"
#include "core/velmora.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

QString randomText(QRandomGenerator &rng)
{
    static const QString letters
            = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÜabcdefghijklmnopqrstuvwxyzäöüß ");
    QString text;
    const int length = 5 + int(rng.bounded(36));
    text.append(letters.at(int(rng.bounded(29)))); // start with a capital, as interface texts do
    while (text.size() < length)
        text.append(letters.at(int(rng.bounded(letters.size()))));
    return text.trimmed();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5000;
    QTemporaryDir dir;
    SetTranslationHost([] { return 1; }, [&] { return dir.path() + QLatin1Char('/'); });
    QRandomGenerator rng(7);

    BuildTranslationIndex();
    QStringList keys;
    while (TranslationRowCount() < rows) {
        const QString key = randomText(rng);
        const int before = TranslationRowCount();
        // Filling row by row would rewrite the file each time; build the rows, then save once.
        TTranslationRow *row = static_cast<TTranslationRow *>(TranslationRows->Add());
        AllocTextCopy(row->texts[0], key);
        AllocTextCopy(row->texts[1], key.toUpper());
        if (TranslationRowCount() > before)
            keys.append(key);
    }
    SaveTranslationTable();

    std::vector<double> loads;
    for (int i = 0; i < 11; ++i) {
        QElapsedTimer t;
        t.start();
        BuildTranslationIndex();
        loads.push_back(ElapsedMs(t));
    }

    std::vector<double> lookups;
    const int perRun = 100000;
    for (int run = 0; run < 11; ++run) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < perRun; ++i)
            TranslateText(QLatin1Char(' ') + keys.at(i % keys.size()));
        lookups.push_back(ElapsedMs(t) * 1e3 / perRun);
    }

    std::vector<double> additions;
    for (int i = 0; i < 51; ++i) {
        const QString fresh = QStringLiteral("Neu %1 ").arg(i) + randomText(rng);
        QElapsedTimer t;
        t.start();
        TranslateText(fresh);
        additions.push_back(ElapsedMs(t));
    }

    std::printf("rows: %d\n", rows);
    std::printf("load + index (BuildTranslationIndex): median %.2f ms of 11\n", Median(loads));
    std::printf("lookup of a known text (TranslateText): median %.3f us per call (11 runs of %d)\n",
                Median(lookups),
                perRun);
    std::printf("new text (row added, file rewritten): median %.2f ms of 51\n", Median(additions));
    std::printf("peak resident memory: %.1f MB\n", PeakResidentKib() / 1024.0);
    FreeTranslationTable();
    return 0;
}
