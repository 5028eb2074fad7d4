#include "pictures/PicturePool.h"

#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/PathText.h"

namespace tavik {

namespace {

constexpr int kStuckCap = 4;
std::atomic<int> stuck{0};

} // namespace

QThreadPool* picturePool()
{
    // Deliberately leaked: a QThreadPool's destructor waits for its jobs.
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setObjectName(QStringLiteral("tavik.pictures"));
        p->setMaxThreadCount(std::max(2, QThread::idealThreadCount()) + kStuckCap);
        return p;
    }();
    return pool;
}

bool fileAnswers(const QString& path)
{
    constexpr qint64 kEnough = 1024 * 1024;
    // Non-blocking open: a named pipe would otherwise wait for a writer.
    const int fd = ::open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[64 * 1024];
    for (qint64 total = 0; ok && total < kEnough;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n >= 0;
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return ok;
}

int stuckJobs::count()
{
    return stuck.load();
}

int stuckJobs::cap()
{
    return kStuckCap;
}

std::int64_t JobState::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void lowerWorkerPriority()
{
    // Once per worker thread: the GUI thread wins whenever both want a core.
    thread_local const bool lowered = [] {
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 5);
        return true;
    }();
    (void)lowered;
}

bool JobState::begin()
{
    lowerWorkerPriority();
    beganAt_.store(std::max<std::int64_t>(1, nowMs()));
    return !cancelled_.load();
}

void JobState::end()
{
    int expected = Pending;
    if (!phase_.compare_exchange_strong(expected, Ended))
        stuck.fetch_sub(1); // it had been counted as stuck at its deadline
}

bool JobState::expire()
{
    int expected = Pending;
    if (!phase_.compare_exchange_strong(expected, Expired))
        return false;
    stuck.fetch_add(1);
    return true;
}

} // namespace tavik
