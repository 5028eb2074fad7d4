#include "shell/ScreenFlow.h"

#include <QCoreApplication>
#include <QTimer>

#include "game/MainWindow.h"
#include "settings/OptionsWindow.h"
#include "shell/IntroWindow.h"

namespace tavik {

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
}

void ScreenFlow::start()
{
    intro_ = new IntroWindow;
    watch(intro_);
    connect(intro_, &IntroWindow::splashEnded, this, &ScreenFlow::openOptions);
    intro_->show();
}

void ScreenFlow::openOptions()
{
    if (ended_)
        return;
    options_ = new OPTIONS(services_, [this](int n, const QString& name) { return createGame(n, name); });
    watch(options_);
    connect(options_, &OPTIONS::beenden, this, &ScreenFlow::endProgram);
    options_->show();
}

MAIN* ScreenFlow::createGame(int spielfeldgroesse, const QString& name)
{
    game_ = new MAIN(services_, spielfeldgroesse, name);
    watch(game_);
    connect(game_, &MAIN::neueEinstellungen, this, &ScreenFlow::restart);
    connect(game_, &MAIN::beenden, this, &ScreenFlow::endProgram);
    return game_;
}

void ScreenFlow::stopTimers(QWidget* window)
{
    for (QTimer* timer : window->findChildren<QTimer*>())
        timer->stop();
}

void ScreenFlow::restart()
{
    openOptions();
    if (game_) {
        // Closing the game screen stops its timers at once; the game is discarded.
        stopTimers(game_);
        game_->close();
    }
}

void ScreenFlow::endProgram()
{
    // Everything closes at once and no further event of any screen runs.
    ended_ = true;
    for (QWidget* window : {static_cast<QWidget*>(intro_.data()), static_cast<QWidget*>(options_.data()),
                            static_cast<QWidget*>(game_.data())}) {
        if (!window)
            continue;
        stopTimers(window);
        window->hide();
        window->setEnabled(false);
    }
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
