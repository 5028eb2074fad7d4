#include "platform/DiskWork.h"

#include <QHash>
#include <QLoggingCategory>
#include <QPointer>
#include <QThread>
#include <unordered_map>
#include <sys/resource.h>
#include <unistd.h>

#include "platform/MountTable.h"
#include "platform/PathText.h"
#include "platform/Platform.h"

Q_LOGGING_CATEGORY(lcDisk, "tavik.disk", QtWarningMsg)

namespace tavik {

namespace {

// More threads than cores: a read waiting on a slow disk takes no core.
const int kHealthyThreads = std::max(2, QThread::idealThreadCount()) + 4;

// Where a stuck job sticks: the device, and the paths it must not open again.
struct StuckPlace {
    std::uint64_t device = 0;
    QByteArray file;
    QByteArray requested;
};

// The jobs past their deadline that have not returned yet.
class StuckBook {
public:
    int total() const { return total_.load(); }

    void add(const StuckPlace& place)
    {
        const std::lock_guard lock(mutex_);
        if (++devices_[place.device] == kStuckPerDevice)
            qCInfo(lcDisk) << "device refused, reads there are stuck:" << place.device;
        ++files_[place.file];
        if (place.requested != place.file)
            ++files_[place.requested];
        widen(total_.fetch_add(1) + 1);
    }

    void remove(const StuckPlace& place)
    {
        const std::lock_guard lock(mutex_);
        const auto drop = [](auto& hash, const auto& key) {
            if (--hash[key] <= 0)
                hash.remove(key);
        };
        drop(devices_, place.device);
        drop(files_, place.file);
        if (place.requested != place.file)
            drop(files_, place.requested);
        widen(total_.fetch_sub(1) - 1);
    }

    bool deviceRefused(std::uint64_t device)
    {
        if (total() == 0)
            return false; // the usual case, without the lock
        const std::lock_guard lock(mutex_);
        return devices_.value(device) >= kStuckPerDevice;
    }

    bool fileStuck(const QByteArray& file)
    {
        if (total() == 0)
            return false;
        const std::lock_guard lock(mutex_);
        return files_.contains(file);
    }

private:
    static void widen(int stuck) { disk::pool()->setMaxThreadCount(kHealthyThreads + std::min(stuck, kStuckCap)); }

    std::atomic<int> total_{0};
    std::mutex mutex_;
    QHash<std::uint64_t, int> devices_;
    QHash<QByteArray, int> files_;
};

StuckBook& book()
{
    static StuckBook* const b = new StuckBook; // used by workers until the process ends
    return *b;
}

void lowerWorkerPriority()
{
    // Once per worker thread: the GUI thread wins whenever both want a core.
    thread_local const bool lowered = [] {
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
        return true;
    }();
    (void)lowered;
}

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

QThreadPool* disk::pool()
{
    // Deliberately leaked: a QThreadPool's destructor waits for its jobs.
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setObjectName(QStringLiteral("tavik.disk"));
        p->setMaxThreadCount(kHealthyThreads);
        return p;
    }();
    return pool;
}

int disk::stuckCount()
{
    return book().total();
}

bool disk::refusedAtOnce(const QString& path)
{
    return book().total() >= kStuckCap || book().fileStuck(encodePath(path));
}

quint64 disk::track(const std::shared_ptr<DiskJob>& job, QObject* context, std::chrono::milliseconds deadline,
                    Deliver deliver)
{
    return keeper().track(job, context, deadline, std::move(deliver));
}

void disk::finished(quint64 id)
{
    QMetaObject::invokeMethod(&keeper(), [id] { keeper().finished(id); }, Qt::QueuedConnection);
}

DiskJob*& disk::current()
{
    thread_local DiskJob* job = nullptr;
    return job;
}

void disk::keepAlive()
{
    if (DiskJob* job = current())
        job->keepAlive();
}

bool disk::commit()
{
    DiskJob* job = current();
    return !job || job->commit();
}

void DiskJob::noteSticking(std::uint64_t device, const QString& file)
{
    const std::lock_guard lock(placeMutex_);
    if (phase_.load() == Expired)
        return; // counted as stuck where it was at the deadline, and returned from there
    device_ = device;
    file_ = file;
}

bool DiskJob::begin()
{
    lowerWorkerPriority();
    beganAt_.store(std::max<std::int64_t>(1, monotonicMs()));
    int expected = Queued;
    if (!phase_.compare_exchange_strong(expected, Running))
        return false; // cancelled while it waited
    const auto refuse = [this](const char* why) {
        qCInfo(lcDisk) << "refused," << why << path_;
        int running = Running;
        phase_.compare_exchange_strong(running, Dropped);
        return false;
    };
    const QByteArray requested = encodePath(path_);
    if (book().total() >= kStuckCap)
        return refuse("too many stuck reads:");
    const MountTable mounts = MountTable::current();
    bool deviceStuck = false;
    const std::optional<QByteArray> resolved = resolveStepwise(
        requested, mounts, [this, &deviceStuck](std::uint64_t device, const QByteArray& step) {
            deviceStuck = book().deviceRefused(device);
            if (deviceStuck || book().fileStuck(step))
                return false;
            noteSticking(device, decodePath(step));
            return true;
        });
    if (!resolved)
        return refuse(deviceStuck ? "its device has stuck reads:" : "a read on its way is stuck:");
    if (book().fileStuck(*resolved) || book().fileStuck(requested))
        return refuse("a read of it is stuck:");
    noteSticking(mounts.deviceOf(*resolved), decodePath(*resolved));
    return true;
}

void DiskJob::keepAlive()
{
    if (phase_.load() == Running)
        beganAt_.store(std::max<std::int64_t>(1, monotonicMs()));
}

bool DiskJob::commit()
{
    int expected = Running;
    return phase_.compare_exchange_strong(expected, Committed);
}

void DiskJob::end()
{
    int expected = Running;
    if (phase_.compare_exchange_strong(expected, Ended))
        return;
    expected = Committed;
    if (phase_.compare_exchange_strong(expected, Ended))
        return;
    if (expected == Expired) {
        const std::lock_guard lock(placeMutex_);
        book().remove({device_, encodePath(file_), encodePath(path_)}); // counted as stuck at its deadline
    }
}

bool DiskJob::expire()
{
    int expected = Running;
    if (!phase_.compare_exchange_strong(expected, Expired))
        return false;
    const std::lock_guard lock(placeMutex_);
    qCInfo(lcDisk) << "past its deadline, stuck at" << file_ << "on device" << device_;
    book().add({device_, encodePath(file_), encodePath(path_)});
    return true;
}

bool DiskJob::cancel()
{
    int expected = Queued;
    return phase_.compare_exchange_strong(expected, Dropped) || expected == Dropped;
}

} // namespace tavik
