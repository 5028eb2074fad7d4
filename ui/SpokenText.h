#pragma once
// SPDX-License-Identifier: GPL-3.0-or-later
// The words a screen reader says for the board, where they take more than a literal.

#include <QString>

namespace tavik {

// A card's place on an N x N board, counted from 1 as a player counts:
// card 6 of a 4 x 4 board is "Karte 7, Reihe 2, Spalte 3".
QString cardPlace(int card, int n);

// The picture a path shows, by its file name: without the extension, "_" and "-" read as
// blanks ("/home/anna/Rote_Johannisbeere.jpg" is "Rote Johannisbeere"). A name that would
// say nothing so stays the file name.
QString pictureName(const QString& path);

} // namespace tavik
