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

    struct Bild {
        QPixmap pixmap; // already at the fitted size; null when the file could not be shown
        QSize groesse;  // the fitted box size; invalid when the file could not be measured
    };

    // The picture when it is decoded (or given up), else nothing.
    const Bild* fertig(const QString& path) const;
    bool geladen(const QString& path) const { return bilder_.contains(path); }

    // Asks for `path` now, ahead of any picture still waiting to be decoded ahead.
    void lade(const QString& path, qreal dpr);
    // Decodes these pictures a few at a time, in this order.
    void ladeVoraus(const QStringList& paths, qreal dpr);
    // Nothing more is decoded or announced: pictures on their way are dropped, and those not
    // begun are not read at all.
    void stop();

signals:
    void arrived(const QString& path); // decoded, undecodable or past its deadline

private:
    void starte(const QString& path, qreal dpr);
    void fuelleNach();
    void ablegen(const QString& path, Bild bild);

    PictureLoader loader_;
    QSize area_;
    QHash<QString, Bild> bilder_;
    QSet<QString> unterwegs_;
    QStringList voraus_;
    qreal vorausDpr_ = 1.0;
    int vorausUnterwegs_ = 0;
    QSet<QString> vorausGestartet_;
};

} // namespace tavik
