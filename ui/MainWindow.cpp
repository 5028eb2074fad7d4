// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindow.h"

#include "rules/GameClock.h"
#include "rules/Grid.h"
#include "rules/NumberText.h"
#include "scores/ListWork.h"
#include "ui/BoardKeys.h"
#include "ui/BoardVoice.h"
#include "ui/DisplayBoxes.h"
#include "ui/ScoreDisplay.h"

namespace tavik {

MAIN::MAIN(Services services, int spielfeldgroesse, const QString& playerName, QWidget* parent,
           PictureWork work)
    : MAIN(services, parent, std::move(work))
{
    load(spielfeldgroesse, playerName);
}

MAIN::MAIN(Services services, QWidget* parent, PictureWork work)
    : MainForm(parent)
    , services_(services)
    , deadline_(work.deadline)
{
    tmrLadeBilder->stop(); // until the load procedure
    boxes_ = new DisplayBoxes(imgKarteOffen, std::move(work.decode), work.deadline, this);
    voice_ = new BoardVoice(*this, game, this);
    keys_ = new BoardKeys(*this, game, [this] { return boardBlocked(); }, [this] { voice_->refused(); }, this);
    for (int i = 0; i < kCardCount; ++i)
        connect(cmdBild[i], &QPushButton::clicked, this, [this, i] { cmdBild_Click(i); });
    connect(tmrLadeBilder, &QTimer::timeout, this, &MAIN::tmrLadeBilder_Timer);
    connect(tmrKlick, &QTimer::timeout, this, &MAIN::tmrKlick_Timer);
    connect(tmrZeit, &QTimer::timeout, this, &MAIN::tmrZeit_Timer);
    connect(cmdHallOfFame, &QPushButton::clicked, this, &MAIN::cmdHallOfFame_Click);
    connect(cmdOptions, &QPushButton::clicked, this, &MAIN::cmdOptions_Click);
    connect(cmdExit, &QPushButton::clicked, this, &MAIN::cmdExit_Click);
}

void MAIN::load(int spielfeldgroesse, const QString& playerName)
{
    Form_Load(spielfeldgroesse, playerName);
    tmrLadeBilder->start();
}

float MAIN::timeOfDay() const
{
    return fractionOfDay(services_.clock.secondsSinceMidnight());
}

void MAIN::Form_Load(int spielfeldgroesse, const QString& playerName)
{
    game.start(isBoardSize(spielfeldgroesse) ? spielfeldgroesse : 10, timeOfDay());
    lblSpielername->setText(playerName);
    Baue_Spielfeld();
}

void MAIN::Baue_Spielfeld()
{
    const int n = game.Spielfeldgroesse;
    for (int i = 0; i < kCardCount; ++i) {
        cmdBild[i]->hide();
        cmdBild[i]->setToolTip(cardTooltip(i));
    }
    for (int i = 0; i < n * n; ++i) {
        cmdBild[i]->move(px(cardLeftTwips(i, n)), px(cardTopTwips(i, n)));
        cmdBild[i]->show();
    }
    frmSpiel->resize(boardFramePixels(n), boardFramePixels(n));
    voice_->nameCards();
}

QStringList MAIN::pictureList() const
{
    QStringList entries;
    entries.reserve(lstBilder->count());
    for (int i = 0; i < lstBilder->count(); ++i)
        entries.append(lstBilder->item(i)->text());
    return entries;
}

void MAIN::appendPicture(const QString& path)
{
    lstBilder->insertItem(sortedPosition(pictureList(), path), path);
}

void MAIN::tmrLadeBilder_Timer()
{
    tmrLadeBilder->stop();
    services_.random.seed(static_cast<std::uint32_t>(services_.clock.secondsSinceMidnight()));
    const QStringList entries = pictureList();
    if (!game.deal(entries, services_.random)) {
        tmrLadeBilder->start(); // look again in a second
        return;
    }
    frmMischen->hide();
    // With the high-score list over the board the clock waits until the list is hidden.
    if (frmHallOfFame->isHidden())
        tmrZeit->start();
    else
        clockRanBeforePause_ = true;
    boxes_->loadAhead(entries.mid(0, game.Bildanzahl));
}

const PictureCache& MAIN::pictures() const
{
    return boxes_->cache();
}

bool MAIN::boardBlocked() const
{
    // Until the deal every slot is empty and any two cards would compare equal; while an
    // attempt is judged its two pictures stay on view; while the list is read or written the
    // game waits for it. Either way no card may turn. The frame is not disabled for this: that
    // would repaint every card in a disabled look and take the focus away from the keyboard
    // player.
    return !game.dealt() || tmrKlick->isActive() || listBusy_;
}

void MAIN::Zeige_Bild(int Nr1Nr2, int BildNummer)
{
    boxes_->show(Nr1Nr2, game.pictureOf(BildNummer));
}

void MAIN::cmdBild_Click(int Index)
{
    // The list lies over the board; a card reached with the keyboard under it stays shut.
    // A click that bypasses the input (a screen reader's "press") is stopped here too.
    if (!frmHallOfFame->isHidden() || boardBlocked())
        return;
    const CardClick k = game.click(Index);
    if (k.kind == CardClick::Kind::Ignored)
        return;
    Zeige_Bild(k.box, Index);
    voice_->cardTurned(k); // before a found pair takes the focus elsewhere
    if (k.kind == CardClick::Kind::FirstCard)
        return;

    lblVersuche->setText(QStringLiteral("Versuche:") + numberText(game.Versuche));
    if (k.pair) {
        keys_->removePair(k.firstCard, Index);
        lblGefunden->setText(QStringLiteral("Paare: ") + numberText(game.Gefunden));
        if (k.gameEnd)
            tmrZeit->stop();
    }
    tmrKlick->start(); // blocks the board until its tick
    keys_->judgingBegins();
    if (k.gameEnd)
        Beende_Spiel();
}

void MAIN::tmrKlick_Timer()
{
    tmrKlick->stop();
    boxes_->clear();
    game.endAttempt();
    keys_->attemptClosed();
    voice_->attemptClosed();
}

void MAIN::tmrZeit_Timer()
{
    lblZeit->setText(timeText(elapsedSeconds(timeOfDay(), game.StartZeit)));
}

void MAIN::Beende_Spiel()
{
    ++endGameCalls_;
    const int n = game.Spielfeldgroesse;
    const QString timeShown = lblZeit->text();
    const int score = scoreFor(n, game.Versuche, timeShown);
    // The list is rewritten on a worker; the result is told when the list holds it.
    waitingForList(true);
    enterScoreInBackground(this, services_.folder.path(), lblSpielername->text(), score,
                          [this, n, timeShown, score](const Entering& entering) {
                              quitQuestion_.run([this, n, timeShown, score, entering] {
                                  waitingForList(false);
                                  reportResult(services_.box, n, timeShown, score, entering);
                              });
                          },
                          deadline_);
}

void MAIN::waitingForList(bool waiting)
{
    listBusy_ = waiting;
    if (waiting)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void MAIN::cmdHallOfFame_Click()
{
    if (listBusy_)
        return; // the list is being read or written: the click would show it half-way
    if (frmHallOfFame->isHidden()) {
        clockRanBeforePause_ = tmrZeit->isActive();
        tmrZeit->stop();
        game.PauseZeit = timeOfDay();
        waitingForList(true);
        readListInBackground(this, services_.folder.path(), [this](const ListReading& reading) {
            quitQuestion_.run([this, reading] { showList(reading); });
        }, deadline_);
    } else {
        resumeClock();
        frmHallOfFame->hide();
        voice_->listHidden();
    }
}

void MAIN::showList(const ListReading& reading)
{
    waitingForList(false);
    if (reading.error) {
        // A list that cannot be read is named, not shown as empty rows; the game goes on.
        services_.box.show(displayErrorMessage(*reading.error), kTitel, MsgIcon::Critical, MsgButtons::Ok);
        resumeClock();
        return;
    }
    fillList(*this, reading.entries);
    frmHallOfFame->show();
    frmHallOfFame->raise();
    voice_->listShown();
}

void MAIN::resumeClock()
{
    game.StartZeit = afterPause(game.StartZeit, game.PauseZeit, timeOfDay());
    // The clock goes on only if it ran before: not before the deal, not after the last pair.
    if (clockRanBeforePause_)
        tmrZeit->start();
}

void MAIN::stop()
{
    for (QTimer* timer : {tmrLadeBilder, tmrKlick, tmrZeit})
        timer->stop();
    boxes_->stop();
    quitQuestion_.stop();
}

void MAIN::cmdOptions_Click()
{
    emit newSettings();
}

void MAIN::cmdExit_Click()
{
    // A rewrite of the list on its way is not waited for: its rename keeps the list whole.
    if (quitQuestion_.ask())
        emit quitConfirmed();
}

} // namespace tavik
