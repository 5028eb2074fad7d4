#pragma once
// The worker threads that read and decode pictures, and the count of jobs stuck past their
// deadline. A read can hang in the kernel for good (a stalled share), so the pool is never
// destroyed and never waited for: the program ends however many reads hang.

#include <QThreadPool>
#include <atomic>
#include <QString>
#include <chrono>

namespace tavik {

// How long a picture may take to be read and decoded before it counts as unreadable.
// The deadline counts from when a worker begins the job; waiting in the queue is not a stuck read.
constexpr std::chrono::milliseconds kPictureDeadline{2000};
// A job that waited this many deadlines without being begun (the pool busy the whole time)
// counts as not read either: no request waits for ever.
constexpr int kQueuedDeadlines = 5;

// Sized to the machine. Each job stuck past its deadline gets a thread more (up to the cap
// below), so stuck reads never take the threads the healthy work needs.
QThreadPool* picturePool();

// Jobs whose deadline passed while a worker was running them (waiting in the queue is not
// being stuck). A folder holding a few stuck reads is quarantined: requests for its files fail
// at once without touching the disk, until its stuck reads have returned. While the
// count is at the cap, every request fails at once instead of piling up.
namespace stuckJobs {
int count();
int cap();
inline bool atCap() { return count() >= cap(); }
// The folder part of a path, as a string: asking must never touch a stalled share.
QString folderOf(const QString& path);
bool quarantined(const QString& folder);
// True when a request for `path` must fail at once; says why in the picture log.
bool refuse(const QString& path);
} // namespace stuckJobs

// Worker: reads the start of a regular file (up to about a megabyte, more than any picture the
// game takes) with plain system calls, false when it cannot. Qt's image reader holds a
// process-wide lock while it probes a file, so a read that hangs inside it would stop every
// picture of the program, the GUI thread's icons included; a read that hangs here holds no
// lock. After it the file's data lies in the page cache for the decoder.
bool fileAnswers(const QString& path);

// The shared state of one job between the GUI thread, which owns its deadline, and the
// worker that runs it. Its deadline counts from beganAtMs(), not from the request.
class JobState {
public:
    // Worker, before the work: false when the job is no longer wanted, or its folder is
    // quarantined or the stuck cap reached meanwhile; it should then do nothing.
    bool begin(const QString& folder);
    // Worker, after the work or instead of it.
    void end();
    // GUI: the deadline passed while a worker ran the job. True when it had not ended; it
    // now counts as stuck (its folder quarantined, a thread added) until it ends.
    bool expire();
    bool expired() const { return phase_.load() == Expired; }
    bool dropped() const { return phase_.load() == Dropped; }
    // Either side: the result will not be used; a job not yet begun never runs. True when
    // it had not begun (so it will never count as stuck).
    bool cancel();
    // When the worker began it (steady clock), or 0 while it waits in the queue.
    std::int64_t beganAtMs() const { return beganAt_.load(); }

    static std::int64_t nowMs();

private:
    enum Phase { Queued, Running, Ended, Expired, Dropped };
    std::atomic<int> phase_{Queued};
    std::atomic<std::int64_t> beganAt_{0};
    QString folder_; // written by begin() before Running is published
};

} // namespace tavik
