#include "rules/Partie.h"

namespace tavik {

void Game::start(int n, float startTime)
{
    StartZeit = startTime;
    KlickKarteNr = 0;
    Versuche = 0;
    Gefunden = 0;
    for (size_t slot = 1; slot < KartenBild.size(); ++slot)
        KartenBild[slot].clear();
    Spielfeldgroesse = n;
    dealt_ = false;
}

bool Game::deal(const QStringList& pictures, RandomSource& random)
{
    if (pictures.size() < pairCount())
        return false;
    // The list never holds more than a board's pairs; the table could not take more.
    Bildanzahl = std::min(static_cast<int>(pictures.size()), pairCount());
    layPairs(KartenBild, pictures.mid(0, Bildanzahl));
    shuffle(KartenBild, Spielfeldgroesse, Bildanzahl, random);
    dealt_ = true;
    return true;
}

CardClick Game::click(int index)
{
    CardClick k;
    k.card = index;
    if (index < 0 || index >= Spielfeldgroesse * Spielfeldgroesse)
        return k;
    if (KlickKarteNr == 0) {
        k.kind = CardClick::Kind::FirstCard;
        k.box = 0;
        KlickKarteNr = 1;
        KartenNr1 = index;
        return k;
    }
    if (index == KartenNr1)
        return k; // the open card again: the attempt stays open

    k.kind = CardClick::Kind::SecondCard;
    k.box = 1;
    k.firstCard = KartenNr1;
    KlickKarteNr = 0;
    ++Versuche;
    // Exact, case-sensitive comparison of the two paths.
    k.pair = pictureOf(KartenNr1) == pictureOf(index);
    if (k.pair) {
        ++Gefunden;
        k.gameEnd = Gefunden == pairCount();
    }
    return k;
}

} // namespace tavik
