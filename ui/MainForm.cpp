#include "ui/MainForm.h"

#include "ui/CardButton.h"
#include "platform/MessageBox.h"
#include "ui/Window.h"

#include <QGraphicsDropShadowEffect>

namespace tavik {

namespace {

QTimer* makeTimer(QObject* parent, const QString& name, int interval, bool enabled)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(name);
    timer->setInterval(interval);
    // A coarse timer may fire up to 5 % early or late: the deal would wander between 950 and
    // 1050 ms and the clock label would skip or repeat a second.
    timer->setTimerType(Qt::PreciseTimer);
    if (enabled)
        timer->start();
    return timer;
}

} // namespace

MainForm::MainForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("MAIN"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitel);
    resize(653, 531);
    setFont(dialogFont());

    buildStatusLine();
    buildBoard();
    buildHallOfFame();
    buildButtonsAndTimers();

    // Keyboard order: the cards in index order, then the three buttons below the board.
    QWidget* previous = cmdBild[0];
    for (int i = 1; i < 100; ++i) {
        setTabOrder(previous, cmdBild[i]);
        previous = cmdBild[i];
    }
    setTabOrder(previous, cmdHallOfFame);
    setTabOrder(cmdHallOfFame, cmdOptions);
    setTabOrder(cmdOptions, cmdExit);

    centreOnScreen(this);
}

void MainForm::buildStatusLine()
{
    lblSpielername = makeLabel(this, QStringLiteral("lblSpielername"), QStringLiteral("Label1"),
                               QRect(24, 8, 609, 25));
    lblSpielername->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblSpielername->setFont(layoutFont(13.5, true));
    setTextColour(lblSpielername, QColor(0, 0, 255));

    lblVersuche = makeLabel(this, QStringLiteral("lblVersuche"), QStringLiteral("Versuche: 0"),
                            QRect(24, 40, 153, 25));
    lblVersuche->setFont(layoutFont(12, true));
    setTextColour(lblVersuche, QColor(255, 128, 0));

    lblGefunden = makeLabel(this, QStringLiteral("lblGefunden"), QStringLiteral("Paare: 0"),
                            QRect(280, 40, 153, 25));
    lblGefunden->setFont(layoutFont(12, true));
    setTextColour(lblGefunden, QColor(0, 128, 0));

    lblZeit = makeLabel(this, QStringLiteral("lblZeit"), QStringLiteral("Zeit: 00:00:00"),
                        QRect(480, 40, 153, 49));
    lblZeit->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblZeit->setFont(layoutFont(12, true));
    setTextColour(lblZeit, QColor(255, 0, 0));

    const QString tips[2] = {QStringLiteral("Ihre erste geöffnete Karte"),
                             QStringLiteral("Ihre zweite geöffnete Karte")};
    const int tops[2] = {88, 272};
    for (int i = 0; i < 2; ++i) {
        imgKarteOffen[i] = new ImageBox(this, QStringLiteral("imgKarteOffen_%1").arg(i),
                                        QRect(16, tops[i], kBoxSize, kBoxSize), true);
        imgKarteOffen[i]->setStretch(true);
        imgKarteOffen[i]->setToolTip(tips[i]);
        imgKarteOffen[i]->hide();
    }
}

void MainForm::buildBoard()
{
    frmSpiel = makeFrame(this, QStringLiteral("frmSpiel"), QRect(200, 80, 441, 441));
    for (int i = 0; i < 100; ++i) {
        auto* card = new CardButton(frmSpiel);
        card->setObjectName(QStringLiteral("cmdBild_%1").arg(i));
        card->setGeometry(pxRect(360 + 600 * (i % 10), 360 + 600 * (i / 10), 615, 615));
        cmdBild[i] = card;
    }
    frmMischen = makeFrame(frmSpiel, QStringLiteral("frmMischen"), pxRect(360, 360, 3015, 1815));
    frmMischen->setAutoFillBackground(true);
    lblMischen = makeLabel(frmMischen, QStringLiteral("lblMischen"), QStringLiteral("MISCHEN"),
                           pxRect(480, 600, 1935, 495));
    lblMischen->setFont(layoutFont(18, true, true));
    setTextColour(lblMischen, QColor(255, 0, 0));
    frmMischen->raise(); // lies over the cards in its area
}

