// SPDX-License-Identifier: GPL-3.0-or-later
// Tavik: a pairs-matching card game. Starting the program opens the splash window.

#include <QApplication>

#include "ui/Controls.h"
#include "app/ScreenFlow.h"
#include "platform/Version.h"
#include "ui/QtMessageBox.h"

// Under Wayland a window has no say over its place, and Qt draws a full title bar on every
// window the compositor does not decorate; through XWayland the X11 rules hold, so the
// splash opens centred and the settings screen without a title bar. A platform the player
// chose with QT_QPA_PLATFORM is kept, and native Wayland remains the fallback.
static void preferXWaylandInWaylandSessions()
{
    const bool waylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                || qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (waylandSession && !qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

int main(int argc, char* argv[])
{
    preferXWaylandInWaylandSessions();
    tavik::ExecutableFolder folder; // found before the windows exist: it reads a link
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavik"));
    QApplication::setApplicationVersion(QStringLiteral(TAVIK_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/artwork/emblem.png")));
    QApplication::setFont(tavik::dialogFont());
    // The screen flow decides when the program ends, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);

    tavik::QtMessageBox box;
    tavik::SystemTimeOfDay clock;
    tavik::MersenneRandom random;
    tavik::ScreenFlow flow({box, clock, random, folder});
    flow.start();
    return QApplication::exec();
}
