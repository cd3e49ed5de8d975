#pragma once

// What the print service's end-to-end tests ask of the system: its command-line tools, and where the
// cups-pdf queue puts its files.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs a tool and returns what it wrote, standard output first. exitCode, when given, gets its exit
// code, or -1 when it crashed or did not finish within a minute.
inline QString RunTool(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    const bool finished = p.waitForFinished(60000);
    if (exitCode)
        *exitCode = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (!finished)
        return QStringLiteral("(%1 did not finish)").arg(program);
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
}

// cups-pdf's output folder from its configuration, ${USER} and ${HOME} filled in for this user.
inline QString CupsPdfOutputFolder()
{
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (!conf.open(QIODevice::ReadOnly))
        return QString();
    QString out;
    while (!conf.atEnd()) {
        const QString line = QString::fromLocal8Bit(conf.readLine()).trimmed();
        if (line.startsWith(QLatin1String("Out ")))
            out = line.mid(4).trimmed();
    }
    out.replace(QLatin1String("${USER}"), qEnvironmentVariable("USER", QStringLiteral("root")));
    out.replace(QLatin1String("${HOME}"), QDir::homePath());
    return out;
}
