// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the cards of an N x N board stand inside the board frame.

#include <QString>

namespace tavik {

constexpr int kCardCount = 100;       // the fixed pool of card buttons
constexpr int kGridLeft = 240;        // twips, column 0
constexpr int kGridTop = 360;         // twips, row 0
constexpr int kGridPitch = 600;       // twips between neighbouring cards
constexpr int kCardSize = 615;        // twips; neighbours overlap by one pixel

constexpr bool isBoardSize(int n) { return n == 4 || n == 6 || n == 8 || n == 10; }
constexpr int pairsFor(int n) { return n * n / 2; }

constexpr int cardLeftTwips(int i, int n) { return kGridLeft + kGridPitch * (i % n); }
constexpr int cardTopTwips(int i, int n) { return kGridTop + kGridPitch * (i / n); }

// Side of the board frame in pixels: 441 for 10 x 10, 41 less for each card fewer per side.
constexpr int boardFramePixels(int n) { return 441 - 41 * (10 - n); }

// "Bild Nummer 7...Klicke um umzudrehen"
inline QString cardTooltip(int i)
{
    return QStringLiteral("Bild Nummer %1...Klicke um umzudrehen").arg(i);
}

// Board side for the settings list index 0..3.
constexpr int boardSizeForIndex(int index) { return 2 * index + 4; }

} // namespace tavik
