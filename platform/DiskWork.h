// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one way the program touches the disk: reading and decoding pictures, listing folders
// and volumes, reading and rewriting the high-score list. Each job runs on a worker of one
// pool and is answered on the GUI thread exactly once, never by a wait there.
//
// A read can hang in the kernel for good (a share that stopped answering), so:
// - each job has a deadline, counted from when a worker begins it (waiting behind other work
//   is not a stuck read), and kept by a timer on the GUI side, since a worker cannot time out
//   its own blocked read;
// - a job past its deadline counts as stuck until it returns, and the pool gets a thread more
//   for it, so stuck reads never take the threads the healthy work needs;
// - stuck jobs are counted by where they actually stick: the device of the path's resolved
//   target (a link into a dead share counts for the share, not for the folder of the link).
//   From a device's third stuck job on, jobs there are refused without a read, and a file
//   whose read is stuck is not opened again until that read returns;
// - one job at a time reads a file: a second job for it waits its turn on its worker, and is
//   refused when the first one's read sticks;
// - at most kStuckCap jobs are stuck in all: at the cap every new job is refused at once;
// - the pool is never destroyed and never waited for, so the program ends however many
//   reads hang.

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tavik {

// How long one job may take once a worker has begun it.
constexpr std::chrono::milliseconds kDiskDeadline{2000};
// A job that waited this many deadlines without being begun (the pool busy the whole time)
// is given up too: no request waits for ever.
constexpr int kQueuedDeadlines = 5;
// Stuck jobs in all, beyond which every new job is refused at once.
constexpr int kStuckCap = 16;
// A device is refused from this many stuck jobs on: one stuck file must not take every other
// file on its disk with it, while a dead share stops costing threads after a few.
constexpr int kStuckPerDevice = 3;

// The shared state of one job between the GUI thread, which owns its deadline, and the
// worker that runs it.
class DiskJob {
public:
    explicit DiskJob(QString path)
        : path_(std::move(path))
    {
    }

    // Worker, before the work: resolves the path step by step, noting where a hang would
    // stick, and checks the stuck book. False when the job is no longer wanted or is refused;
    // the worker then does nothing.
    bool begin();
    // Worker, after the work or instead of it.
    void end();
    // Worker: the job is making progress without the disk (it waits for a lock): its
    // deadline starts again.
    void keepAlive();
    // Worker: the point after which the job changes something on disk. False when the job
    // was given up meanwhile: it must then change nothing. After it the job is no longer
    // given up at its deadline, so an answer never hides a change that was made.
    bool commit();

    // GUI: the deadline passed while a worker ran the job. True when it had not ended (nor
    // committed); it now counts as stuck until it ends.
    bool expire();
    // Either side: the result will not be used; a job not yet begun never runs. True when it
    // had not begun (so it can never count as stuck).
    bool cancel();
    bool dropped() const { return phase_.load() == Dropped; }
    // When the worker began it or last kept it alive (monotonicMs), or 0 while it is queued.
    std::int64_t beganAtMs() const { return beganAt_.load(); }

private:
    enum Phase { Queued, Running, Committed, Ended, Expired, Dropped };
    void noteSticking(std::uint64_t device, const QString& file);

    const QString path_;
    std::atomic<int> phase_{Queued};
    std::atomic<std::int64_t> beganAt_{0};
    std::mutex placeMutex_;
    std::uint64_t device_ = 0; // where the job would stick now, guarded by placeMutex_
    QString file_;             // the path resolved so far, guarded by placeMutex_
    QByteArray holding_;       // the file this job reads, which no other job opens meanwhile (worker only)
};

namespace disk {

QThreadPool* pool();
int stuckCount();
// True when a job for `path` would be refused at once, decided without the disk: the cap is
// reached, or a read of that very path is stuck.
bool refusedAtOnce(const QString& path);
// From inside a job (no-ops elsewhere): see DiskJob::keepAlive and DiskJob::commit.
void keepAlive();
bool commit();

// Runs the job's own work with the job as the worker's current one.
template <class R, class Work>
R runAsCurrent(DiskJob& job, Work& work);
DiskJob*& current();

} // namespace disk

namespace disk {

// The GUI side of the jobs in flight, kept by one timer on the GUI thread: `deliver(false)`
// when the worker has finished in time, `deliver(true)` when the job is given up (past its
// deadline, too long in the queue, or the stuck cap reached while it waited). Exactly one
// of them, and none once `context` is gone. Returns the job's number for finished().
using Deliver = std::function<void(bool gaveUp)>;
quint64 track(const std::shared_ptr<DiskJob>& job, QObject* context, std::chrono::milliseconds deadline,
              Deliver deliver);
// Worker: the job numbered `id` has finished; its answer is delivered on the GUI thread.
void finished(quint64 id);

} // namespace disk

// Runs `work` (which touches `path`) on the pool and calls `answer` on `context`'s thread
// (the GUI thread) exactly once: with the result, or with nothing when the job ran past its
// deadline, waited too long in the queue, or was refused (its device or file stuck, or the
// cap reached). A result that comes after the deadline is dropped. Nothing is called once
// `context` is gone. The returned job lets the caller cancel a job not yet begun. Cheap on
// the GUI thread: no object per job, and one timer for every deadline.
template <class R, class Work, class Answer>
std::shared_ptr<DiskJob> runOnDisk(QObject* context, const QString& path, Work work, Answer answer,
                                   std::chrono::milliseconds deadline = kDiskDeadline)
{
    auto job = std::make_shared<DiskJob>(path);
    if (disk::refusedAtOnce(path)) {
        job->cancel();
        QTimer::singleShot(0, context, [answer] { answer(std::optional<R>{}); });
        return job;
    }
    auto result = std::make_shared<std::optional<R>>(); // written by the worker before finished()
    const quint64 id = disk::track(job, context, deadline, [job, result, answer](bool gaveUp) {
        // Refused by the worker: its device or file went bad or the cap was reached.
        answer(gaveUp || job->dropped() ? std::optional<R>{} : std::move(*result));
    });
    disk::pool()->start([job, result, id, work = std::move(work)]() mutable {
        if (job->begin())
            *result = disk::runAsCurrent<R>(*job, work);
        job->end();
        disk::finished(id);
    });
    return job;
}

template <class R, class Work>
R disk::runAsCurrent(DiskJob& job, Work& work)
{
    struct Scope {
        DiskJob* before;
        ~Scope() { disk::current() = before; }
    } scope{std::exchange(disk::current(), &job)};
    return work();
}

} // namespace tavik
