// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace tavik {

MsgAnswer QtMessageBox::show(const QString& text, const QString& title, MsgIcon icon,
                             MsgButtons buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(title);
    QString shown = text;
    shown.replace(QChar(13), QChar(10));
    box.setText(shown); // a screen reader reads it from here when the box opens (once: no description)
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int chosen = box.exec();
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return chosen == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

} // namespace tavik
