// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MAIN: the game screen. Its event procedures are thin: they ask the rules in Game and
// GameClock what happens and set the controls accordingly. The keys on the board are
// BoardKeys' part, what a screen reader hears of it BoardVoice's, the pictures of the two
// display boxes DisplayBoxes'.

#include "rules/Game.h"
#include "ui/PictureCache.h"
#include "pictures/PictureWork.h"
#include "scores/HighScoreFile.h"
#include "ui/GameScreen.h"
#include "ui/MainForm.h"
#include "ui/QuitQuestion.h"
#include "ui/Services.h"

namespace tavik {

class BoardKeys;
class BoardVoice;
class DisplayBoxes;

class MAIN : public MainForm, public GameScreen {
    Q_OBJECT
public:
    // Creating the game screen runs its load procedure with the settings screen's
    // board size and player name.
    // `work` replaces the standard picture decoder (tests pass one that blocks).
    MAIN(Services services, int spielfeldgroesse, const QString& playerName, QWidget* parent = nullptr,
         PictureWork work = {});
    // A game screen built ahead of its game, while the settings screen waits for the player:
    // laid out, its deal timer off, and loaded only by load().
    explicit MAIN(Services services, QWidget* parent = nullptr, PictureWork work = {});
    // The load procedure at the game start; the deal timer counts its seconds from here.
    void load(int spielfeldgroesse, const QString& playerName);

    Game game;

    // The settings screen hands over the chosen pictures one by one.
    void appendPicture(const QString& path) override;
    void showScreen() override { show(); }

    void Zeige_Bild(int Nr1Nr2, int BildNummer);

    // Event procedures.
    void cmdBild_Click(int Index);
    void tmrKlick_Timer();
    void tmrLadeBilder_Timer();
    void tmrZeit_Timer();
    void cmdHallOfFame_Click();
    void cmdOptions_Click();
    void cmdExit_Click();

    // The game is discarded: no timer fires, no picture is decoded, no answer of the list
    // shows any more.
    void stop();

    // True before the deal and while an attempt is judged: no card turns.
    bool boardBlocked() const;

    int endGameCalls() const { return endGameCalls_; }
    const PictureCache& pictures() const;

signals:
    void newSettings(); // the player asks for a new game
    void quitConfirmed();           // the player confirmed quitting

private:
    void Form_Load(int spielfeldgroesse, const QString& playerName);
    void Baue_Spielfeld();
    void Beende_Spiel();
    float timeOfDay() const;

    void waitingForList(bool waiting);
    void showList(const ListReading& reading);
    void resumeClock();

    QStringList pictureList() const; // the entries of lstBilder, in its order

    Services services_;
    std::chrono::milliseconds deadline_; // of every disk job of this screen
    DisplayBoxes* boxes_ = nullptr;
    BoardKeys* keys_ = nullptr; // the keyboard and the focus on the board
    BoardVoice* voice_ = nullptr; // what a screen reader says of the board
    bool clockRanBeforePause_ = false;
    bool listBusy_ = false; // the list is read or written on a worker
    QuitQuestion quitQuestion_{services_.box}; // a message of the list waits for its answer
    int endGameCalls_ = 0;
};

} // namespace tavik
