#include "game/MainWindow.h"

#include "game/GameClock.h"
#include "game/Grid.h"
#include "game/NumberText.h"
#include "game/PictureFile.h"
#include "scores/HallOfFame.h"
#include "scores/HighScoreFile.h"

namespace tavik {

namespace {

// The standard decoder of a display box's picture; runs on a worker.
Decoded standardBoxDecode(const QString& path, QSize /*area*/, qreal /*dpr*/)
{
    auto [fitted, image] = loadFitted(path, MainForm::kBoxSize);
    return {std::move(image), fitted};
}

} // namespace

MAIN::MAIN(Services services, int spielfeldgroesse, const QString& spielername, QWidget* parent,
           PictureWork work)
    : MainForm(parent)
    , services_(services)
{
    bilder_ = new PictureCache(work.decode ? work.decode : standardBoxDecode, boxInnen(), work.deadline, this);
    connect(bilder_, &PictureCache::arrived, this, &MAIN::bildAngekommen);
    for (int i = 0; i < kCardCount; ++i)
        connect(cmdBild[i], &QPushButton::clicked, this, [this, i] { cmdBild_Click(i); });
    connect(tmrLadeBilder, &QTimer::timeout, this, &MAIN::tmrLadeBilder_Timer);
    connect(tmrKlick, &QTimer::timeout, this, &MAIN::tmrKlick_Timer);
    connect(tmrZeit, &QTimer::timeout, this, &MAIN::tmrZeit_Timer);
    connect(cmdHallOfFame, &QPushButton::clicked, this, &MAIN::cmdHallOfFame_Click);
    connect(cmdOptions, &QPushButton::clicked, this, &MAIN::cmdOptions_Click);
    connect(cmdExit, &QPushButton::clicked, this, &MAIN::cmdExit_Click);
    Form_Load(spielfeldgroesse, spielername);
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
    // Until the deal every slot is empty and any two cards would compare equal:
    // the board stays blocked until then.
    frmSpiel->setEnabled(false);
}

void MAIN::Baue_Spielfeld()
{
    const int n = partie.Spielfeldgroesse;
    for (int i = 0; i < kCardCount; ++i) {
        cmdBild[i]->hide();
        cmdBild[i]->setToolTip(cardTooltip(i));
        cmdBild[i]->setAccessibleName(cardTooltip(i));
    }
    for (int i = 0; i < n * n; ++i) {
        cmdBild[i]->move(px(cardLeftTwips(i, n)), px(cardTopTwips(i, n)));
        cmdBild[i]->show();
    }
    frmSpiel->resize(boardFramePixels(n), boardFramePixels(n));
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
    tmrZeit->start();
    bilder_->ladeVoraus(liste.mid(0, partie.Bildanzahl), imgKarteOffen[0]->devicePixelRatioF());
}

QSize MAIN::boxInnen() const
{
    const int rand = 2 * imgKarteOffen[0]->frameWidth();
    return QSize(kBoxSize - rand, kBoxSize - rand);
}

void MAIN::zeigeIn(int Nr1Nr2, const PictureCache::Bild& b)
{
    ImageBox* box = imgKarteOffen[static_cast<size_t>(Nr1Nr2)];
    box->setStretch(false);
    // A picture that cannot be read (gone, unreadable, not decodable, past its deadline)
    // leaves the box empty.
    box->setPicture(b.pixmap);
    box->resize(b.groesse.isValid() ? b.groesse : QSize(kBoxSize, kBoxSize));
    box->setStretch(true);
    box->show();
}

void MAIN::Zeige_Bild(int Nr1Nr2, int BildNummer)
{
    const QString path = partie.bildVon(BildNummer);
    gewuenscht_[static_cast<size_t>(Nr1Nr2)] = path;
    if (const PictureCache::Bild* b = bilder_->fertig(path)) {
        zeigeIn(Nr1Nr2, *b);
        return;
    }
    // Not decoded yet: the box opens empty at once and the picture follows when it comes.
    zeigeIn(Nr1Nr2, PictureCache::Bild{});
    bilder_->lade(path, imgKarteOffen[static_cast<size_t>(Nr1Nr2)]->devicePixelRatioF());
}

void MAIN::bildAngekommen(const QString& path)
{
    for (int i = 0; i < 2; ++i) {
        // Wanted only while the box still waits for it: an attempt judged since hid the box.
        if (gewuenscht_[static_cast<size_t>(i)] != path || imgKarteOffen[static_cast<size_t>(i)]->isHidden())
            continue;
        if (const PictureCache::Bild* b = bilder_->fertig(path))
            zeigeIn(i, *b);
    }
}

void MAIN::cmdBild_Click(int Index)
{
    // The list lies over the board; a card reached with the keyboard under it stays shut.
    if (!frmHallOfFame->isHidden())
        return;
    const Klick k = partie.klicke(Index);
    if (k.art == Klick::Art::Ignoriert)
        return;
    Zeige_Bild(k.box, Index);
    if (k.art == Klick::Art::ErsteKarte)
        return;

    lblVersuche->setText(QStringLiteral("Versuche:") + zahlText(partie.Versuche));
    if (k.paar) {
        cmdBild[k.ersteKarte]->hide();
        cmdBild[Index]->hide();
        lblGefunden->setText(QStringLiteral("Paare: ") + zahlText(partie.Gefunden));
        if (k.spielEnde)
            tmrZeit->stop();
    }
    frmSpiel->setEnabled(false);
    tmrKlick->start();
    if (k.spielEnde)
        Beende_Spiel();
}

void MAIN::tmrKlick_Timer()
{
    tmrKlick->stop();
    for (ImageBox* box : imgKarteOffen) {
        box->clearPicture();
        box->hide();
    }
    partie.schliesseVersuch();
    frmSpiel->setEnabled(true);
}

void MAIN::tmrZeit_Timer()
{
    lblZeit->setText(zeitText(vergangeneSekunden(tageszeit(), partie.StartZeit)));
}

void MAIN::Beende_Spiel()
{
    ++beendeSpielAufrufe_;
    beendeSpiel(services_.box, services_.folder.path(), partie.Spielfeldgroesse, partie.Versuche,
                lblZeit->text(), lblSpielername->text());
}

void MAIN::cmdHallOfFame_Click()
{
    if (frmHallOfFame->isHidden()) {
        uhrLiefVorPause_ = tmrZeit->isActive();
        tmrZeit->stop();
        partie.PauseZeit = tageszeit();
        fuelleListe(*this, leseListeDatei(listenPfad(services_.folder.path())));
        frmHallOfFame->show();
        frmHallOfFame->raise();
    } else {
        partie.StartZeit = nachPause(partie.StartZeit, partie.PauseZeit, tageszeit());
        // The clock goes on only if it ran before: not before the deal, not after the last pair.
        if (uhrLiefVorPause_)
            tmrZeit->start();
        frmHallOfFame->hide();
    }
}

void MAIN::cmdOptions_Click()
{
    emit neueEinstellungen();
}

void MAIN::cmdExit_Click()
{
    if (frageBeenden(services_.box))
        emit beenden();
}

} // namespace tavik
