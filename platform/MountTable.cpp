// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountTable.h"

#include <QList>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/Platform.h"
#include "platform/ThreadGuard.h"

namespace tavik {

namespace {

// Mount points in mountinfo escape space, tab, newline and backslash as \ and three octal digits.
QByteArray unescape(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray octal = field.mid(i + 1, 3);
            bool ok = false;
            const int value = octal.toInt(&ok, 8);
            if (ok && octal.size() == 3) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

bool holds(const QByteArray& mountPoint, const QByteArray& path)
{
    if (mountPoint == "/")
        return true;
    return path.startsWith(mountPoint) && (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

QByteArray readMountInfo()
{
    TAVIK_DISK_CALL();
    QByteArray text;
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, n);
    }
    ::close(fd);
    return text;
}

} // namespace

MountTable MountTable::parse(const QByteArray& mountinfo)
{
    MountTable table;
    for (const QByteArray& line : mountinfo.split('\n')) {
        // id parent major:minor root mount-point options ...
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        const QList<QByteArray> numbers = fields[2].split(':');
        if (numbers.size() != 2)
            continue;
        bool okMajor = false;
        bool okMinor = false;
        const unsigned major = numbers[0].toUInt(&okMajor);
        const unsigned minor = numbers[1].toUInt(&okMinor);
        if (!okMajor || !okMinor)
            continue;
        table.mounts_.emplace_back(unescape(fields[4]), makedev(major, minor));
    }
    return table;
}

namespace {

// Workers use these until the process ends, also after main() returns: never destroyed.
std::mutex& cacheMutex = *new std::mutex;
MountTable& cached = *new MountTable; // guarded by cacheMutex
MountTable* replaced = nullptr;       // guarded by cacheMutex

} // namespace

MountTable MountTable::current()
{
    TAVIK_DISK_CALL();
    static std::int64_t readAt = 0;
    const std::lock_guard lock(cacheMutex);
    if (replaced)
        return *replaced;
    const std::int64_t now = monotonicMs();
    if (cached.mounts_.empty() || now - readAt > 1000) {
        cached = parse(readMountInfo());
        readAt = now;
    }
    return cached;
}

void MountTable::replaceForTests(const QByteArray& mountinfo)
{
    const std::lock_guard lock(cacheMutex);
    delete std::exchange(replaced, mountinfo.isEmpty() ? nullptr : new MountTable(parse(mountinfo)));
}

std::uint64_t MountTable::deviceOf(const QByteArray& path) const
{
    // A later line mounted over an earlier one at the same place hides it: the last wins.
    qsizetype best = -1;
    std::uint64_t device = 0;
    for (const auto& [point, dev] : mounts_) {
        if (holds(point, path) && point.size() >= best) {
            best = point.size();
            device = dev;
        }
    }
    return device;
}

std::optional<QByteArray> resolveStepwise(const QByteArray& path, const MountTable& mounts,
                                          const std::function<bool(std::uint64_t, const QByteArray&)>& before)
{
    TAVIK_DISK_CALL();
    QList<QByteArray> pending = path.split('/');
    QByteArray resolved; // without a trailing separator; empty stands for "/"
    int links = 0;
    while (!pending.isEmpty()) {
        const QByteArray part = pending.takeFirst();
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            resolved.truncate(std::max<qsizetype>(0, resolved.lastIndexOf('/')));
            continue;
        }
        const QByteArray candidate = resolved + '/' + part;
        if (!before(mounts.deviceOf(candidate), candidate))
            return std::nullopt;
        struct stat st {};
        if (::lstat(candidate.constData(), &st) != 0) {
            pending.prepend(part);
            return resolved + '/' + pending.join('/');
        }
        if (!S_ISLNK(st.st_mode)) {
            resolved = candidate;
            continue;
        }
        if (++links > 40)
            return candidate; // a loop: the caller's own open reports it
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(candidate.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            return candidate;
        target.truncate(n);
        const QList<QByteArray> targetParts = target.split('/');
        for (auto it = targetParts.crbegin(); it != targetParts.crend(); ++it)
            pending.prepend(*it);
        if (target.startsWith('/'))
            resolved.clear();
    }
    return resolved.isEmpty() ? QByteArray("/") : resolved;
}

} // namespace tavik
