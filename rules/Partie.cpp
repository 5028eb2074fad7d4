#include "rules/Partie.h"

namespace tavik {

void Partie::beginne(int n, float startZeit)
{
    StartZeit = startZeit;
    KlickKarteNr = 0;
    Versuche = 0;
    Gefunden = 0;
    for (size_t slot = 1; slot < KartenBild.size(); ++slot)
        KartenBild[slot].clear();
    Spielfeldgroesse = n;
    ausgeteilt_ = false;
}

bool Partie::teileAus(const QStringList& bilder, RandomSource& random)
{
    if (bilder.size() < paareGesamt())
        return false;
    // The list never holds more than a board's pairs; the table could not take more.
    Bildanzahl = std::min(static_cast<int>(bilder.size()), paareGesamt());
    legePaare(KartenBild, bilder.mid(0, Bildanzahl));
    mische(KartenBild, Spielfeldgroesse, Bildanzahl, random);
    ausgeteilt_ = true;
    return true;
}

Klick Partie::klicke(int index)
{
    Klick k;
    k.karte = index;
    if (index < 0 || index >= Spielfeldgroesse * Spielfeldgroesse)
        return k;
    if (KlickKarteNr == 0) {
        k.art = Klick::Art::ErsteKarte;
        k.box = 0;
        KlickKarteNr = 1;
        KartenNr1 = index;
        return k;
    }
    if (index == KartenNr1)
        return k; // the open card again: the attempt stays open

    k.art = Klick::Art::ZweiteKarte;
    k.box = 1;
    k.ersteKarte = KartenNr1;
    KlickKarteNr = 0;
    ++Versuche;
    // Exact, case-sensitive comparison of the two paths.
    k.paar = bildVon(KartenNr1) == bildVon(index);
    if (k.paar) {
        ++Gefunden;
        k.spielEnde = Gefunden == paareGesamt();
    }
    return k;
}

} // namespace tavik
