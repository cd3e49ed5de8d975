#include "core/AtomicFile.h"

#include "core/BinaryIO.h"

#include "core/Errors.h"

#include <QBuffer>
#include <QFile>

#ifdef Q_OS_UNIX
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace {

TReplaceObserver &replaceObserver()
{
    static TReplaceObserver observer;
    return observer;
}

void report(const QString &fname, TFileDurability durability, TReplaceStep step)
{
    if (const TReplaceObserver &observer = replaceObserver())
        observer(fname, durability, step);
}

// The whole new content, before anything on disk is touched: a writer that throws changes nothing.
QByteArray contentOf(const std::function<void(QIODevice &)> &write)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    write(buffer);
    buffer.close();
    return bytes;
}

bool cannotCreate(QString *whyNot, const QString &reason)
{
    if (whyNot)
        *whyNot = reason;
    return false;
}

#ifdef Q_OS_UNIX

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void throwWriteFailed(int error)
{
    throw EInOutError(WriteFailedMessage(systemReason(error)));
}

// The file a name stands for: symbolic links are followed, also to a file that does not exist yet,
// so the link itself stays. Empty, with the reason in error, when the links cannot be followed.
QByteArray followLinks(QByteArray path, int &error)
{
    for (int depth = 0; depth <= 40; ++depth) {
        struct stat st
        {
        };
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        QByteArray to(qsizetype(st.st_size > 0 ? st.st_size : 4095) + 1, Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), to.data(), size_t(to.size()));
        if (n < 0 || n >= to.size()) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return QByteArray();
        }
        to.truncate(n);
        if (!to.startsWith('/'))
            to.prepend(path.left(path.lastIndexOf('/') + 1));
        path = to;
    }
    error = ELOOP;
    return QByteArray();
}

// Closes the descriptor unless it was handed back; close errors that matter are checked by hand.
struct TDescriptor
{
    int fd = -1;
    ~TDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    void closeChecked()
    {
        const int f = fd;
        fd = -1;
        if (::close(f) != 0)
            throwWriteFailed(errno);
    }
};

// A new file beside the one it is to replace, removed again unless it was moved into place.
struct TTemporaryFile : TDescriptor
{
    QByteArray path;
    ~TTemporaryFile()
    {
        if (!path.isEmpty())
            ::unlink(path.constData());
    }
    // 0, or the reason no file could be made.
    int create(const QByteArray &beside, mode_t mode)
    {
        static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QByteArray name = beside + '.';
            for (int i = 0; i < 6; ++i)
                name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
            fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0) {
                path = name;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }
};

void writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwWriteFailed(errno);
        }
        done += n;
    }
}

void syncFile(int fd, const QString &fname, TFileDurability durability)
{
    if (durability != TFileDurability::Synced)
        return;
    if (::fsync(fd) != 0)
        throwWriteFailed(errno);
    report(fname, durability, TReplaceStep::FileSynced);
}

// Makes the folder entry of a renamed file durable.
void syncFolder(const QByteArray &file, const QString &fname, TFileDurability durability)
{
    if (durability != TFileDurability::Synced)
        return;
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : file.left(slash);
    TDescriptor dir;
    dir.fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd < 0)
        throwWriteFailed(errno);
    // Some file systems cannot sync a folder; their entries are as safe as they get.
    if (::fsync(dir.fd) != 0 && errno != EINVAL && errno != EROFS)
        throwWriteFailed(errno);
    report(fname, durability, TReplaceStep::FolderSynced);
}

// Puts from in place of to in one step; 0 or the reason it failed.
int swapIn(const QByteArray &from, const QByteArray &to, bool toExists, TFileDurability durability)
{
#if defined(Q_OS_LINUX) && defined(RENAME_EXCHANGE)
    // ext4 writes a file's data out before a rename that replaces another file, which costs as much
    // as a sync of every write. Exchanging the two names is just as atomic and escapes that; the
    // old content, now under the temporary name, is removed afterwards.
    if (toExists && durability == TFileDurability::Fast) {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
            ::unlink(from.constData());
            return 0;
        }
        // File systems without the exchange, or the old file gone meanwhile: a plain rename.
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != ENOENT)
            return errno;
    }
