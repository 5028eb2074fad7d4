#include "game/PictureFile.h"

#include "pictures/PictureDecoder.h"

namespace tavik {

std::optional<QSize> pictureSize(const QString& path)
{
    return uprightSize(path);
}

QImage loadPicture(const QString& path, QSize size)
{
    return decodeExactly(path, size);
}

std::pair<QSize, QImage> loadFitted(const QString& path, int box)
{
    Decoded d = decodeFitted(path, QSize(box, box), 1.0);
    return {d.fitted, std::move(d.image)};
}

} // namespace tavik
