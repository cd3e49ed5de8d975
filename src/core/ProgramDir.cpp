#include "core/ProgramDir.h"

#include <QDir>
#include <QStandardPaths>

QString SettingsFolderFrom(const QString &dataLocation, const QString &fallback)
{
    if (dataLocation.isEmpty())
        return fallback;
    QString path = dataLocation;
    if (!path.endsWith(QLatin1Char('/')) && !path.endsWith(QDir::separator()))
        path += QLatin1Char('/');
    return path + QStringLiteral("Velmora/Kuvertino/");
}

QString UserDataLocation()
{
#ifdef Q_OS_WIN
    // The roaming folder, so the settings follow the user; Qt's generic data folder is the local one.
    const QString roaming = qEnvironmentVariable("APPDATA");
    if (!roaming.isEmpty())
        return QDir::fromNativeSeparators(roaming);
#endif
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool CreateFolderPath(const QString &path)
{
    return QDir().mkpath(path);
}
