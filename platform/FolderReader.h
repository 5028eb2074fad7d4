// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads folders for the folder list through the disk work, so that a folder of a hundred
// thousand files or a mount that no longer answers never freezes the window. One request is
// current at a time: a newer one supersedes it, and a listing that comes back late is dropped.

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

#include "platform/DiskWork.h"
#include "platform/FileSystem.h"

namespace tavik {

// Reads `folder`'s subfolders and picture files on a worker; `answer(listing)` on `context`'s
// thread, with nothing when the folder cannot be read or does not answer in time.
std::shared_ptr<DiskJob> listFolder(QObject* context, const QString& folder,
                                    std::function<void(const std::optional<FolderListing>&)> answer);

class FolderReader : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Seams for tests: how a folder is read (on a worker) and the deadline.
    using Read = std::function<std::optional<FolderListing>(const QString& folder)>;
    void setRead(Read read) { read_ = std::move(read); }
    void setDeadline(std::chrono::milliseconds deadline) { deadline_ = deadline; }

    // Reads `folder`; answered by exactly one of listed() or unreadable(), unless a later
    // request or cancel() comes first. Past the deadline the folder counts as unreadable.
    void request(const QString& folder);
    void cancel();

signals:
    void listed(const QString& folder, const tavik::FolderListing& listing);
    void unreadable(const QString& folder);

private:
    Read read_;
    std::chrono::milliseconds deadline_ = kDiskDeadline;
    std::shared_ptr<DiskJob> job_;
    quint64 generation_ = 0;
};

} // namespace tavik
