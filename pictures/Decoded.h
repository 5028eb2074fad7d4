#pragma once
// What a worker hands back for one picture: an image, never a pixmap (pixmaps belong to
// the GUI thread).

#include <QImage>
#include <QSize>

namespace tavik {

struct Decoded {
    QImage image; // in device pixels with its devicePixelRatio set; null when it cannot be shown
    QSize fitted; // the size the showing box takes, in logical pixels; invalid when unmeasurable
};

} // namespace tavik
