// A document named on the command line, opened through the same reading as the "Öffnen..." command.
#include "app/MainUnit.h"
#include "core/Errors.h"
#include "core/translateunit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <utility>

QString DocumentArgument(const QStringList &arguments)
{
    if (arguments.size() < 2 || arguments.at(1).isEmpty())
        return QString();
    // Made absolute now: the open dialog starts from it later, whatever the working folder is then.
    return QFileInfo(arguments.at(1)).absoluteFilePath();
}

void TMainForm::OpenPendingDocument()
{
    if (pendingDocument.isEmpty())
        return;
    const QString fname = std::exchange(pendingDocument, QString());
    Guarded([this, &fname] {
        // The menu's reading skips a file it cannot open without a word; the user who named this
        // one is told instead.
        QFile file(fname);
        if (!file.open(QIODevice::ReadOnly))
            throw EInOutError(TranslateText(QStringLiteral("Das Dokument konnte nicht geöffnet werden:"))
                              + QLatin1Char('\n') + QDir::toNativeSeparators(fname) + QLatin1Char('\n')
                              + file.errorString());
        file.close();
        OpenDialog1->FileName = fname;
        LoadOptionsFile(fname);
    });
}
