// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keyboard player's side of the board (a screen reader's is BoardVoice.h). Arrows move
// the focus across the grid by the rules of BoardFocus.h, Space and Enter turn the focused
// card, and while the board is blocked neither a key nor the mouse turns a card or moves the
// focus ring; a key that would turn one then says why it did not.

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
    // `blocked()` says when no card may turn; `refused()` runs for a key that would turn one then.
    BoardKeys(MainForm& form, const Game& game, std::function<bool()> blocked, std::function<void()> refused,
              QObject* parent = nullptr);

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
    std::function<void()> refused_;
};

} // namespace tavik
