#pragma once
// The pictures of one game, each decoded once on a worker, at the size of the display box
// that shows it. Nothing here waits for a decode: a picture not yet there is asked for and
// announced by arrived() when it comes (or when it is given up).

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include "pictures/PictureLoader.h"

namespace tavik {

class PictureCache : public QObject {
    Q_OBJECT
public:
    // `area`: the inside of a display box, in logical pixels.
    PictureCache(PictureLoader::Decode decode, QSize area, std::chrono::milliseconds deadline,
                 QObject* parent = nullptr);

    struct CachedPicture {
        QPixmap pixmap; // already at the fitted size; null when the file could not be shown
        QSize fitted;  // the fitted box size; invalid when the file could not be measured
    };

    // The picture when it is decoded (or given up), else nothing.
    const CachedPicture* ready(const QString& path) const;
    bool isLoaded(const QString& path) const { return pictures_.contains(path); }

    // Asks for `path` now, ahead of any picture still waiting to be decoded ahead.
    void load(const QString& path, qreal dpr);
    // Decodes these pictures a few at a time, in this order.
    void loadAhead(const QStringList& paths, qreal dpr);
    // Nothing more is decoded or announced: pictures on their way are dropped, and those not
    // begun are not read at all.
    void stop();

signals:
    void arrived(const QString& path); // decoded, undecodable or past its deadline

private:
    void startDecode(const QString& path, qreal dpr);
    void topUp();
    void store(const QString& path, CachedPicture picture);

    PictureLoader loader_;
    QSize area_;
    QHash<QString, CachedPicture> pictures_;
    QSet<QString> inFlight_;
    QStringList ahead_;
    qreal aheadDpr_ = 1.0;
    int aheadInFlight_ = 0;
    QSet<QString> aheadStarted_;
};

} // namespace tavik
