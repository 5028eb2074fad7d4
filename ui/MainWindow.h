#pragma once
// MAIN: the game screen. Its event procedures are thin: they ask the rules in Partie and
// GameClock what happens and set the controls accordingly. The keys on the board are
// BoardKeys' part, what a screen reader hears of it BoardVoice's, the pictures of the two
// display boxes DisplayBoxes'.

#include "rules/Partie.h"
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
    MAIN(Services services, int spielfeldgroesse, const QString& spielername, QWidget* parent = nullptr,
         PictureWork work = {});
    // A game screen built ahead of its game, while the settings screen waits for the player:
    // laid out, its deal timer off, and loaded only by lade().
    explicit MAIN(Services services, QWidget* parent = nullptr, PictureWork work = {});
    // The load procedure at the game start; the deal timer counts its seconds from here.
    void lade(int spielfeldgroesse, const QString& spielername);

    Partie partie;

    // The settings screen hands over the chosen pictures one by one.
    void appendBild(const QString& path) override;
    void zeige() override { show(); }

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

    int beendeSpielAufrufe() const { return beendeSpielAufrufe_; }
    const PictureCache& bilder() const;

signals:
    void neueEinstellungen(); // the player asks for a new game
    void beenden();           // the player confirmed quitting

private:
    void Form_Load(int spielfeldgroesse, const QString& spielername);
    void Baue_Spielfeld();
    void Beende_Spiel();
    float tageszeit() const;

    void warteAufListe(bool wartet);
    void zeigeListe(const Gelesen& gelesen);
    void setzeUhrFort();

    QStringList bilderListe() const; // the entries of lstBilder, in its order

    Services services_;
    std::chrono::milliseconds deadline_; // of every disk job of this screen
    DisplayBoxes* boxes_ = nullptr;
    BoardKeys* keys_ = nullptr; // the keyboard and the focus on the board
    BoardVoice* voice_ = nullptr; // what a screen reader says of the board
    bool uhrLiefVorPause_ = false;
    bool listeArbeitet_ = false; // the list is read or written on a worker
    QuitQuestion quitQuestion_{services_.box}; // a message of the list waits for its answer
    int beendeSpielAufrufe_ = 0;
};

} // namespace tavik
