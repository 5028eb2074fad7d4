#include "pictures/PicturePool.h"

#include <QThread>

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

bool JobState::begin()
{
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
