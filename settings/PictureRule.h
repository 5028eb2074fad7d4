#pragma once
// Which picture files the game takes and which the preview refuses.

#include <QSize>
#include <QString>

namespace tavik {

constexpr qint64 kJpgLimit = 75000;
constexpr qint64 kBmpLimit = 800000;

// The last three characters of a path in lower case: "jpg" and "bmp" are pictures.
QString endungVon(const QString& path);

// The byte limit for an extension, or 0 when it is not a picture extension.
qint64 grenzeFuer(const QString& endung);

// The preview refuses a picture above its limit; one exactly at the limit is shown.
bool zuGrossFuerVorschau(const QString& endung, qint64 bytes);

// Taken into a game: a jpg under 75000 bytes or a bmp under 800000 bytes, and a regular,
// readable file whose header reads as a picture of sane size (it could never be shown
// on a card otherwise).
bool fuerSpielAnnehmbar(const QString& path);

// The preview box in twips: the natural size at 15 twips a pixel fitted into 1500 x 1500.
QSize vorschauTwips(QSize naturalPixels);

} // namespace tavik
