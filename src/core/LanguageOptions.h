#pragma once

#include <QByteArray>
#include <QtGlobal>

// The size of "options0.dat".
inline constexpr int LanguageFileSize = 5;

// The language settings as "options0.dat" holds them.
struct TLanguageOptions
{
    qint32 language = 0;      // translation column, 0 German
    bool millimetres = false; // "mm statt Zoll im Englischen" ticked
};

// Reads the 5-byte language settings: int32 LE language, then one byte (non-zero = ticked). A cut
// file gives the defaults for the missing part; a language outside 0..19 reads as 0.
TLanguageOptions ParseLanguageOptions(const QByteArray &bytes);
// The 5 bytes written for the given settings.
QByteArray SerializeLanguageOptions(const TLanguageOptions &options);
