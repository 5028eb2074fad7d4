#include "game/PictureFile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <QImageReader>

#include "game/Fit.h"

namespace tavik {

namespace {

bool saneSize(const QSize& size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide
           && size.height() <= kMaxPictureSide
           && static_cast<long long>(size.width()) * size.height() <= kMaxPicturePixels;
}

bool isReadableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

// An uncompressed bitmap must hold all the rows its header promises; a truncated one
// would pass the header check yet never show.
bool bitmapComplete(const QString& path, QSize size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = file.read(34);
    if (h.size() < 34 || !h.startsWith("BM"))
        return true; // not a plain bitmap: the decoder decides
    const quint32 offset = qFromLittleEndian<quint32>(h.constData() + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(h.constData() + 14);
    if (headerSize < 40)
        return true;
    const quint16 bits = qFromLittleEndian<quint16>(h.constData() + 28);
    const quint32 compression = qFromLittleEndian<quint32>(h.constData() + 30);
    if (compression != 0 || bits == 0 || bits > 32)
        return true;
    const qint64 rowBytes = ((static_cast<qint64>(size.width()) * bits + 31) / 32) * 4;
    return file.size() >= static_cast<qint64>(offset) + rowBytes * size.height();
}

// Counts the start-of-scan markers; inside the coded data a 0xFF byte is always followed
// by 0x00, so each FF DA pair is a real marker.
bool tooManyScans(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray bytes = file.read(4 * 1024 * 1024);
    return bytes.count(QByteArrayView("\xFF\xDA", 2)) > kMaxJpegScans;
}

// Opens a reader on a picture of sane size; its natural size, or nothing.
std::optional<QSize> openSane(QImageReader& reader, const QString& path)
{
    if (!isReadableFile(path))
        return std::nullopt;
    reader.setFileName(path);
    const QSize size = reader.size();
    if (!saneSize(size))
        return std::nullopt;
    if (reader.format() == "jpeg" && tooManyScans(path))
        return std::nullopt;
    return size;
}

QImage decodeAt(QImageReader& reader, QSize natural, QSize size)
{
    // A JPEG is scaled while it is decoded, much cheaper than decoding it whole.
    if (size != natural && reader.format() == "jpeg")
        reader.setScaledSize(size);
    QImage image = reader.read();
    if (image.isNull() || image.size() == size)
        return image;
    // A large reduction in two steps: a quick one to twice the size, then a smooth halving,
    // which looks the same as one smooth step at a fraction of its cost.
    if (image.width() > 2 * size.width() && image.height() > 2 * size.height())
        image = image.scaled(size * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

std::optional<QSize> pictureSize(const QString& path)
{
    QImageReader reader;
    const std::optional<QSize> size = openSane(reader, path);
    if (!size || !reader.canRead())
        return std::nullopt;
    if (reader.format() == "bmp" && !bitmapComplete(path, *size))
        return std::nullopt;
    return size;
}

std::pair<QSize, QImage> loadFitted(const QString& path, int box)
{
    QImageReader reader;
    const std::optional<QSize> natural = openSane(reader, path);
    if (!natural)
        return {};
    const QSize fitted = fitToSquare(natural->width(), natural->height(), box);
    if (fitted.isEmpty())
        return {fitted, QImage()}; // nothing to draw in a box without height
    return {fitted, decodeAt(reader, *natural, fitted)};
}

QImage loadPicture(const QString& path, QSize size)
{
    QImageReader reader;
    const std::optional<QSize> natural = openSane(reader, path);
    if (!natural || size.isEmpty())
        return {};
    return decodeAt(reader, *natural, size);
}

} // namespace tavik
