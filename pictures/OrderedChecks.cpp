// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/OrderedChecks.h"

#include <algorithm>
#include <QTimer>

#include "pictures/PictureLog.h"

namespace tavik {

namespace {

// The walk takes in the answers that came meanwhile this often: a folder of files that are
// turned away in microseconds then costs the window a short turn every few milliseconds
// instead of all its time.
constexpr std::chrono::milliseconds kTurn{4};

} // namespace

OrderedChecks::OrderedChecks(Check check, std::chrono::milliseconds deadline, QObject* parent)
    : QObject(parent)
    , check_(std::move(check))
    , deadline_(deadline)
{
    nextTurn_.setSingleShot(true);
    nextTurn_.setInterval(kTurn);
    connect(&nextTurn_, &QTimer::timeout, this, &OrderedChecks::advance);
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
    // Checks running ahead of the walk: twice what is still needed, so that refused files
    // cost no extra turn, yet few enough that a folder of good pictures is not read for nothing.
    const int ahead = std::clamp(2 * (needed_ - taken_), 8, 64);
    while (running_ && launched_ < total && inFlight_ < ahead && taken_ < needed_) {
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
                // Not at once: checks that answer in microseconds would otherwise keep the
                // window busy with nothing but them.
                if (!nextTurn_.isActive())
                    nextTurn_.start();
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
    nextTurn_.stop();
    for (auto& job : jobs_)
        if (job)
            job->cancel(); // later entries are not examined
    jobs_.clear();
}

} // namespace tavik
