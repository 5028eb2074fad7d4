#pragma once
// The pictures of one game, each decoded once, at the size of the display box that shows it.

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace tavik {

class PictureCache {
public:
    explicit PictureCache(int boxSide) : boxSide_(boxSide) {}

    struct Bild {
        QPixmap pixmap; // already at the fitted size; null when the file could not be read
        QSize groesse;  // the fitted box size; invalid when the file could not be measured
    };

    // The picture of `path` fitted into the box, decoded on first use.
    const Bild& bild(const QString& path);
    bool geladen(const QString& path) const { return bilder_.contains(path); }

private:
    int boxSide_;
    QHash<QString, Bild> bilder_;
};

} // namespace tavik
