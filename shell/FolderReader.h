#pragma once
// Reads folders for the folder list on a worker thread, so that a folder of a hundred
// thousand files or a mount that no longer answers never freezes the window. One request is
// current at a time: a newer one supersedes it, and a listing that comes back late is dropped.

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

#include "shell/FileSystem.h"

namespace tavik {

class FolderReader : public QObject {
    Q_OBJECT
public:
    // How a folder is read; runs on a worker thread. The default is readFolder for pictures.
    using Read = std::function<std::optional<FolderListing>(const QString& folder)>;

    explicit FolderReader(QObject* parent = nullptr);
    ~FolderReader() override;

    // Seams: the reading, the pool it runs on (default: one that lives until the process
    // ends, so a read stuck in the kernel cannot hold up the exit; nullptr for it) and the
    // deadline.
    void setRead(Read read) { read_ = std::move(read); }
    void setPool(QThreadPool* pool) { pool_ = pool ? pool : lastingPool(); }
    void setDeadline(std::chrono::milliseconds deadline) { deadline_.setInterval(deadline); }

    // Reads `folder`; answered by exactly one of listed() or unreadable(), unless a later
    // request or cancel() comes first. Past the deadline the folder counts as unreadable.
    void request(const QString& folder);
    void cancel();
    bool isPending() const { return pending_; }

signals:
    void listed(const QString& folder, const tavik::FolderListing& listing);
    void unreadable(const QString& folder);

private:
    struct Shared;
    void deliver(quint64 generation, const QString& folder, const std::optional<FolderListing>& listing);
    static QThreadPool* lastingPool();

    std::shared_ptr<Shared> shared_;
    Read read_;
    QThreadPool* pool_;
    QTimer deadline_;
    QString folder_;
    quint64 generation_ = 0;
    bool pending_ = false;
};

} // namespace tavik
