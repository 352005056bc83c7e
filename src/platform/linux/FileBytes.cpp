// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/FileBytes.h"

#include <unistd.h>

QByteArray fileBytesFromStart(int fd, qsizetype count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pread(fd, bytes.data() + done, size_t(bytes.size() - done), done);
        if (n <= 0)
            return {};
        done += n;
    }
    return bytes;
}
