// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A card of the board: a push button in the card-back look. Each of a hundred cards styled
// by a style sheet of its own costs the game screen several frames to create and as many
// again to paint; so the look is drawn by the style sheet once for each state a card can be
// in (plain, under the mouse, pressed, with the focus, disabled), kept, and copied.

#include <QPushButton>

namespace tavik {

// The card-back look as a style sheet for push buttons: what every card copies.
QString cardStyleSheet();

class CardButton : public QPushButton {
    Q_OBJECT
public:
    explicit CardButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavik
