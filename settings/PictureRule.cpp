#include "settings/PictureRule.h"

#include "pictures/Fit.h"
#include "pictures/PictureDecoder.h"

namespace tavik {

bool zuGrossFuerVorschau(const QString& endung, qint64 bytes)
{
    const qint64 limit = grenzeFuer(endung);
    return limit > 0 && bytes > limit;
}

bool fuerSpielAnnehmbar(const QString& path)
{
    return acceptableForGame(path);
}

QSize vorschauTwips(QSize naturalPixels)
{
    return fitToSquare(naturalPixels.width() * 15, naturalPixels.height() * 15, 1500);
}

} // namespace tavik
