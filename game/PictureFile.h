#pragma once
// Reading picture files safely: the size from the header first, a decode only of what is sane.

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

namespace tavik {

// Pictures larger than this are refused rather than decoded into huge memory.
constexpr int kMaxPictureSide = 16384;
constexpr long long kMaxPicturePixels = 16LL * 1024 * 1024;
// A JPEG is decoded scan by scan; ordinary ones have at most a dozen scans, while a file
// with hundreds of them could keep the decoder busy for seconds.
constexpr int kMaxJpegScans = 64;

// The natural size of a regular, readable picture file whose header reads as an image of
// sane dimensions. Nothing for anything else. Reads the header only, never decodes.
std::optional<QSize> pictureSize(const QString& path);

// The picture decoded at `size` (scaled while decoding where the format allows it), or a
// null image when the file cannot be read or decoded.
QImage loadPicture(const QString& path, QSize size);

// The picture fitted into a square of side `box`: the fitted size (invalid when the file
// cannot be measured) and the picture at that size (null when it cannot be decoded).
// Opens the file once.
std::pair<QSize, QImage> loadFitted(const QString& path, int box);

} // namespace tavik
