// Writing and reading options.dat with a long address list: the file is written after every address
// stored, so this is what one "Speichern" costs. Median of repeated runs on a temporary folder.

#include "BenchMeasure.h"

#include "core/AtomicFile.h"
#include "core/SettingsFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("options.dat"));
    const int runs = 15;
    for (int count : {0, 1000, 10000, 100000}) {
        TEnvelopeSettings s;
        for (int i = 0; i < count; ++i)
            s.addresses.append(
                    QStringLiteral("Frau Erika Mustermann %1\r\nHauptstraße %1\r\n12345 Köln").arg(i));
        std::vector<double> writes, reads;
        qint64 size = 0;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            if (!WriteFileAtomically(
                        path, TFileDurability::Synced, [&s](QIODevice &out) { WriteSettingsFile(out, s); }))
                return 1;
            writes.push_back(ElapsedMs(t));
            t.restart();
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return 1;
            const TSettingsReadResult res = ReadSettingsFile(f);
            reads.push_back(ElapsedMs(t));
            if (res.error || res.values.addresses.size() != count)
                return 1;
            size = f.size();
        }
        std::printf("%6d addresses, %9lld bytes: write %8.3f ms, read %8.3f ms (median of %d)\n",
                    count,
                    (long long)size,
                    Median(writes),
                    Median(reads),
                    runs);
    }
    return 0;
}
