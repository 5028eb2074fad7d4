// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP side of the header inspection. A bitmap is taken only when its bytes hold every
// pixel its header promises: the decoder leaves the rest of a short file's image as it
// found the memory, so a truncated file would show whatever the heap held.

#include <QtEndian>

#include "pictures/PictureHeader.h"

namespace tavik {

namespace {

constexpr quint32 kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

quint32 u32At(QByteArrayView b, qsizetype i)
{
    return qFromLittleEndian<quint32>(b.data() + i);
}
quint32 u16At(QByteArrayView b, qsizetype i)
{
    return qFromLittleEndian<quint16>(b.data() + i);
}

// A colour mask must be one run of bits inside the pixel; masks must not overlap.
bool saneMasks(const quint32 (&masks)[4], int bits)
{
    const quint64 pixel = bits == 32 ? 0xFFFFFFFFull : (1ull << bits) - 1;
    quint32 seen = 0;
    for (int i = 0; i < 4; ++i) {
        const quint32 m = masks[i];
        if (m == 0) {
            if (i < 3)
                return false; // red, green and blue must each have bits; alpha may be absent
            continue;
        }
        const quint32 shifted = m >> qCountTrailingZeroBits(m);
        if ((shifted & (shifted + 1)) != 0 || (m & ~pixel) != 0 || (m & seen) != 0)
            return false;
        seen |= m;
    }
    return true;
}

// Walks a run-length stream and accepts it only when it writes every pixel of every row,
// with no skips, before its data ends: the decoder would leave skipped pixels unset.
bool rleCoversEveryPixel(QByteArrayView data, qint64 width, qint64 height, bool fourBit)
{
    qint64 x = 0, y = 0;
    qsizetype i = 0;
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(data[k]); };
    while (y < height) {
        if (i + 2 > data.size())
            return false;
        const int count = at(i), value = at(i + 1);
        i += 2;
        if (count > 0) { // a run of one value
            if (x + count > width)
                return false;
            x += count;
            continue;
        }
        if (value == 0 || value == 1) { // end of line, end of bitmap
            if (x != width)
                return false;
            x = 0;
            ++y;
            if (value == 1)
                return y == height;
            continue;
        }
        if (value == 2) // a jump leaves pixels unset
            return false;
        // Literal pixels, padded to an even number of bytes.
        const qsizetype bytes = fourBit ? (value + 1) / 2 : value;
        if (x + value > width || i + bytes > data.size())
            return false;
        x += value;
        i += (bytes + 1) & ~qsizetype(1);
    }
    return true;
}

} // namespace

std::optional<PictureHeader> inspectBmp(QByteArrayView b)
{
    if (b.size() < 26 || b[0] != 'B' || b[1] != 'M')
        return std::nullopt;
    const quint32 offset = u32At(b, 10);
    const quint32 headerSize = u32At(b, 14);
    const bool core = headerSize == 12; // OS/2 1.x: 16-bit sizes, three-byte palette entries
    const bool info = headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108
                      || headerSize == 124;
    if ((!core && !info) || b.size() < 14 + qsizetype(headerSize))
        return std::nullopt;
    PictureHeader h;
    h.format = PictureFormat::Bmp;
    qint64 width, height;
    int planes;
    quint32 compression = kRgb, colours = 0;
    if (core) {
        width = u16At(b, 18);
        height = u16At(b, 20);
        planes = int(u16At(b, 22));
        h.bitsPerPixel = int(u16At(b, 24));
    } else {
        width = qint32(u32At(b, 18));
        height = qint32(u32At(b, 22));
        planes = int(u16At(b, 26));
        h.bitsPerPixel = int(u16At(b, 28));
        compression = u32At(b, 30);
        colours = u32At(b, 46);
    }
    const int bits = h.bitsPerPixel;
    const bool topDown = height < 0; // rows stored from the top: valid, and decoded upright
    height = std::abs(height);
    if (planes != 1 || width <= 0 || height <= 0 || width > 65535 || height > 65535)
        return std::nullopt;
    const bool bitsOk = core ? (bits == 1 || bits == 4 || bits == 8 || bits == 24)
                             : (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool compressionOk = compression == kRgb || (compression == kRle8 && bits == 8)
                               || (compression == kRle4 && bits == 4)
                               || (compression == kBitFields && (bits == 16 || bits == 32));
    if (!bitsOk || !compressionOk || (topDown && compression != kRgb && compression != kBitFields))
        return std::nullopt;

    qsizetype tableStart = 14 + headerSize;
    if (compression == kBitFields) {
        const qsizetype maskStart = headerSize == 40 ? tableStart : 14 + 40;
        if (headerSize == 40)
            tableStart += 12;
        if (b.size() < maskStart + 12)
            return std::nullopt;
        quint32 masks[4] = {u32At(b, maskStart), u32At(b, maskStart + 4), u32At(b, maskStart + 8),
                            headerSize >= 56 ? u32At(b, maskStart + 12) : 0u};
        if (!saneMasks(masks, bits))
            return std::nullopt;
    }
    // The colour table: at most one entry per possible pixel value, and it must end
    // before the pixels begin.
    const qint64 maxColours = bits <= 8 ? (1ll << bits) : 256;
    if (colours > maxColours)
        return std::nullopt;
    const qint64 tableEntries = bits <= 8 ? (colours ? colours : maxColours) : colours;
    const qint64 tableEnd = tableStart + tableEntries * (core ? 3 : 4);
    if (offset < tableEnd || offset > b.size())
        return std::nullopt;

    const QByteArrayView pixels = b.sliced(offset);
    if (compression == kRle8 || compression == kRle4) {
        h.runLength = true;
        if (!rleCoversEveryPixel(pixels, width, height, compression == kRle4))
            return std::nullopt;
    } else {
        const qint64 rowBytes = (width * bits + 31) / 32 * 4;
        if (pixels.size() < rowBytes * height)
            return std::nullopt;
    }
    h.stored = QSize(int(width), int(height));
    return h;
}

} // namespace tavik
