#include "tests/Collection.h"

#include "platform/FileSystem.h"

namespace tavik {

void sammleBilder(const Sammlung& s, double count, int& ersteAnzahl, QString& picturePath)
{
    for (int i = 0; i < count; ++i) {
        const QString name = s.entry(i);
        picturePath = joinPath(s.ordner, name);
        if (name.isEmpty())
            continue;
        if (s.annehmbar(picturePath)) {
            s.nimm(picturePath);
            ++ersteAnzahl;
        }
        if (ersteAnzahl == s.pairsNeeded)
            return;
    }
}

} // namespace tavik
