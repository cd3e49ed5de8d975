#include "SettingsFile.h"

#include "BinaryFields.h"
#include "FontRecord.h"

#include "shell/Errors.h"
#include "shell/velmora.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QtEndian>

#include <limits>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The address entries as one block of wide-string records, or nothing when one is too long
// for a record (the record writer then reports it in its place).
std::optional<QByteArray> addressRecords(const QStringList &addresses)
{
    qint64 size = 0;
    for (const QString &a : addresses) {
        if (a.size() > std::numeric_limits<qint32>::max() / 2)
            return std::nullopt;
        size += 4 + 2 * qint64(a.size());
    }
    QByteArray block(qsizetype(size), Qt::Uninitialized);
    char *p = block.data();
    for (const QString &a : addresses) {
        const qint32 n = qint32(a.size());
        qToLittleEndian<qint32>(n, p);
        p += 4;
        qToLittleEndian<quint16>(a.utf16(), n, p);
        p += 2 * qint64(n);
    }
    return block;
}

} // namespace

void WriteSettingsFile(QIODevice &file, const TEnvelopeSettings &s)
{
    WriteWideRecord(file, s.recipient);
    WriteWideRecord(file, s.sender);
    WriteWideRecord(file, s.pictureFile);
    WriteFloat64(file, s.margin);
    WriteFloat64(file, s.pictureMargin);
    WriteFloat64(file, s.pictureWidth);
    WriteInt32(file, s.paperFormat);
    WriteInt32(file, s.picturePosition);
    WriteFontRecord(file, s.recipientFont);
    WriteFontRecord(file, s.senderFont);
    WriteWideRecord(file, s.infoLine);
    WriteFloat64(file, s.recipientAcross);
    WriteFloat64(file, s.recipientDown);
    WriteInt32(file, qint32(s.addresses.size()));
    // The list can hold thousands of entries and is written after every stored one: one device
    // write for all of them instead of two per entry.
    if (const std::optional<QByteArray> block = addressRecords(s.addresses)) {
        WriteExact(file, block->constData(), block->size());
    } else {
        for (const QString &a : s.addresses)
            WriteWideRecord(file, a);
    }
    WriteFlag(file, s.keepListOpen);
    WriteFlag(file, s.portrait);
}

QByteArray SettingsFileBytes(const TEnvelopeSettings &settings)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    WriteSettingsFile(buf, settings);
    return bytes;
}

TSettingsReadResult ReadSettingsFile(QIODevice &file)
{
    TSettingsReadResult r;
    TEnvelopeSettings &v = r.values;
    try {
        ReadWideRecord(file, v.recipient);
        r.fieldsRead = FieldRecipient;
        ReadWideRecord(file, v.sender);
        r.fieldsRead = FieldSender;
        ReadWideRecord(file, v.pictureFile);
        r.fieldsRead = FieldPictureFile;
        v.margin = ReadFloat64(file);
        r.fieldsRead = FieldMargin;
        v.pictureMargin = ReadFloat64(file);
        r.fieldsRead = FieldPictureMargin;
        v.pictureWidth = ReadFloat64(file);
        r.fieldsRead = FieldPictureWidth;
        v.paperFormat = ReadInt32(file);
        r.fieldsRead = FieldPaperFormat;
        v.picturePosition = ReadInt32(file);
        r.fieldsRead = FieldPicturePosition;

        // The optional sections: an older, shorter file simply ends before one of them.
        if (file.atEnd())
            return r;
        {
            TFontRec font; // read into a fresh font, kept only when complete
            ReadFontRecord(file, font);
            v.recipientFont = font;
            r.fieldsRead = FieldRecipientFont;
            font = TFontRec();
            ReadFontRecord(file, font);
            v.senderFont = font;
            r.fieldsRead = FieldSenderFont;
        }
        if (file.atEnd())
            return r;
        ReadWideRecord(file, v.infoLine);
        r.fieldsRead = FieldInfoLine;
        if (file.atEnd())
            return r;
        v.recipientAcross = ReadFloat64(file);
        r.fieldsRead = FieldRecipientAcross;
        if (file.atEnd())
            return r;
        v.recipientDown = ReadFloat64(file);
        r.fieldsRead = FieldRecipientDown;
        if (file.atEnd())
            return r;
        const qint32 n = ReadInt32(file);
        v.addresses.clear();
        r.fieldsRead = FieldAddressCount;
        for (qint32 i = 0; i < n; ++i) {
            QString a;
            ReadWideRecord(file, a);
            v.addresses.append(a);
        }
        r.fieldsRead = FieldAddresses;
        if (file.atEnd())
            return r;
        v.keepListOpen = ReadFlag(file);
        r.fieldsRead = FieldKeepListOpen;
        if (file.atEnd())
            return r;
        v.portrait = ReadFlag(file);
        r.fieldsRead = FieldPortrait;
    } catch (const EInOutError &e) {
        r.error = e.message();
    }
    return r;
}

