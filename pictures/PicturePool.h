#pragma once
// The worker threads that read and decode pictures, and the count of jobs stuck past their
// deadline. A read can hang in the kernel for good (a stalled share), so the pool is never
// destroyed and never waited for: the program ends however many reads hang.

#include <QThreadPool>
#include <atomic>
#include <chrono>

namespace tavik {

// How long a picture may take to be read and decoded before it counts as unreadable.
constexpr std::chrono::milliseconds kPictureDeadline{2000};

// Sized to the machine, plus room for the stuck jobs the cap allows, so that stuck reads
// never take every thread.
QThreadPool* picturePool();

// Jobs whose deadline passed while they were still queued or running. While the count is
// at the cap, new requests fail at once instead of piling up behind the stuck ones.
namespace stuckJobs {
int count();
int cap();
inline bool atCap() { return count() >= cap(); }
} // namespace stuckJobs

// Worker: reads the start of a regular file (up to about a megabyte, more than any picture the
// game takes) with plain system calls, false when it cannot. Qt's image reader holds a
// process-wide lock while it probes a file, so a read that hangs inside it would stop every
// picture of the program, the GUI thread's icons included; a read that hangs here holds no
// lock. After it the file's data lies in the page cache for the decoder.
bool fileAnswers(const QString& path);

// The shared state of one job between the GUI thread, which owns its deadline, and the
// worker that runs it.
class JobState {
public:
    // Worker, before the work: false when the job is no longer wanted and should do nothing.
    bool begin();
    // Worker, after the work or instead of it.
    void end();
    // GUI: the deadline passed. True when the job had not ended; it now counts as stuck
    // until it ends.
    bool expire();
    bool expired() const { return phase_.load() == Expired; }
    // Either side: the result will not be used; a job not yet begun skips its work.
    void cancel() { cancelled_.store(true); }
    // When the worker began it (steady clock), or 0 while it waits in the queue.
    std::int64_t beganAtMs() const { return beganAt_.load(); }

    static std::int64_t nowMs();

private:
    enum Phase { Pending, Ended, Expired };
    std::atomic<int> phase_{Pending};
    std::atomic<bool> cancelled_{false};
    std::atomic<std::int64_t> beganAt_{0};
};

} // namespace tavik
