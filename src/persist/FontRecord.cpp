#include "FontRecord.h"

#include "BinaryFields.h"

#include <QIODevice>
#include <QtEndian>

namespace {
constexpr quint8 KnownStyleBits
        = TFontRec::Bold | TFontRec::Italic | TFontRec::Underline | TFontRec::StrikeOut;
}

void WriteFontRecord(QIODevice &file, const TFontRec &font)
{
    const quint8 n = quint8(font.name.size() & 0xFF);
    QByteArray rec;
    rec.reserve(16 + 2 * n);
    rec.append(char(font.charset));
    char buf[4];
    qToLittleEndian<quint32>(font.color, buf);
    rec.append(buf, 4);
    rec.append(char(n));
    for (int i = 0; i < n; ++i) {
        char u[2];
        qToLittleEndian<quint16>(font.name.at(i).unicode(), u);
        rec.append(u, 2);
    }
    rec.append(char(font.pitch));
    qToLittleEndian<qint32>(font.pixelsPerInch, buf);
    rec.append(buf, 4);
    qToLittleEndian<qint32>(font.size, buf);
    rec.append(buf, 4);
    rec.append(char(font.style & KnownStyleBits));
    WriteExact(file, rec.constData(), rec.size());
}

void ReadFontRecord(QIODevice &file, TFontRec &font)
{
    font.charset = ReadByte(file);
    char buf[4];
    ReadExact(file, buf, 4);
    font.color = qFromLittleEndian<quint32>(buf);
    const quint8 n = ReadByte(file);
    char units[2 * 255];
    ReadExact(file, units, 2 * n);
    QString name(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        name[i] = QChar(qFromLittleEndian<quint16>(units + 2 * i));
    font.name = name;
    font.pitch = ReadByte(file);
    font.pixelsPerInch = ReadInt32(file);
    font.size = ReadInt32(file);
    font.style = ReadByte(file) & KnownStyleBits;
}
