#pragma once

// Writing and reading translation tables and language settings for the translation tests.

#include "TsvTable.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QtEndian>

inline QByteArray tableBytes(const QList<QStringList> &rows)
{
    TTsvTable table;
    table.rows = rows;
    return TranslationFileBytes(table);
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Reads translate.dat on its own terms (not through the engine): 20 columns per row, or an empty list
// for a file that does not hold a whole table.
inline QList<QStringList> readTable(const QString &path)
{
    const QByteArray b = readBytes(path);
    QList<QStringList> rows;
    qsizetype pos = 0;
    auto int32 = [&](qint32 &v) {
        if (pos + 4 > b.size())
            return false;
        v = qFromLittleEndian<qint32>(b.constData() + pos);
        pos += 4;
        return true;
    };
    qint32 columns = 0, count = 0;
    if (!int32(columns) || !int32(count) || columns != 20)
        return {};
    for (qint32 r = 0; r < count; ++r) {
        QStringList row;
        for (qint32 c = 0; c < columns; ++c) {
            qint32 n = 0;
            if (!int32(n) || n < 0 || pos + 2 * qsizetype(n) > b.size())
                return {};
            QString s(n, Qt::Uninitialized);
            for (qint32 i = 0; i < n; ++i)
                s[i] = QChar(qFromLittleEndian<quint16>(b.constData() + pos + 2 * i));
            pos += 2 * qsizetype(n);
            row << s;
        }
        rows << row;
    }
    return pos == b.size() ? rows : QList<QStringList>{};
}

inline QStringList germanColumn(const QList<QStringList> &rows)
{
    QStringList out;
    for (const QStringList &r : rows)
        out << r.value(0);
    return out;
}

// The 5 bytes of options0.dat from their hex form ("01 00 00 00 00").
inline QByteArray hexBytes(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}
