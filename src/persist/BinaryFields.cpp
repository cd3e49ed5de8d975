#include "BinaryFields.h"

#include "shell/Errors.h"

#include <QIODevice>
#include <QString>
#include <QtEndian>

#include <bit>
#include <cstring>

QString ReadPastEndMessage()
{
    return QStringLiteral("Read beyond end of file");
}

QString WriteFailedMessage(const QIODevice &file)
{
    const QString reason = file.errorString();
    if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
        return QStringLiteral("Disk full or write error");
    return QStringLiteral("Write error: %1").arg(reason);
}

void WriteExact(QIODevice &file, const char *data, qint64 len)
{
    qint64 done = 0;
    while (done < len) {
        const qint64 n = file.write(data + done, len - done);
        if (n <= 0)
            throw EInOutError(WriteFailedMessage(file));
        done += n;
    }
}

void ReadExact(QIODevice &file, char *data, qint64 len)
{
    qint64 done = 0;
    while (done < len) {
        const qint64 n = file.read(data + done, len - done);
        if (n <= 0)
            throw EInOutError(ReadPastEndMessage());
        done += n;
    }
}

void WriteInt32(QIODevice &file, qint32 value)
{
    char buf[4];
    qToLittleEndian<qint32>(value, buf);
    WriteExact(file, buf, 4);
}

qint32 ReadInt32(QIODevice &file)
{
    char buf[4];
    ReadExact(file, buf, 4);
    return qFromLittleEndian<qint32>(buf);
}

void WriteFloat64(QIODevice &file, double value)
{
    char buf[8];
    qToLittleEndian<quint64>(std::bit_cast<quint64>(value), buf);
    WriteExact(file, buf, 8);
}

double ReadFloat64(QIODevice &file)
{
    char buf[8];
    ReadExact(file, buf, 8);
    return std::bit_cast<double>(qFromLittleEndian<quint64>(buf));
}

void WriteByte(QIODevice &file, quint8 value)
{
    const char c = char(value);
    WriteExact(file, &c, 1);
}

quint8 ReadByte(QIODevice &file)
{
    char c;
    ReadExact(file, &c, 1);
    return quint8(c);
}

void WriteFlag(QIODevice &file, bool value)
{
    WriteByte(file, value ? 1 : 0);
}

bool ReadFlag(QIODevice &file)
{
    return ReadByte(file) != 0;
}
