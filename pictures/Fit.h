#pragma once
#include <QSize>

namespace tavik {

// Fits a picture of natural size w x h into a square of side `limit`, keeping its
// proportions: the longer side becomes `limit`, the shorter one is cut to a whole number.
// The ratio and the product are single-precision, as the display boxes have always done
// it (300 x 200 into 169 gives 169 x 112; 2000 x 10 gives 169 x 0).
inline QSize fitToSquare(int w, int h, int limit)
{
    if (w <= 0 || h <= 0)
        return QSize(0, 0);
    const float r = static_cast<float>(w) / static_cast<float>(h);
    const float side = static_cast<float>(limit);
    if (r > 1.0f)
        return QSize(limit, static_cast<int>(side / r));
    return QSize(static_cast<int>(r * side), limit);
}

// The same rule for an area that need not be square: the picture touches the area's
// width when it is relatively wider than the area, its height otherwise.
inline QSize fitInto(QSize natural, QSize area)
{
    if (area.width() == area.height())
        return fitToSquare(natural.width(), natural.height(), area.width());
    if (natural.width() <= 0 || natural.height() <= 0 || area.width() <= 0 || area.height() <= 0)
        return QSize(0, 0);
    const float r = static_cast<float>(natural.width()) / static_cast<float>(natural.height());
    const float areaRatio = static_cast<float>(area.width()) / static_cast<float>(area.height());
    if (r > areaRatio)
        return QSize(area.width(), static_cast<int>(static_cast<float>(area.width()) / r));
    return QSize(static_cast<int>(r * static_cast<float>(area.height())), area.height());
}

// The preview box in twips: the upright size at 15 twips a pixel fitted into 1500 x 1500.
inline QSize previewTwips(QSize naturalPixels)
{
    return fitToSquare(naturalPixels.width() * 15, naturalPixels.height() * 15, 1500);
}

} // namespace tavik
