// Loads arbitrary bytes as "translate.dat", builds the index, looks up every German text, and checks
// that the table written back loads as the same table.

#include "core/translateunit.h"
#include "core/velmora.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

QStringList cells()
{
    QStringList all;
    for (int r = 0; r < TranslationRowCount(); ++r) {
        for (int k = 0; k < TranslationColumns; ++k)
            all.append(TranslationCell(r, k));
    }
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    static QTemporaryDir dir;
    static int language = 0;
    SetTranslationHost([] { return language; }, [] { return dir.path() + QLatin1Char('/'); });
    language = size ? int(bytes[0] % 24) - 2 : 0; // also outside 0..19
    {
        QFile file(dir.filePath(QStringLiteral("translate.dat")));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char *>(bytes), qint64(size));
    }
    BuildTranslationIndex();
    const int rows = TranslationRowCount();
    for (int r = 0; r < rows; ++r) {
        const QString german = TranslationCell(r, 0);
        // Only texts that are keys as they stand: these are found, so nothing is saved.
        if (german.isEmpty() || german.startsWith(QLatin1Char(' ')) || german.endsWith(QLatin1Char(' ')))
            continue;
        TranslateText(german);
        if (TranslationRowCount() != rows)
            std::abort();
    }
    const QStringList before = cells();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    WriteTranslationRows(out);
    FreeTranslationTable();
    QBuffer in;
    in.setData(out.data());
    in.open(QIODevice::ReadOnly);
    LoadTranslationRows(in);
    if (cells() != before)
        std::abort();
    FreeTranslationTable();
    return 0;
}
