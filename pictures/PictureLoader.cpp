// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureLoader.h"

#include "pictures/PictureLog.h"
#include "platform/FileSystem.h"

namespace tavik {

PictureLoader::PictureLoader(Decode decode, std::chrono::milliseconds deadline, QObject* parent)
    : QObject(parent)
    , decode_(std::move(decode))
    , deadline_(deadline)
{
}

quint64 PictureLoader::request(const QString& path, QSize area, qreal dpr)
{
    const quint64 ticket = ++lastTicket_;
    const quint64 generation = generation_;
    open_[ticket] = runOnDisk<Decoded>(
        this, path, [decode = decode_, path, area, dpr] {
            return fileAnswers(path) ? decode(path, area, dpr) : Decoded{};
        },
        [this, generation, ticket, path](const std::optional<Decoded>& d) { answer(generation, ticket, path, d); },
        deadline_);
    return ticket;
}

void PictureLoader::answer(quint64 generation, quint64 ticket, const QString& path, const std::optional<Decoded>& d)
{
    open_.erase(ticket);
    if (generation != generation_) {
        qCInfo(lcPictures) << "no longer wanted:" << path;
        return;
    }
    if (!d)
        qCInfo(lcPictures) << "past its deadline, or refused:" << path;
    emit answered(ticket, path, d);
}

void PictureLoader::cancelAll()
{
    ++generation_;
    for (auto& [ticket, state] : open_)
        state->cancel();
}

} // namespace tavik
