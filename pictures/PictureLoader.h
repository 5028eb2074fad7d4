// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads and decodes pictures through the disk work for a window: each request is answered
// on the GUI thread by answered(), never by a wait.

#include <QObject>
#include <functional>
#include <optional>
#include <unordered_map>

#include "pictures/PictureDecoder.h"
#include "platform/DiskWork.h"

namespace tavik {

class PictureLoader : public QObject {
    Q_OBJECT
public:
    // Decodes `path` fitted into `area` (logical pixels) at the device pixel ratio `dpr`;
    // runs on a worker thread.
    using Decode = std::function<Decoded(const QString& path, QSize area, qreal dpr)>;

    explicit PictureLoader(Decode decode, std::chrono::milliseconds deadline = kDiskDeadline,
                           QObject* parent = nullptr);

    // Answered by exactly one answered() carrying the returned ticket, unless cancelAll()
    // comes first.
    quint64 request(const QString& path, QSize area, qreal dpr);
    // Every open request is forgotten: no answer comes for it, and jobs not yet begun do no work.
    void cancelAll();

signals:
    // The decoder's answer (its image null when the file could not be decoded), or nothing
    // when the request was past its deadline or refused at once while reads are stuck.
    void answered(quint64 ticket, const QString& path, const std::optional<tavik::Decoded>& decoded);

private:
    void answer(quint64 generation, quint64 ticket, const QString& path, const std::optional<Decoded>& d);

    Decode decode_;
    std::chrono::milliseconds deadline_;
    quint64 generation_ = 0;
    quint64 lastTicket_ = 0;
    std::unordered_map<quint64, std::shared_ptr<DiskJob>> open_;
};

} // namespace tavik
