// Tavik: a pairs-matching card game. Starting the program opens the splash window.

#include <QApplication>

#include "shell/Controls.h"
#include "shell/ScreenFlow.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavik"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/artwork/emblem.png")));
    QApplication::setFont(tavik::dialogFont());
    // The screen flow decides when the program ends, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);

    tavik::QtMessageBox box;
    tavik::SystemTimeOfDay clock;
    tavik::MersenneRandom random;
    tavik::ExecutableFolder folder;
    tavik::ScreenFlow flow({box, clock, random, folder});
    flow.start();
    return QApplication::exec();
}
