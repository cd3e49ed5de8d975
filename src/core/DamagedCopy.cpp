#include "core/DamagedCopy.h"

#include "core/AtomicFile.h"
#include "core/BinaryIO.h"

#include "core/Errors.h"
#include "core/translateunit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace {

// More copies than this of one file are not a user's history any more but a loop.
constexpr int MaxCopies = 1000;

QString copyName(const QString &fname, int n)
{
    const QString base = fname + QStringLiteral(".damaged");
    return n == 0 ? base : base + QLatin1Char('.') + QString::number(n);
}

} // namespace

TDamagedCopy KeepDamagedCopy(const QString &fname)
{
    TDamagedCopy copy;
    QFile source(fname);
    if (!source.open(QIODevice::ReadOnly)) {
        copy.whyNot = source.errorString();
        return copy;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        copy.whyNot = source.errorString();
        return copy;
    }
    source.close();

    for (int n = 0; n < MaxCopies; ++n) {
        const QString name = copyName(fname, n);
        const QFileInfo info(name);
        if (info.exists() || info.isSymLink()) {
            QFile existing(name);
            if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
                return {name, QString()};
            continue;
        }
        try {
            QString whyNot;
            // Synced: the copy must be on the disk before the file it saves is written again.
            if (WriteFileAtomically(
                        name,
                        TFileDurability::Synced,
                        [&bytes](QIODevice &out) { WriteBytes(out, bytes); },
                        &whyNot))
                return {name, QString()};
            copy.whyNot = whyNot;
        } catch (const EInOutError &e) {
            copy.whyNot = e.message();
        }
        return copy;
    }
    copy.whyNot = TranslateText(QStringLiteral("Zu viele Kopien"));
    return copy;
}

QString DamagedFileReport(const QString &fname, const QString &error, const TDamagedCopy &copy)
{
    QString text = TranslateText(
                           QStringLiteral("Die zuletzt gespeicherten Einstellungen in %1 sind beschädigt und "
                                          "wurden nicht vollständig gelesen."))
                           .arg(QDir::toNativeSeparators(fname));
    if (!error.isEmpty())
        text += QLatin1Char('\n') + error;
    text += QStringLiteral("\n\n");
    if (!copy.path.isEmpty())
        text += TranslateText(QStringLiteral("Eine unveränderte Kopie der Datei liegt unter %1."))
                        .arg(QDir::toNativeSeparators(copy.path));
    else
        text += TranslateText(QStringLiteral("Es konnte keine Kopie der Datei angelegt werden (%1). Beim "
                                             "nächsten Speichern der Einstellungen wird die Datei "
                                             "überschrieben."))
                        .arg(copy.whyNot);
    return text;
}
