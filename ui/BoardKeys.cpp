// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BoardKeys.h"

#include <QKeyEvent>
#include <algorithm>

#include "rules/BoardFocus.h"
#include "rules/Game.h"
#include "ui/MainForm.h"

namespace tavik {

BoardKeys::BoardKeys(MainForm& form, const Game& game, std::function<bool()> blocked,
                     std::function<void()> refused, QObject* parent)
    : QObject(parent)
    , form_(form)
    , game_(game)
    , blocked_(std::move(blocked))
    , refused_(std::move(refused))
{
    for (QPushButton* card : form_.cmdBild)
        card->installEventFilter(this); // arrows, Enter, and the block of the board
}

void BoardKeys::removePair(int first, int second)
{
    const QWidget* focused = form_.focusWidget();
    form_.cmdBild[first]->hide();
    form_.cmdBild[second]->hide();
    // The keyboard player keeps the place: the next card still on the board takes over.
    const int hadFocus = focused == form_.cmdBild[first] ? first : focused == form_.cmdBild[second] ? second : -1;
    if (hadFocus < 0)
        return;
    const int next = nextCardOnBoard(hadFocus, game_.Spielfeldgroesse, [this](int i) { return isOnBoard(i); });
    if (next >= 0)
        form_.cmdBild[next]->setFocus(Qt::OtherFocusReason);
}

bool BoardKeys::isOnBoard(int card) const
{
    return !form_.cmdBild[card]->isHidden();
}

bool BoardKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        break;
    default:
        return QObject::eventFilter(watched, event);
    }
    const auto card = std::find(form_.cmdBild.begin(), form_.cmdBild.end(), watched);
    if (card == form_.cmdBild.end())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return cardKey(static_cast<int>(card - form_.cmdBild.begin()), *static_cast<QKeyEvent*>(event));
    // While blocked the mouse neither presses a card down nor moves the focus.
    return blocked_();
}

bool BoardKeys::cardKey(int card, const QKeyEvent& event)
{
    const bool press = event.type() == QEvent::KeyPress;
    switch (event.key()) {
    case Qt::Key_Left:
        return moveFocus(card, -1, 0, press);
    case Qt::Key_Right:
        return moveFocus(card, 1, 0, press);
    case Qt::Key_Up:
        return moveFocus(card, 0, -1, press);
    case Qt::Key_Down:
        return moveFocus(card, 0, 1, press);
    case Qt::Key_Space:
    case Qt::Key_Select:
        if (!blocked_())
            return false; // the button turns the card as on a click
        if (press && !event.isAutoRepeat())
            refused_();
        return true;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        // A plain button outside a dialogue ignores Enter; on a card it turns the card.
        if (press && !event.isAutoRepeat())
            blocked_() ? refused_() : form_.cmdBild[card]->click();
        return true;
    default:
        return false;
    }
}

bool BoardKeys::moveFocus(int card, int dx, int dy, bool press)
{
    // The whole grid is the arrows' field: they never leave it for the buttons below, and
    // the focus stays put at an edge.
    if (press) {
        const int target = cardInDirection(card, game_.Spielfeldgroesse, dx, dy, [this](int i) { return isOnBoard(i); });
        if (target != card)
            form_.cmdBild[target]->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void BoardKeys::judgingBegins()
{
    keepFocusFromClicks(true);
}

void BoardKeys::attemptClosed()
{
    keepFocusFromClicks(false);
}

void BoardKeys::keepFocusFromClicks(bool blocked)
{
    // A click gives a card the focus before any filter sees it; while blocked, a click must
    // not move the focus ring either. Tab and the arrows still reach every card.
    for (QPushButton* card : form_.cmdBild)
        card->setFocusPolicy(blocked ? Qt::TabFocus : Qt::StrongFocus);
}

} // namespace tavik
