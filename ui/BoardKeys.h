// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keyboard player's and the screen reader's side of the board. Arrows move the focus
// across the grid by the rules of BoardFocus.h, Space and Enter turn the focused card, and
// while the board is blocked neither a key nor the mouse turns a card or moves the focus ring.
// A screen reader hears which cards are turned.

#include <QObject>
#include <functional>

class QKeyEvent;

namespace tavik {

class MainForm;
class Game;

class BoardKeys : public QObject {
    Q_OBJECT
public:
    // Filters the keys and mouse presses of `form`'s cards on a board of `game`'s size;
    // `blocked()` says when no card may turn.
    BoardKeys(MainForm& form, const Game& game, std::function<bool()> blocked, QObject* parent = nullptr);

    void cardTurned(int card);
    // Hides the two cards of a found pair; the keyboard player keeps the place.
    void removePair(int first, int second);
    // While an attempt is judged a click must not move the focus ring either.
    void judgingBegins();
    // Every card is shut again and takes the focus on a click again.
    void attemptClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keys on a card: true when used up.
    bool cardKey(int card, const QKeyEvent& event);
    bool moveFocus(int card, int dx, int dy, bool press);
    bool isOnBoard(int card) const;
    void keepFocusFromClicks(bool blocked);

    MainForm& form_;
    const Game& game_;
    std::function<bool()> blocked_;
};

} // namespace tavik
