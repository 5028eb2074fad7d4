// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the three screens for a person to look at after a change to the layout or
// the look: the splash, the settings screen, a 6 x 6 game with two cards turned, and the
// game with the high-score list open.
//   screenshots [OUTPUT-FOLDER]    (QT_QPA_PLATFORM=offscreen, or under bench/under_xvfb.sh)

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "scores/HighScorePath.h"
#include "tests/PictureWaits.h"
#include "tests/TestDoubles.h"
#include "tests/TestPictures.h"
#include "ui/IntroWindow.h"
#include "ui/MainWindow.h"
#include "ui/OptionsWindow.h"

using namespace tavik;

namespace {

bool save(QWidget& window, const QString& path)
{
    const bool saved = window.grab().save(path);
    qInfo("%s %s", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir folder;
    test::ScriptedWorld world;
    world.folder.folder = folder.path();
    const QList<QColor> colours{Qt::red, Qt::darkGreen, Qt::blue, Qt::darkYellow, Qt::magenta, Qt::darkCyan};
    QStringList pictures;
    for (int i = 0; i < 18; ++i) {
        pictures << folder.filePath(QStringLiteral("bild%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
        QImage image(120 + 20 * (i % 3), 90, QImage::Format_RGB32);
        image.fill(colours[i % colours.size()].lighter(100 + 15 * (i / colours.size())));
        image.save(pictures.last(), "JPG");
    }

    bool ok = true;
    IntroWindow intro;
    ok &= save(intro, out + "/layout-intro.png");
    test::RecordingGame notStarted;
    OPTIONS options(world.services(), [&](int, const QString&) { return &notStarted; });
    options.setAttribute(Qt::WA_DeleteOnClose, false);
    ok &= QTest::qWaitFor([&] { return options.Drive1->count() > 0 && options.File1->listCount() > 0; }); // read on workers
    ok &= save(options, out + "/layout-options.png");

    MAIN game(world.services(), 6, QStringLiteral("Karla"));
    for (const QString& p : pictures)
        game.appendPicture(p);
    game.show();
    game.tmrLadeBilder_Timer();
    ok &= test::settlePictures();
    QTest::mouseClick(game.cmdBild[0], Qt::LeftButton);
    QTest::mouseClick(game.cmdBild[7], Qt::LeftButton);
    ok &= test::settlePictures();
    ok &= save(game, out + "/game-screen.png");

    test::onWorker([&] { return test::writeBytes(listFileIn(folder.path()), "Karla\r\n 1500 \r\nBernd\r\n 1200 \r\nJ\xFC" "rgen\r\n-12 \r\n"); });
    game.cmdHallOfFame->click();
    ok &= QTest::qWaitFor([&] { return game.frmHallOfFame->isVisible(); });
    ok &= save(game, out + "/game-screen-highscores.png");
    game.stop();
    return ok ? 0 : 1;
}
