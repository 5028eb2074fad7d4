#include "ui/PictureCache.h"

#include <QThread>

namespace tavik {

namespace {

// Decoding ahead a few at a time keeps memory bounded and leaves a core and threads free
// for the GUI and for the picture a click asks for.
int vorausGleichzeitig()
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
                ablegen(path, d ? Bild{QPixmap::fromImage(d->image), d->fitted} : Bild{});
            });
}

const PictureCache::Bild* PictureCache::fertig(const QString& path) const
{
    const auto it = bilder_.constFind(path);
    return it == bilder_.constEnd() ? nullptr : &*it;
}

void PictureCache::lade(const QString& path, qreal dpr)
{
    if (!bilder_.contains(path) && !unterwegs_.contains(path))
        starte(path, dpr);
}

void PictureCache::ladeVoraus(const QStringList& paths, qreal dpr)
{
    voraus_ = paths;
    vorausDpr_ = dpr;
    fuelleNach();
}

void PictureCache::stop()
{
    loader_.cancelAll(); // nothing comes back, so the decoding ahead goes no further either
}

void PictureCache::starte(const QString& path, qreal dpr)
{
    unterwegs_.insert(path);
    loader_.request(path, area_, dpr);
}

void PictureCache::fuelleNach()
{
    while (vorausUnterwegs_ < vorausGleichzeitig() && !voraus_.isEmpty()) {
        const QString path = voraus_.takeFirst();
        if (bilder_.contains(path) || unterwegs_.contains(path))
            continue;
        ++vorausUnterwegs_;
        vorausGestartet_.insert(path);
        starte(path, vorausDpr_);
    }
}

void PictureCache::ablegen(const QString& path, Bild bild)
{
    unterwegs_.remove(path);
    bilder_.insert(path, std::move(bild));
    if (vorausGestartet_.remove(path)) {
        --vorausUnterwegs_;
        fuelleNach();
    }
    emit arrived(path);
}

} // namespace tavik
