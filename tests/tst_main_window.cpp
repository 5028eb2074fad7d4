// The game screen through its real buttons, with a scripted clock and random source and
// the timers' handlers called directly.

#include <QtTest>

#include "game/Grid.h"
#include "game/MainWindow.h"
#include "game/PictureFile.h"
#include "scores/HighScoreFile.h"
#include "tests/TestDoubles.h"
#include "tests/TestPictures.h"
#include "tests/PictureWaits.h"

using namespace std::chrono_literals;
using namespace tavik;

namespace {

// A decoder that answers only when the test lets it.
PictureWork blockedDecoder(QSemaphore& drive, std::chrono::milliseconds deadline)
{
    PictureWork work;
    work.decode = [&drive](const QString& path, QSize, qreal) {
        drive.acquire();
        auto [fitted, image] = loadFitted(path, MainForm::kBoxSize);
        return Decoded{image, fitted};
    };
    work.deadline = deadline;
    return work;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir folder;      // pictures and the program folder with its list file
    QStringList pictures;      // 50 distinct pictures, 300 x 200 pixels

    std::unique_ptr<MAIN> newGame(test::ScriptedWorld& world, int n, int count = -1)
    {
        world.folder.folder = folder.path();
        auto game = std::make_unique<MAIN>(world.services(), n, QStringLiteral("Karla"));
        for (int i = 0; i < (count < 0 ? n * n / 2 : count); ++i)
            game->appendBild(pictures[i]);
        game->show();
        return game;
    }

    static void click(MAIN& game, int card) { QTest::mouseClick(game.cmdBild[card], Qt::LeftButton); }

    // The other card with the same picture as `card`, or -1.
    static int partnerOf(const MAIN& game, int card)
    {
        const int cards = game.partie.Spielfeldgroesse * game.partie.Spielfeldgroesse;
        for (int i = 0; i < cards; ++i)
            if (i != card && game.partie.bildVon(i) == game.partie.bildVon(card))
                return i;
        return -1;
    }

private slots:
    void initTestCase()
    {
        for (int i = 0; i < 50; ++i) {
            const QString path = folder.filePath(QStringLiteral("b%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
            QVERIFY(test::writePicture(path, {300, 200}, "JPG", -1, QColor::fromHsv(i * 7, 200, 200)));
            pictures << path;
        }
    }

    void grid_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("4x4") << 4;
        QTest::newRow("6x6") << 6;
        QTest::newRow("8x8") << 8;
        QTest::newRow("10x10") << 10;
    }
    void grid()
    {
        QFETCH(int, n);
        test::ScriptedWorld world;
        auto game = newGame(world, n);
        QCOMPARE(game->frmSpiel->size(), QSize(41 * n + 31, 41 * n + 31));
        QCOMPARE(game->frmSpiel->pos(), QPoint(200, 80));
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(game->cmdBild[i]->isHidden(), i >= n * n);
            QCOMPARE(game->cmdBild[i]->toolTip(), cardTooltip(i));
            if (i < n * n)
                QCOMPARE(game->cmdBild[i]->pos(), QPoint(16 + 40 * (i % n), 24 + 40 * (i / n)));
        }
        QCOMPARE(game->cmdBild[n]->pos(), QPoint(16, 64));
        QCOMPARE(game->partie.Versuche, 0);
        QCOMPARE(game->partie.Gefunden, 0);
        QCOMPARE(game->partie.KlickKarteNr, 0);
        for (int slot = 1; slot <= 100; ++slot)
            QVERIFY(game->partie.KartenBild[slot].isEmpty());
        QCOMPARE(game->partie.StartZeit, static_cast<float>(world.clock.seconds) / 86400.0f);
    }

    void nameIsShownAsTyped()
    {
        test::ScriptedWorld world;
        MAIN game(world.services(), 4, QStringLiteral("  Karla  "));
        QCOMPARE(game.lblSpielername->text(), QStringLiteral("  Karla  "));
    }

    void boardIsBlockedUntilTheDeal()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        click(*game, 0);
        click(*game, 1);
        QCOMPARE(game->partie.Versuche, 0);
        QVERIFY(game->imgKarteOffen[0]->isHidden());
        QVERIFY(!game->cmdBild[0]->isHidden());
    }

