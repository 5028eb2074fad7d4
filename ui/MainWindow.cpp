#include "ui/MainWindow.h"

#include "rules/BoardFocus.h"
#include "rules/GameClock.h"
#include "rules/Grid.h"
#include "rules/NumberText.h"
#include "pictures/Fit.h"
#include "pictures/PictureDecoder.h"
#include "ui/HallOfFame.h"
#include "scores/ListWork.h"

#include <QKeyEvent>
#include <algorithm>

#include "ui/QuitQuestion.h"

namespace tavik {

namespace {

// The standard decoder of a display box's picture; runs on a worker. The box takes the
// picture's upright size fitted into the largest box, and the picture is decoded once for
// the inside of that box, within its border.
PictureLoader::Decode boxDecode(int border)
{
    return [border](const QString& path, QSize /*inside*/, qreal dpr) {
        const auto fit = [](QSize upright) {
            return fitToSquare(upright.width(), upright.height(), MainForm::kBoxSize);
        };
        return decodeForBox(path, fit, border, dpr);
    };
}

} // namespace

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
    bilder_ = new PictureCache(work.decode ? work.decode : boxDecode(imgKarteOffen[0]->frameWidth()), boxInnen(), work.deadline, this);
    connect(bilder_, &PictureCache::arrived, this, &MAIN::bildAngekommen);
    for (int i = 0; i < kCardCount; ++i) {
        connect(cmdBild[i], &QPushButton::clicked, this, [this, i] { cmdBild_Click(i); });
        cmdBild[i]->installEventFilter(this); // arrows, Enter, and the block of the board
    }
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
    // With the high-score list over the board the clock waits until the list is hidden.
    if (frmHallOfFame->isHidden())
        tmrZeit->start();
    else
        uhrLiefVorPause_ = true;
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
    // A click that bypasses the input (a screen reader's "press") is stopped here too.
    if (!frmHallOfFame->isHidden() || boardBlocked())
        return;
    const Klick k = partie.klicke(Index);
    if (k.art == Klick::Art::Ignoriert)
        return;
    Zeige_Bild(k.box, Index);
    cmdBild[Index]->setAccessibleDescription(QStringLiteral("Aufgedeckt, zeigt ein Bild"));
    if (k.art == Klick::Art::ErsteKarte)
        return;

    lblVersuche->setText(QStringLiteral("Versuche:") + zahlText(partie.Versuche));
    if (k.paar) {
        removePair(k.ersteKarte, Index);
        lblGefunden->setText(QStringLiteral("Paare: ") + zahlText(partie.Gefunden));
        if (k.spielEnde)
            tmrZeit->stop();
    }
    tmrKlick->start(); // blocks the board until its tick
    keepFocusFromClicks(true);
    if (k.spielEnde)
        Beende_Spiel();
}

void MAIN::removePair(int first, int second)
{
    const QWidget* focused = focusWidget();
    cmdBild[first]->hide();
    cmdBild[second]->hide();
    // The keyboard player keeps the place: the next card still on the board takes over.
    const int hadFocus = focused == cmdBild[first] ? first : focused == cmdBild[second] ? second : -1;
    if (hadFocus < 0)
        return;
    const int next = nextCardOnBoard(hadFocus, partie.Spielfeldgroesse, [this](int i) { return isOnBoard(i); });
    if (next >= 0)
        cmdBild[next]->setFocus(Qt::OtherFocusReason);
}

bool MAIN::isOnBoard(int card) const
{
    return !cmdBild[card]->isHidden();
}

bool MAIN::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        break;
    default:
        return MainForm::eventFilter(watched, event);
    }
    const auto card = std::find(cmdBild.begin(), cmdBild.end(), watched);
    if (card == cmdBild.end())
        return MainForm::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return cmdBild_Key(static_cast<int>(card - cmdBild.begin()), *static_cast<QKeyEvent*>(event));
    // While blocked the mouse neither presses a card down nor moves the focus.
    return boardBlocked();
}

bool MAIN::cmdBild_Key(int Index, const QKeyEvent& event)
{
    const bool press = event.type() == QEvent::KeyPress;
    switch (event.key()) {
    case Qt::Key_Left:
        return moveFocus(Index, -1, 0, press);
    case Qt::Key_Right:
        return moveFocus(Index, 1, 0, press);
    case Qt::Key_Up:
        return moveFocus(Index, 0, -1, press);
    case Qt::Key_Down:
        return moveFocus(Index, 0, 1, press);
    case Qt::Key_Space:
    case Qt::Key_Select:
        return boardBlocked(); // otherwise the button turns the card as on a click
    case Qt::Key_Enter:
    case Qt::Key_Return:
        // A plain button outside a dialogue ignores Enter; on a card it turns the card.
        if (press && !event.isAutoRepeat() && !boardBlocked())
            cmdBild[Index]->click();
        return true;
    default:
        return false;
    }
}

bool MAIN::moveFocus(int Index, int dx, int dy, bool press)
{
    // The whole grid is the arrows' field: they never leave it for the buttons below, and
    // the focus stays put at an edge.
    if (press) {
        const int target = cardInDirection(Index, partie.Spielfeldgroesse, dx, dy, [this](int i) { return isOnBoard(i); });
        if (target != Index)
            cmdBild[target]->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void MAIN::tmrKlick_Timer()
{
    tmrKlick->stop();
    for (ImageBox* box : imgKarteOffen) {
        box->clearPicture();
        box->hide();
    }
    for (QPushButton* card : cmdBild)
        if (!card->accessibleDescription().isEmpty())
            card->setAccessibleDescription(QString());
    partie.schliesseVersuch();
    keepFocusFromClicks(false);
}

void MAIN::keepFocusFromClicks(bool blocked)
{
    // A click gives a card the focus before any filter sees it; while blocked, a click must
    // not move the focus ring either. Tab and the arrows still reach every card.
    for (QPushButton* card : cmdBild)
        card->setFocusPolicy(blocked ? Qt::TabFocus : Qt::StrongFocus);
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
                              nachDerFrage([this, n, zeit, punkte, eintragung] {
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

void MAIN::nachDerFrage(std::function<void()> schritt)
{
    // A message must not open over the quit question: it waits for the answer.
    if (frageOffen_)
        wartet_ = std::move(schritt);
    else
        schritt();
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
            nachDerFrage([this, gelesen] { zeigeListe(gelesen); });
        }, deadline_);
    } else {
        setzeUhrFort();
        frmHallOfFame->hide();
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
}

void MAIN::setzeUhrFort()
{
    partie.StartZeit = nachPause(partie.StartZeit, partie.PauseZeit, tageszeit());
    // The clock goes on only if it ran before: not before the deal, not after the last pair.
    if (uhrLiefVorPause_)
        tmrZeit->start();
}

void MAIN::cmdOptions_Click()
{
    emit neueEinstellungen();
}

void MAIN::cmdExit_Click()
{
    frageOffen_ = true;
    const bool ja = frageBeenden(services_.box);
    frageOffen_ = false;
    if (ja) {
        emit beenden(); // a rewrite of the list on its way is not waited for: its rename keeps the list whole
        return;
    }
    if (wartet_)
        std::exchange(wartet_, nullptr)();
}

} // namespace tavik
