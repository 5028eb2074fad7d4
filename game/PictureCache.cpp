#include "game/PictureCache.h"

#include "game/PictureFile.h"

namespace tavik {

const PictureCache::Bild& PictureCache::bild(const QString& path)
{
    auto it = bilder_.constFind(path);
    if (it != bilder_.constEnd())
        return *it;
    auto [groesse, image] = loadFitted(path, boxSide_);
    return *bilder_.insert(path, Bild{QPixmap::fromImage(std::move(image)), groesse});
}

} // namespace tavik
