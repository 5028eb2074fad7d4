// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/OptionsForm.h"

#include "platform/MessageBox.h"
#include "ui/Window.h"

#include <QShowEvent>

namespace tavik {

OptionsForm::OptionsForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("OPTIONS"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitel);
    resize(px(8550), px(2910));
    setFont(dialogFont());

    Frame1 = makeFrame(this, QStringLiteral("Frame1"), pxRect(0, 0, 2295, 2175));
    Label1 = makeLabel(Frame1, QStringLiteral("Label1"), QStringLiteral("Spielfeldgrösse"),
                       pxRect(480, 240, 1095, 255));
    lstGroesse = new ChoiceListBox(Frame1);
    lstGroesse->setObjectName(QStringLiteral("lstGroesse"));
    lstGroesse->setGeometry(pxRect(720, 480, 615, 840));
    lstGroesse->addItems({QStringLiteral("4 x 4"), QStringLiteral("6 x 6"),
                          QStringLiteral("8 x 8"), QStringLiteral("10x10")});
    lstGroesse->setToolTip(QStringLiteral("Wählen Sie hier die Spielfeldgrösse"));
    lstGroesse->setUniformItemSizes(true);
    lstGroesse->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstGroesse->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Label2 = makeLabel(Frame1, QStringLiteral("Label2"), QStringLiteral("Spielername:"),
                       pxRect(240, 1440, 975, 255));
    txtSpielername = new QLineEdit(QStringLiteral("Noname"), Frame1);
    txtSpielername->setObjectName(QStringLiteral("txtSpielername"));
    txtSpielername->setGeometry(pxRect(240, 1680, 1815, 285));
    txtSpielername->setToolTip(QStringLiteral("Geben Sie hier Ihren Namen ein"));

    Frame2 = makeFrame(this, QStringLiteral("Frame2"), pxRect(2400, 0, 6135, 2175));
    Drive1 = new DriveListBox(Frame2);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(pxRect(240, 240, 1815, 315));
    Drive1->setToolTip(QStringLiteral("Wählen Sie hier das Laufwerk, welches die Bilder enthält"));
    Dir1 = new DirListBox(Frame2);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(pxRect(240, 600, 1815, 1440));
    Dir1->setToolTip(QStringLiteral("Wählen Sie hier den Ordner, welcher die Bilder enthält"));
    File1 = new FileListBox(Frame2);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(pxRect(2160, 360, 2055, 1650));
    File1->setToolTip(QStringLiteral("Sehen Sie sich hier die Bilder an"));
    imgVorschau = new ImageBox(Frame2, QStringLiteral("imgVorschau"), pxRect(4320, 480, 1500, 1500), true);

    cmdExit = makePictureButton(this, QStringLiteral("cmdExit"), QStringLiteral(":/artwork/cross.png"),
                                QStringLiteral("Tavik beenden"), pxRect(0, 2280, 615, 615));
    Image1 = new ImageBox(this, QStringLiteral("Image1"), pxRect(3720, 2280, 615, 615), false);
    Image1->setStretch(true);
    Image1->setPicture(QPixmap(QStringLiteral(":/artwork/emblem.png")));
    cmdNimmOptions = makePictureButton(this, QStringLiteral("cmdNimmOptions"),
                                       QStringLiteral(":/artwork/check.png"),
                                       QStringLiteral("Einstellungen übernehmen und Spiel beginnen"),
                                       pxRect(7920, 2280, 615, 615));
    nameForScreenReaders();

    // Keyboard order: the start button first, so it holds the focus when the window opens.
    QWidget* order[] = {cmdNimmOptions, lstGroesse, Drive1, Dir1, File1, txtSpielername, cmdExit};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    cmdNimmOptions->setFocus();

    centreOnScreen(this);
}

void OptionsForm::nameForScreenReaders()
{
    // Lists take no name from a label; a line edit and a combo box do, from their buddy. The
    // lists describe their current entry themselves.
    lstGroesse->setAccessibleName(Label1->text());
    Dir1->setAccessibleName(QStringLiteral("Ordner"));
    File1->setAccessibleName(QStringLiteral("Bilder"));
    Label2->setBuddy(txtSpielername);
    auto* driveLabel = new QLabel(QStringLiteral("Laufwerk:"), Frame2); // heard, never shown
    driveLabel->hide();
    driveLabel->setBuddy(Drive1);
    voice = new Announcer(this);
}

void OptionsForm::showEvent(QShowEvent* event)
{
    // No title bar, but a frame the player can resize and the window manager can move.
    if (!event->spontaneous())
        askForThinFrame(this);
    QWidget::showEvent(event);
}

} // namespace tavik
