// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DiskWork.h"
#include "platform/Platform.h"

#include <QThread>
#include <sys/resource.h>
#include <unistd.h>

#include "platform/MountTable.h"
#include "platform/PathText.h"
#include "platform/StuckBook.h"

namespace tavik {

namespace {

// More threads than cores: a read waiting on a slow disk takes no core.
const int kHealthyThreads = std::max(2, QThread::idealThreadCount()) + 4;

// A thread more for each stuck job, so stuck reads never take the threads the healthy work needs.
// The count is read again under the lock: two jobs ending at once on two workers must not
// leave the pool at the size the earlier of them saw.
void widenPool()
{
    static std::mutex& sizing = *new std::mutex; // workers use it until the process ends
    const std::lock_guard lock(sizing);
    disk::pool()->setMaxThreadCount(kHealthyThreads + std::min(stuckBook().total(), kStuckCap));
}

void lowerWorkerPriority()
{
    // Once per worker thread: the GUI thread wins whenever both want a core.
    thread_local const bool lowered = [] {
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
        return true;
    }();
    (void)lowered;
}

} // namespace

QThreadPool* disk::pool()
{
    // Deliberately leaked: a QThreadPool's destructor waits for its jobs.
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setObjectName(QStringLiteral("tavik.disk"));
        p->setMaxThreadCount(kHealthyThreads);
        return p;
    }();
    return pool;
}

int disk::stuckCount()
{
    return stuckBook().total();
}

bool disk::refusedAtOnce(const QString& path)
{
    return stuckBook().total() >= kStuckCap || stuckBook().fileStuck(encodePath(path));
}

DiskJob*& disk::current()
{
    thread_local DiskJob* job = nullptr;
    return job;
}

void disk::keepAlive()
{
    if (DiskJob* job = current())
        job->keepAlive();
}

bool disk::commit()
{
    DiskJob* job = current();
    return !job || job->commit();
}

void DiskJob::noteSticking(std::uint64_t device, const QString& file)
{
    const std::lock_guard lock(placeMutex_);
    if (phase_.load() == Expired)
        return; // counted as stuck where it was at the deadline, and returned from there
    device_ = device;
    file_ = file;
}

bool DiskJob::begin()
{
    lowerWorkerPriority();
    beganAt_.store(std::max<std::int64_t>(1, monotonicMs()));
    int expected = Queued;
    if (!phase_.compare_exchange_strong(expected, Running))
        return false; // cancelled while it waited
    const auto refuse = [this](const char* why) {
        qCInfo(lcDisk) << "refused," << why << path_;
        int running = Running;
        phase_.compare_exchange_strong(running, Dropped);
        return false;
    };
    const QByteArray requested = encodePath(path_);
    if (stuckBook().total() >= kStuckCap)
        return refuse("too many stuck reads:");
    const MountTable mounts = MountTable::current();
    bool deviceStuck = false;
    const std::optional<QByteArray> resolved = resolveStepwise(
        requested, mounts, [this, &deviceStuck](std::uint64_t device, const QByteArray& step) {
            deviceStuck = stuckBook().deviceRefused(device);
            if (deviceStuck || stuckBook().fileStuck(step))
                return false;
            noteSticking(device, decodePath(step));
            return true;
        });
    if (!resolved)
        return refuse(deviceStuck ? "its device has stuck reads:" : "a read on its way is stuck:");
    noteSticking(mounts.deviceOf(*resolved), decodePath(*resolved));
    if (!stuckBook().takeTurn(*resolved, [this] { return phase_.load() == Running; }))
        return refuse("a read of it is stuck:");
    holding_ = *resolved;
    return true;
}

void DiskJob::keepAlive()
{
    if (phase_.load() == Running)
        beganAt_.store(std::max<std::int64_t>(1, monotonicMs()));
}

bool DiskJob::commit()
{
    int expected = Running;
    return phase_.compare_exchange_strong(expected, Committed);
}

void DiskJob::end()
{
    if (!holding_.isEmpty())
        stuckBook().endTurn(std::exchange(holding_, {}));
    int expected = Running;
    if (phase_.compare_exchange_strong(expected, Ended))
        return;
    expected = Committed;
    if (phase_.compare_exchange_strong(expected, Ended))
        return;
    if (expected == Expired) {
        const std::lock_guard lock(placeMutex_);
        // Counted as stuck at its deadline; the pool gives back the thread it got for it.
        stuckBook().remove({device_, encodePath(file_)});
        widenPool();
    }
}

bool DiskJob::expire()
{
    int expected = Running;
    if (!phase_.compare_exchange_strong(expected, Expired))
        return false;
    const std::lock_guard lock(placeMutex_);
    qCInfo(lcDisk) << "past its deadline, stuck at" << file_ << "on device" << device_;
    stuckBook().add({device_, encodePath(file_)});
    widenPool();
    return true;
}

bool DiskJob::cancel()
{
    int expected = Queued;
    return phase_.compare_exchange_strong(expected, Dropped) || expected == Dropped;
}

} // namespace tavik
