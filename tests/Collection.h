#pragma once
// Sammle_Bilder: walks the first `count` entries of a file list and takes every acceptable
// picture until a board's pairs are together.

#include <QString>
#include <functional>

namespace tavik {

struct Sammlung {
    QString ordner;                          // the folder of the list
    std::function<QString(int)> entry;     // entry i, empty past the end
    int pairsNeeded = 0;                     // N x N / 2
    std::function<bool(const QString&)> annehmbar;
    std::function<void(const QString&)> nimm; // appends a path to the game's list
};

// Examines entries 0 .. count - 1 (none when count <= 0). Adds 1 to ersteAnzahl per picture
// taken and stops as soon as it equals the pairs needed; later entries are not examined.
// picturePath ends as the last path examined.
void sammleBilder(const Sammlung& s, double count, int& ersteAnzahl, QString& picturePath);

} // namespace tavik