    void dealWaitsForACompleteList()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4, 7);
        game->tmrLadeBilder_Timer();
        QVERIFY(game->tmrLadeBilder->isActive()); // looks again in a second
        QVERIFY(!game->frmMischen->isHidden());
        QVERIFY(!game->tmrZeit->isActive());
        QVERIFY(game->partie.KartenBild[1].isEmpty());
        QCOMPARE(game->partie.Bildanzahl, 0);

        game->appendBild(pictures[7]);
        world.clock.seconds = 12345;
        game->tmrLadeBilder_Timer();
        QVERIFY(!game->tmrLadeBilder->isActive());
        QVERIFY(game->frmMischen->isHidden());
        QVERIFY(game->tmrZeit->isActive());
        QVERIFY(game->frmSpiel->isEnabled());
        QCOMPARE(game->partie.Bildanzahl, 8);
        QCOMPARE(world.random.seeds.last(), 12345u); // seeded from the seconds since midnight
        for (int slot = 1; slot <= 16; ++slot)
            QVERIFY(pictures.mid(0, 8).contains(game->partie.KartenBild[slot]));
        QVERIFY(game->partie.KartenBild[17].isEmpty());
    }

    void listIsSortedWithoutRegardToCase()
    {
        test::ScriptedWorld world;
        MAIN game(world.services(), 4, "x");
        game.appendBild("/p/Banane.jpg");
        game.appendBild("/p/apfel.jpg");
        game.appendBild("/p/Ast.bmp");
        QCOMPARE(game.lstBilder->item(0)->text(), QStringLiteral("/p/apfel.jpg"));
        QCOMPARE(game.lstBilder->item(1)->text(), QStringLiteral("/p/Ast.bmp"));
        QCOMPARE(game.lstBilder->item(2)->text(), QStringLiteral("/p/Banane.jpg"));
    }

    void anAttemptThroughTheButtons()
    {
        test::ScriptedWorld world;
        world.random.draws = {0.3f, 0.9f, 0.1f, 0.6f, 0.45f};
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        QVERIFY(test::settlePictures());
        const int partner = partnerOf(*game, 0);
        const int other = partner == 1 ? 2 : 1;

        click(*game, 0);
        QVERIFY(game->imgKarteOffen[0]->isVisible());
        QVERIFY(game->imgKarteOffen[0]->hasPicture());
        QCOMPARE(game->imgKarteOffen[0]->size(), QSize(169, 112));
        click(*game, 0); // the open card again changes nothing
        QVERIFY(game->imgKarteOffen[1]->isHidden());
        QCOMPARE(game->lblVersuche->text(), QStringLiteral("Versuche: 0"));

        click(*game, other); // a mismatch
        QVERIFY(game->imgKarteOffen[1]->isVisible());
        QCOMPARE(game->lblVersuche->text(), QStringLiteral("Versuche: 1"));
        QCOMPARE(game->lblGefunden->text(), QStringLiteral("Paare: 0"));
        QVERIFY(!game->frmSpiel->isEnabled());
        QVERIFY(game->tmrKlick->isActive());
        click(*game, 3); // blocked while judging
        QCOMPARE(game->partie.KlickKarteNr, 0);
        QVERIFY(!game->cmdBild[0]->isHidden());

        game->tmrKlick_Timer();
        QVERIFY(!game->tmrKlick->isActive());
        QVERIFY(game->imgKarteOffen[0]->isHidden());
        QVERIFY(!game->imgKarteOffen[0]->hasPicture());
        QVERIFY(game->imgKarteOffen[1]->isHidden());
        QCOMPARE(game->partie.KartenNr1, -1);
        QVERIFY(game->frmSpiel->isEnabled());

        click(*game, 0);
        click(*game, partner); // a pair vanishes at once, both pictures stay on view
        QVERIFY(game->cmdBild[0]->isHidden());
        QVERIFY(game->cmdBild[partner]->isHidden());
        QVERIFY(game->imgKarteOffen[0]->isVisible());
        QVERIFY(game->imgKarteOffen[1]->isVisible());
        QCOMPARE(game->lblGefunden->text(), QStringLiteral("Paare:  1"));
        QCOMPARE(game->lblVersuche->text(), QStringLiteral("Versuche: 2"));
    }

    void wholeGameWithoutAMismatch()
    {
        test::ScriptedWorld world;
        world.random.draws = {0.71f, 0.05f, 0.33f};
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        world.clock.advance(65);
        game->tmrZeit_Timer();
        QCOMPARE(game->lblZeit->text(), QStringLiteral("Zeit: 00:01:05"));

        for (int card = 0; card < 16; ++card) {
            if (game->cmdBild[card]->isHidden())
                continue;
            click(*game, card);
            click(*game, partnerOf(*game, card));
            if (game->tmrKlick->isActive())
                game->tmrKlick_Timer();
        }
        QCOMPARE(game->lblVersuche->text(), QStringLiteral("Versuche: 8"));
        QCOMPARE(game->lblGefunden->text(), QStringLiteral("Paare:  8"));
        QVERIFY(!game->tmrZeit->isActive());
        QCOMPARE(game->beendeSpielAufrufe(), 1);
        // 1600 - 3 x 8 - 65
        QCOMPARE(world.box.shown.size(), 1);
        QVERIFY(world.box.shown[0].text.contains(QStringLiteral("Punktzahl von: 1511")));
        QCOMPARE(world.box.shown[0].icon, MsgIcon::Information);
        const Liste liste = leseListeDatei(listenPfad(folder.path()));
        QCOMPARE(liste[0].name, QStringLiteral("Karla"));
        QCOMPARE(liste[0].punkte, 1511);
        QFile::remove(listenPfad(folder.path()));
    }

    void pictureFits_data()
    {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QSize>("box");
        QTest::newRow("portrait") << QSize(200, 300) << QSize(112, 169);
        QTest::newRow("small square") << QSize(100, 100) << QSize(169, 169);
        QTest::newRow("thin strip") << QSize(2000, 10) << QSize(169, 0);
    }
    void pictureFits()
    {
        QFETCH(QSize, natural);
        QFETCH(QSize, box);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.bmp");
        QVERIFY(test::writePicture(path, natural, "BMP"));
        test::ScriptedWorld world;
        MAIN game(world.services(), 4, "x");
        game.partie.KartenBild[1] = path;
        game.Zeige_Bild(1, 0);
        QVERIFY(test::settlePictures());
        QCOMPARE(game.imgKarteOffen[1]->size(), box);
        QVERIFY(!game.imgKarteOffen[1]->isHidden());
        QVERIFY(game.imgKarteOffen[1]->stretch());
        QVERIFY(game.imgKarteOffen[0]->isHidden()); // the other box is untouched
    }

    void aPictureGoneSinceTheDeal()
    {
        QTemporaryDir dir;
        QStringList mine;
        for (int i = 0; i < 8; ++i) {
            mine << dir.filePath(QStringLiteral("m%1.jpg").arg(i));
            QVERIFY(test::writePicture(mine.last(), {40, 40}, "JPG"));
        }
        test::ScriptedWorld world;
        MAIN game(world.services(), 4, "x");
        for (const QString& p : mine)
            game.appendBild(p);
        game.show();
        for (const QString& p : mine) // gone after the collection, before any decode
            QVERIFY(QFile::remove(p));
        game.tmrLadeBilder_Timer();
        click(game, 0);
        QVERIFY(test::settlePictures());
        QVERIFY(game.imgKarteOffen[0]->isVisible());
        QVERIFY(!game.imgKarteOffen[0]->hasPicture());
        click(game, partnerOf(game, 0));
        QCOMPARE(game.partie.Gefunden, 1); // the attempt goes on as usual
    }

    void highScoreListPausesTheClock()
    {
        test::ScriptedWorld world;
        QVERIFY(test::writeBytes(listenPfad(folder.path()), "Erste\r\n 1500 \r\n  Zweite\r\n-12 \r\n"));
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        world.clock.advance(65);
        game->tmrZeit_Timer();

        game->cmdHallOfFame->click();
        QVERIFY(game->frmHallOfFame->isVisible());
        QVERIFY(!game->tmrZeit->isActive());
        QCOMPARE(game->lblHighName[1]->text(), QStringLiteral("Erste"));
        QCOMPARE(game->lblHighPunkte[1]->text(), QStringLiteral(" 1500"));
        QCOMPARE(game->lblHighName[2]->text(), QStringLiteral("Zweite"));
        QCOMPARE(game->lblHighPunkte[2]->text(), QStringLiteral("-12"));
        QCOMPARE(game->lblHighName[3]->text(), QString()); // not in the file
        click(*game, 0); // the list covers the board
        QVERIFY(game->imgKarteOffen[0]->isHidden());

        world.clock.advance(30);
        game->cmdHallOfFame->click();
        QVERIFY(game->frmHallOfFame->isHidden());
        QVERIFY(game->tmrZeit->isActive());
        game->tmrZeit_Timer();
        QCOMPARE(game->lblZeit->text(), QStringLiteral("Zeit: 00:01:05"));
        world.clock.advance(5);
        game->tmrZeit_Timer();
        QCOMPARE(game->lblZeit->text(), QStringLiteral("Zeit: 00:01:10"));
        QFile::remove(listenPfad(folder.path()));
    }

    void listShownBeforeTheDealLeavesTheClockOff()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        game->cmdHallOfFame->click();
        game->cmdHallOfFame->click();
        QVERIFY(!game->tmrZeit->isActive());
        game->tmrLadeBilder_Timer();
        QVERIFY(game->tmrZeit->isActive());
    }

    void listShownAfterTheLastPairLeavesTheClockOff()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        for (int card = 0; card < 16; ++card) {
            if (game->cmdBild[card]->isHidden())
                continue;
            click(*game, card);
            click(*game, partnerOf(*game, card));
            game->tmrKlick_Timer();
        }
        const QString final = game->lblZeit->text();
        game->cmdHallOfFame->click();
        world.clock.advance(100);
        game->cmdHallOfFame->click();
        QVERIFY(!game->tmrZeit->isActive());
        QCOMPARE(game->lblZeit->text(), final);
        QFile::remove(listenPfad(folder.path()));
    }

    void picturesAreDecodedAheadAfterTheDeal()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        QVERIFY(!game->bilder().geladen(pictures[0]));
        game->tmrLadeBilder_Timer();
        QTRY_VERIFY(std::all_of(pictures.begin(), pictures.begin() + 8,
                                [&](const QString& p) { return game->bilder().geladen(p); }));
        QVERIFY(!game->bilder().geladen(pictures[8]));
    }

    void aClickNeverWaitsForADecode()
    {
        static QSemaphore drive;
        test::ScriptedWorld world;
        world.folder.folder = folder.path();
        MAIN game(world.services(), 4, "x", nullptr, blockedDecoder(drive, 60s));
        for (int i = 0; i < 8; ++i)
            game.appendBild(pictures[i]);
        game.show();
        game.tmrLadeBilder_Timer();
        click(game, 0); // returns although every decode is blocked
        QVERIFY(game.imgKarteOffen[0]->isVisible());
        QVERIFY(!game.imgKarteOffen[0]->hasPicture());
        drive.release(100);
        QTRY_VERIFY(game.imgKarteOffen[0]->hasPicture()); // shown as soon as it comes
        QCOMPARE(game.imgKarteOffen[0]->size(), QSize(169, 112));
        QVERIFY(test::settlePictures());
        drive.acquire(drive.available());
    }

    void aLatePictureShowsOnlyWhereItIsStillWanted()
    {
        static QSemaphore drive;
        test::ScriptedWorld world;
        world.folder.folder = folder.path();
        MAIN game(world.services(), 4, "x", nullptr, blockedDecoder(drive, 60s));
        for (int i = 0; i < 8; ++i)
            game.appendBild(pictures[i]);
        game.show();
        game.tmrLadeBilder_Timer();
        const int other = partnerOf(game, 0) == 1 ? 2 : 1;
        click(game, 0);
        click(game, other);
        game.tmrKlick_Timer(); // judged before either picture came
        drive.release(100);
        QVERIFY(test::settlePictures());
        for (ImageBox* box : game.imgKarteOffen) {
            QVERIFY(box->isHidden());
            QVERIFY(!box->hasPicture());
        }
        drive.acquire(drive.available());
    }

    void aPicturePastItsDeadlineLeavesTheBoxEmpty()
    {
        static QSemaphore drive;
        test::ScriptedWorld world;
        world.folder.folder = folder.path();
        MAIN game(world.services(), 4, "x", nullptr, blockedDecoder(drive, 100ms));
        for (int i = 0; i < 8; ++i)
            game.appendBild(pictures[i]);
        game.show();
        game.tmrLadeBilder_Timer();
        click(game, 0);
        QTRY_VERIFY(game.bilder().geladen(game.partie.bildVon(0))); // given up
        QVERIFY(game.imgKarteOffen[0]->isVisible());
        QVERIFY(!game.imgKarteOffen[0]->hasPicture());
        click(game, partnerOf(game, 0));
        QCOMPARE(game.partie.Gefunden, 1); // the game goes on
        drive.release(100);
        QTRY_COMPARE(stuckJobs::count(), 0);
        QVERIFY(test::settlePictures());
        QVERIFY(!game.imgKarteOffen[0]->hasPicture()); // the late picture is not shown
        drive.acquire(drive.available());
    }

    void playableByKeyboard()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        game->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(game.get()));
        game->cmdBild[0]->setFocus();
        QTest::keyClick(game->cmdBild[0], Qt::Key_Space);
        QCOMPARE(game->partie.KlickKarteNr, 1);
        QTest::keyClick(game->cmdBild[0], Qt::Key_Tab);
        QCOMPARE(game->focusWidget(), game->cmdBild[1]);
        QTest::keyClick(game->cmdBild[1], Qt::Key_Space);
        QCOMPARE(game->partie.Versuche, 1);
        QCOMPARE(game->cmdBild[5]->accessibleName(), cardTooltip(5));
    }

    void screenshot()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 6);
        game->tmrLadeBilder_Timer();
        QVERIFY(test::settlePictures());
        click(*game, 0);
        click(*game, 7);
        const QString out = qEnvironmentVariable("TAVIK_TEST_OUTPUT", QDir::tempPath());
        QVERIFY(game->grab().save(out + "/game-screen.png"));
        QVERIFY(test::writeBytes(listenPfad(folder.path()), "Karla\r\n 1500 \r\nBernd\r\n 1200 \r\nJ\xFC" "rgen\r\n-12 \r\n"));
        game->cmdHallOfFame->click();
        QVERIFY(game->grab().save(out + "/game-screen-highscores.png"));
        QFile::remove(listenPfad(folder.path()));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
