#pragma once

// The program run as a command, the way a script runs it: a child process of the build's binary with
// a fresh home of its own, no display and no platform chosen.

#include "core/SettingsFile.h"

#include <poppler-qt6.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

struct CliResult
{
    int exit = -1;
    QString out;
    QString err;
};

class CliHome
{
public:
    // withPrintService: the system's scheduler; otherwise none is reachable (the built-in PDF printer).
    explicit CliHome(bool withPrintService = false)
    {
        QDir root(m_dir.path());
        for (const char *sub : {"data", "config", "docs"})
            root.mkpath(QLatin1String(sub));
        write(QStringLiteral("config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/docs\"\n");
        m_env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DOCUMENTS_DIR"})
            m_env.remove(QLatin1String(name));
        m_env.insert(QStringLiteral("HOME"), m_dir.path());
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        m_env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        if (!withPrintService)
            m_env.insert(QStringLiteral("CUPS_SERVER"), path(QStringLiteral("no-cups.sock")));
    }
    QString path(const QString &sub) const { return m_dir.path() + QLatin1Char('/') + sub; }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        QDir().mkpath(QFileInfo(f).path());
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(f.fileName()));
        return f.fileName();
    }
    // A document whose recipient is the given text.
    QString document(const QString &recipient, const QString &name = QStringLiteral("brief.kvt")) const
    {
        TEnvelopeSettings s;
        s.recipient = recipient;
        s.sender = QStringLiteral("Absender");
        return write(name, SettingsFileBytes(s));
    }
    QProcessEnvironment &env() { return m_env; }
    QString pdfFolder() const { return path(QStringLiteral("docs/Kuvertino")); }

    void start(QProcess &p, const QStringList &args) const
    {
        p.setProcessEnvironment(m_env);
        p.setWorkingDirectory(m_dir.path());
        p.start(QStringLiteral(KUVERTINO_BINARY_DIR "/kuvertino"), args);
    }
    CliResult run(const QStringList &args) const
    {
        QProcess p;
        start(p, args);
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

// The text of each page of a PDF file, its whitespace made single spaces.
inline QStringList PdfPageTexts(const QString &file)
{
    QStringList texts;
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(file);
    for (int i = 0; doc && i < doc->numPages(); ++i)
        texts << doc->page(i)->text(QRectF()).simplified();
    return texts;
}

// The pages of the built-in printer's files in the order it wrote them (Plikato-1.pdf, Plikato-2.pdf,
// ...), the text of each.
inline QStringList PdfFolderTexts(const QString &folder)
{
    QStringList texts;
    for (int n = 1; QFile::exists(folder + QStringLiteral("/Plikato-%1.pdf").arg(n)); ++n)
        texts << PdfPageTexts(folder + QStringLiteral("/Plikato-%1.pdf").arg(n));
    return texts;
}
