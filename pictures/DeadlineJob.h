#pragma once
// One job on the picture pool with a deadline kept on the GUI thread: a worker cannot time
// out its own blocked read, so a timer here decides when the answer stops being awaited.

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>
#include <optional>

#include "pictures/PictureLog.h"
#include "pictures/PicturePool.h"

namespace tavik {

// Runs `work` (which reads `path`) on the picture pool and calls `answer` on `context`'s
// thread exactly once: with the result, or with nothing when the job ran past `deadline`,
// waited more than kQueuedDeadlines deadlines in the queue, or was refused at once (its
// folder quarantined, or too many jobs stuck). The deadline counts from when a worker
// begins the job: waiting behind other work is not a stuck read. A result that comes after
// the deadline is dropped. Nothing is called once `context` is gone. The returned state
// lets the caller cancel a job not yet begun.
template <class R, class Work, class Answer>
std::shared_ptr<JobState> runWithDeadline(QObject* context, const QString& path, Work work,
                                          std::chrono::milliseconds deadline, Answer answer)
{
    auto state = std::make_shared<JobState>();
    if (stuckJobs::refuse(path)) {
        state->cancel();
        QTimer::singleShot(0, context, [answer] { answer(std::optional<R>{}); });
        return state;
    }
    auto* watcher = new QFutureWatcher<R>(context);
    auto* timer = new QTimer(watcher);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    const std::int64_t requestedAt = JobState::nowMs();
    auto answered = std::make_shared<bool>(false); // GUI thread only
    // While queued the timer looks in a few times per deadline; once begun it waits out the rest.
    const std::chrono::milliseconds look = std::max(deadline / 4, std::chrono::milliseconds(1));
    QObject::connect(timer, &QTimer::timeout, context, [state, timer, answer, answered, deadline, look, requestedAt] {
        const std::int64_t now = JobState::nowMs();
        const std::int64_t began = state->beganAtMs();
        if (began == 0) {
            const bool tooLong = now - requestedAt >= kQueuedDeadlines * deadline.count();
            // At the cap the queue may never move again.
            if ((tooLong || stuckJobs::atCap()) && state->cancel()) {
                *answered = true;
                answer(std::optional<R>{});
                return;
            }
            if (state->beganAtMs() == 0) {
                timer->start(look);
                return;
            }
        }
        // Whole milliseconds on both ends: one more, so that it never ends a job early.
        const std::int64_t left = state->beganAtMs() + deadline.count() + 1 - now;
        if (left > 0) {
            timer->start(std::chrono::milliseconds(left));
            return;
        }
        // When the job ended just now its result is on the way and answers instead.
        if (state->expire()) {
            *answered = true;
            answer(std::optional<R>{});
        }
    });
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [state, watcher, timer, answer, answered] {
        watcher->deleteLater();
        if (*answered)
            return; // answered at the deadline; this late result is dropped
        timer->stop();
        *answered = true;
        // Refused by the worker: its folder went bad or the cap was reached while it waited.
        answer(state->dropped() ? std::optional<R>{} : std::optional<R>(watcher->result()));
    });
    watcher->setFuture(QtConcurrent::run(picturePool(), [state, folder = stuckJobs::folderOf(path),
                                                         work = std::move(work)]() -> R {
        struct Ending {
            JobState& s;
            ~Ending() { s.end(); }
        } ending{*state};
        if (!state->begin(folder))
            return R{};
        return work();
    }));
    timer->start(look);
    return state;
}

} // namespace tavik
