#pragma once

#include <QByteArray>

#include <unistd.h>

#include <algorithm>
#include <cerrno>

// Writes all of bytes to fd, in as many writes as the system takes; 0, or the errno of the write
// that failed (EIO for one that wrote nothing).
inline int WriteAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        left -= written;
    }
    return 0;
}
