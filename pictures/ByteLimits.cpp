#include "pictures/ByteLimits.h"

#include "platform/FileSystem.h"

namespace tavik {

QString extensionOf(const QString& path)
{
    return path.right(3).toLower();
}

qint64 limitFor(const QString& extension)
{
    if (extension == kJpgExtension)
        return kJpgLimit;
    if (extension == kBmpExtension)
        return kBmpLimit;
    return 0;
}

bool tooLargeForPreview(const QString& extension, std::optional<qint64> bytes)
{
    const qint64 limit = limitFor(extension);
    return limit > 0 && bytes && *bytes > limit;
}

} // namespace tavik