void MainForm::buildHallOfFame()
{
    frmHallOfFame = makeFrame(this, QStringLiteral("frmHallOfFame"), QRect(200, 80, 441, 441));
    frmHallOfFame->setAutoFillBackground(true);

    const QFont listFont = layoutFont(12, true);
    const QColor rowColours[4] = {QColor(), QColor(255, 255, 0), QColor(192, 255, 255), QColor(128, 64, 0)};
    const int platzWidths[11] = {615, 375, 495, 375, 375, 495, 375, 375, 375, 375, 495};
    for (int row = 0; row <= 10; ++row) {
        const int top = row == 0 ? 360 : 600 + 360 * row;
        const QString place = row == 0 ? QStringLiteral("Platz")
                              : row == 10 ? QStringLiteral("10")
                                          : QStringLiteral(" %1").arg(row);
        lblHighPlatz[row] = makeLabel(frmHallOfFame, QStringLiteral("lblHighPlatz_%1").arg(row), place,
                                      pxRect(120, top, platzWidths[row], 255));
        lblHighName[row] = makeLabel(frmHallOfFame, QStringLiteral("lblHighName_%1").arg(row),
                                     QStringLiteral("Name"),
                                     row == 0 ? pxRect(1080, top, 3495, 255) : pxRect(600, top, 4095, 255));
        lblHighPunkte[row] = makeLabel(frmHallOfFame, QStringLiteral("lblHighPunkte_%1").arg(row),
                                       row == 0 ? QStringLiteral("Punkte") : QStringLiteral("0"),
                                       pxRect(4920, top, 1575, 255));
        lblHighPunkte[row]->setAlignment(Qt::AlignRight | Qt::AlignTop);
        for (QLabel* label : {lblHighPlatz[row], lblHighName[row], lblHighPunkte[row]}) {
            label->setFont(listFont);
            if (row >= 1 && row <= 3) {
                setTextColour(label, rowColours[row]);
                // Gold, silver and bronze are light; a dark edge keeps them readable on grey.
                auto* edge = new QGraphicsDropShadowEffect(label);
                edge->setColor(QColor(40, 40, 40));
                edge->setOffset(1, 1);
                edge->setBlurRadius(0);
                label->setGraphicsEffect(edge);
            }
        }
    }

    Line1 = new QFrame(frmHallOfFame);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameStyle(QFrame::HLine | QFrame::Plain);
    Line1->setGeometry(px(120), px(720), px(6480) - px(120), 1);

    Label1 = makeLabel(frmHallOfFame, QStringLiteral("Label1"),
                       QStringLiteral("Klicken Sie erneut auf den Button für die Highscoretabelle, "
                                      "um zum Spiel zurückzukehren."),
                       pxRect(1680, 5160, 3375, 855));
    Label1->setFont(layoutFont(9.75, true));
    Label1->setWordWrap(true);
    Label1->setFrameStyle(QFrame::Box | QFrame::Plain);
    setTextColour(Label1, QColor(0, 0, 192));

    frmHallOfFame->hide();
    frmHallOfFame->raise(); // lies over the board
}

void MainForm::buildButtonsAndTimers()
{
    cmdHallOfFame = makePictureButton(this, QStringLiteral("cmdHallOfFame"), QStringLiteral(":/artwork/trophy.png"),
                                      QStringLiteral("Highscoreanzeige"), QRect(16, 464, 41, 41));
    cmdOptions = makePictureButton(this, QStringLiteral("cmdOptions"), QStringLiteral(":/artwork/options.png"),
                                   QStringLiteral("Neustart / neue Einstellungen"), QRect(64, 464, 41, 41));
    cmdExit = makePictureButton(this, QStringLiteral("cmdExit"), QStringLiteral(":/artwork/cross.png"),
                                QStringLiteral("Tavik beenden"), QRect(112, 464, 41, 41));

    lstBilder = new QListWidget(this);
    lstBilder->setObjectName(QStringLiteral("lstBilder"));
    lstBilder->setGeometry(8, 0, 177, 30);
    lstBilder->hide();

    tmrLadeBilder = makeTimer(this, QStringLiteral("tmrLadeBilder"), 1000, true);
    tmrKlick = makeTimer(this, QStringLiteral("tmrKlick"), 1500, false);
    tmrZeit = makeTimer(this, QStringLiteral("tmrZeit"), 1000, false);
}

} // namespace tavik
