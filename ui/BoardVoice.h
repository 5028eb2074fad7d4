#pragma once
// SPDX-License-Identifier: GPL-3.0-or-later
// The board as a screen reader hears it. A card is named by its place ("Karte 7, Reihe 2,
// Spalte 3"; its tooltip stays as it is) and described as shut ("Verdeckt") or, until its
// attempt ends, by its picture ("Aufgedeckt: Kirsche"). Each key that turns a card says one
// line: the picture, and on the second card of an attempt whether it made a pair. A blind
// player remembers the names as a sighted one remembers the pictures.

#include <QList>
#include <QObject>

namespace tavik {

class Announcer;
class MainForm;
class Game;
struct CardClick;

class BoardVoice : public QObject {
    Q_OBJECT
public:
    BoardVoice(MainForm& form, const Game& game, QObject* parent = nullptr);

    // The board is laid out for the game's size: every card on it named and shut.
    void nameCards();
    // A card turned: it names its picture, and the line says it with the attempt's outcome.
    void cardTurned(const CardClick& klick);
    // The attempt is over: its cards are shut again.
    void attemptClosed();
    // A key tried to turn a card while none may turn (before the deal, while an attempt is
    // judged or the list is written): the player hears why nothing happened.
    void refused();
    // The high-score list lies over the board: its rows as they are shown, as one line.
    void listShown();
    // The list is hidden again: the board is back.
    void listHidden();

private:
    MainForm& form_;
    const Game& game_;
    Announcer* announcer_;
    QList<int> turned_; // the cards of the running attempt
};

} // namespace tavik
