#include "core/FontRecord.h"

#include "core/BinaryIO.h"

#include <QIODevice>

namespace {
constexpr quint8 KnownStyleBits
        = TFontRec::Bold | TFontRec::Italic | TFontRec::Underline | TFontRec::StrikeOut;
constexpr qint32 MinPoints = 1;
constexpr qint32 MaxPoints = 512;
} // namespace

void AppendFontRecord(QByteArray &bytes, const TFontRec &font)
{
    const quint8 n = quint8(font.name.size() & 0xFF);
    AppendByte(bytes, font.charset);
    AppendUInt32(bytes, font.color);
    AppendByte(bytes, n);
    AppendUtf16(bytes, QStringView(font.name).left(n));
    AppendByte(bytes, font.pitch);
    AppendInt32(bytes, font.pixelsPerInch);
    AppendInt32(bytes, font.size);
    AppendByte(bytes, font.style & KnownStyleBits);
}

void WriteFontRecord(QIODevice &file, const TFontRec &font)
{
    QByteArray rec;
    AppendFontRecord(rec, font);
    WriteBytes(file, rec);
}

void ReadFontRecord(QIODevice &file, TFontRec &font)
{
    font.charset = ReadByte(file);
    font.color = ReadUInt32(file);
    font.name = ReadUtf16(file, ReadByte(file));
    font.pitch = ReadByte(file);
    font.pixelsPerInch = ReadInt32(file);
    font.size = qBound(MinPoints, ReadInt32(file), MaxPoints);
    font.style = ReadByte(file) & KnownStyleBits;
}
