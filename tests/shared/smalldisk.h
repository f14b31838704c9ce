#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// A small file system of its own over a directory, filled to the byte, so that a save really runs
// out of room. Mounting needs root; mounted() tells and error() says why not.
class SmallDisk
{
public:
    static constexpr qint64 Page = 4096;

    SmallDisk(const QString &path, qint64 size)
        : m_path(QFile::encodeName(path))
    {
        const QByteArray options = "size=" + QByteArray::number(size);
        m_mounted = mount("tmpfs", m_path.constData(), "tmpfs", 0, options.constData()) == 0;
        if (!m_mounted)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~SmallDisk()
    {
        if (m_mounted)
            umount2(m_path.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }

    // The most free space, in whole pages, that is still less than need bytes.
    static qint64 JustBelow(qint64 need) { return (need - 1) / Page * Page; }

    // Fills the disk with a hidden file of its own until exactly bytes (whole pages) stay free.
    bool LeaveFree(qint64 bytes)
    {
        const int fd = open(FillerPath().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const QByteArray chunk(int(Page), 'f');
        qint64 size = 0;
        for (ssize_t written = 0; (written = write(fd, chunk.constData(), size_t(chunk.size()))) > 0;)
            size += written;
        const bool truncated = errno == ENOSPC && ftruncate(fd, off_t(size - bytes)) == 0;
        close(fd);
        return truncated && Free() == bytes;
    }

    void MakeRoom() const { unlink(FillerPath().constData()); }

    qint64 Free() const
    {
        struct statvfs info
        {
        };
        return statvfs(m_path.constData(), &info) == 0 ? qint64(info.f_bavail) * qint64(info.f_frsize) : -1;
    }

private:
    QByteArray FillerPath() const { return m_path + "/.filler"; }

    QByteArray m_path;
    bool m_mounted = false;
    QString m_error;
};
