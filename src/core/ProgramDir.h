#pragma once

#include <QString>

// The settings folder below a per-user application-data folder: dataLocation with one separator
// at its end, then "Velmora/Kuvertino/". An empty dataLocation (the platform has none) gives
// fallback, the program folder, unchanged.
QString SettingsFolderFrom(const QString &dataLocation, const QString &fallback);

// The platform's per-user application-data folder (Linux: $XDG_DATA_HOME or ~/.local/share;
// Windows: the roaming application data); empty when there is none.
QString UserDataLocation();

// Creates every missing folder of path; false when that fails (callers may ignore it: the file
// operation that follows fails then).
bool CreateFolderPath(const QString &path);
