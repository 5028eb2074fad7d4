#include "pictures/OrderedChecks.h"

#include <QElapsedTimer>
#include <QtConcurrent/QtConcurrentMap>
#include <numeric>

#include "pictures/PictureLog.h"
#include "shell/FileSystem.h"

namespace tavik {

// What the workers share with the walk on the GUI thread; it outlives a cancelled walk for
// as long as a worker still holds it.
struct OrderedChecks::Shared {
    Shared(QString f, QStringList n)
        : folder(std::move(f))
        , quarantineKey(stuckJobs::folderOf(joinPath(folder, QStringLiteral("x"))))
        , names(std::move(n))
        , jobs(new JobState[names.size()])
    {
    }
    const QString folder;
    const QString quarantineKey; // the folder as a loader's request for a file in it names it
    const QStringList names;
    std::unique_ptr<JobState[]> jobs;
};

namespace {

// The walk hands the event loop back after this long, so a burst of answers never stalls it.
constexpr qint64 kSliceNs = 3'000'000;

} // namespace

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

void OrderedChecks::start(const QString& folder, const QStringList& names, int needed)
{
    cancel();
    folder_ = folder;
    names_ = names;
    needed_ = needed;
    next_ = 0;
    taken_ = 0;
    running_ = true;
    shared_ = std::make_shared<Shared>(folder, names);
    headSince_ = JobState::nowMs();

    QList<int> indices(names.size());
    std::iota(indices.begin(), indices.end(), 0);
    auto check = [shared = shared_, check = check_](int i) -> bool {
        JobState& job = shared->jobs[i];
        struct Ending {
            JobState& s;
            ~Ending() { s.end(); }
        } ending{job};
        const QString& name = shared->names[i];
        if (!job.begin(shared->quarantineKey) || name.isEmpty())
            return false;
        const QString path = joinPath(shared->folder, name);
        return fileAnswers(path) && check(path);
    };
    watcher_ = new QFutureWatcher<bool>(this);
    connect(watcher_, &QFutureWatcherBase::resultsReadyAt, this, &OrderedChecks::advance);
    connect(watcher_, &QFutureWatcherBase::finished, this, &OrderedChecks::advance);
    if (needed_ > 0 && !names.isEmpty())
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
    // Still queued, which is no stuck read. It is refused without a read when its folder went
    // bad or the stuck cap was reached (the queue may then never move), or after waiting as
    // the head for several deadlines. A job that began just now is left to its deadline.
    const bool refused = stuckJobs::atCap() || stuckJobs::quarantined(shared_->quarantineKey) ||
                         now - headSince_ > kQueuedDeadlines * deadline_.count();
    return refused && job.cancel();
}

void OrderedChecks::advance()
{
    if (!running_)
        return;
    const QFuture<bool> future = watcher_->future();
    const int total = names_.size();
    const int before = next_;
    QElapsedTimer slice;
    slice.start();
    while (next_ < total && taken_ < needed_) {
        if ((next_ & 255) == 255 && slice.nsecsElapsed() > kSliceNs) {
            QTimer::singleShot(0, this, &OrderedChecks::advance); // the rest at the next turn
            break;
        }
        bool acceptable = false;
        if (names_[next_].isEmpty())
            acceptable = false;
        else if (future.isResultReadyAt(next_))
            acceptable = future.resultAt(next_);
        else if (headTimedOut())
            qCInfo(lcPictures) << "not taken, past its deadline:" << joinPath(folder_, names_[next_]);
        else
            break;
        if (acceptable) {
            ++taken_;
            emit taken(joinPath(folder_, names_[next_]));
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
    for (int i = next_; i < names_.size(); ++i)
        shared_->jobs[i].cancel();
    shared_.reset();
}

} // namespace tavik
