// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/HostilePictures.h"

#include <QBuffer>
#include <QtEndian>

#include "tests/TestPictures.h"

namespace tavik::test {

namespace {

constexpr int kW = 64, kH = 32;

// The colour index of a pixel of the reference picture: 1 red on top, 2 blue below.
int indexAt(int, int y)
{
    return y < kH / 2 ? 1 : 2;
}

void putU16(QByteArray& b, int at, quint32 v)
{
    qToLittleEndian<quint16>(quint16(v), b.data() + at);
}
void putU32(QByteArray& b, int at, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + at);
}

struct Bmp {
    int headerSize = 40;
    int bits = 24;
    quint32 compression = 0;
    int height = kH; // negative: rows from the top
    quint32 colours = 0;
    QList<quint32> masks;
    QByteArray palette;
    QByteArray pixels;
};

QByteArray assemble(const Bmp& b)
{
    const int core = b.headerSize == 12;
    QByteArray h(14 + b.headerSize, '\0');
    h[0] = 'B';
    h[1] = 'M';
    QByteArray masks;
    for (quint32 m : b.masks) {
        QByteArray four(4, '\0');
        qToLittleEndian<quint32>(m, four.data());
        masks += four;
    }
    const int offset = int(h.size() + masks.size() + b.palette.size());
    putU32(h, 2, quint32(offset + b.pixels.size()));
    putU32(h, 10, quint32(offset));
    putU32(h, 14, quint32(b.headerSize));
    if (core) {
        putU16(h, 18, kW);
        putU16(h, 20, quint32(b.height));
        putU16(h, 22, 1);
        putU16(h, 24, quint32(b.bits));
    } else {
        putU32(h, 18, kW);
        putU32(h, 22, quint32(b.height));
        putU16(h, 26, 1);
        putU16(h, 28, quint32(b.bits));
        putU32(h, 30, b.compression);
        putU32(h, 46, b.colours);
    }
    return h + masks + b.palette + b.pixels;
}

QByteArray palette(int entries, bool core)
{
    QByteArray p;
    for (int i = 0; i < entries; ++i) {
        // blue, green, red (and a reserved byte): index 1 red, 2 blue, the rest grey
        const QColor c = i == 1 ? QColor(255, 0, 0) : i == 2 ? QColor(0, 0, 255) : QColor(128, 128, 128);
        p += char(c.blue());
        p += char(c.green());
        p += char(c.red());
        if (!core)
            p += '\0';
    }
    return p;
}

// Rows bottom-up unless `topDown`, each padded to four bytes.
QByteArray rows(int bits, bool topDown)
{
    QByteArray out;
    const int rowBytes = (kW * bits + 31) / 32 * 4;
    for (int r = 0; r < kH; ++r) {
        const int y = topDown ? r : kH - 1 - r;
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < kW; ++x) {
            const bool red = indexAt(x, y) == 1;
            if (bits == 24) {
                row[3 * x] = char(red ? 0 : 255);
                row[3 * x + 2] = char(red ? 255 : 0);
            } else if (bits == 8) {
                row[x] = char(indexAt(x, y));
            } else if (bits == 32) {
                qToLittleEndian<quint32>(red ? 0x00FF0000u : 0x000000FFu, row.data() + 4 * x);
            } else if (bits == 16) { // 5-6-5
                const quint16 v = red ? 0xF800 : 0x001F;
                qToLittleEndian<quint16>(v, row.data() + 2 * x);
            }
        }
        out += row;
    }
    return out;
}

// Run-length data: one run per half row of 32 pixels, an end of line after each row, an
// end of bitmap after the last; `jump` puts a jump over pixels into the first row, and
// `shortRow` ends the first row after half its pixels.
QByteArray runLength(bool fourBit, bool jump, bool shortRow = false)
{
    QByteArray out;
    for (int r = 0; r < kH; ++r) {
        const int y = kH - 1 - r;
        const int idx = indexAt(0, y);
        const char value = char(fourBit ? (idx << 4 | idx) : idx);
        if (shortRow && r == 0) {
            out += char(32);
            out += value;
        } else if (jump && r == 0) {
            out += QByteArray("\x00\x02\x20\x00", 4); // skip 32 pixels to the right
            out += char(32);
            out += value;
        } else {
            out += char(32);
            out += value;
            out += char(32);
            out += value;
        }
        out += QByteArray("\x00\x00", 2);
    }
    out += QByteArray("\x00\x01", 2);
    return out;
}

