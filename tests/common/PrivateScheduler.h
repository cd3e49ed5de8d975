#pragma once

// A print scheduler of a test's (or a benchmark's) own: cupsd with its configuration, spool and socket
// in a temporary folder, a job limit of its own, and one queue. Its backend either copies each job's
// document into outDir() as job-<id>.pdf, or is cups-pdf writing there (as cups-pdf reads its
// settings only from /etc/cups, that needs root and a settings file there for the time the scheduler
// lives). The system scheduler and its queues stay untouched. Reach it by setting CUPS_SERVER to
// socket() before anything in the process talks to the print service.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

class PrivateScheduler
{
public:
    static constexpr const char *Queue = "Kuvertino-Test";

    enum class Backend { KeepDocuments, CupsPdf };

    // maxJobs 0: the scheduler's default limit (500).
    explicit PrivateScheduler(int maxJobs, Backend kind = Backend::KeepDocuments)
    {
        // /tmp keeps the socket path short (a unix socket path has about 100 bytes).
        m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/kvt-cups-XXXXXX"));
        if (!m_dir->isValid()) {
            fail(QStringLiteral("no temporary folder"));
            return;
        }
        const QString root = m_dir->path();
        // The scheduler runs the backend as another user when it is not root's own.
        QFile::setPermissions(root,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                      | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char *sub : {"spool/tmp", "cache", "state", "log", "out", "bin/backend"})
            QDir().mkpath(root + u'/' + QLatin1String(sub));
        QFile::setPermissions(outDir(), QFile::Permissions(0x7777));
        for (const char *sub : {"filter", "daemon", "driver", "notifier", "cgi-bin", "monitor"})
            QFile::link(QStringLiteral("/usr/lib/cups/") + QLatin1String(sub),
                        root + QStringLiteral("/bin/") + QLatin1String(sub));
        const QString backend = root + QStringLiteral("/bin/backend/kvtest");
        write(backend,
              "#!/bin/sh\n"
              "# job-id user title copies options [file]; without arguments: what devices it offers\n"
              "[ $# -eq 0 ] && { echo 'direct kvtest \"Unknown\" \"Kuvertino test output\"'; exit 0; }\n"
              "out=\"${DEVICE_URI#kvtest:}\"\n"
              "if [ $# -ge 6 ]; then cp \"$6\" \"$out/job-$1.part\"; else cat >\"$out/job-$1.part\"; fi\n"
              "mv \"$out/job-$1.part\" \"$out/job-$1.pdf\"\n");
        QFile::setPermissions(backend, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QString uri = QStringLiteral("kvtest:") + outDir();
        QStringList model;
        if (kind == Backend::CupsPdf) {
            QFile::link(QStringLiteral("/usr/lib/cups/backend/cups-pdf"),
                        root + QStringLiteral("/bin/backend/cups-pdf"));
            const QString name = QStringLiteral("kvt%1").arg(getpid());
            m_cupsPdfConf = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(name);
            QDir().mkpath(root + QStringLiteral("/pdfspool"));
            write(m_cupsPdfConf,
                  QStringLiteral(
                          "Out %1\nAnonDirName %1\nSpool %2/pdfspool\nLabel 1\nTitlePref 1\nGrp root\n")
                          .arg(outDir(), root)
                          .toUtf8());
            if (!QFile::exists(m_cupsPdfConf)) {
                fail(QStringLiteral("cannot write %1 (cups-pdf reads its settings only there)")
                             .arg(m_cupsPdfConf));
                return;
            }
            uri = QStringLiteral("cups-pdf:/") + name;
            model = {QStringLiteral("-P"), QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")};
        }
        write(root + QStringLiteral("/cupsd.conf"),
              QStringLiteral(
                      "Listen %1\n%2LogLevel warn\nWebInterface No\nBrowsing No\n"
                      "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                      "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(socket())
                      .arg(maxJobs > 0 ? QStringLiteral("MaxJobs %1\n").arg(maxJobs) : QString())
                      .toUtf8());
        QString files
                = QStringLiteral(
                          "ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                          "StateDir %1/state\nServerBin %1/bin\nDataDir /usr/share/cups\n"
                          "DocumentRoot /usr/share/cups/doc-root\nAccessLog %1/log/access_log\n"
                          "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n")
                          .arg(root);
        if (geteuid() != 0) {
            const passwd *pw = getpwuid(geteuid());
            const group *gr = getgrgid(getegid());
            files += QStringLiteral("User %1\nGroup %2\nSystemGroup %2\n")
                             .arg(QString::fromLocal8Bit(pw ? pw->pw_name : ""),
                                  QString::fromLocal8Bit(gr ? gr->gr_name : ""));
        } else {
            files += QStringLiteral("SystemGroup root\n");
        }
        write(root + QStringLiteral("/cups-files.conf"), files.toUtf8());

        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(QStringLiteral("cupsd"),
                      {QStringLiteral("-f"),
                       QStringLiteral("-c"),
                       root + QStringLiteral("/cupsd.conf"),
                       QStringLiteral("-s"),
                       root + QStringLiteral("/cups-files.conf")});
        if (!m_cupsd.waitForStarted(10000)) {
            fail(QStringLiteral("cupsd did not start: ") + m_cupsd.errorString());
            return;
        }
        QElapsedTimer clock;
        clock.start();
        while (!tool(QStringLiteral("lpstat"), {QStringLiteral("-r")})
                        .contains(QLatin1String("is running"))) {
            if (clock.elapsed() > 20000 || m_cupsd.state() != QProcess::Running) {
                fail(QStringLiteral("the scheduler does not answer: ")
                     + QString::fromLocal8Bit(m_cupsd.readAll()) + log());
                return;
            }
            QThread::msleep(50);
        }
        const QString added = tool(QStringLiteral("lpadmin"),
                                   QStringList{QStringLiteral("-p"),
                                               QLatin1String(Queue),
                                               QStringLiteral("-E"),
                                               QStringLiteral("-v"),
                                               uri}
                                           + model);
        tool(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QLatin1String(Queue)});
        if (!tool(QStringLiteral("lpstat"), {QStringLiteral("-a"), QLatin1String(Queue)})
                     .contains(QLatin1String("accepting"))) {
            fail(QStringLiteral("the queue could not be added: ") + added);
            return;
        }
        m_ok = true;
    }

    ~PrivateScheduler()
    {
        if (!m_cupsPdfConf.isEmpty())
            QFile::remove(m_cupsPdfConf);
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(10000))
                m_cupsd.kill();
            m_cupsd.waitForFinished(5000);
        }
    }

