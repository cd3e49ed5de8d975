#pragma once

#include "core/LanguageOptions.h"

#include <QByteArray>
#include <QString>

// Replaces fname with those 5 bytes, synced. False when the file cannot be created; throws
// EInOutError when writing it fails, leaving the old file.
bool WriteLanguageOptions(const QString &fname, const TLanguageOptions &options);

// Loads Qt's own translation (standard buttons, file and print dialogs) for a translation column:
// 0 German, 1 English, 2 French, 3 Dutch. Any other column, or a missing file, leaves Qt's own
// texts. Replaces what an earlier call installed. Returns whether a translation was installed.
bool InstallQtTranslation(int language);
