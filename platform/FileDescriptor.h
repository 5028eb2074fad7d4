// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file descriptor of the plain system calls, closed when it goes out of scope, and the read
// loop every reader of a whole small file needs.

#include <QtGlobal>

#include <cerrno>
#include <optional>
#include <unistd.h>
#include <utility>

namespace tavik {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Hands the descriptor over: the caller closes it (and learns whether close failed).
    int release() { return std::exchange(fd_, -1); }

    // Reads until `size` bytes are in `into` or the file ends: how many came; nothing when a
    // read failed, errno then says why.
    std::optional<qint64> readFully(char* into, qint64 size) const
    {
        qint64 got = 0;
        while (got < size) {
            const ssize_t n = ::read(fd_, into + got, static_cast<size_t>(size - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return std::nullopt;
            if (n == 0)
                break;
            got += n;
        }
        return got;
    }

private:
    int fd_;
};

} // namespace tavik
