// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderReader.h"

namespace tavik {

std::shared_ptr<DiskJob> listFolder(QObject* context, const QString& folder,
                                    std::function<void(const std::optional<FolderListing>&)> answer)
{
    return runOnDisk<std::optional<FolderListing>>(
        context, folder, [folder] { return readFolder(folder, pictureExtensions()); },
        [answer = std::move(answer)](const std::optional<std::optional<FolderListing>>& listing) {
            answer(listing ? *listing : std::nullopt);
        });
}

void FolderReader::request(const QString& folder)
{
    cancel();
    const quint64 generation = generation_;
    Read read = read_ ? read_ : [](const QString& f) { return readFolder(f, pictureExtensions()); };
    job_ = runOnDisk<std::optional<FolderListing>>(
        this, folder, [read, folder] { return read(folder); },
        [this, generation, folder](const std::optional<std::optional<FolderListing>>& listing) {
            if (generation != generation_)
                return; // superseded or cancelled
            job_.reset();
            if (listing && *listing)
                emit listed(folder, **listing);
            else
                emit unreadable(folder);
        },
        deadline_);
}

void FolderReader::cancel()
{
    ++generation_;
    if (job_)
        job_->cancel(); // a read not yet begun is not made at all
    job_.reset();
}

} // namespace tavik
