#pragma once
// Putting every picture on two cards and mixing the cards.

#include <QString>
#include <QStringList>
#include <array>

#include "rules/RandomSource.h"

namespace tavik {

// Slot i + 1 holds the picture path of card i; slot 0 is never used.
using KartenBildTable = std::array<QString, 101>;

// Entry i of the list goes to slots 2i + 1 and 2i + 2, for as many entries as the table holds.
void layPairs(KartenBildTable& cardPictures, const QStringList& pictures);

// The partner slot for a draw r: 1 + floor(r * 2 * (B - 1)), so 1 .. 2B - 2.
int partnerSlot(float r, int pictureCount);

// Ten passes over the slots 1 .. N x N, each exchanged with a drawn partner slot.
void shuffle(KartenBildTable& cardPictures, int n, int pictureCount, RandomSource& random);

// Where `path` goes in a list kept in alphabetical order without regard to case
// (behind entries that compare equal).
int sortedPosition(const QStringList& list, const QString& path);

} // namespace tavik
