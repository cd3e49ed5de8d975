#include "core/SettingsStore.h"

#include "core/translateunit.h"

#include <QDir>
#include <QSettings>

std::unique_ptr<QSettings> OpenSettingsStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat,
                                       QSettings::UserScope,
                                       QStringLiteral("Velmora"),
                                       QStringLiteral("Kuvertino"));
}

QString SettingsStoreError(const QSettings &store, const QString &what)
{
    if (store.status() == QSettings::NoError)
        return QString();
    const QString reason = store.status() == QSettings::AccessError
                                   ? TranslateText(QStringLiteral("Zugriff verweigert"))
                                   : TranslateText(QStringLiteral("Formatfehler"));
    return TranslateText(what).arg(QDir::toNativeSeparators(store.fileName())) + QStringLiteral(" (") + reason
           + QLatin1Char(')');
}
