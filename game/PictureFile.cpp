#include "game/PictureFile.h"

#include <QFileInfo>
#include <QImageReader>

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

} // namespace

std::optional<QSize> pictureSize(const QString& path)
{
    if (!isReadableFile(path))
        return std::nullopt;
    QImageReader reader(path);
    if (!reader.canRead())
        return std::nullopt;
    const QSize size = reader.size();
    if (!saneSize(size))
        return std::nullopt;
    return size;
}

QImage loadPicture(const QString& path, QSize size)
{
    if (!isReadableFile(path) || size.isEmpty())
        return {};
    QImageReader reader(path);
    const QSize natural = reader.size();
    if (!saneSize(natural))
        return {};
    if (size != natural)
        reader.setScaledSize(size);
    QImage image = reader.read();
    if (!image.isNull() && image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace tavik
