#pragma once

#include <QString>

// Where a copy of a damaged file was kept, or why none could be made.
struct TDamagedCopy
{
    QString path;   // empty when there is no copy
    QString whyNot; // the platform's reason then
};

// Copies fname byte for byte beside itself, as fname + ".damaged", or ".damaged.1", ".damaged.2" ...
// when that name holds other bytes; a copy with the same bytes already there is named again rather
// than copied twice. The copy is on the disk before the call returns.
TDamagedCopy KeepDamagedCopy(const QString &fname);

// The report of a damaged settings file that could only partly be read: our sentence naming the file,
// the platform's words (error), then where the copy is or why there is none. Translated.
QString DamagedFileReport(const QString &fname, const QString &error, const TDamagedCopy &copy);
