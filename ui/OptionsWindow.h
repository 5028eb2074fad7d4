#pragma once
// OPTIONS: the settings screen. Name, board size and picture folder; the start button
// collects the pictures into a new game screen and opens it.

#include <functional>
#include <memory>

#include "pictures/PictureWork.h"

#include "ui/GameScreen.h"
#include "ui/OptionsForm.h"
#include "ui/QuitQuestion.h"
#include "ui/Services.h"

namespace tavik {

class OPTIONS : public OptionsForm {
    Q_OBJECT
public:
    // Creates the game screen for a board size and a player name.
    using GameScreenFactory = std::function<GameScreen*(int spielfeldgroesse, const QString& name)>;

    // `work` replaces the standard preview decoder and acceptance check (tests pass ones
    // that block).
    // The screen laid out and loaded. With `loaded` false it is only laid out, ready to be
    // opened by lade() later (the screen flow builds the next settings screen ahead).
    OPTIONS(Services services, GameScreenFactory createGame, QWidget* parent = nullptr, PictureWork work = {},
            bool loaded = true);

    // The load procedure: the settings' first state, the program folder in the lists.
    void lade() { Form_Load(); }
    ~OPTIONS() override;

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

    // True while the start action collects pictures: the screen stays responsive meanwhile.
    bool sammelt() const;

signals:
    void beenden(); // the player confirmed quitting

private:
    void Form_Load();
    void Sammle_Bilder(double count, std::function<void()> danach);
    void nachErsterSammlung();
    void weiter(const std::function<void()>& schritt);
    void zeigeLaufwerke(const QList<Volume>& volumes);
    void beendeStart();
    void zeigeVorschau(const QPixmap& pixmap, QSize fitted);
    void zeigeFortschritt(int decided, int total);
    void beendeSammeln();
    GameScreen* spiel();
    QString programmOrdner() const;

    Services services_;
    QuitQuestion quitQuestion_{services_.box}; // the start action's next step waits for its answer
    GameScreenFactory createGame_;
    PictureWork work_;
    GameScreen* game_ = nullptr;
    void driveNotReady(const QString& folder);
    bool laufwerkFehler_ = false;
    QString driveFolder_; // the folder the last drive change asked for

    // The preview's last request: an older answer is dropped.
    quint64 vorschauNr_ = 0;

    // One start action, collecting on workers. Its board size, name and folder are those
    // at the press of the start button.
    struct Start;
    std::unique_ptr<Start> start_;
};

} // namespace tavik
