// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/CostModel.h"

#include <algorithm>

namespace tavik {

namespace {

// Nanoseconds on the development machine, each rounded up from the slowest file measured
// with tools/picture_cost (see the README's section on the picture budget).
constexpr double kHuffmanNsPerBlockScan = 10.0;    // a block visited by a Huffman-coded scan
constexpr double kArithmeticNsPerBlockScan = 25.0; // the same, arithmetic-coded: no end-of-band runs
constexpr double kHuffmanNsPerByte = 40.0;         // the coded data itself
constexpr double kArithmeticNsPerByte = 200.0;     // arithmetic decoding is slower per bit
constexpr double kNsPerBlockOutput = 25.0;         // dequantising and the inverse DCT of one block, full size
constexpr double kNsPerOutputPixel = 4.0;          // colour conversion and storing one decoded pixel
constexpr double kNsPerScaledSourcePixel = 6.0;    // the smooth scale, per source pixel
constexpr double kNsPerBitmapPixel = 3.0;          // reading one bitmap pixel
constexpr double kSetUpMs = 1.0;                   // opening a decoder at all

qint64 area(QSize s)
{
    return qint64(std::max(0, s.width())) * std::max(0, s.height());
}

int bitmapBytesPerPixel(int bits)
{
    return bits <= 8 ? 1 : 4; // palette pictures come out as indexed, others as 32-bit
}

} // namespace

int jpegScaleDenominator(QSize stored, QSize device)
{
    if (device.isEmpty())
        return 1;
    const int ratio = std::min(stored.width() / device.width(), stored.height() / device.height());
    return ratio >= 8 ? 8 : ratio >= 4 ? 4 : ratio >= 2 ? 2 : 1;
}

DecodeCost predictDecodeCost(const PictureHeader& h, qint64 fileBytes, QSize device)
{
    DecodeCost cost;
    const qint64 deviceBytes = area(device) * 4;
    if (h.format == PictureFormat::Jpeg) {
        const int denom = jpegScaleDenominator(h.stored, device);
        const QSize out((h.stored.width() + denom - 1) / denom, (h.stored.height() + denom - 1) / denom);
        const bool scaledAfter = out != device;
        // Several scans keep every coefficient of the picture in memory until the last one.
        const bool buffered = h.progressive || h.scans > 1;
        const double entropy =
            h.arithmetic ? double(h.blockScans) * kArithmeticNsPerBlockScan + double(fileBytes) * kArithmeticNsPerByte
                         : double(h.blockScans) * kHuffmanNsPerBlockScan + double(fileBytes) * kHuffmanNsPerByte;
        const double output = double(h.blocks) * kNsPerBlockOutput / std::max(1, denom)
                              + double(area(out)) * kNsPerOutputPixel * std::max(1, h.components) / 3.0;
        const double scale = scaledAfter ? double(area(out)) * kNsPerScaledSourcePixel : 0.0;
        cost.cpuMs = kSetUpMs + (entropy + output + scale) / 1e6;
        cost.bytes = (buffered ? h.blocks * 64 * 2 : 0) + area(out) * 4 + (scaledAfter ? deviceBytes : 0);
    } else {
        const qint64 pixels = area(h.stored);
        const bool scaledAfter = h.upright() != device;
        cost.cpuMs = kSetUpMs + (double(pixels) * kNsPerBitmapPixel + (scaledAfter ? pixels * kNsPerScaledSourcePixel : 0.0))
                     / 1e6;
        // A smooth scale converts the picture to 32 bits first and needs a little more
        // besides (measured: about 5 bytes a pixel above the decoded picture).
        cost.bytes = pixels * bitmapBytesPerPixel(h.bitsPerPixel) + (scaledAfter ? pixels * 5 + deviceBytes : 0);
    }
    // Turning the picture upright copies it once.
    if (h.orientation > 1)
        cost.bytes += deviceBytes;
    return cost;
}

bool withinBudget(const DecodeCost& cost)
{
    return cost.cpuMs <= kBudgetCpuMs && cost.bytes <= kBudgetBytes;
}

} // namespace tavik
