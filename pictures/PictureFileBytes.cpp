// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureFileBytes.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/FileDescriptor.h"
#include "platform/PathText.h"
#include "platform/ThreadGuard.h"

#include "pictures/PictureHeader.h"
#include "pictures/PictureLog.h"

namespace tavik {

std::optional<QByteArray> readPictureBytes(const QString& path, qint64 maxBytes)
{
    TAVIK_DISK_CALL();
    const auto refuse = [&](const char* why) {
        qCInfo(lcPictures) << "refused," << why << "(limit" << maxBytes << "bytes):" << path;
        return std::nullopt;
    };
    // Non-blocking so that a pipe named like a picture cannot hold the open up.
    const FileDescriptor fd(::open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return refuse("cannot be read");
    if (!S_ISREG(st.st_mode))
        return refuse("not a regular file");
    if (st.st_size > maxBytes)
        return refuse("over its byte limit");
    if (st.st_size < kMagicBytes)
        return refuse("neither a JPEG nor a BMP by its bytes");
    // One byte more than allowed, to notice a file that grew since fstat.
    QByteArray bytes(qsizetype(std::min<qint64>(st.st_size, maxBytes) + 1), Qt::Uninitialized);
    const std::optional<qint64> head = fd.readFully(bytes.data(), kMagicBytes);
    if (!head)
        return refuse("cannot be read");
    if (*head != kMagicBytes || !looksLikePicture(QByteArrayView(bytes.constData(), *head)))
        return refuse("neither a JPEG nor a BMP by its bytes");
    const std::optional<qint64> rest = fd.readFully(bytes.data() + *head, bytes.size() - *head);
    if (!rest)
        return refuse("cannot be read");
    if (*head + *rest > maxBytes)
        return refuse("over its byte limit");
    bytes.truncate(qsizetype(*head + *rest));
    return bytes;
}

} // namespace tavik
