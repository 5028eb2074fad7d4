// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/StallSampler.h"

#include <QFile>
#include <QMap>
#include <QStringList>
#include <algorithm>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

namespace tavik::bench {

namespace {

qint64 nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// The whole of a small /proc file, read anew from its start.
QByteArray readAgain(int fd)
{
    char buffer[1024];
    const ssize_t n = fd < 0 ? -1 : pread(fd, buffer, sizeof buffer - 1, 0);
    return n > 0 ? QByteArray(buffer, static_cast<int>(n)) : QByteArray();
}

// The state letter of a stat line: the first field after the command name in parentheses
// (which may itself hold blanks and parentheses).
char stateOf(const QByteArray& stat)
{
    const int close = stat.lastIndexOf(')');
    return close >= 0 && close + 2 < stat.size() ? stat[close + 2] : '?';
}

} // namespace

bool isEventLoopWait(const QString& wchan)
{
    // The kernel may add a suffix to an optimised function's name (".constprop.0", ".isra.0").
    const QString name = wchan.section(QLatin1Char('.'), 0, 0);
    static const QStringList polls = {"poll_schedule_timeout", "do_sys_poll", "do_poll", "do_select",
                                      "core_sys_select", "ep_poll", "do_epoll_wait",
                                      "schedule_hrtimeout_range", "schedule_hrtimeout_range_clock"};
    return polls.contains(name);
}

bool waitsInEventLoop(pid_t pid, pid_t tid)
{
    QFile stat(QStringLiteral("/proc/%1/task/%2/stat").arg(pid).arg(tid));
    QFile wchan(QStringLiteral("/proc/%1/task/%2/wchan").arg(pid).arg(tid));
    return stat.open(QIODevice::ReadOnly) && wchan.open(QIODevice::ReadOnly) && stateOf(stat.readAll()) == 'S'
           && isEventLoopWait(QString::fromLatin1(wchan.readAll()).trimmed());
}

// The thread's time on a core and its time waiting in the run queue for one (schedstat), in ns.
struct Scheduled {
    qint64 onCore = 0;
    qint64 queued = 0;
};

Scheduled scheduledOf(const QByteArray& schedstat)
{
    const QList<QByteArray> fields = schedstat.split(' ');
    return fields.size() < 2 ? Scheduled{} : Scheduled{fields[0].toLongLong(), fields[1].toLongLong()};
}

struct StallSampler::Target {
    int statFd = -1;
    int wchanFd = -1;
    int schedFd = -1;
    Stalls result;
    qint64 started = 0;
    qint64 stretchStart = -1; // -1 while the thread waits in its poll
    Scheduled atLastWait;     // as of the last sample in the poll
    QMap<QString, int> seen;  // what the current stretch showed, sample by sample

    void sample(qint64 now)
    {
        const char state = stateOf(readAgain(statFd));
        const QString wchan = QString::fromLatin1(readAgain(wchanFd)).trimmed();
        const Scheduled scheduled = scheduledOf(readAgain(schedFd));
        if (state == 'S' && isEventLoopWait(wchan)) {
            endStretch(now, scheduled);
            atLastWait = scheduled;
            return;
        }
        if (stretchStart < 0)
            stretchStart = now;
        ++seen[state == 'R' ? QStringLiteral("R") : QString(QLatin1Char(state)) + QLatin1Char(' ') + wchan];
    }

    void endStretch(qint64 now, Scheduled scheduled)
    {
        if (stretchStart < 0)
            return;
        const double ms = static_cast<double>(now - stretchStart) / 1e6;
        if (ms > kFrameMs)
            ++result.overFrame;
        if (ms > kFrameMs / 4)
            result.notable << QStringLiteral("%1 ms at %2 ms (%3 on a core)")
                                  .arg(ms, 0, 'f', 1)
                                  .arg(static_cast<double>(stretchStart - started) / 1e6, 0, 'f', 0)
                                  .arg(static_cast<double>(scheduled.onCore - atLastWait.onCore) / 1e6, 0, 'f', 1);
        if (ms > result.longestMs) {
            result.longestMs = ms;
            result.longestAtMs = static_cast<double>(stretchStart - started) / 1e6;
            result.longestOnCoreMs = static_cast<double>(scheduled.onCore - atLastWait.onCore) / 1e6;
            result.longestQueuedMs = static_cast<double>(scheduled.queued - atLastWait.queued) / 1e6;
            QList<std::pair<int, QString>> ranked;
            for (auto it = seen.cbegin(); it != seen.cend(); ++it)
                ranked.append({it.value(), it.key()});
            std::sort(ranked.begin(), ranked.end(), std::greater<>());
            QStringList parts;
            for (const auto& [count, what] : ranked.mid(0, 3))
                parts << QStringLiteral("%1 x%2").arg(what).arg(count);
            result.longestWas = parts.join(QStringLiteral(", "));
        }
        stretchStart = -1;
        seen.clear();
    }
};

StallSampler::StallSampler() = default;

StallSampler::~StallSampler()
{
    if (thread_.joinable())
        stop();
    for (const auto& t : targets_) {
        ::close(t->statFd);
        ::close(t->wchanFd);
        ::close(t->schedFd);
    }
}

void StallSampler::watch(pid_t pid, pid_t tid)
{
    auto t = std::make_unique<Target>();
    const QByteArray base = QStringLiteral("/proc/%1/task/%2/").arg(pid).arg(tid).toLatin1();
    t->statFd = ::open((base + "stat").constData(), O_RDONLY | O_CLOEXEC);
    t->wchanFd = ::open((base + "wchan").constData(), O_RDONLY | O_CLOEXEC);
    t->schedFd = ::open((base + "schedstat").constData(), O_RDONLY | O_CLOEXEC);
    targets_.push_back(std::move(t));
}

void StallSampler::start()
{
    stop_ = false;
    for (const auto& t : targets_) {
        t->result = {};
        t->started = nowNs();
        t->stretchStart = -1;
        t->atLastWait = scheduledOf(readAgain(t->schedFd));
        t->seen.clear();
    }
    thread_ = std::thread([this] { run(); });
}

std::vector<Stalls> StallSampler::stop()
{
    stop_ = true;
    thread_.join();
    std::vector<Stalls> results;
    for (const auto& t : targets_) {
        t->endStretch(nowNs(), scheduledOf(readAgain(t->schedFd)));
        results.push_back(t->result);
    }
    return results;
}

void StallSampler::run()
{
    // Ahead of the threads it watches where the system allows it (root may): on two busy
    // cores an ordinary sampler would itself wait for a core and miss short stretches.
    const sched_param realtime{1};
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    qint64 last = nowNs();
    while (!stop_) {
        const qint64 now = nowNs();
        for (const auto& t : targets_) {
            t->result.longestGapMs = std::max(t->result.longestGapMs, static_cast<double>(now - last) / 1e6);
            t->sample(now);
        }
        last = now;
        // The next sample a millisecond after this one; a late sampler does not catch up in a burst.
        const qint64 due = std::max(static_cast<qint64>(next.tv_sec) * 1000000000 + next.tv_nsec, now) + 1000000;
        next.tv_sec = static_cast<time_t>(due / 1000000000);
        next.tv_nsec = static_cast<long>(due % 1000000000);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
}

} // namespace tavik::bench
