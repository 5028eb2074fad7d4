// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CardButton.h"

#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <map>
#include <tuple>

namespace tavik {

QString cardStyleSheet()
{
    // Card backs: a deep blue with a lighter rim; the focus ring shows where the keyboard is.
    return QStringLiteral(
        "QPushButton { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #3a5fa8, stop:1 #1d3566);"
        " border: 1px solid #10203f; border-radius: 3px; }"
        "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #5279c4, stop:1 #284a8a); }"
        "QPushButton:pressed { background: #152848; }"
        "QPushButton:focus { border: 2px solid #ffc400; }"
        "QPushButton:disabled { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #4f6690, stop:1 #2c3d5e); }");
}

namespace {

// The look for a button state at a size, drawn by the style sheet on a transparent ground,
// so that the rounded corners let the neighbouring card show through as before.
QImage drawLook(QStyleOptionButton option, qreal dpr)
{
    QPushButton styled; // never shown: it only carries the style sheet
    styled.setStyleSheet(cardStyleSheet());
    option.styleObject = nullptr;
    QImage look(option.rect.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    look.setDevicePixelRatio(dpr);
    look.fill(Qt::transparent);
    QPainter painter(&look);
    styled.style()->drawControl(QStyle::CE_PushButton, &option, &painter, &styled);
    return look;
}

// The looks drawn so far, by everything of the option the style sheet can tell apart.
// GUI thread only, like all painting of widgets.
const QImage& lookFor(const QStyleOptionButton& option, qreal dpr)
{
    using Key = std::tuple<int, int, int, int, qreal>;
    static std::map<Key, QImage> looks;
    const Key key{static_cast<int>(option.state), static_cast<int>(option.features), option.rect.width(),
                  option.rect.height(), dpr};
    auto it = looks.find(key);
    if (it == looks.end())
        it = looks.emplace(key, drawLook(option, dpr)).first;
    return it->second;
}

} // namespace

CardButton::CardButton(QWidget* parent)
    : QPushButton(parent)
{
    setAttribute(Qt::WA_Hover); // the look under the mouse differs
}

void CardButton::paintEvent(QPaintEvent*)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), lookFor(option, devicePixelRatioF()));
}

} // namespace tavik