QByteArray bitmap(const QString& kind)
{
    Bmp b;
    if (kind == "bmp-all-ones-masks-32") {
        b.bits = 32;
        b.compression = 3;
        b.masks = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
        b.pixels = rows(32, false);
    } else if (kind.startsWith("bmp-bitfields") || kind == "bmp-all-ones-masks") {
        b.bits = 16;
        b.compression = 3;
        b.masks = kind == "bmp-all-ones-masks" ? QList<quint32>{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}
                                               : QList<quint32>{0xF800, 0x07E0, 0x001F};
        b.pixels = rows(16, false);
    } else if (kind.startsWith("bmp-rle8")) {
        b.bits = 8;
        b.compression = 1;
        b.palette = palette(256, false);
        b.pixels = runLength(false, kind == "bmp-rle8-jump", kind == "bmp-rle8-short-row");
    } else if (kind.startsWith("bmp-rle4")) {
        b.bits = 4;
        b.compression = 2;
        b.palette = palette(16, false);
        b.pixels = runLength(true, false);
    } else if (kind == "bmp-os2-8bit") {
        b.headerSize = 12;
        b.bits = 8;
        b.palette = palette(256, true);
        b.pixels = rows(8, false);
    } else if (kind.startsWith("bmp-os2")) {
        b.headerSize = 12;
        b.pixels = rows(24, false);
    } else if (kind == "bmp-v5") {
        b.headerSize = 124;
        b.pixels = rows(24, false);
    } else if (kind == "bmp-top-down" || kind == "bmp-top-down-short-by-one") {
        b.height = -kH;
        b.pixels = rows(24, true);
    } else if (kind == "bmp-palette-7fffffff") {
        b.bits = 8;
        b.colours = 0x7fffffff;
        b.palette = palette(256, false);
        b.pixels = QByteArray(kW * kH, '\1');
    } else {
        return {};
    }
    QByteArray bytes = assemble(b);
    if (kind.endsWith("-truncated"))
        bytes.chop(b.pixels.size() / 2);
    if (kind.endsWith("-short-by-one"))
        bytes.chop(1);
    return bytes;
}

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFF;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(type + data), crc.data());
    return out + type + data + crc;
}

QByteArray encode(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}

} // namespace

QImage hostileReference()
{
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < kH / 2; ++y)
        for (int x = 0; x < kW; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

QByteArray jpegWithOrientation(const QImage& upright, int orientation)
{
    // The stored picture is the upright one turned back, so that the turn the tag asks for
    // brings it upright again.
    QTransform back;
    bool mirror = false;
    switch (orientation) {
    case 2: mirror = true; break;
    case 3: back.rotate(180); break;
    case 4: back.rotate(180); mirror = true; break;
    case 5: back.rotate(90); mirror = true; break; // transpose
    case 6: back.rotate(-90); break;
    case 7: back.rotate(-90); mirror = true; break; // transverse
    case 8: back.rotate(90); break;
    default: break;
    }
    QImage stored = upright.transformed(back);
    if (mirror)
        stored = stored.mirrored(true, false);
    const QByteArray jpeg = encode(stored, "JPG");
    // APP1 "Exif", big-endian TIFF header, one IFD entry: orientation (0x0112, SHORT, 1).
    QByteArray tiff("MM\x00\x2A\x00\x00\x00\x08\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00"
                    "\x00\x00\x00\x00",
                    26);
    tiff[19] = char(orientation);
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1("\xFF\xE1\x00\x00", 4);
    qToBigEndian<quint16>(quint16(body.size() + 2), app1.data() + 2);
    return jpeg.left(2) + app1 + body + jpeg.mid(2);
}

QByteArray hostilePicture(const QString& kind)
{
    if (kind.startsWith("bmp-"))
        return bitmap(kind);
    if (kind == "gif-huge-screen") {
        QByteArray gif = encode(QImage(1, 1, QImage::Format_Indexed8), "GIF");
        if (gif.isEmpty()) // no GIF writer: a hand-made 1 x 1 GIF
            gif = QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF,\x00\x00\x00\x00"
                             "\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                             35);
        putU16(gif, 6, 0xFFFF);
        putU16(gif, 8, 0xFFFF);
        return gif;
    }
    if (kind == "png-interlaced-16384x1024") {
        QByteArray ihdr(13, '\0');
        qToBigEndian<quint32>(16384, ihdr.data());
        qToBigEndian<quint32>(1024, ihdr.data() + 4);
        ihdr[8] = 8;  // bits per sample
        ihdr[9] = 2;  // RGB
        ihdr[12] = 1; // Adam7 interlace
        return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IEND", {});
    }
    if (kind == "ppm-no-data")
        return "P6\n16384 1024\n255\n";
    if (kind == "pbm-no-data")
        return "P4\n16384 1024\n";
    if (kind == "jpeg-16-bytes")
        return QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00", 16);
    if (kind == "jpeg-truncated") {
        const QByteArray jpeg = encode(hostileReference(), "JPG");
        return jpeg.left(jpeg.size() - 8); // the end marker and the last bytes of the scan
    }
    if (kind == "jpeg-lossless") {
        QByteArray jpeg = jpegClaiming(QSize(64, 32));
        const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
        if (sof >= 0)
            jpeg[sof + 1] = char(0xC3);
        return jpeg;
    }
    if (kind == "jpeg-6.4MB") {
        QByteArray jpeg = encode(hostileReference(), "JPG");
        return jpeg + QByteArray(6400000 - jpeg.size(), '\0');
    }
    return {};
}

QString hostileDataFolder()
{
    return QStringLiteral(TAVIK_TEST_DATA "/pictures");
}

} // namespace tavik::test
