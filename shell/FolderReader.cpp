#include "shell/FolderReader.h"

#include <QMutex>

#include <atomic>

namespace tavik {

namespace {
const QStringList kPictureExtensions{QStringLiteral("bmp"), QStringLiteral("jpg")};
constexpr std::chrono::milliseconds kDeadline{2000};
// Reads stuck in the kernel each hold a thread; the pool stays this small so they cannot
// pile up without bound (a superseded request that has not started yet skips its read).
constexpr int kReaders = 3;
} // namespace

// What a worker shares with its reader: the reader may be gone when a stuck read returns.
struct FolderReader::Shared {
    QMutex mutex;
    FolderReader* owner = nullptr;      // guarded by mutex
    std::atomic<quint64> current{0};    // the generation still wanted
};

FolderReader::FolderReader(QObject* parent)
    : QObject(parent)
    , shared_(std::make_shared<Shared>())
    , read_([](const QString& folder) { return readFolder(folder, kPictureExtensions); })
    , pool_(lastingPool())
{
    shared_->owner = this;
    deadline_.setSingleShot(true);
    deadline_.setInterval(kDeadline);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (!pending_)
            return;
        pending_ = false;
        shared_->current = 0; // the late listing will be dropped
        emit unreadable(folder_);
    });
}

FolderReader::~FolderReader()
{
    const QMutexLocker lock(&shared_->mutex);
    shared_->owner = nullptr;
}

QThreadPool* FolderReader::lastingPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool; // never destroyed: its destructor would wait for stuck reads
        p->setMaxThreadCount(kReaders);
        return p;
    }();
    return pool;
}

void FolderReader::request(const QString& folder)
{
    const quint64 generation = ++generation_;
    shared_->current = generation;
    folder_ = folder;
    pending_ = true;
    deadline_.start();
    pool_->start([shared = shared_, read = read_, folder, generation] {
        if (shared->current != generation)
            return; // superseded before it started: no read at all
        std::optional<FolderListing> listing = read(folder);
        const QMutexLocker lock(&shared->mutex);
        if (FolderReader* owner = shared->owner)
            QMetaObject::invokeMethod(owner, [owner, generation, folder, listing = std::move(listing)] {
                owner->deliver(generation, folder, listing);
            }, Qt::QueuedConnection);
    });
}

void FolderReader::cancel()
{
    pending_ = false;
    deadline_.stop();
    shared_->current = 0;
}

void FolderReader::deliver(quint64 generation, const QString& folder, const std::optional<FolderListing>& listing)
{
    if (!pending_ || generation != generation_)
        return; // superseded, cancelled or past its deadline
    pending_ = false;
    deadline_.stop();
    if (listing)
        emit listed(folder, *listing);
    else
        emit unreadable(folder);
}

} // namespace tavik
