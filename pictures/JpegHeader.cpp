// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG side of the header inspection: walks the markers of the whole file, so that the
// frame type, the components and every scan are known before a decoder sees the file.

#include <QList>
#include <QtEndian>
#include <algorithm>

#include "pictures/PictureHeader.h"

namespace tavik {

namespace {

struct Component {
    int id = 0;
    int h = 1;
    int v = 1;
    qint64 blocks = 0;
};

struct Reader {
    QByteArrayView bytes;
    qsizetype pos = 0;
    bool has(qsizetype n) const { return pos + n <= bytes.size(); }
    int byteAt(qsizetype i) const { return static_cast<unsigned char>(bytes[i]); }
    int u16At(qsizetype i) const { return byteAt(i) << 8 | byteAt(i + 1); }
};

qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

// The orientation tag of an EXIF block (APP1 after "Exif\0\0"); 1 when absent or odd.
int exifOrientation(QByteArrayView app1)
{
    if (app1.size() < 14 || app1.first(6) != QByteArrayView("Exif\0\0", 6))
        return 1;
    const QByteArrayView tiff = app1.sliced(6);
    const bool little = tiff.first(2) == QByteArrayView("II");
    if (!little && tiff.first(2) != QByteArrayView("MM"))
        return 1;
    auto u16 = [&](qsizetype i) -> quint32 {
        return little ? qFromLittleEndian<quint16>(tiff.data() + i) : qFromBigEndian<quint16>(tiff.data() + i);
    };
    auto u32 = [&](qsizetype i) -> quint32 {
        return little ? qFromLittleEndian<quint32>(tiff.data() + i) : qFromBigEndian<quint32>(tiff.data() + i);
    };
    const quint32 ifd = u32(4);
    if (ifd > quint32(tiff.size()) || tiff.size() - ifd < 2)
        return 1;
    const quint32 count = u16(ifd);
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype entry = ifd + 2 + 12 * qsizetype(i);
        if (entry + 12 > tiff.size())
            break;
        if (u16(entry) == 0x0112 && u16(entry + 2) == 3) {
            const quint32 value = u16(entry + 8);
            return value >= 1 && value <= 8 ? int(value) : 1;
        }
    }
    return 1;
}

// Skips entropy-coded data: inside it a 0xFF is followed by 0x00 (a stuffed byte) or by a
// restart marker, so the first other marker ends the scan.
qsizetype endOfScanData(const Reader& r, qsizetype from)
{
    for (qsizetype i = from; i + 1 < r.bytes.size(); ++i) {
        if (r.byteAt(i) != 0xFF)
            continue;
        const int next = r.byteAt(i + 1);
        if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
            return i;
    }
    return r.bytes.size();
}

} // namespace

std::optional<PictureHeader> inspectJpeg(QByteArrayView bytes)
{
    Reader r{bytes, 2};
    if (bytes.size() < 4 || r.byteAt(0) != 0xFF || r.byteAt(1) != 0xD8)
        return std::nullopt;
    PictureHeader h;
    h.format = PictureFormat::Jpeg;
    QList<Component> components;
    bool frameSeen = false;
    bool ended = false;
    while (r.has(2)) {
        if (r.byteAt(r.pos) != 0xFF)
            return std::nullopt;
        int marker = r.byteAt(r.pos + 1);
        if (marker == 0xFF) { // fill byte
            ++r.pos;
            continue;
        }
        r.pos += 2;
        if (marker == 0xD9) { // end of image
            ended = true;
            break;
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue;
        if (marker == 0xD8 || !r.has(2))
            return std::nullopt;
        const int length = r.u16At(r.pos);
        if (length < 2 || !r.has(length))
            return std::nullopt;
        const QByteArrayView segment = bytes.sliced(r.pos + 2, length - 2);
        const qsizetype segmentEnd = r.pos + length;
        const bool isFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (marker == 0xE1 && h.orientation == 1) {
            h.orientation = exifOrientation(segment);
        } else if (isFrame) {
            // Only what the decoder can do: sequential or progressive, Huffman or
            // arithmetic, 8-bit samples. Lossless and hierarchical frames are refused.
            const bool supported = marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9
                                   || marker == 0xCA;
            if (frameSeen || !supported || segment.size() < 6)
                return std::nullopt;
            frameSeen = true;
            h.progressive = marker == 0xC2 || marker == 0xCA;
            h.arithmetic = marker == 0xC9 || marker == 0xCA;
            const auto s = [&](int i) { return static_cast<unsigned char>(segment[i]); };
            const int precision = s(0);
            const int height = s(1) << 8 | s(2);
            const int width = s(3) << 8 | s(4);
            h.components = s(5);
            if (precision != 8 || width == 0 || height == 0 // a height of 0 waits for a DNL marker
                || !(h.components == 1 || h.components == 3 || h.components == 4)
                || segment.size() < 6 + 3 * h.components)
                return std::nullopt;
            h.stored = QSize(width, height);
            int hMax = 1, vMax = 1;
            for (int c = 0; c < h.components; ++c) {
                Component comp{s(6 + 3 * c), s(7 + 3 * c) >> 4, s(7 + 3 * c) & 15, 0};
                if (comp.h < 1 || comp.h > 4 || comp.v < 1 || comp.v > 4)
                    return std::nullopt;
                hMax = std::max(hMax, comp.h);
                vMax = std::max(vMax, comp.v);
                components << comp;
            }
            // The decoder keeps whole MCU rows and columns, so each component is padded
            // up to a multiple of its sampling factor in blocks.
            for (Component& comp : components) {
                const qint64 bw = ceilDiv(ceilDiv(qint64(width) * comp.h, hMax), 8);
                const qint64 bh = ceilDiv(ceilDiv(qint64(height) * comp.v, vMax), 8);
                comp.blocks = ceilDiv(bw, comp.h) * comp.h * ceilDiv(bh, comp.v) * comp.v;
                h.blocks += comp.blocks;
            }
        } else if (marker == 0xDA) {
            if (!frameSeen || segment.size() < 1)
                return std::nullopt;
            const int count = static_cast<unsigned char>(segment[0]);
            if (count < 1 || count > 4 || segment.size() < 1 + 2 * count)
                return std::nullopt;
            for (int i = 0; i < count; ++i) {
                const int id = static_cast<unsigned char>(segment[1 + 2 * i]);
                const auto it = std::find_if(components.cbegin(), components.cend(),
                                             [&](const Component& c) { return c.id == id; });
                if (it == components.cend())
                    return std::nullopt;
                h.blockScans += it->blocks;
            }
            if (++h.scans > kMaxJpegScans)
                return std::nullopt;
            r.pos = endOfScanData(r, segmentEnd);
            continue;
        }
        r.pos = segmentEnd;
    }
    // A file cut short would be decoded with its missing part filled in grey: refused.
    if (!frameSeen || h.scans == 0 || !ended)
        return std::nullopt;
    return h;
}

} // namespace tavik
