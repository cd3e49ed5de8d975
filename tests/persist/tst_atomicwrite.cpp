#include "persist/AtomicFile.h"
#include "shell/Errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(TFileDurability)

namespace {

const QByteArray Previous("previous content\0with a zero", 28);

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

std::function<void(QIODevice &)> writing(const QByteArray &bytes)
{
    return [bytes](QIODevice &out) {
        if (out.write(bytes) != bytes.size())
            throw EInOutError(QStringLiteral("Disk full or write error"));
    };
}

// Sets or clears a directory's append-only flag: entries can be made in it, none renamed over or
// removed, so replacing a file there fails after the new content was written.
bool setAppendOnly(const QString &folder, bool on)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_APPEND_FL) : (flags & ~FS_APPEND_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace

class TestAtomicWrite : public QObject
{
    Q_OBJECT

    static void durabilities()
    {
        QTest::addColumn<TFileDurability>("durability");
        QTest::newRow("synced") << TFileDurability::Synced;
        QTest::newRow("fast") << TFileDurability::Fast;
    }

private slots:
    void replacesWholeContent_data() { durabilities(); }
    void replacesWholeContent()
    {
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("options.dat"));
        const QByteArray big(3 * 1024 * 1024 + 17, 'x');
        // New file, then a longer, then a shorter one: never a remainder of the one before.
        for (const QByteArray &bytes : {QByteArray("first"), big, QByteArray("ab")}) {
            QVERIFY(WriteFileAtomically(path, durability, writing(bytes)));
            QCOMPARE(contentOf(path), bytes);
            QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("options.dat")});
        }
    }

    void throwingWriterKeepsThePreviousFile_data() { durabilities(); }
    void throwingWriterKeepsThePreviousFile()
    {
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("options.dat"));
        putFile(path, Previous);
        const auto failing = [](QIODevice &out) {
            out.write("half of it");
            throw EInOutError(QStringLiteral("Disk full or write error"));
        };
        QVERIFY_THROWS_EXCEPTION(EInOutError, WriteFileAtomically(path, durability, failing));
        QCOMPARE(contentOf(path), Previous);
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("options.dat")});
    }

    void fullDiskKeepsThePreviousFile_data() { durabilities(); }
    void fullDiskKeepsThePreviousFile()
    {
        // A file-size limit acts as a full disk: the new content (64 KiB) does not fit.
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("options.dat"));
        putFile(path, Previous);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        bool raised = false;
        for (const rlim_t limit : {rlim_t(0), rlim_t(200), rlim_t(64 * 1024 - 1)}) {
            rlimit small = saved;
            small.rlim_cur = limit;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            raised = false;
            try {
                WriteFileAtomically(path, durability, writing(QByteArray(64 * 1024, 'n')));
            } catch (const EInOutError &) {
                raised = true;
            }
            setrlimit(RLIMIT_FSIZE, &saved);
            QVERIFY2(raised, QByteArray::number(qulonglong(limit)));
            QCOMPARE(contentOf(path), Previous);
            QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("options.dat")});
        }
    }

    void failedReplacementKeepsThePreviousFile_data() { durabilities(); }
    void failedReplacementKeepsThePreviousFile()
    {
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("fest"));
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + QStringLiteral("/options.dat");
        putFile(path, Previous);
        QVERIFY2(setAppendOnly(folder, true), "setting a directory append-only needs root on ext4");
        bool raised = false;
        try {
            WriteFileAtomically(path, durability, writing("new content"));
        } catch (const EInOutError &) {
            raised = true;
        }
        QVERIFY(setAppendOnly(folder, false));
        QVERIFY(raised);
        QCOMPARE(contentOf(path), Previous);
    }

    void keepsPermissionsOfTheReplacedFile_data() { durabilities(); }
    void keepsPermissionsOfTheReplacedFile()
    {
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("brief.kvt"));
        const QByteArray name = QFile::encodeName(path);
        const mode_t oldMask = ::umask(022);
        // A new file gets what the umask leaves of rw for everyone.
        QVERIFY(WriteFileAtomically(path, durability, writing("eins")));
        struct stat st
        {
        };
        QCOMPARE(::stat(name.constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0644);
        for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0666)}) {
            QCOMPARE(::chmod(name.constData(), mode), 0);
            QVERIFY(WriteFileAtomically(path, durability, writing("zwei")));
            QCOMPARE(::stat(name.constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 07777), int(mode));
        }
        ::umask(oldMask);
        QCOMPARE(contentOf(path), QByteArray("zwei"));
    }

    void symbolicLinkKeepsPointingToTheFile_data() { durabilities(); }
    void symbolicLinkKeepsPointingToTheFile()
    {
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("real.dat"));
        const QString link = dir.filePath(QStringLiteral("options.dat"));
        putFile(target, Previous);
        QVERIFY(QFile::link(target, link));
        QVERIFY(WriteFileAtomically(link, durability, writing("neu")));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contentOf(target), QByteArray("neu"));
        QCOMPARE(filesIn(dir.path()),
                 (QStringList{QStringLiteral("options.dat"), QStringLiteral("real.dat")}));
    }

    void folderInTheWayIsNotCreated_data() { durabilities(); }
    void folderInTheWayIsNotCreated()
    {
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("options.dat"));
        QVERIFY(QDir().mkdir(path));
        QString whyNot;
        QVERIFY(!WriteFileAtomically(path, durability, writing("x"), &whyNot));
        QVERIFY(!whyNot.isEmpty());
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(filesIn(dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAtomicWrite)
#include "tst_atomicwrite.moc"
