#pragma once
// Which picture files the game takes and which the preview refuses.

#include <QSize>
#include <QString>

#include "pictures/ByteLimits.h"

namespace tavik {

// The preview refuses a picture above its limit; one exactly at the limit is shown.
bool zuGrossFuerVorschau(const QString& endung, qint64 bytes);

// Taken into a game: see acceptableForGame (pictures/PictureDecoder.h).
bool fuerSpielAnnehmbar(const QString& path);

// The preview box in twips: the upright size at 15 twips a pixel fitted into 1500 x 1500.
QSize vorschauTwips(QSize naturalPixels);

} // namespace tavik
