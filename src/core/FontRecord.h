#pragma once

#include "core/FontRec.h"

class QByteArray;
class QIODevice;

// One font record at the device's current position (16 + 2n bytes): character set (1), colour
// (4, 0x00BBGGRR or 0xFF0000nn for system colour nn), n = face-name length in UTF-16 code units,
// low 8 bits (1), the first n code units of the face name (UTF-16LE), pitch (1), pixels per inch
// (int32), size in points (int32), style bits (1: bold, italic, underline, strike-out).
// A face name longer than 255 code units is therefore stored cut to (length mod 256) units.
// Throws EInOutError when a write fails or comes up short.
void WriteFontRecord(QIODevice &file, const TFontRec &font);
// The same record appended to a byte image.
void AppendFontRecord(QByteArray &bytes, const TFontRec &font);

// Reads one font record into font, setting character set, colour, face name, pitch, pixels per
// inch, size and style in that order; style bits other than the four are dropped, and the size is
// held to the 1 to 512 points the font dialog offers (a damaged size would draw glyphs of
// gigabytes). Throws
// EInOutError when the record is cut short; font is then left as far as it got, so callers read
// into a fresh font and copy it only on success.
void ReadFontRecord(QIODevice &file, TFontRec &font);
