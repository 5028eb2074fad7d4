#include "pictures/OrderedChecks.h"

#include <QThread>
#include <QTimer>

#include "pictures/PictureLog.h"

namespace tavik {

namespace {

// Checks running ahead of the walk: enough to keep every core busy while a few wait for a
// slow disk, few enough that a long list costs nothing it does not use.
int checksAhead()
{
    return QThread::idealThreadCount() + 2;
}

} // namespace

OrderedChecks::OrderedChecks(Check check, std::chrono::milliseconds deadline, QObject* parent)
    : QObject(parent)
    , check_(std::move(check))
    , deadline_(deadline)
{
}

OrderedChecks::~OrderedChecks()
{
    cancel();
}

void OrderedChecks::start(const QString& folder, const NameList& names, int count, int needed)
{
    cancel();
    folder_ = folder;
    names_ = names;
    results_.assign(static_cast<size_t>(std::max(0, count)), Open);
    jobs_.assign(results_.size(), nullptr);
    needed_ = needed;
    next_ = 0;
    launched_ = 0;
    inFlight_ = 0;
    taken_ = 0;
    running_ = true;
    launch();
    QTimer::singleShot(0, this, &OrderedChecks::advance); // also ends an empty walk
}

void OrderedChecks::launch()
{
    const int total = static_cast<int>(results_.size());
    while (running_ && launched_ < total && inFlight_ < checksAhead() && taken_ < needed_) {
        const int i = launched_++;
        if (i >= names_.size()) {
            results_[size_t(i)] = No; // past the end of the list: an empty entry
            continue;
        }
        const QString path = joinPath(folder_, names_.at(i));
        ++inFlight_;
        const quint64 generation = generation_;
        jobs_[size_t(i)] = runOnDisk<bool>(
            this, path, [check = check_, path] { return fileAnswers(path) && check(path); },
            [this, generation, i, path](const std::optional<bool>& acceptable) {
                if (generation != generation_)
                    return; // a cancelled walk
                jobs_[size_t(i)].reset();
                --inFlight_;
                if (!acceptable)
                    qCInfo(lcPictures) << "not taken, past its deadline or refused:" << path;
                results_[size_t(i)] = acceptable.value_or(false) ? Yes : No;
                advance();
            },
            deadline_);
    }
}

void OrderedChecks::advance()
{
    if (!running_)
        return;
    const int total = static_cast<int>(results_.size());
    const int before = next_;
    while (next_ < total && taken_ < needed_ && results_[size_t(next_)] != Open) {
        if (results_[size_t(next_)] == Yes) {
            ++taken_;
            emit taken(joinPath(folder_, names_.at(next_)));
            if (!running_)
                return; // a receiver cancelled the walk
        }
        ++next_;
    }
    if (next_ != before)
        emit progress(next_, total);
    if (next_ == total || taken_ >= needed_) {
        const int decided = next_;
        cancel();
        emit finished(decided);
        return;
    }
    launch();
}

void OrderedChecks::cancel()
{
    if (!running_)
        return;
    running_ = false;
    ++generation_;
    for (auto& job : jobs_)
        if (job)
            job->cancel(); // later entries are not examined
    jobs_.clear();
}

} // namespace tavik
