#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>

class QIODevice;

// The binary fields of every file the program writes (settings file, font records, translate.dat,
// options0.dat), all little-endian and without gaps. Writers throw EInOutError when the device takes
// fewer bytes than given; readers throw EInOutError when the device ends before the field does, so
// no value is ever made from missing bytes.

// ---- byte images: append one field to bytes ----

void AppendInt32(QByteArray &bytes, qint32 value);
void AppendUInt32(QByteArray &bytes, quint32 value);
// IEEE 754 double, 8 bytes.
void AppendFloat64(QByteArray &bytes, double value);
void AppendByte(QByteArray &bytes, quint8 value);
// One byte: 1 for true, 0 for false.
void AppendFlag(QByteArray &bytes, bool value);
// The code units as UTF-16LE, no count and no terminator.
void AppendUtf16(QByteArray &bytes, QStringView units);
// The wide-string record: int32 count of UTF-16 code units, then the units. Throws EInOutError for a
// text whose byte length does not fit the count.
void AppendWideRecord(QByteArray &bytes, QStringView text);

// ---- fields on a device, at its current position ----

// Writes exactly len bytes or throws EInOutError.
void WriteExact(QIODevice &file, const char *data, qint64 len);
void WriteBytes(QIODevice &file, const QByteArray &bytes);
// Reads exactly len bytes into data or throws EInOutError.
void ReadExact(QIODevice &file, char *data, qint64 len);

void WriteInt32(QIODevice &file, qint32 value);
qint32 ReadInt32(QIODevice &file);
void WriteUInt32(QIODevice &file, quint32 value);
quint32 ReadUInt32(QIODevice &file);
void WriteFloat64(QIODevice &file, double value);
double ReadFloat64(QIODevice &file);
void WriteByte(QIODevice &file, quint8 value);
quint8 ReadByte(QIODevice &file);
void WriteFlag(QIODevice &file, bool value);
// Any non-zero byte reads as true.
bool ReadFlag(QIODevice &file);
// n code units, UTF-16LE, copied unit for unit (no byte order mark is taken away).
QString ReadUtf16(QIODevice &file, qint32 n);

// Appends one wide-string record.
void WriteWideRecord(QIODevice &file, const QString &text);
// Reads one wide-string record into text. A negative count reads as the empty string and consumes
// only the count. The count is checked against what the device still holds before memory is taken
// for it; text is left unchanged when the record is cut.
void ReadWideRecord(QIODevice &file, QString &text);

// ---- the texts of the input/output errors ----

// A read that ran past the end of the file.
QString ShortReadMessage();
// A write that failed: our sentence, then the platform's reason when it gives one.
QString WriteFailedMessage(const QString &reason);
QString WriteFailedMessage(const QIODevice &file);
// A file that cannot be created, with the platform's reason.
QString CannotCreateMessage(const QString &fileName, const QString &reason);

// The texts above are German; the translation engine installs its lookup here so that they appear in
// the interface language. Without one (the build tool) they stay German. Null removes it.
using TIoTextTranslator = QString (*)(const QString &german);
void SetIoTextTranslator(TIoTextTranslator translate);
