#include "settings/PictureRule.h"

#include <QFileInfo>

#include "game/Fit.h"
#include "game/PictureFile.h"

namespace tavik {

QString endungVon(const QString& path)
{
    return path.right(3).toLower();
}

qint64 grenzeFuer(const QString& endung)
{
    if (endung == QLatin1String("jpg"))
        return kJpgLimit;
    if (endung == QLatin1String("bmp"))
        return kBmpLimit;
    return 0;
}

bool zuGrossFuerVorschau(const QString& endung, qint64 bytes)
{
    const qint64 limit = grenzeFuer(endung);
    return limit > 0 && bytes > limit;
}

bool fuerSpielAnnehmbar(const QString& path)
{
    const qint64 limit = grenzeFuer(endungVon(path));
    if (limit == 0)
        return false;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() >= limit)
        return false;
    return pictureSize(path).has_value();
}

QSize vorschauTwips(QSize naturalPixels)
{
    return fitToSquare(naturalPixels.width() * 15, naturalPixels.height() * 15, 1500);
}

} // namespace tavik
