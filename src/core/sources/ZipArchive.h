#pragma once

// A zip archive held in memory, read through QuaZip within bounds: every entry is read as a stream
// that stops at SourceLimits::maxEntryBytes (whatever the entry's header claims) and at
// maxTotalBytes for all entries together; an entry whose header already claims more is refused
// before a byte is inflated.

#include "RecordSource.h"

#include <QBuffer>
#include <QIODevice>

#include <memory>

class QuaZip;
class QuaZipFile;

namespace sources {

class ZipArchive;

// One entry as a sequential device. Reading past the bound, or a damaged entry, ends the stream
// with an error (read() returns -1) and sets the flag that says which.
class ZipEntryDevice final : public QIODevice
{
public:
    ZipEntryDevice(ZipArchive &archive, std::unique_ptr<QuaZipFile> file, qint64 budget);
    ~ZipEntryDevice() override;
    bool isSequential() const override { return true; }
    bool exceeded() const { return m_exceeded; }
    bool damaged() const { return m_damaged; }
    // The error the stream ended with, if any (TooLarge or DamagedArchive), detail the entry name.
    SourceError streamError(const QString &entry) const;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    ZipArchive &m_archive;
    std::unique_ptr<QuaZipFile> m_file;
    qint64 m_budget;
    bool m_exceeded = false;
    bool m_damaged = false;
    bool m_atEnd = false;
};

class ZipArchive
{
public:
    ZipArchive(const QByteArray &content, const SourceLimits &limits);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Opens the archive's directory; DamagedArchive when it is truncated or no zip.
    SourceError open();
    bool contains(const QString &name) const;
    QStringList entryNames() const { return m_names; }
    // A stream of one entry (one at a time per archive), or an error (MissingPart, TooLarge,
    // DamagedArchive).
    SourceError openEntry(const QString &name, std::unique_ptr<ZipEntryDevice> &device);
    // A whole entry into memory, at most maxBytes (and the archive's bounds).
    SourceError readEntry(const QString &name, QByteArray &bytes, qint64 maxBytes);

    qint64 totalRead() const { return m_totalRead; }

private:
    friend class ZipEntryDevice;
    QByteArray m_content;
    QBuffer m_buffer;
    std::unique_ptr<QuaZip> m_zip;
    SourceLimits m_limits;
    QStringList m_names;
    qint64 m_totalRead = 0;
};

} // namespace sources
