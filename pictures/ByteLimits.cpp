#include "pictures/ByteLimits.h"

#include "platform/FileSystem.h"

namespace tavik {

QString endungVon(const QString& path)
{
    return path.right(3).toLower();
}

qint64 grenzeFuer(const QString& endung)
{
    if (endung == kJpgExtension)
        return kJpgLimit;
    if (endung == kBmpExtension)
        return kBmpLimit;
    return 0;
}

bool zuGrossFuerVorschau(const QString& endung, std::optional<qint64> bytes)
{
    const qint64 limit = grenzeFuer(endung);
    return limit > 0 && bytes && *bytes > limit;
}

} // namespace tavik
