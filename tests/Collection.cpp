#include "tests/Collection.h"

#include "platform/FileSystem.h"

namespace tavik {

void sammleBilder(const Sammlung& s, double count, int& ersteAnzahl, QString& bildPfad)
{
    for (int i = 0; i < count; ++i) {
        const QString name = s.eintrag(i);
        bildPfad = joinPath(s.ordner, name);
        if (name.isEmpty())
            continue;
        if (s.annehmbar(bildPfad)) {
            s.nimm(bildPfad);
            ++ersteAnzahl;
        }
        if (ersteAnzahl == s.paareNoetig)
            return;
    }
}

} // namespace tavik
