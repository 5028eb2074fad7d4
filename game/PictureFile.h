#pragma once
// The former home of picture reading, kept for the code that still calls it: everything
// here forwards to the picture subsystem (pictures/PictureDecoder.h).

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

#include "pictures/PictureHeader.h"

namespace tavik {

// The upright size of a picture file whose header is sane and within its byte limit.
std::optional<QSize> pictureSize(const QString& path);

// The picture decoded upright at `size`, or a null image when it cannot be shown.
QImage loadPicture(const QString& path, QSize size);

// The picture fitted into a square of side `box` at one device pixel per pixel: the fitted
// size (invalid when the file cannot be measured) and the picture (null when it cannot be shown).
std::pair<QSize, QImage> loadFitted(const QString& path, int box);

} // namespace tavik
