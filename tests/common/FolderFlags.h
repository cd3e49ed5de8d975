#pragma once

// Inode flags of a folder, to make file operations fail where a test needs them to (root on ext4).

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Sets or clears one flag (FS_APPEND_FL, FS_IMMUTABLE_FL) of a folder; false when that is not allowed.
inline bool setFolderFlag(const QString &folder, int flag, bool on)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | flag) : (flags & ~flag);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

// An immutable folder for the life of the object: no file can be made in it, while the files in it
// stay writable. The flag is cleared again whatever the test does, so the folder can be removed.
class ImmutableFolder
{
public:
    explicit ImmutableFolder(const QString &folder)
        : m_folder(folder)
        , m_set(setFolderFlag(folder, FS_IMMUTABLE_FL, true))
    {}
    ~ImmutableFolder()
    {
        if (m_set)
            setFolderFlag(m_folder, FS_IMMUTABLE_FL, false);
    }
    ImmutableFolder(const ImmutableFolder &) = delete;
    ImmutableFolder &operator=(const ImmutableFolder &) = delete;
    bool isSet() const { return m_set; }

private:
    QString m_folder;
    bool m_set;
};
