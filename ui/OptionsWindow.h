#pragma once
// OPTIONS: the settings screen. Name, board size and picture folder; the start button's
// StartAction collects the pictures, which the screen hands to a new game screen it opens.

#include <functional>

#include "pictures/PictureWork.h"

#include "ui/GameScreen.h"
#include "ui/OptionsForm.h"
#include "ui/QuitQuestion.h"
#include "ui/Services.h"

namespace tavik {

class StartAction;

class OPTIONS : public OptionsForm {
    Q_OBJECT
public:
    // Creates the game screen for a board size and a player name.
    using GameScreenFactory = std::function<GameScreen*(int spielfeldgroesse, const QString& name)>;

    // `work` replaces the standard preview decoder and acceptance check (tests pass ones
    // that block).
    // The screen laid out and loaded. With `loaded` false it is only laid out, ready to be
    // opened by load() later (the screen flow builds the next settings screen ahead).
    OPTIONS(Services services, GameScreenFactory createGame, QWidget* parent = nullptr, PictureWork work = {},
            bool loaded = true);

    // The load procedure: the settings' first state, the program folder in the lists.
    void load() { Form_Load(); }

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
    bool collecting() const;

    // The screen ends its work: the start action, the folder on its way and the preview.
    void stop();

signals:
    void quitConfirmed(); // the player confirmed quitting

private:
    void Form_Load();
    void showDrives(const QList<Volume>& volumes);
    void showPreview(const QPixmap& pixmap, QSize fitted);
    // The start action has collected the pictures: the game screen takes them and opens.
    void startGame(int spielfeldgroesse, const QString& name, const QStringList& pictures);
    QString programFolderShown() const;

    Services services_;
    QuitQuestion quitQuestion_{services_.box}; // the start action's next step waits for its answer
    GameScreenFactory createGame_;
    PictureWork work_;
    GameScreen* game_ = nullptr;
    void driveNotReady(const QString& folder);
    bool driveError_ = false;
    QString driveFolder_; // the folder the last drive change asked for

    // The preview's last request: an older answer is dropped.
    quint64 previewNumber_ = 0;

    // The start action (Sammle_Bilder and the top-up), collecting on workers.
    StartAction* start_ = nullptr;
};

} // namespace tavik
