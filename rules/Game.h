#pragma once
// The state of one game and the rule of play: two cards per attempt, equal paths are a pair.

#include "rules/Deal.h"

namespace tavik {

// What one card click did, for the window to show.
struct CardClick {
    enum class Kind { Ignored, FirstCard, SecondCard };
    Kind kind = Kind::Ignored;
    int box = 0;          // display box for the clicked card's picture
    int card = -1;       // the clicked card
    int firstCard = -1;  // with SecondCard: the first card of the attempt
    bool pair = false;    // with SecondCard: the two cards are a pair
    bool gameEnd = false; // the pair just found was the last
};

class Game {
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

    // A new game at the time of day `startTime` on an N x N board: counters at 0, slots empty.
    void start(int n, float startTime);

    // Deals the list when it is complete. False, changing nothing, while it is too short.
    bool deal(const QStringList& pictures, RandomSource& random);
    bool dealt() const { return dealt_; }

    // The click on card `index` (0..99).
    CardClick click(int index);
    // The end of judging an attempt.
    void endAttempt() { KartenNr1 = -1; }

    const QString& pictureOf(int card) const { return KartenBild[static_cast<size_t>(card + 1)]; }
    int pairCount() const { return Spielfeldgroesse * Spielfeldgroesse / 2; }

private:
    bool dealt_ = false;
};

} // namespace tavik
