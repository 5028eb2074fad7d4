// SPDX-License-Identifier: GPL-3.0-or-later
#include <QPointer>
#include <QTimer>

#include <limits>
#include <unordered_map>
#include <vector>

#include "platform/DiskWork.h"
#include "platform/Platform.h"

namespace tavik {

namespace {

// The jobs in flight as the GUI thread sees them, and the one timer that keeps their deadlines.
class Keeper : public QObject {
public:
    Keeper()
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, &Keeper::check);
    }

    quint64 track(const std::shared_ptr<DiskJob>& job, QObject* context, std::chrono::milliseconds deadline,
                  disk::Deliver deliver)
    {
        const quint64 id = ++last_;
        open_.emplace(id, Open{job, context, deadline, monotonicMs(), std::move(deliver)});
        wakeIn(look(deadline));
        return id;
    }

    void finished(quint64 id)
    {
        const auto it = open_.find(id);
        if (it == open_.end())
            return; // given up at its deadline: the late result is dropped
        const Open done = std::move(it->second);
        open_.erase(it);
        if (done.context)
            done.deliver(false);
    }

private:
    struct Open {
        std::shared_ptr<DiskJob> job;
        QPointer<QObject> context;
        std::chrono::milliseconds deadline;
        std::int64_t requestedAt;
        disk::Deliver deliver;
    };

    // While queued a job is looked at a few times per deadline; once begun, at its deadline.
    static std::int64_t look(std::chrono::milliseconds deadline) { return std::max<std::int64_t>(1, deadline.count() / 4); }

    void wakeIn(std::int64_t ms)
    {
        if (!timer_.isActive() || timer_.remainingTime() > ms)
            timer_.start(static_cast<int>(ms));
    }

    void check()
    {
        const std::int64_t now = monotonicMs();
        std::int64_t next = std::numeric_limits<std::int64_t>::max();
        std::vector<disk::Deliver> givenUp;
        for (auto it = open_.begin(); it != open_.end();) {
            Open& o = it->second;
            std::int64_t at = 0; // when to look again; 0: given up now
            if (!o.context) {
                o.job->cancel(); // nobody waits for it: a job not begun does no work
            } else if (o.job->beganAtMs() == 0) {
                const bool tooLong = now - o.requestedAt >= kQueuedDeadlines * o.deadline.count();
                // At the cap the queue may never move again.
                if (!((tooLong || disk::stuckCount() >= kStuckCap) && o.job->cancel()))
                    at = now + look(o.deadline);
            }
            if (at == 0 && o.context && o.job->beganAtMs() != 0) {
                // Whole milliseconds on both ends: one more, so that it never ends a job early.
                const std::int64_t due = o.job->beganAtMs() + o.deadline.count() + 1;
                if (due > now)
                    at = due;
                else if (!o.job->expire())
                    at = now + o.deadline.count(); // ended just now, or committed: its answer is on the way
            }
            if (at != 0) {
                next = std::min(next, at);
                ++it;
                continue;
            }
            if (o.context)
                givenUp.push_back(std::move(o.deliver));
            it = open_.erase(it);
        }
        if (!open_.empty())
            wakeIn(std::max<std::int64_t>(0, next - now));
        for (const disk::Deliver& deliver : givenUp)
            deliver(true); // after the book is in order: an answer may start new jobs
    }

    std::unordered_map<quint64, Open> open_;
    quint64 last_ = 0;
    QTimer timer_;
};

Keeper& keeper()
{
    static Keeper* const k = new Keeper; // on the GUI thread, at its first job; never destroyed
    return *k;
}

} // namespace

quint64 disk::track(const std::shared_ptr<DiskJob>& job, QObject* context, std::chrono::milliseconds deadline,
                    Deliver deliver)
{
    return keeper().track(job, context, deadline, std::move(deliver));
}

void disk::finished(quint64 id)
{
    QMetaObject::invokeMethod(&keeper(), [id] { keeper().finished(id); }, Qt::QueuedConnection);
}

} // namespace tavik
