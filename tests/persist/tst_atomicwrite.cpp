#include "FileSizeLimit.h"
#include "FolderFlags.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

Q_DECLARE_METATYPE(TFileDurability)
Q_DECLARE_METATYPE(TReplaceStep)

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

// Append-only: entries can be made in the folder, none renamed over or removed, so replacing a file
// there fails after the new content was written.
bool setAppendOnly(const QString &folder, bool on)
{
    return setFolderFlag(folder, FS_APPEND_FL, on);
}

using Steps = QList<TReplaceStep>;

// Records the steps of every replacement while it lives.
struct StepRecorder
{
    QList<std::tuple<QString, TFileDurability, TReplaceStep>> heard;
    StepRecorder()
    {
        SetReplaceObserver([this](const QString &fname, TFileDurability durability, TReplaceStep step) {
            heard.append({fname, durability, step});
        });
    }
    ~StepRecorder() { SetReplaceObserver({}); }
    Steps steps() const
    {
        Steps s;
        for (const auto &h : heard)
            s.append(std::get<2>(h));
        return s;
    }
};

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

    void stepsOfEachDurability_data()
    {
        QTest::addColumn<TFileDurability>("durability");
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<Steps>("expected");
        QTest::newRow("synced") << TFileDurability::Synced << false
                                << Steps{TReplaceStep::FileSynced,
                                         TReplaceStep::Swapped,
                                         TReplaceStep::FolderSynced};
        QTest::newRow("fast") << TFileDurability::Fast << false << Steps{TReplaceStep::Swapped};
        QTest::newRow("synced in place") << TFileDurability::Synced << true
                                         << Steps{TReplaceStep::FileSynced, TReplaceStep::WrittenInPlace};
        QTest::newRow("fast in place")
                << TFileDurability::Fast << true << Steps{TReplaceStep::WrittenInPlace};
    }
    void stepsOfEachDurability()
    {
        QFETCH(TFileDurability, durability);
        QFETCH(bool, inPlace);
        QFETCH(Steps, expected);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("ordner"));
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + QStringLiteral("/options.dat");
        putFile(path, Previous);
        StepRecorder recorder;
        {
            std::unique_ptr<ImmutableFolder> fixed;
            if (inPlace)
                fixed = std::make_unique<ImmutableFolder>(folder);
            QVERIFY2(!fixed || fixed->isSet(), "making a folder immutable needs root on ext4");
            QVERIFY(WriteFileAtomically(path, durability, writing("neu")));
        }
        QCOMPARE(recorder.steps(), expected);
        for (const auto &[fname, heardDurability, step] : recorder.heard) {
            QCOMPARE(fname, path);
            QCOMPARE(heardDurability, durability);
        }
        QCOMPARE(contentOf(path), QByteArray("neu"));
    }

    void nothingHeardOfAFailedWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("options.dat"));
        putFile(path, Previous);
        StepRecorder recorder;
        {
            const FileSizeLimit limit(16);
            QVERIFY_THROWS_EXCEPTION(
                    EInOutError,
                    WriteFileAtomically(path, TFileDurability::Synced, writing(QByteArray(64, 'n'))));
        }
        QVERIFY(recorder.heard.isEmpty());
        QCOMPARE(contentOf(path), Previous);
    }

    void fullDiskSaysWhy()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("options.dat"));
        const FileSizeLimit limit(16);
        try {
            WriteFileAtomically(path, TFileDurability::Fast, writing(QByteArray(64, 'n')));
            QFAIL("a write beyond the limit must raise");
        } catch (const EInOutError &e) {
            QCOMPARE(e.message(), QStringLiteral("Fehler beim Schreiben der Datei: File too large"));
        }
    }

    void folderWithoutRoomForANewFileIsWrittenInPlace_data()
    {
        QTest::addColumn<TFileDurability>("durability");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("synced, longer") << TFileDurability::Synced << QByteArray(5000, 'L');
        QTest::newRow("synced, shorter") << TFileDurability::Synced << QByteArray("kurz");
        QTest::newRow("fast, longer") << TFileDurability::Fast << QByteArray(70000, 'L');
        QTest::newRow("fast, shorter") << TFileDurability::Fast << QByteArray("kurz");
        QTest::newRow("fast, empty") << TFileDurability::Fast << QByteArray();
    }
    void folderWithoutRoomForANewFileIsWrittenInPlace()
    {
        QFETCH(TFileDurability, durability);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("fest"));
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + QStringLiteral("/translate.dat");
        putFile(path, Previous);
        const QByteArray name = QFile::encodeName(path);
        QCOMPARE(::chmod(name.constData(), 0640), 0);
        {
            const ImmutableFolder fixed(folder);
            QVERIFY(fixed.isSet());
            QVERIFY(WriteFileAtomically(path, durability, writing(bytes)));
            // A file that does not exist yet cannot be made there.
            QString whyNot;
            QVERIFY(!WriteFileAtomically(
                    folder + QStringLiteral("/neu.dat"), durability, writing("x"), &whyNot));
            QVERIFY(!whyNot.isEmpty());
        }
        QCOMPARE(contentOf(path), bytes);
        struct stat st
        {
        };
        QCOMPARE(::stat(name.constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0640);
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("translate.dat")});
    }

    void fullDiskInPlaceKeepsThePreviousFile()
    {
        // Room for the longer content is reserved before the first byte is overwritten.
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("fest"));
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + QStringLiteral("/translate.dat");
        putFile(path, Previous);
        {
            const ImmutableFolder fixed(folder);
            const FileSizeLimit limit(Previous.size() + 10);
            QVERIFY(fixed.isSet() && limit.isSet());
            QVERIFY_THROWS_EXCEPTION(
                    EInOutError,
                    WriteFileAtomically(path, TFileDurability::Synced, writing(QByteArray(4096, 'n'))));
        }
        QCOMPARE(contentOf(path), Previous);
    }

    void ownerOfTheReplacedFileStays_data() { durabilities(); }
    void ownerOfTheReplacedFileStays()
    {
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("brief.kvt"));
        const QByteArray name = QFile::encodeName(path);
        putFile(path, Previous);
        QVERIFY2(::chown(name.constData(), 4321, 4322) == 0, "giving a file away needs root");
        QVERIFY(WriteFileAtomically(path, durability, writing("neu")));
        struct stat st
        {
        };
        QCOMPARE(::stat(name.constData(), &st), 0);
        QCOMPARE(st.st_uid, uid_t(4321));
        QCOMPARE(st.st_gid, gid_t(4322));
        QCOMPARE(contentOf(path), QByteArray("neu"));
    }

    void linkToAFileNotYetThere_data() { durabilities(); }
    void linkToAFileNotYetThere()
    {
        // The link is followed to where it points, also through a second link and a relative target.
        QFETCH(TFileDurability, durability);
        QTemporaryDir dir;
        QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("echt"))));
        QCOMPARE(::symlink("echt/options.dat",
                           QFile::encodeName(dir.filePath(QStringLiteral("zwischen"))).constData()),
                 0);
        const QString link = dir.filePath(QStringLiteral("options.dat"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("zwischen")), link));
        QVERIFY(WriteFileAtomically(link, durability, writing("neu")));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("zwischen"))).isSymLink());
        QCOMPARE(contentOf(dir.filePath(QStringLiteral("echt/options.dat"))), QByteArray("neu"));
    }

    void linkLoopIsNoFile()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a"));
        const QString b = dir.filePath(QStringLiteral("b"));
        QVERIFY(QFile::link(b, a));
        QVERIFY(QFile::link(a, b));
        QString whyNot;
        QVERIFY(!WriteFileAtomically(a, TFileDurability::Fast, writing("x"), &whyNot));
        QVERIFY(!whyNot.isEmpty());
        QVERIFY(QFileInfo(a).isSymLink());
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
