#pragma once

#include <QByteArray>
#include <QString>

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
// Replaces fname with those 5 bytes, synced. False when the file cannot be created; throws
// EInOutError when writing it fails, leaving the old file.
bool WriteLanguageOptions(const QString &fname, const TLanguageOptions &options);

// Loads Qt's own translation (standard buttons, file and print dialogs) for a translation column:
// 0 German, 1 English, 2 French, 3 Dutch. Any other column, or a missing file, leaves Qt's own
// texts. Replaces what an earlier call installed. Returns whether a translation was installed.
bool InstallQtTranslation(int language);
