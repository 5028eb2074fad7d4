#include "app/ScreenFlow.h"

#include <QCoreApplication>
#include <QImage>
#include <QTimer>

#include "ui/MainWindow.h"
#include "ui/OptionsWindow.h"
#include "ui/IntroWindow.h"

namespace tavik {

namespace {

// Long enough for a screen to be on screen and settled before the next one is built; far
// shorter than the splash lasts or than any player takes to press a button.
constexpr int kPrepareAfterMs = 400;

// The first paint of a screen is its dearest: fonts are loaded, glyphs drawn, the card looks
// made. Drawn here once, off screen, the first paint on screen finds them ready.
void paintOnce(QWidget* screen)
{
    QImage scratch(screen->size(), QImage::Format_ARGB32_Premultiplied);
    screen->render(&scratch);
}

} // namespace

ScreenFlow::ScreenFlow(Services services, QObject* parent)
    : QObject(parent)
    , services_(services)
{
}

ScreenFlow::~ScreenFlow()
{
    delete intro_.data();
    delete options_.data();
    delete game_.data();
    delete spare_.data();
    delete spareOptions_.data();
}

void ScreenFlow::start()
{
    intro_ = new IntroWindow;
    watch(intro_);
    connect(intro_, &IntroWindow::splashEnded, this, &ScreenFlow::openOptions);
    intro_->show();
    QTimer::singleShot(kPrepareAfterMs, this, &ScreenFlow::prepareOptions);
}

void ScreenFlow::prepareOptions()
{
    if (ended_ || spareOptions_ || options_)
        return; // one ahead is enough, and only while the splash or a game is on screen
    spareOptions_ = new OPTIONS(services_, [this](int n, const QString& name) { return createGame(n, name); },
                                nullptr, {}, false);
    paintOnce(spareOptions_);
}

void ScreenFlow::openOptions()
{
    if (ended_)
        return;
    // Built ahead while the splash or the game was on screen; loaded now, as it opens.
    options_ = spareOptions_ ? spareOptions_.data()
                             : new OPTIONS(services_, [this](int n, const QString& name) { return createGame(n, name); },
                                           nullptr, {}, false);
    spareOptions_ = nullptr;
    options_->load();
    watch(options_);
    connect(options_, &OPTIONS::quitConfirmed, this, &ScreenFlow::endProgram);
    options_->show();
    QTimer::singleShot(kPrepareAfterMs, this, &ScreenFlow::prepareGame);
}

void ScreenFlow::prepareGame()
{
    if (ended_ || spare_ || !options_)
        return; // one ahead is enough, and only while the settings screen waits
    spare_ = new MAIN(services_);
    paintOnce(spare_);
}

MAIN* ScreenFlow::createGame(int spielfeldgroesse, const QString& name)
{
    // Without a screen built ahead (a start within a moment of the settings screen) it is built now.
    game_ = spare_ ? spare_.data() : new MAIN(services_);
    spare_ = nullptr;
    game_->load(spielfeldgroesse, name);
    watch(game_);
    connect(game_, &MAIN::newSettings, this, &ScreenFlow::restart);
    connect(game_, &MAIN::quitConfirmed, this, &ScreenFlow::endProgram);
    // The settings screen the restart button opens, built while this game goes on.
    QTimer::singleShot(kPrepareAfterMs, this, &ScreenFlow::prepareOptions);
    return game_;
}

void ScreenFlow::restart()
{
    openOptions();
    if (game_) {
        // The game is discarded: it stops at once, and closes.
        game_->stop();
        game_->close();
    }
}

void ScreenFlow::endProgram()
{
    // Everything closes at once and no further event of any screen runs.
    ended_ = true;
    const auto end = [](auto* screen) {
        if (!screen)
            return;
        screen->stop();
        screen->hide();
        screen->setEnabled(false);
    };
    end(intro_.data());
    end(options_.data());
    end(game_.data());
    QCoreApplication::exit(0);
}

void ScreenFlow::watch(QWidget* window)
{
    // A screen closed by the window system simply closes; with none left the program ends.
    connect(window, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, &ScreenFlow::endWhenNoWindowLeft);
    });
}

void ScreenFlow::endWhenNoWindowLeft()
{
    if (!intro_ && !options_ && !game_ && !ended_) {
        ended_ = true;
        QCoreApplication::exit(0);
    }
}

} // namespace tavik
