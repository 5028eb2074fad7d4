// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the keyboard focus goes on a board with holes: arrow steps across the grid and the
// card that takes over when the focused one vanishes. `onBoard(i)` says whether card i is
// still there.

namespace tavik {

// The card an arrow key leads to from `from`, the direction (dx, dy) being one of (-1, 0),
// (1, 0), (0, -1), (0, 1): the nearest card still on the board straight ahead, jumping over
// vanished cards; with only holes straight ahead, the nearest card in the next row (or
// column) that still holds one, the closest to the straight line, the lower index on a tie.
// So every card stays reachable. At the edge the focus stays: the result is `from`.
template <typename OnBoard>
int cardInDirection(int from, int n, int dx, int dy, OnBoard&& onBoard)
{
    // "along" counts lines in the direction of travel, "across" positions within a line.
    const int along = dx != 0 ? from % n : from / n;
    const int across = dx != 0 ? from / n : from % n;
    const int step = dx + dy;
    auto cardAt = [&](int line, int position) { return dx != 0 ? position * n + line : line * n + position; };
    for (int line = along + step; line >= 0 && line < n; line += step)
        if (onBoard(cardAt(line, across)))
            return cardAt(line, across);
    for (int line = along + step; line >= 0 && line < n; line += step) {
        int best = -1;
        for (int distance = 1; distance < n && best < 0; ++distance) {
            for (int position : {across - distance, across + distance})
                if (position >= 0 && position < n && onBoard(cardAt(line, position))
                    && (best < 0 || cardAt(line, position) < best))
                    best = cardAt(line, position);
        }
        if (best >= 0)
            return best;
    }
    return from;
}

// The next card still on the board after `from` in index order, from the top again past the
// last card; -1 when none is left besides `from`.
template <typename OnBoard>
int nextCardOnBoard(int from, int n, OnBoard&& onBoard)
{
    const int cards = n * n;
    for (int step = 1; step < cards; ++step) {
        const int i = (from + step) % cards;
        if (onBoard(i))
            return i;
    }
    return -1;
}

} // namespace tavik