#else
    Q_UNUSED(toExists);
    Q_UNUSED(durability);
#endif
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// The folder takes no new file: the old one is overwritten. Room for a longer content is reserved
// before the first byte changes, so a full disk leaves the old content; only a failure of the disk
// itself, or a kill, halfway through can leave a mixed file.
bool writeInPlace(const QByteArray &target,
                  const QString &fname,
                  TFileDurability durability,
                  const QByteArray &bytes,
                  QString *whyNot)
{
    TDescriptor file;
    file.fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    struct stat st
    {
    };
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0)
        return cannotCreate(whyNot, systemReason(errno));
    const off_t oldSize = st.st_size;
    const off_t newSize = off_t(bytes.size());
#ifdef Q_OS_LINUX
    if (newSize > oldSize && ::fallocate(file.fd, 0, oldSize, newSize - oldSize) != 0) {
        const int error = errno;
        if (error != EOPNOTSUPP && error != ENOSYS) {
            if (::ftruncate(file.fd, oldSize) != 0) {
                // The size stays as the failed reservation left it; the error below says so.
            }
            throwWriteFailed(error);
        }
    }
#endif
    writeAll(file.fd, bytes);
    if (newSize < oldSize && ::ftruncate(file.fd, newSize) != 0)
        throwWriteFailed(errno);
    syncFile(file.fd, fname, durability);
    file.closeChecked();
    report(fname, durability, TReplaceStep::WrittenInPlace);
    return true;
}

bool replace(const QString &fname, TFileDurability durability, const QByteArray &bytes, QString *whyNot)
{
    if (fname.isEmpty())
        return cannotCreate(whyNot, systemReason(ENOENT));
    int error = 0;
    const QByteArray target = followLinks(QFile::encodeName(fname), error);
    if (error)
        return cannotCreate(whyNot, systemReason(error));
    struct stat st
    {
    };
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return cannotCreate(whyNot, systemReason(EISDIR));
    if (exists && ::access(target.constData(), W_OK) != 0)
        return cannotCreate(whyNot, systemReason(errno));

    TTemporaryFile temp;
    // Until it has the old file's permissions, nobody else may read it.
    if (const int reason = temp.create(target, exists ? 0600 : 0666)) {
        if (!exists)
            return cannotCreate(whyNot, systemReason(reason));
        return writeInPlace(target, fname, durability, bytes, whyNot);
    }
    if (exists) {
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            && ::fchown(temp.fd, st.st_uid, st.st_gid) != 0) {
            // Only the owner's own permissions can be kept then; the content is written all the same.
        }
        ::fchmod(temp.fd, st.st_mode & 07777);
    }
    writeAll(temp.fd, bytes);
    syncFile(temp.fd, fname, durability);
    temp.closeChecked();
    if (const int reason = swapIn(temp.path, target, exists, durability))
        throwWriteFailed(reason);
    temp.path.clear();
    report(fname, durability, TReplaceStep::Swapped);
    syncFolder(target, fname, durability);
    return true;
}

#else

bool replace(const QString &fname, TFileDurability durability, const QByteArray &bytes, QString *whyNot)
{
    // QSaveFile always syncs; where the folder takes no new file it writes in place.
    QSaveFile file(fname);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return cannotCreate(whyNot, file.errorString());
    WriteBytes(file, bytes); // on a throw the QSaveFile discards the new file; the old one stays
    // Qt 6.4's commit() does not notice a failed flush of the last buffered bytes and would put a cut
    // file in place of the old one, so the flush is checked first.
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const QString message = WriteFailedMessage(file);
        file.cancelWriting();
        throw EInOutError(message);
    }
    if (!file.commit())
        throw EInOutError(WriteFailedMessage(file));
    report(fname, durability, TReplaceStep::Swapped);
    return true;
}

#endif

} // namespace

bool WriteFileAtomically(const QString &fname,
                         TFileDurability durability,
                         const std::function<void(QIODevice &)> &write,
                         QString *whyNot)
{
    return replace(fname, durability, contentOf(write), whyNot);
}

void SetReplaceObserver(TReplaceObserver observer)
{
    replaceObserver() = std::move(observer);
}
