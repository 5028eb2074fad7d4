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

// Runs `work` on the picture pool and calls `answer` on `context`'s thread exactly once:
// with the result, or with nothing when the deadline passed first or too many jobs are
// stuck already. A result that comes after the deadline is dropped. Nothing is called once
// `context` is gone. The returned state lets the caller cancel a job not yet begun.
template <class R, class Work, class Answer>
std::shared_ptr<JobState> runWithDeadline(QObject* context, Work work, std::chrono::milliseconds deadline,
                                          Answer answer)
{
    auto state = std::make_shared<JobState>();
    if (stuckJobs::atCap()) {
        state->cancel();
        QTimer::singleShot(0, context, [answer] { answer(std::optional<R>{}); });
        return state;
    }
    auto* watcher = new QFutureWatcher<R>(context);
    auto* timer = new QTimer(watcher);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, context, [state, answer] {
        state->cancel();
        // When the job ended just now its result is on the way and answers instead.
        if (state->expire())
            answer(std::optional<R>{});
    });
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [state, watcher, timer, answer] {
        watcher->deleteLater();
        if (state->expired())
            return; // answered at the deadline; this late result is dropped
        timer->stop();
        answer(std::optional<R>(watcher->result()));
    });
    watcher->setFuture(QtConcurrent::run(picturePool(), [state, work = std::move(work)]() -> R {
        struct Ending {
            JobState& s;
            ~Ending() { s.end(); }
        } ending{*state};
        if (!state->begin())
            return R{};
        return work();
    }));
    timer->start(deadline);
    return state;
}

} // namespace tavik
