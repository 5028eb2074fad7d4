#include "pictures/PicturePool.h"

#include <QHash>
#include <QThread>
#include <cerrno>
#include <mutex>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pictures/PictureLog.h"
#include "shell/PathText.h"

namespace tavik {

namespace {

constexpr int kStuckCap = 16;
// A folder is refused only from its third stuck read on: one stuck file (a link to a device
// that blocks, one file on a dead share) must not take every other picture there with it,
// while a folder on a dead share stops costing threads after a few.
constexpr int kStuckBeforeQuarantine = 3;
// More threads than cores: a read waiting on a slow disk takes no core.
const int kHealthyThreads = std::max(2, QThread::idealThreadCount()) + 4;

std::atomic<int> stuck{0};
std::mutex stuckMutex;          // guards stuckIn and the pool's width
QHash<QString, int> stuckIn;    // folder -> its reads still stuck

void markStuck(const QString& folder)
{
    std::lock_guard lock(stuckMutex);
    const int now = stuck.fetch_add(1) + 1;
    if (++stuckIn[folder] == kStuckBeforeQuarantine)
        qCInfo(lcPictures) << "folder quarantined, reads there are stuck:" << folder;
    picturePool()->setMaxThreadCount(kHealthyThreads + std::min(now, kStuckCap));
}

void markReturned(const QString& folder)
{
    std::lock_guard lock(stuckMutex);
    const int now = stuck.fetch_sub(1) - 1;
    const int left = --stuckIn[folder];
    if (left == kStuckBeforeQuarantine - 1)
        qCInfo(lcPictures) << "folder no longer quarantined, its stuck reads returned:" << folder;
    if (left == 0)
        stuckIn.remove(folder);
    picturePool()->setMaxThreadCount(kHealthyThreads + std::min(now, kStuckCap));
}

} // namespace

QThreadPool* picturePool()
{
    // Deliberately leaked: a QThreadPool's destructor waits for its jobs.
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setObjectName(QStringLiteral("tavik.pictures"));
        p->setMaxThreadCount(kHealthyThreads);
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

QString stuckJobs::folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? path.left(slash + 1) : path.left(slash);
}

bool stuckJobs::quarantined(const QString& folder)
{
    if (stuck.load() == 0)
        return false; // the usual case, without the lock
    std::lock_guard lock(stuckMutex);
    return stuckIn.value(folder) >= kStuckBeforeQuarantine;
}

bool stuckJobs::refuse(const QString& path)
{
    if (atCap()) {
        qCInfo(lcPictures) << "refused, too many stuck reads:" << path;
        return true;
    }
    if (quarantined(folderOf(path))) {
        qCInfo(lcPictures) << "refused, a read in its folder is stuck:" << path;
        return true;
    }
    return false;
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

bool JobState::begin(const QString& folder)
{
    lowerWorkerPriority();
    // A job that waited while its folder went bad, or the cap was reached, reads nothing.
    if (stuckJobs::atCap() || stuckJobs::quarantined(folder)) {
        cancel();
        return false;
    }
    folder_ = folder;
    beganAt_.store(std::max<std::int64_t>(1, nowMs()));
    int expected = Queued;
    return phase_.compare_exchange_strong(expected, Running);
}

void JobState::end()
{
    int expected = Running;
    if (phase_.compare_exchange_strong(expected, Ended))
        return;
    if (expected == Expired)
        markReturned(folder_); // it had been counted as stuck at its deadline
}

bool JobState::expire()
{
    int expected = Running;
    if (!phase_.compare_exchange_strong(expected, Expired))
        return false;
    markStuck(folder_);
    return true;
}

bool JobState::cancel()
{
    int expected = Queued;
    return phase_.compare_exchange_strong(expected, Dropped) || expected == Dropped;
}

} // namespace tavik
