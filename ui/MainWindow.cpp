#include "ui/MainWindow.h"

#include "rules/GameClock.h"
#include "rules/Grid.h"
#include "rules/NumberText.h"
#include "scores/ListWork.h"
#include "ui/BoardKeys.h"
#include "ui/BoardVoice.h"
#include "ui/DisplayBoxes.h"
#include "ui/HallOfFame.h"

namespace tavik {

MAIN::MAIN(Services services, int spielfeldgroesse, const QString& spielername, QWidget* parent,
           PictureWork work)
    : MAIN(services, parent, std::move(work))
{
    lade(spielfeldgroesse, spielername);
}

MAIN::MAIN(Services services, QWidget* parent, PictureWork work)
    : MainForm(parent)
    , services_(services)
    , deadline_(work.deadline)
{
    tmrLadeBilder->stop(); // until the load procedure
    boxes_ = new DisplayBoxes(imgKarteOffen, std::move(work.decode), work.deadline, this);
    voice_ = new BoardVoice(*this, partie, this);
    keys_ = new BoardKeys(*this, partie, [this] { return boardBlocked(); }, [this] { voice_->refused(); }, this);
    for (int i = 0; i < kCardCount; ++i)
        connect(cmdBild[i], &QPushButton::clicked, this, [this, i] { cmdBild_Click(i); });
    connect(tmrLadeBilder, &QTimer::timeout, this, &MAIN::tmrLadeBilder_Timer);
    connect(tmrKlick, &QTimer::timeout, this, &MAIN::tmrKlick_Timer);
    connect(tmrZeit, &QTimer::timeout, this, &MAIN::tmrZeit_Timer);
    connect(cmdHallOfFame, &QPushButton::clicked, this, &MAIN::cmdHallOfFame_Click);
    connect(cmdOptions, &QPushButton::clicked, this, &MAIN::cmdOptions_Click);
    connect(cmdExit, &QPushButton::clicked, this, &MAIN::cmdExit_Click);
}

void MAIN::lade(int spielfeldgroesse, const QString& spielername)
{
    Form_Load(spielfeldgroesse, spielername);
    tmrLadeBilder->start();
}

float MAIN::tageszeit() const
{
    return tagesBruchteil(services_.clock.secondsSinceMidnight());
}

void MAIN::Form_Load(int spielfeldgroesse, const QString& spielername)
{
    partie.beginne(isBoardSize(spielfeldgroesse) ? spielfeldgroesse : 10, tageszeit());
    lblSpielername->setText(spielername);
    Baue_Spielfeld();
}

void MAIN::Baue_Spielfeld()
{
    const int n = partie.Spielfeldgroesse;
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

QStringList MAIN::bilderListe() const
{
    QStringList liste;
    liste.reserve(lstBilder->count());
    for (int i = 0; i < lstBilder->count(); ++i)
        liste.append(lstBilder->item(i)->text());
    return liste;
}

void MAIN::appendBild(const QString& path)
{
    lstBilder->insertItem(sortedPosition(bilderListe(), path), path);
}

void MAIN::tmrLadeBilder_Timer()
{
    tmrLadeBilder->stop();
    services_.random.seed(static_cast<std::uint32_t>(services_.clock.secondsSinceMidnight()));
    const QStringList liste = bilderListe();
    if (!partie.teileAus(liste, services_.random)) {
        tmrLadeBilder->start(); // look again in a second
        return;
    }
    frmMischen->hide();
    frmSpiel->setEnabled(true);
    // With the high-score list over the board the clock waits until the list is hidden.
    if (frmHallOfFame->isHidden())
        tmrZeit->start();
    else
        uhrLiefVorPause_ = true;
    boxes_->loadAhead(liste.mid(0, partie.Bildanzahl));
}

const PictureCache& MAIN::bilder() const
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
    return !partie.ausgeteilt() || tmrKlick->isActive() || listeArbeitet_;
}

void MAIN::Zeige_Bild(int Nr1Nr2, int BildNummer)
{
    boxes_->show(Nr1Nr2, partie.bildVon(BildNummer));
}

void MAIN::cmdBild_Click(int Index)
{
    // The list lies over the board; a card reached with the keyboard under it stays shut.
    // A click that bypasses the input (a screen reader's "press") is stopped here too.
    if (!frmHallOfFame->isHidden() || boardBlocked())
        return;
    const Klick k = partie.klicke(Index);
    if (k.art == Klick::Art::Ignoriert)
        return;
    Zeige_Bild(k.box, Index);
    voice_->cardTurned(k); // before a found pair takes the focus elsewhere
    if (k.art == Klick::Art::ErsteKarte)
        return;

    lblVersuche->setText(QStringLiteral("Versuche:") + zahlText(partie.Versuche));
    if (k.paar) {
        keys_->removePair(k.ersteKarte, Index);
        lblGefunden->setText(QStringLiteral("Paare: ") + zahlText(partie.Gefunden));
        if (k.spielEnde)
            tmrZeit->stop();
    }
    tmrKlick->start(); // blocks the board until its tick
    keys_->judgingBegins();
    if (k.spielEnde)
        Beende_Spiel();
}

void MAIN::tmrKlick_Timer()
{
    tmrKlick->stop();
    boxes_->clear();
    partie.schliesseVersuch();
    keys_->attemptClosed();
    voice_->attemptClosed();
}

void MAIN::tmrZeit_Timer()
{
    lblZeit->setText(zeitText(vergangeneSekunden(tageszeit(), partie.StartZeit)));
}

void MAIN::Beende_Spiel()
{
    ++beendeSpielAufrufe_;
    const int n = partie.Spielfeldgroesse;
    const QString zeit = lblZeit->text();
    const int punkte = punkteFuer(n, partie.Versuche, zeit);
    // The list is rewritten on a worker; the result is told when the list holds it.
    warteAufListe(true);
    trageEinImHintergrund(this, services_.folder.path(), lblSpielername->text(), punkte,
                          [this, n, zeit, punkte](const Eintragung& eintragung) {
                              quitQuestion_.run([this, n, zeit, punkte, eintragung] {
                                  warteAufListe(false);
                                  meldeErgebnis(services_.box, n, zeit, punkte, eintragung);
                              });
                          },
                          deadline_);
}

void MAIN::warteAufListe(bool wartet)
{
    listeArbeitet_ = wartet;
    if (wartet)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void MAIN::cmdHallOfFame_Click()
{
    if (listeArbeitet_)
        return; // the list is being read or written: the click would show it half-way
    if (frmHallOfFame->isHidden()) {
        uhrLiefVorPause_ = tmrZeit->isActive();
        tmrZeit->stop();
        partie.PauseZeit = tageszeit();
        warteAufListe(true);
        leseListeImHintergrund(this, services_.folder.path(), [this](const Gelesen& gelesen) {
            quitQuestion_.run([this, gelesen] { zeigeListe(gelesen); });
        }, deadline_);
    } else {
        setzeUhrFort();
        frmHallOfFame->hide();
        voice_->listHidden();
    }
}

void MAIN::zeigeListe(const Gelesen& gelesen)
{
    warteAufListe(false);
    if (gelesen.fehler) {
        // A list that cannot be read is named, not shown as empty rows; the game goes on.
        services_.box.show(displayErrorMessage(*gelesen.fehler), kTitel, MsgIcon::Critical, MsgButtons::Ok);
        setzeUhrFort();
        return;
    }
    fuelleListe(*this, gelesen.liste);
    frmHallOfFame->show();
    frmHallOfFame->raise();
    voice_->listShown();
}

void MAIN::setzeUhrFort()
{
    partie.StartZeit = nachPause(partie.StartZeit, partie.PauseZeit, tageszeit());
    // The clock goes on only if it ran before: not before the deal, not after the last pair.
    if (uhrLiefVorPause_)
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
    emit neueEinstellungen();
}

void MAIN::cmdExit_Click()
{
    // A rewrite of the list on its way is not waited for: its rename keeps the list whole.
    if (quitQuestion_.ask())
        emit beenden();
}

} // namespace tavik
