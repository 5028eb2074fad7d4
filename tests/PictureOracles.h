// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the decoder makes of a file, asked the way a display box asks it: at an exact size,
// and the upright size it measures. Tests only; link tavik_pictures.

#include <QImage>
#include <QSize>
#include <optional>

#include "pictures/PictureDecoder.h"

namespace tavik::test {

// The picture decoded upright at exactly `size` device pixels, whatever its proportions;
// null when it cannot be shown.
inline QImage decodeExactly(const QString& path, QSize size)
{
    return decodeForBox(path, [size](QSize) { return size; }, 0, 1.0).image;
}

// The size of the picture as it is meant to be seen, from its header; nothing when the file
// is over the preview's byte limit, not a sane JPEG or BMP, or unreadable. Nothing is decoded.
inline std::optional<QSize> uprightSize(const QString& path)
{
    QSize upright;
    decodeForBox(path, [&upright](QSize u) { upright = u; return QSize(); }, 0, 1.0);
    return upright.isValid() ? std::optional<QSize>(upright) : std::nullopt;
}

} // namespace tavik::test
