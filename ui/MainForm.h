// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game screen's window and controls as laid out; its behaviour is in MainWindow.h (MAIN).
// Controls that lie directly on the window are placed in pixels, those in frames from twips.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>

#include "ui/Controls.h"
#include "ui/ImageBox.h"

namespace tavik {

class MainForm : public QWidget {
    Q_OBJECT
public:
    explicit MainForm(QWidget* parent = nullptr);

    QLabel* lblSpielername = nullptr;
    QLabel* lblVersuche = nullptr;
    QLabel* lblGefunden = nullptr;
    QLabel* lblZeit = nullptr;
    std::array<ImageBox*, 2> imgKarteOffen{};
    QFrame* frmSpiel = nullptr;
    QFrame* frmMischen = nullptr;
    QLabel* lblMischen = nullptr;
    std::array<QPushButton*, 100> cmdBild{};
    QFrame* frmHallOfFame = nullptr;
    std::array<QLabel*, 11> lblHighPlatz{};
    std::array<QLabel*, 11> lblHighName{};
    std::array<QLabel*, 11> lblHighPunkte{};
    QFrame* Line1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdHallOfFame = nullptr;
    QPushButton* cmdOptions = nullptr;
    QPushButton* cmdExit = nullptr;
    QListWidget* lstBilder = nullptr;
    QTimer* tmrLadeBilder = nullptr;
    QTimer* tmrKlick = nullptr;
    QTimer* tmrZeit = nullptr;

    static constexpr int kBoxSize = 169; // design size of the display boxes, in pixels

private:
    void buildStatusLine();
    void buildBoard();
    void buildHallOfFame();
    void buildButtonsAndTimers();
};

} // namespace tavik