    bool ok() const { return m_ok; }
    QString error() const { return m_error; }
    QString socket() const { return m_dir->path() + QStringLiteral("/cups.sock"); }
    QString outDir() const { return m_dir->path() + QStringLiteral("/out"); }
    QString log() const
    {
        QFile f(m_dir->path() + QStringLiteral("/log/error_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

    // Runs one of the print service's command-line tools against this scheduler.
    QString tool(const QString &program, const QStringList &args) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), socket());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForFinished(30000))
            return QStringLiteral("(%1 did not finish)").arg(program);
        return QString::fromLocal8Bit(p.readAll());
    }
    // Stopped: jobs are taken but wait in the queue. Rejecting: jobs are refused.
    void hold() const { tool(QStringLiteral("cupsdisable"), {QLatin1String(Queue)}); }
    void release() const { tool(QStringLiteral("cupsenable"), {QLatin1String(Queue)}); }
    void reject() const { tool(QStringLiteral("cupsreject"), {QLatin1String(Queue)}); }
    void accept() const { tool(QStringLiteral("cupsaccept"), {QLatin1String(Queue)}); }

private:
    void fail(const QString &why) { m_error = why; }
    static void write(const QString &name, const QByteArray &bytes)
    {
        QFile f(name);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_cupsd;
    QString m_cupsPdfConf;
    bool m_ok = false;
    QString m_error;
};
