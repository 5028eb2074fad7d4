// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a picture file's bytes say about it, found without decoding: the format by its
// magic bytes (never by its name), the size, the EXIF orientation and what the decoder
// would have to do.

#include <QByteArrayView>
#include <QSize>
#include <optional>

namespace tavik {

enum class PictureFormat { Jpeg, Bmp };

struct PictureHeader {
    PictureFormat format = PictureFormat::Jpeg;
    QSize stored;           // width x height as the rows lie in the file
    int orientation = 1;    // EXIF orientation 1..8; 5..8 turn the picture by a quarter
    // JPEG
    int components = 0;     // 1 grey, 3 colour, 4 CMYK or YCCK
    bool progressive = false;
    bool arithmetic = false;
    int scans = 0;
    qint64 blocks = 0;      // 8x8 blocks of all components, padded to whole MCUs
    qint64 blockScans = 0;  // blocks visited, summed over all scans
    // BMP
    int bitsPerPixel = 0;
    bool runLength = false; // RLE8 or RLE4

    // The size as the picture is meant to be seen: width and height swapped for 5..8.
    QSize upright() const;
};

// Ordinary encoders write at most a dozen scans; far more is refused outright, whatever the
// cost model says, since each scan also costs a pass of set-up the model does not count.
constexpr int kMaxJpegScans = 64;

// The bytes needed to tell a JPEG or a BMP from anything else.
constexpr int kMagicBytes = 3;
// True when `head` (the first kMagicBytes or more) begins like a JPEG or a BMP.
bool looksLikePicture(QByteArrayView head);

// The header of a whole file's bytes. Nothing when the bytes are not a sane JPEG or BMP,
// when they are shorter than the header says, or when the decoder would be asked for
// something it cannot do (lossless or hierarchical JPEG, 12-bit samples, broken masks).
std::optional<PictureHeader> inspectPicture(QByteArrayView bytes);
std::optional<PictureHeader> inspectJpeg(QByteArrayView bytes);
std::optional<PictureHeader> inspectBmp(QByteArrayView bytes);

} // namespace tavik
