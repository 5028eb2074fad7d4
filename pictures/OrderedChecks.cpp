#include "pictures/OrderedChecks.h"

#include <QLoggingCategory>
#include <QtConcurrent/QtConcurrentMap>
#include <numeric>

Q_DECLARE_LOGGING_CATEGORY(lcPictures)

namespace tavik {

// What the workers share with the walk on the GUI thread; it outlives a cancelled walk for
// as long as a worker still holds it.
struct OrderedChecks::Shared {
    explicit Shared(QStringList c) : candidates(std::move(c)), jobs(new JobState[candidates.size()]) {}
    const QStringList candidates;
    std::unique_ptr<JobState[]> jobs;
};

OrderedChecks::OrderedChecks(Check check, std::chrono::milliseconds deadline, QObject* parent)
    : QObject(parent)
    , check_(std::move(check))
    , deadline_(deadline)
{
    heartbeat_ = new QTimer(this);
    heartbeat_->setInterval(std::min<std::chrono::milliseconds>(deadline_ / 4, std::chrono::milliseconds(100)));
    connect(heartbeat_, &QTimer::timeout, this, &OrderedChecks::advance);
}

OrderedChecks::~OrderedChecks()
{
    cancel();
}

void OrderedChecks::start(const QStringList& candidates, int needed)
{
    cancel();
    candidates_ = candidates;
    needed_ = needed;
    next_ = 0;
    taken_ = 0;
    running_ = true;
    shared_ = std::make_shared<Shared>(candidates);
    headSince_ = JobState::nowMs();

    QList<int> indices(candidates.size());
    std::iota(indices.begin(), indices.end(), 0);
    auto check = [shared = shared_, check = check_](int i) -> bool {
        JobState& job = shared->jobs[i];
        struct Ending {
            JobState& s;
            ~Ending() { s.end(); }
        } ending{job};
        const QString& path = shared->candidates[i];
        return job.begin() && !path.isEmpty() && fileAnswers(path) && check(path);
    };
    watcher_ = new QFutureWatcher<bool>(this);
    connect(watcher_, &QFutureWatcherBase::resultsReadyAt, this, &OrderedChecks::advance);
    connect(watcher_, &QFutureWatcherBase::finished, this, &OrderedChecks::advance);
    if (needed_ > 0 && !candidates.isEmpty())
        watcher_->setFuture(QtConcurrent::mapped(picturePool(), std::move(indices), check));
    heartbeat_->start();
    QTimer::singleShot(0, this, &OrderedChecks::advance); // also ends an empty walk
}

bool OrderedChecks::headTimedOut()
{
    JobState& job = shared_->jobs[next_];
    const std::int64_t now = JobState::nowMs();
    const std::int64_t began = job.beganAtMs();
    if (began != 0)
        return now - began > deadline_.count() && job.expire();
    // Still queued: it may wait behind stuck reads for good.
    if (stuckJobs::atCap() || now - headSince_ > deadline_.count()) {
        job.cancel();
        return true;
    }
    return false;
}

void OrderedChecks::advance()
{
    if (!running_)
        return;
    const QFuture<bool> future = watcher_->future();
    const int total = candidates_.size();
    const int before = next_;
    while (next_ < total && taken_ < needed_) {
        bool acceptable = false;
        if (candidates_[next_].isEmpty())
            acceptable = false;
        else if (future.isResultReadyAt(next_))
            acceptable = future.resultAt(next_);
        else if (headTimedOut())
            qCInfo(lcPictures) << "not taken, past its deadline:" << candidates_[next_];
        else
            break;
        if (acceptable) {
            ++taken_;
            emit taken(candidates_[next_]);
            if (!running_)
                return; // a receiver cancelled the walk
        }
        ++next_;
        headSince_ = JobState::nowMs();
    }
    if (next_ != before)
        emit progress(next_, total);
    if (next_ == total || taken_ >= needed_)
        finish();
}

void OrderedChecks::finish()
{
    const int decided = next_;
    cancel();
    emit finished(decided);
}

void OrderedChecks::cancel()
{
    if (!running_)
        return;
    running_ = false;
    heartbeat_->stop();
    if (watcher_) {
        watcher_->disconnect(this);
        watcher_->future().cancel(); // later entries are not examined
        watcher_->deleteLater();
        watcher_ = nullptr;
    }
    for (int i = next_; i < candidates_.size(); ++i)
        shared_->jobs[i].cancel();
    shared_.reset();
}

} // namespace tavik
