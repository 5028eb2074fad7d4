// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

#include "platform/DiskWork.h"
#include "platform/Platform.h"
#include "platform/ThreadGuard.h"

namespace tavik {

namespace {

SyncCall syncCall = ::fsync;

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Creates this writer's temporary file in the locked folder and names it in `tmpName`.
// Under the lock a file called `tmpName` is always a leftover (a crash, a planted link) and
// goes first. One that cannot go (a folder, another account's file in a sticky folder) must
// not block every later rewrite: then the writer takes a name of its own beside it.
int createTemporary(int dirFd, QByteArray& tmpName)
{
    const auto create = [dirFd](const QByteArray& name) {
        return ::openat(dirFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    };
    if (::unlinkat(dirFd, tmpName.constData(), 0) == 0 || errno == ENOENT)
        return create(tmpName);
    const QByteArray stem = tmpName + '.' + QByteArray::number(::getpid()) + '.';
    for (int attempt = 0;; ++attempt) {
        const QByteArray unique = stem + QByteArray::number(attempt);
        const int fd = create(unique);
        if (fd >= 0 || errno != EEXIST || attempt == 99) {
            if (fd >= 0)
                tmpName = unique;
            return fd;
        }
    }
}

} // namespace

AtomicFile::AtomicFile(const QString& path)
    : path_(path)
{
}

std::optional<FileFailure> AtomicFile::lock(std::chrono::milliseconds patience)
{
    TAVIK_DISK_CALL();
    folder_.reset(::open(QFile::encodeName(QFileInfo(path_).absolutePath()).constData(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder_)
        return FileFailure{path_, errno};
    const std::int64_t deadline = monotonicMs() + patience.count();
    auto pause = std::chrono::microseconds(100);
    for (;;) {
        if (::flock(folder_.get(), LOCK_EX | LOCK_NB) == 0)
            return std::nullopt;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return std::nullopt; // no such lock here
        if (monotonicMs() >= deadline)
            return FileFailure{path_, EWOULDBLOCK};
        disk::keepAlive(); // waiting for another writer is no stuck disk
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
}

std::optional<FileFailure> AtomicFile::read(qint64 maxBytes)
{
    TAVIK_DISK_CALL();
    bytes_.clear();
    mode_ = 0644;
    group_ = static_cast<gid_t>(-1);
    // Non-blocking open and the type check keep a pipe or a device from hanging the reader.
    const QByteArray name = QFile::encodeName(folder_ ? QFileInfo(path_).fileName() : path_);
    const FileDescriptor fd(::openat(folder_ ? folder_.get() : AT_FDCWD, name.constData(),
                                     O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return FileFailure{path_, errno};
    if (!S_ISREG(st.st_mode))
        return FileFailure{path_, S_ISDIR(st.st_mode) ? EISDIR : kNotARegularFile};
    QByteArray bytes(maxBytes, Qt::Uninitialized);
    const std::optional<qint64> got = fd.readFully(bytes.data(), bytes.size());
    if (!got)
        return FileFailure{path_, errno};
    bytes.truncate(*got);
    bytes_ = bytes;
    mode_ = st.st_mode & 0777;
    group_ = st.st_gid;
    return std::nullopt;
}

std::optional<FileFailure> AtomicFile::replace(const QByteArray& bytes)
{
    TAVIK_DISK_CALL();
    const int dirFd = folder_.get();
    const QByteArray name = QFile::encodeName(QFileInfo(path_).fileName());
    QByteArray tmpName = name + 't';
    FileDescriptor tmp(createTemporary(dirFd, tmpName));
    const int createError = errno;
    const QString tmpPath = QFileInfo(path_).dir().filePath(QFile::decodeName(tmpName));
    if (!tmp)
        return FileFailure{tmpPath, createError};
    if (group_ != static_cast<gid_t>(-1) && ::fchown(tmp.get(), static_cast<uid_t>(-1), group_) != 0) {
        // An account outside the group cannot give it (EPERM): the kept mode is all that can
        // be done, and no reason to lose the new content.
    }
    // fchmod ignores the umask: the file stays readable to whom it was readable before.
    if (::fchmod(tmp.get(), mode_) != 0 || !writeAll(tmp.get(), bytes) || syncCall(tmp.get()) != 0
        || ::close(tmp.release()) != 0) {
        const int number = errno;
        ::unlinkat(dirFd, tmpName.constData(), 0);
        return FileFailure{tmpPath, number};
    }
    // Given up at its deadline meanwhile: the player has been told the file stays as it was.
    if (!disk::commit()) {
        ::unlinkat(dirFd, tmpName.constData(), 0);
        return FileFailure{path_, ECANCELED};
    }
    if (::renameat(dirFd, tmpName.constData(), dirFd, name.constData()) != 0) {
        const int number = errno;
        ::unlinkat(dirFd, tmpName.constData(), 0);
        return FileFailure{path_, number};
    }
    syncCall(dirFd); // makes the rename itself durable
    return std::nullopt;
}

std::optional<FileFailure> makeFolders(const QString& folder)
{
    TAVIK_DISK_CALL();
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/')
            continue;
        const QByteArray step = path.left(end);
        if (::mkdir(step.constData(), 0777) != 0 && errno != EEXIST) {
            const int number = errno;
            return FileFailure{QFile::decodeName(step), number};
        }
    }
    return std::nullopt;
}

SyncCall setSyncCall(SyncCall call)
{
    return std::exchange(syncCall, call);
}

} // namespace tavik
