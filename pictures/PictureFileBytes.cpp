#include "pictures/PictureFileBytes.h"


#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathText.h"
#include "platform/ThreadGuard.h"

#include "pictures/PictureHeader.h"

namespace tavik {

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads until `want` bytes are in or the file ends; -1 on an error.
qint64 readFully(int fd, char* into, qint64 want)
{
    qint64 got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, into + got, size_t(want - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

std::optional<QByteArray> refuse(ReadRefusal reason, ReadRefusal* why)
{
    if (why)
        *why = reason;
    return std::nullopt;
}

} // namespace

const char* describe(ReadRefusal why)
{
    switch (why) {
    case ReadRefusal::Unreadable: return "cannot be read";
    case ReadRefusal::NotAFile: return "not a regular file";
    case ReadRefusal::TooLarge: return "over its byte limit";
    case ReadRefusal::NotAPicture: return "neither a JPEG nor a BMP by its bytes";
    }
    return "";
}

std::optional<QByteArray> readPictureBytes(const QString& path, qint64 maxBytes, ReadRefusal* why)
{
    TAVIK_DISK_CALL();
    // Non-blocking so that a pipe named like a picture cannot hold the open up.
    Fd fd(::open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        return refuse(ReadRefusal::Unreadable, why);
    if (!S_ISREG(st.st_mode))
        return refuse(ReadRefusal::NotAFile, why);
    if (st.st_size > maxBytes)
        return refuse(ReadRefusal::TooLarge, why);
    if (st.st_size < kMagicBytes)
        return refuse(ReadRefusal::NotAPicture, why);
    // One byte more than allowed, to notice a file that grew since fstat.
    QByteArray bytes(qsizetype(std::min<qint64>(st.st_size, maxBytes) + 1), Qt::Uninitialized);
    const qint64 head = readFully(fd.get(), bytes.data(), kMagicBytes);
    if (head < 0)
        return refuse(ReadRefusal::Unreadable, why);
    if (head != kMagicBytes || !looksLikePicture(QByteArrayView(bytes.constData(), head)))
        return refuse(ReadRefusal::NotAPicture, why);
    const qint64 rest = readFully(fd.get(), bytes.data() + head, bytes.size() - head);
    if (rest < 0)
        return refuse(ReadRefusal::Unreadable, why);
    if (head + rest > maxBytes)
        return refuse(ReadRefusal::TooLarge, why);
    bytes.truncate(qsizetype(head + rest));
    return bytes;
}

} // namespace tavik
