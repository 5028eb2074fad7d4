#pragma once
// The state of one game and the rule of play: two cards per attempt, equal paths are a pair.

#include "rules/Deal.h"

namespace tavik {

// What one card click did, for the window to show.
struct Klick {
    enum class Art { Ignoriert, ErsteKarte, ZweiteKarte };
    Art art = Art::Ignoriert;
    int box = 0;          // display box for the clicked card's picture
    int karte = -1;       // the clicked card
    int ersteKarte = -1;  // with ZweiteKarte: the first card of the attempt
    bool paar = false;    // with ZweiteKarte: the two cards are a pair
    bool spielEnde = false; // the pair just found was the last
};

class Partie {
public:
    int Spielfeldgroesse = 10;
    int Bildanzahl = 0;
    int KlickKarteNr = 0;
    int KartenNr1 = -1;
    int Versuche = 0;
    int Gefunden = 0;
    float StartZeit = 0.0f;
    float PauseZeit = 0.0f;
    KartenBildTable KartenBild;

    // A new game at the time of day `startZeit` on an N x N board: counters at 0, slots empty.
    void beginne(int n, float startZeit);

    // Deals the list when it is complete. False, changing nothing, while it is too short.
    bool teileAus(const QStringList& bilder, RandomSource& random);
    bool ausgeteilt() const { return ausgeteilt_; }

    // The click on card `index` (0..99).
    Klick klicke(int index);
    // The end of judging an attempt.
    void schliesseVersuch() { KartenNr1 = -1; }

    const QString& bildVon(int karte) const { return KartenBild[static_cast<size_t>(karte + 1)]; }
    int paareGesamt() const { return Spielfeldgroesse * Spielfeldgroesse / 2; }

private:
    bool ausgeteilt_ = false;
};

} // namespace tavik
