#include "FontRecord.h"

#include "BinaryIO.h"

#include <QIODevice>

namespace {
constexpr quint8 KnownStyleBits
        = TFontRec::Bold | TFontRec::Italic | TFontRec::Underline | TFontRec::StrikeOut;
}

void WriteFontRecord(QIODevice &file, const TFontRec &font)
{
    const quint8 n = quint8(font.name.size() & 0xFF);
    QByteArray rec;
    rec.reserve(16 + 2 * n);
    AppendByte(rec, font.charset);
    AppendUInt32(rec, font.color);
    AppendByte(rec, n);
    AppendUtf16(rec, QStringView(font.name).left(n));
    AppendByte(rec, font.pitch);
    AppendInt32(rec, font.pixelsPerInch);
    AppendInt32(rec, font.size);
    AppendByte(rec, font.style & KnownStyleBits);
    WriteBytes(file, rec);
}

void ReadFontRecord(QIODevice &file, TFontRec &font)
{
    font.charset = ReadByte(file);
    font.color = ReadUInt32(file);
    font.name = ReadUtf16(file, ReadByte(file));
    font.pitch = ReadByte(file);
    font.pixelsPerInch = ReadInt32(file);
    font.size = ReadInt32(file);
    font.style = ReadByte(file) & KnownStyleBits;
}
