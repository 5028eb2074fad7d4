// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order of the screens: splash, settings, game, and back to fresh settings; quitting.

#include <QObject>
#include <QPointer>

#include "ui/MainWindow.h"
#include "ui/OptionsWindow.h"
#include "ui/IntroWindow.h"
#include "ui/Services.h"

namespace tavik {

class ScreenFlow : public QObject {
    Q_OBJECT
public:
    explicit ScreenFlow(Services services, QObject* parent = nullptr);
    ~ScreenFlow() override;

    void start();          // opens the splash window
    void openOptions();    // a fresh settings screen
    // Builds the next game screen ahead and draws it once off screen, while the settings
    // screen waits for the player: at the game start it only has to be loaded and shown,
    // within a frame. Runs a moment after the settings screen opens.
    void prepareGame();
    void prepareOptions();

    IntroWindow* intro() const { return intro_; }
    OPTIONS* options() const { return options_; }
    MAIN* game() const { return game_; }
    bool ended() const { return ended_; }

private:
    MAIN* createGame(int spielfeldgroesse, const QString& name);
    void restart();
    void endProgram();
    void watch(QWidget* window);
    void endWhenNoWindowLeft();

    Services services_;
    QPointer<IntroWindow> intro_;
    QPointer<OPTIONS> options_;
    QPointer<MAIN> game_;
    QPointer<MAIN> spare_; // the next game screen, built ahead; not a screen of the flow until the game start
    QPointer<OPTIONS> spareOptions_; // the next settings screen, built ahead, likewise
    bool ended_ = false;
};

} // namespace tavik