namespace {

bool writeThroughSaveFile(const QString &fname,
                          const std::function<void(QIODevice &)> &write,
                          QString *whyNot)
{
    QSaveFile file(fname);
    if (!file.open(QIODevice::WriteOnly)) {
        if (whyNot)
            *whyNot = file.errorString();
        return false;
    }
    // An exception leaves the QSaveFile uncommitted: its destructor discards the temporary file.
    write(file);
    // commit() does not notice a failed flush of the last buffered bytes and would put a cut file in
    // place of the old one (a full disk at exit would lose the address list), so flush first.
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const QString message = WriteFailedMessage(file);
        file.cancelWriting();
        throw EInOutError(message);
    }
    if (!file.commit())
        throw EInOutError(WriteFailedMessage(file));
    return true;
}

#ifndef Q_OS_WIN

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void throwWriteError(int error)
{
    throw EInOutError(QStringLiteral("Write error: %1").arg(systemReason(error)));
}

// A new file beside the one it is to replace, removed again unless it was moved into place.
struct TTemporaryFile
{
    int fd = -1;
    QByteArray path;
    ~TTemporaryFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!path.isEmpty())
            ::unlink(path.constData());
    }
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

// Puts from in place of to in one step; 0 or the reason it failed.
int replaceFile(const QByteArray &from, const QByteArray &to, bool toExists)
{
#if defined(Q_OS_LINUX) && defined(RENAME_EXCHANGE)
    // ext4 writes a file's data out before a rename that replaces another file, which costs as much
    // as a sync of every write. Exchanging the two names is just as atomic and escapes that; the
    // old content, now under the temporary name, is removed afterwards.
    if (toExists) {
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
#endif
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// Same contract as the QSaveFile path, without its sync: the content is made whole in memory,
// written to a new file beside the old one with every byte checked, closed, and only then renamed
// over the old file. A failure or a kill at any point leaves the old file or the new one, never a
// cut one.
bool writeUnsynced(const QString &fname, const std::function<void(QIODevice &)> &write, QString *whyNot)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        write(buffer);
    }

    QByteArray target = QFile::encodeName(fname);
    struct stat st
    {
    };
    if (::lstat(target.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // The link stays; the file it points to is replaced.
        if (char *real = ::realpath(target.constData(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        if (whyNot)
            *whyNot = systemReason(EISDIR);
        return false;
    }
    if (exists && ::access(target.constData(), W_OK) != 0) {
        if (whyNot)
            *whyNot = systemReason(errno);
        return false;
    }

    TTemporaryFile temp;
    // Until it has the old file's permissions, nobody else may read it.
    if (const int error = temp.create(target, exists ? 0600 : 0666)) {
        if (whyNot)
            *whyNot = systemReason(error);
        return false;
    }
    if (exists)
        ::fchmod(temp.fd, st.st_mode & 07777);

    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(temp.fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwWriteError(errno);
        }
        data += n;
        left -= n;
    }
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0)
        throwWriteError(errno);
    if (const int error = replaceFile(temp.path, target, exists))
        throwWriteError(error);
    temp.path.clear();
    return true;
}

#endif

} // namespace

bool WriteFileAtomically(const QString &fname,
                         const std::function<void(QIODevice &)> &write,
                         QString *whyNot,
                         TFileDurability durability)
{
#ifdef Q_OS_WIN
    Q_UNUSED(durability);
    return writeThroughSaveFile(fname, write, whyNot);
#else
    if (durability == TFileDurability::Synced)
        return writeThroughSaveFile(fname, write, whyNot);
    return writeUnsynced(fname, write, whyNot);
#endif
}
