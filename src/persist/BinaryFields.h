#pragma once

#include <QtGlobal>

class QIODevice;
class QString;

// The fixed-size fields of the settings file, little-endian, at the device's current position.
// Writers throw EInOutError when the device takes fewer bytes than given; readers throw
// EInOutError when the device ends before the field does, so no value is made from missing bytes.

void WriteInt32(QIODevice &file, qint32 value);
qint32 ReadInt32(QIODevice &file);

// IEEE 754 double, 8 bytes.
void WriteFloat64(QIODevice &file, double value);
double ReadFloat64(QIODevice &file);

// One byte: 1 for true, 0 for false; any non-zero byte reads as true.
void WriteFlag(QIODevice &file, bool value);
bool ReadFlag(QIODevice &file);

void WriteByte(QIODevice &file, quint8 value);
quint8 ReadByte(QIODevice &file);

// Writes exactly len bytes or throws EInOutError.
void WriteExact(QIODevice &file, const char *data, qint64 len);
// Reads exactly len bytes into data or throws EInOutError.
void ReadExact(QIODevice &file, char *data, qint64 len);

// The texts of the two input/output errors.
QString ReadPastEndMessage();
QString WriteFailedMessage(const QIODevice &file);
