// Turns the reviewable translation table (TSV) into the program's translate.dat.
#include "TsvTable.h"

#include <QFile>
#include <QSaveFile>

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
    QSaveFile target(out);
    const QByteArray bytes = TranslationFileBytes(table);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() || !target.commit()) {
        std::fprintf(stderr, "tsv2dat: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
