#include "ZipArchive.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

namespace sources {

ZipEntryDevice::ZipEntryDevice(ZipArchive &archive, std::unique_ptr<QuaZipFile> file, qint64 budget)
    : m_archive(archive)
    , m_file(std::move(file))
    , m_budget(budget)
{
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

ZipEntryDevice::~ZipEntryDevice()
{
    // Closing checks the CRC of a partly read entry: its answer does not matter here.
    m_file->close();
}

SourceError ZipEntryDevice::streamError(const QString &entry) const
{
    if (m_exceeded)
        return {SourceErrorKind::TooLarge, entry};
    if (m_damaged)
        return {SourceErrorKind::DamagedArchive, entry};
    return {};
}

qint64 ZipEntryDevice::readData(char *data, qint64 maxSize)
{
    if (m_exceeded || m_damaged)
        return -1;
    if (m_atEnd)
        return 0;
    const qint64 totalLeft = m_archive.m_limits.maxTotalBytes - m_archive.m_totalRead;
    const qint64 allowed = std::min(m_budget, totalLeft);
    // One byte more than allowed tells a stream that is too long from one that just fits.
    const qint64 want = std::min(maxSize, allowed + 1);
    if (want <= 0) {
        m_exceeded = true;
        return -1;
    }
    const qint64 n = m_file->read(data, want);
    if (n < 0) {
        m_damaged = true;
        return -1;
    }
    if (n == 0) {
        m_atEnd = true;
        // A stream that ends before its stored size, or with a wrong checksum, is damaged.
        if (m_file->getZipError() != UNZ_OK)
            m_damaged = true;
        return m_damaged ? -1 : 0;
    }
    if (n > allowed) {
        m_exceeded = true;
        return -1;
    }
    m_budget -= n;
    m_archive.m_totalRead += n;
    return n;
}

ZipArchive::ZipArchive(const QByteArray &content, const SourceLimits &limits)
    : m_content(content)
    , m_limits(limits)
{
    m_buffer.setBuffer(&m_content);
}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        m_zip->close();
}

SourceError ZipArchive::open()
{
    m_buffer.open(QIODevice::ReadOnly);
    m_zip = std::make_unique<QuaZip>(&m_buffer);
    if (!m_zip->open(QuaZip::mdUnzip))
        return {SourceErrorKind::DamagedArchive, QString()};
    m_names = m_zip->getFileNameList();
    if (m_zip->getZipError() != UNZ_OK)
        return {SourceErrorKind::DamagedArchive, QString()};
    return {};
}

bool ZipArchive::contains(const QString &name) const
{
    return m_names.contains(name);
}

SourceError ZipArchive::openEntry(const QString &name, std::unique_ptr<ZipEntryDevice> &device)
{
    device.reset();
    if (!m_zip || !contains(name) || !m_zip->setCurrentFile(name, QuaZip::csSensitive))
        return {SourceErrorKind::MissingPart, name};
    QuaZipFileInfo64 info;
    if (!m_zip->getCurrentFileInfo(&info))
        return {SourceErrorKind::DamagedArchive, name};
    if (info.uncompressedSize > quint64(m_limits.maxEntryBytes)
        || qint64(info.uncompressedSize) > m_limits.maxTotalBytes - m_totalRead)
        return {SourceErrorKind::TooLarge, name};
    auto file = std::make_unique<QuaZipFile>(m_zip.get());
    if (!file->open(QIODevice::ReadOnly))
        return {SourceErrorKind::DamagedArchive, name};
    device = std::make_unique<ZipEntryDevice>(*this, std::move(file), m_limits.maxEntryBytes);
    return {};
}

SourceError ZipArchive::readEntry(const QString &name, QByteArray &bytes, qint64 maxBytes)
{
    bytes.clear();
    std::unique_ptr<ZipEntryDevice> device;
    if (SourceError e = openEntry(name, device))
        return e;
    char chunk[64 * 1024];
    while (true) {
        const qint64 n = device->read(chunk, sizeof chunk);
        if (n < 0)
            return device->streamError(name);
        if (n == 0)
            break;
        if (bytes.size() + n > maxBytes)
            return {SourceErrorKind::TooLarge, name};
        bytes.append(chunk, n);
    }
    return device->streamError(name);
}

} // namespace sources
