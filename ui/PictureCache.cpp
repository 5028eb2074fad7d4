#include "ui/PictureCache.h"

#include <QThread>

namespace tavik {

namespace {

// Decoding ahead a few at a time keeps memory bounded and leaves a core and threads free
// for the GUI and for the picture a click asks for.
int aheadAtOnce()
{
    return std::max(1, QThread::idealThreadCount() - 1);
}

} // namespace

PictureCache::PictureCache(PictureLoader::Decode decode, QSize area, std::chrono::milliseconds deadline,
                           QObject* parent)
    : QObject(parent)
    , loader_(std::move(decode), deadline)
    , area_(area)
{
    // Past the deadline: the box stays empty, now and for the rest of the game.
    connect(&loader_, &PictureLoader::answered, this,
            [this](quint64, const QString& path, const std::optional<Decoded>& d) {
                store(path, d ? CachedPicture{QPixmap::fromImage(d->image), d->fitted} : CachedPicture{});
            });
}

const PictureCache::CachedPicture* PictureCache::ready(const QString& path) const
{
    const auto it = pictures_.constFind(path);
    return it == pictures_.constEnd() ? nullptr : &*it;
}

void PictureCache::load(const QString& path, qreal dpr)
{
    if (!pictures_.contains(path) && !inFlight_.contains(path))
        startDecode(path, dpr);
}

void PictureCache::loadAhead(const QStringList& paths, qreal dpr)
{
    ahead_ = paths;
    aheadDpr_ = dpr;
    topUp();
}

void PictureCache::stop()
{
    loader_.cancelAll(); // nothing comes back, so the decoding ahead goes no further either
}

void PictureCache::startDecode(const QString& path, qreal dpr)
{
    inFlight_.insert(path);
    loader_.request(path, area_, dpr);
}

void PictureCache::topUp()
{
    while (aheadInFlight_ < aheadAtOnce() && !ahead_.isEmpty()) {
        const QString path = ahead_.takeFirst();
        if (pictures_.contains(path) || inFlight_.contains(path))
            continue;
        ++aheadInFlight_;
        aheadStarted_.insert(path);
        startDecode(path, aheadDpr_);
    }
}

void PictureCache::store(const QString& path, CachedPicture picture)
{
    inFlight_.remove(path);
    pictures_.insert(path, std::move(picture));
    if (aheadStarted_.remove(path)) {
        --aheadInFlight_;
        topUp();
    }
    emit arrived(path);
}

} // namespace tavik
