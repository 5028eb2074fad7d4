// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stalls as a player feels them. A thread of its own reads the watched threads' scheduler
// state and wait channel from /proc about every millisecond; any stretch in which a thread is
// not asleep in its event loop's poll counts as a stall, whatever keeps it away: its own work,
// a wait for a core, a lock, the disk or an X round trip.

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace tavik::bench {

constexpr double kFrameMs = 16.0;

struct Stalls {
    double longestMs = 0;
    double longestAtMs = 0;     // when it began, from the start of sampling
    double longestOnCoreMs = 0; // of it, on a core: the thread's own work
    double longestQueuedMs = 0; // of it, runnable but waiting for a core: other work on the machine
    int overFrame = 0;          // stretches longer than one frame
    double longestGapMs = 0;    // the sampler's own worst lateness: a stall shorter than it can hide
    QString longestWas;         // what the thread showed during its longest stretch, most seen first
    QStringList notable;        // every stretch over a quarter frame: when, how long, how much on a core
};

// True for a wait channel of the poll in which an idle event loop sleeps (an idle Qt window
// shows "poll_schedule_timeout.constprop.0" here on Linux 6).
bool isEventLoopWait(const QString& wchan);

// True when the thread sleeps in its event loop's poll right now.
bool waitsInEventLoop(pid_t pid, pid_t tid);

class StallSampler {
public:
    StallSampler();
    ~StallSampler();

    // Watches one thread of a process (`tid` == `pid` for its main thread); before start().
    void watch(pid_t pid, pid_t tid);
    void start();
    // One result per watched thread, in the order watched.
    std::vector<Stalls> stop();

private:
    struct Target;
    void run();

    std::vector<std::unique_ptr<Target>> targets_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace tavik::bench
