#pragma once
// OPTIONS: the settings screen. Name, board size and picture folder; the start button
// collects the pictures into a new game screen and opens it.

#include <functional>

#include "shell/GameScreen.h"
#include "shell/OptionsForm.h"
#include "shell/Services.h"

namespace tavik {

class OPTIONS : public OptionsForm {
    Q_OBJECT
public:
    // Creates the game screen for a board size and a player name.
    using GameScreenFactory = std::function<GameScreen*(int spielfeldgroesse, const QString& name)>;

    OPTIONS(Services services, GameScreenFactory createGame, QWidget* parent = nullptr);

    QString Pfad;
    QString BildPfad;
    int Spielfeldgroesse = 10;
    int ErsteAnzahl = 0;

    // Event procedures.
    void lstGroesse_Click();
    void cmdNimmOptions_Click();
    void cmdExit_Click();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click(int index);

signals:
    void beenden(); // the player confirmed quitting

private:
    void Form_Load();
    void Sammle_Bilder(double count);
    GameScreen* spiel();
    QString programmOrdner() const;

    Services services_;
    GameScreenFactory createGame_;
    GameScreen* game_ = nullptr;
    void driveNotReady(const QString& folder);
    bool laufwerkFehler_ = false;
    QString driveFolder_; // the folder the last drive change asked for
};

} // namespace tavik
