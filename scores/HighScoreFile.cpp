#include "scores/HighScoreFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "scores/HighScorePath.h"
#include "platform/DiskWork.h"
#include "platform/ThreadGuard.h"

namespace tavik {

QString listenPfad(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("HSTavik"));
}

QString temporaerPfad(const QString& folder)
{
    return listenPfad(folder) + QLatin1Char('t');
}

namespace {

SyncCall syncCall = ::fsync;

// A file descriptor closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

Liste parse(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return leseListe(buffer);
}

struct ReadOutcome {
    bool missing = false; // nothing by that name: the empty list
    int number = 0;       // errno when the file exists but could not be read
    mode_t mode = 0;      // the file's permission bits
    gid_t group = static_cast<gid_t>(-1); // the file's group; -1 leaves a new file's as created
    Liste liste;
};

// Reads at most kMaxListBytes of the list `name` (relative to `dirFd`, or a path).
// Non-blocking open and the type check keep a pipe or a device from hanging the reader.
ReadOutcome readList(int dirFd, const QByteArray& name)
{
    TAVIK_DISK_CALL();
    ReadOutcome out;
    Fd fd(::openat(dirFd, name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) {
        out.missing = errno == ENOENT;
        out.number = out.missing ? 0 : errno;
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.number = S_ISDIR(st.st_mode) ? EISDIR : kNotARegularFile;
        return out;
    }
    out.mode = st.st_mode & 0777;
    out.group = st.st_gid;
    QByteArray bytes(kMaxListBytes, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            out.number = errno;
            return out;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    out.liste = parse(bytes);
    return out;
}

// Waits for the folder lock, `patience` at most. An advisory lock on the folder itself:
// nothing to create, so no lock file with the wrong owner or mode in a folder shared by
// several accounts, and the kernel drops it when a game dies. Where the file system offers
// no such lock the rewrite goes on without it: the private temporary file still keeps the
// list whole.
bool lockFolder(int dirFd, std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::microseconds(100);
    for (;;) {
        if (::flock(dirFd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        disk::keepAlive(); // waiting for another game is no stuck disk
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
}

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

FileError failure(FileError::Step step, const QString& path, int number)
{
    return FileError{step, path, number};
}

// Creates this game's temporary file in the locked folder and names it in `tmpName`.
// Under the lock a file called `tmpName` is always a leftover (a crash, a planted link) and
// goes first. One that cannot go (a folder, another account's file in a sticky folder) must
// not block every later game end: then the game takes a name of its own beside it.
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

// Writes `bytes` as the new list `name` in the locked folder through a temporary file
// named after it, with permissions `mode` and, where this player may give it, group `group`.
std::optional<FileError> replaceList(int dirFd, const QString& path, const QByteArray& name,
                                     const QByteArray& bytes, mode_t mode, gid_t group)
{
    QByteArray tmpName = name + 't';
    Fd tmp(createTemporary(dirFd, tmpName));
    const QString tmpPath = QFileInfo(path).dir().filePath(QFile::decodeName(tmpName));
    if (!tmp)
        return failure(FileError::Step::Write, tmpPath, errno);
    // A list shared through its group (0660, group "spieler") stays readable to that group
    // only if the new file keeps the group.
    if (group != static_cast<gid_t>(-1) && ::fchown(tmp.get(), static_cast<uid_t>(-1), group) != 0) {
        // A player outside the group cannot give it (EPERM): the kept mode is all that can
        // be done, and no reason to lose this game's entry.
    }
    // fchmod ignores the umask: the list stays readable to whom it was readable before.
    if (::fchmod(tmp.get(), mode) != 0 || !writeAll(tmp.get(), bytes) || syncCall(tmp.get()) != 0
        || ::close(tmp.release()) != 0) {
        const int number = errno;
        ::unlinkat(dirFd, tmpName.constData(), 0);
        return failure(FileError::Step::Write, tmpPath, number);
    }
    // Given up at its deadline meanwhile: the player has been told the list stays as it was.
    if (!disk::commit()) {
        ::unlinkat(dirFd, tmpName.constData(), 0);
        return failure(FileError::Step::NoAnswer, path, ETIMEDOUT);
    }
    if (::renameat(dirFd, tmpName.constData(), dirFd, name.constData()) != 0) {
        const int number = errno;
        ::unlinkat(dirFd, tmpName.constData(), 0);
        return failure(FileError::Step::Write, path, number);
    }
    syncCall(dirFd); // makes the rename itself durable
    return std::nullopt;
}

} // namespace

SyncCall setSyncCall(SyncCall call)
{
    return std::exchange(syncCall, call);
}

Liste leseListeDatei(const QString& path)
{
    const ReadOutcome read = readList(AT_FDCWD, QFile::encodeName(path));
    return read.missing || read.number != 0 ? parse({}) : read.liste;
}

Gelesen leseListeFuer(const QString& programFolder, const QString& path)
{
    const ReadOutcome read = readList(AT_FDCWD, QFile::encodeName(path));
    if (read.missing && path != listenPfad(programFolder))
        return {leseListeDatei(listenPfad(programFolder)), std::nullopt};
    if (read.number != 0)
        return {parse({}), failure(FileError::Step::Read, path, read.number)};
    return {read.missing ? parse({}) : read.liste, std::nullopt};
}

Eintragung trageEinInDatei(const QString& listPath, const QString& seedPath, const QString& name, int punkte,
                           std::chrono::milliseconds patience)
{
    TAVIK_DISK_CALL();
    Eintragung result;
    const QFileInfo info(listPath);
    const QByteArray fileName = QFile::encodeName(info.fileName());
    Fd dir(::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) {
        result.fehler = failure(FileError::Step::Write, listPath, errno);
        return result;
    }
    if (!lockFolder(dir.get(), patience)) {
        result.fehler = failure(FileError::Step::Lock, listPath, EWOULDBLOCK);
        return result;
    }

    ReadOutcome alt = readList(dir.get(), fileName);
    if (alt.missing) {
        alt.mode = 0644;
        alt.liste = seedPath.isEmpty() ? parse({}) : leseListeDatei(seedPath);
    } else if (alt.number != 0) {
        // Never overwrite what could not be read: it may be someone's ten entries.
        result.fehler = failure(FileError::Step::Read, listPath, alt.number);
        return result;
    } else if ((alt.mode & 0222) == 0) {
        result.fehler = failure(FileError::Step::ReadOnly, listPath, 0);
        return result;
    }

    const int platz = platzFuer(alt.liste, punkte);
    result.fehler = replaceList(dir.get(), listPath, fileName, listeAlsText(alt.liste, name, punkte, platz), alt.mode,
                               alt.group);
    result.platz = result.fehler ? 0 : platz;
    return result; // closing the folder releases the lock
}

namespace {

// Creates `folder` and the folders above it that are missing; 0, or the errno of the step
// that failed, so the player learns the real reason (no permission, a file in the way).
int makeFolders(const QString& folder)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/')
            continue;
        const QByteArray step = path.left(end);
        if (::mkdir(step.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

} // namespace

Eintragung trageEin(const QString& programFolder, const QString& path, const QString& name, int punkte)
{
    TAVIK_DISK_CALL();
    const QString beside = listenPfad(programFolder);
    if (path == beside)
        return trageEinInDatei(path, {}, name, punkte);
    if (const int number = makeFolders(QFileInfo(path).absolutePath()); number != 0) {
        Eintragung result;
        result.fehler = failure(FileError::Step::Write, path, number);
        return result;
    }
    return trageEinInDatei(path, beside, name, punkte);
}

} // namespace tavik
