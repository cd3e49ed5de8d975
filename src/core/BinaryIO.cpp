#include "core/BinaryIO.h"

#include "core/Errors.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <limits>

namespace {

TIoTextTranslator g_translate = nullptr;

QString translated(const QString &german)
{
    return g_translate ? g_translate(german) : german;
}

// Our sentence, then the platform's words when it has any to add.
QString withReason(const QString &sentence, const QString &reason)
{
    if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
        return sentence;
    return sentence + QStringLiteral(": ") + reason;
}

template<class T>
void appendLittleEndian(QByteArray &bytes, T value)
{
    char le[sizeof(T)];
    qToLittleEndian<T>(value, le);
    bytes.append(le, qsizetype(sizeof(T)));
}

template<class T>
T readLittleEndian(QIODevice &file)
{
    char le[sizeof(T)];
    ReadExact(file, le, qint64(sizeof(T)));
    return qFromLittleEndian<T>(le);
}

template<class T>
void writeLittleEndian(QIODevice &file, T value)
{
    char le[sizeof(T)];
    qToLittleEndian<T>(value, le);
    WriteExact(file, le, qint64(sizeof(T)));
}

// The count of a wide-string record, or an error when the text's bytes would not fit it.
qint32 wideCount(QStringView text)
{
    if (text.size() > std::numeric_limits<qint32>::max() / 2)
        throw EInOutError(WriteFailedMessage(QString()));
    return qint32(text.size());
}

} // namespace

void SetIoTextTranslator(TIoTextTranslator translate)
{
    g_translate = translate;
}

QString ShortReadMessage()
{
    return translated(QStringLiteral("Lesen über das Dateiende hinaus"));
}

QString WriteFailedMessage(const QString &reason)
{
    return withReason(translated(QStringLiteral("Fehler beim Schreiben der Datei")), reason);
}

QString WriteFailedMessage(const QIODevice &file)
{
    return WriteFailedMessage(file.errorString());
}

QString CannotCreateMessage(const QString &fileName, const QString &reason)
{
    return withReason(translated(QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden")).arg(fileName),
                      reason);
}

void AppendInt32(QByteArray &bytes, qint32 value)
{
    appendLittleEndian<qint32>(bytes, value);
}

void AppendUInt32(QByteArray &bytes, quint32 value)
{
    appendLittleEndian<quint32>(bytes, value);
}

void AppendFloat64(QByteArray &bytes, double value)
{
    appendLittleEndian<quint64>(bytes, std::bit_cast<quint64>(value));
}

void AppendByte(QByteArray &bytes, quint8 value)
{
    bytes.append(char(value));
}

void AppendFlag(QByteArray &bytes, bool value)
{
    AppendByte(bytes, value ? 1 : 0);
}

void AppendUtf16(QByteArray &bytes, QStringView units)
{
    // An empty view may have no data at all, and the copy must not be handed a null source.
    if (units.isEmpty())
        return;
    const qsizetype at = bytes.size();
    const qsizetype size = at + 2 * units.size();
    // resize() alone takes exactly what is asked for, so a file built text by text would be copied
    // once per text: grow the capacity by doubling instead.
    if (size > bytes.capacity())
        bytes.reserve(std::max(size, 2 * bytes.capacity()));
    bytes.resize(size);
    qToLittleEndian<quint16>(units.utf16(), units.size(), bytes.data() + at);
}

void AppendWideRecord(QByteArray &bytes, QStringView text)
{
    AppendInt32(bytes, wideCount(text));
    AppendUtf16(bytes, text);
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

void WriteBytes(QIODevice &file, const QByteArray &bytes)
{
    WriteExact(file, bytes.constData(), bytes.size());
}

void ReadExact(QIODevice &file, char *data, qint64 len)
{
    qint64 done = 0;
    while (done < len) {
        const qint64 n = file.read(data + done, len - done);
        if (n <= 0)
            throw EInOutError(ShortReadMessage());
        done += n;
    }
}

void WriteInt32(QIODevice &file, qint32 value)
{
    writeLittleEndian<qint32>(file, value);
}

qint32 ReadInt32(QIODevice &file)
{
    return readLittleEndian<qint32>(file);
}

void WriteUInt32(QIODevice &file, quint32 value)
{
    writeLittleEndian<quint32>(file, value);
}

quint32 ReadUInt32(QIODevice &file)
{
    return readLittleEndian<quint32>(file);
}

void WriteFloat64(QIODevice &file, double value)
{
    writeLittleEndian<quint64>(file, std::bit_cast<quint64>(value));
}

double ReadFloat64(QIODevice &file)
{
    return std::bit_cast<double>(readLittleEndian<quint64>(file));
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

QString ReadUtf16(QIODevice &file, qint32 n)
{
    if (n <= 0)
        return QString();
    const qint64 bytes = qint64(n) * 2;
    QString result;
    if (!file.isSequential()) {
        // The count comes from the file: check it against what the file holds before allocating.
        if (file.bytesAvailable() < bytes)
            throw EInOutError(ShortReadMessage());
        result.resize(n);
        ReadExact(file, reinterpret_cast<char *>(result.data()), bytes);
    } else {
        // No size to check against: grow in bounded steps so a lying count fails before it costs much.
        constexpr qint64 chunk = 64 * 1024;
        qint64 done = 0;
        while (done < bytes) {
            const qint64 step = std::min(chunk, bytes - done);
            result.resize(qsizetype((done + step) / 2));
            ReadExact(file, reinterpret_cast<char *>(result.data()) + done, step);
            done += step;
        }
    }
    if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN)
        qFromLittleEndian<quint16>(result.utf16(), n, result.data());
    return result;
}

void WriteWideRecord(QIODevice &file, const QString &text)
{
    QByteArray record;
    record.reserve(4 + 2 * text.size());
    AppendWideRecord(record, text);
    WriteBytes(file, record);
}

void ReadWideRecord(QIODevice &file, QString &text)
{
    const qint32 n = ReadInt32(file);
    text = ReadUtf16(file, n);
}
