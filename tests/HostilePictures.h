// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture files that exist in the wild and trip decoders up, made on the spot for tests:
// files named like a BMP that hold a GIF, a PNG or a PPM, bitmaps with broken masks or
// palettes, truncated bitmaps of every kind, valid ones of every kind, JPEGs turned by
// their EXIF orientation. The one file the image writer cannot make (an arithmetic-coded
// progressive CMYK JPEG) lies in tests/data/pictures, made by tools/picture_cost.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tavik::test {

// The bytes of a hostile or contrasting picture of `kind`; empty for an unknown kind.
//   gif-huge-screen, png-interlaced-16384x1024, ppm-no-data, pbm-no-data,
//   bmp-all-ones-masks (16-bit), bmp-all-ones-masks-32, bmp-palette-7fffffff, bmp-rle8-jump,
//   bmp-rle8-short-row, bmp-os2-8bit (valid),
//   bmp-bitfields, bmp-rle8, bmp-rle4, bmp-os2, bmp-v5, bmp-top-down (each valid),
//   bmp-bitfields-truncated, bmp-rle8-truncated, bmp-rle4-truncated, bmp-os2-truncated,
//   bmp-top-down-short-by-one,
//   jpeg-16-bytes, jpeg-truncated, jpeg-lossless, jpeg-6.4MB
QByteArray hostilePicture(const QString& kind);

// The valid bitmaps above show this picture: the top half red, the bottom half blue, 64 x 32.
QImage hostileReference();

// A JPEG of `upright` stored turned so that EXIF `orientation` (1..8) shows it upright.
QByteArray jpegWithOrientation(const QImage& upright, int orientation);

// The folder of the committed hostile files.
QString hostileDataFolder();

} // namespace tavik::test
