// Turns the reviewable translation table (TSV) into the program's translate.dat.
#include "TsvTable.h"

#include "core/AtomicFile.h"
#include "core/BinaryIO.h"
#include "core/Errors.h"

#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tsv2dat <translate.tsv> <translate.dat>\n");
        return 2;
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QFile source(in);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tsv2dat: cannot read %s\n", qPrintable(in));
        return 1;
    }
    TTsvTable table;
    QString error;
    if (!ParseTsvTable(source.readAll(), table, error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(in), qPrintable(error));
        return 1;
    }
    QString whyNot;
    try {
        const QByteArray bytes = TranslationFileBytes(table);
        if (WriteFileAtomically(
                    out,
                    TFileDurability::Synced,
                    [&bytes](QIODevice &file) { WriteBytes(file, bytes); },
                    &whyNot))
            return 0;
    } catch (const EInOutError &e) {
        whyNot = e.message();
    }
    std::fprintf(stderr, "tsv2dat: cannot write %s: %s\n", qPrintable(out), qPrintable(whyNot));
    return 1;
}
