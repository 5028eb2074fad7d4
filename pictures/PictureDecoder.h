// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding a picture file once, at the size it is drawn, within a bounded cost. Every
// function reads the file itself and checks everything again: a file can change between
// being collected and being shown. Safe on any thread; nothing here keeps state.
//
// Failures in pictures: a file that cannot be used gives an empty answer, never a reason:
// nothing (std::nullopt), a false acceptableForGame, and in a Decoded a null image (and an
// invalid size when it could not even be measured). Why is logged under "tavik.pictures"
// (PictureLog.h): the player only ever sees an empty box or a file not taken.

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace tavik {

struct Decoded {
    QImage image;  // device pixels (fitted x dpr, rounded), devicePixelRatio set; null when it cannot be shown
    QSize fitted;  // the fit in logical pixels, from the upright width and height; invalid when it cannot be measured
                   // (decodeForBox: the size of the box that shows it)
};

// Decodes `path` once, fitted into `area` (logical pixels: the inside of the display box, within its border),
// at `dpr`, turned upright as its EXIF orientation says, within the cost budget. Re-checks at decode time
// everything the collection checked (byte-size limits, header, cost), since the file can change after it was
// collected. Safe on any thread; never crashes or shows uninitialised memory on any input.
Decoded decodeFitted(const QString& path, QSize area, qreal dpr);

// A display box's picture: the box takes the size `boxFor` gives for the picture's upright
// size (logical pixels), and the picture is decoded once for the inside of that box, `border`
// pixels in on every side, at `dpr`. `fitted` is the box's size. The same checks as decodeFitted.
Decoded decodeForBox(const QString& path, const std::function<QSize(QSize upright)>& boxFor, int border, qreal dpr);

// Taken into a game: a .jpg under 75000 bytes or a .bmp under 800000 bytes, a regular readable file, whose
// header is sane, whose predicted cost is within budget, and which really decodes to an image. Any thread.
bool acceptableForGame(const QString& path);

} // namespace tavik
