// SPDX-License-Identifier: GPL-3.0-or-later
// The game screen through its real buttons, with a scripted clock and random source and
// the timers' handlers called directly.

#include <QAccessible>
#include <QtTest>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "rules/BoardFocus.h"
#include "rules/Grid.h"
#include "ui/MainWindow.h"
#include "ui/ScreenReader.h"
#include "ui/SpokenText.h"
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
        return decodeFitted(path, QSize(MainForm::kBoxSize, MainForm::kBoxSize), 1.0);
    };
    work.deadline = deadline;
    return work;
}

} // namespace

// Walks the focus to a card by arrow keys; a wrong step ends the test.
#define WALK(game, target)                \
    do {                                  \
        walkTo(game, target);             \
        if (QTest::currentTestFailed())   \
            return;                       \
    } while (0)

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir folder;      // pictures and the program folder with its list file
    QStringList pictures;      // 50 distinct pictures, 300 x 200 pixels

    std::unique_ptr<MAIN> newGame(test::ScriptedWorld& world, int n, int count = -1)
    {
        world.folder.folder = folder.path();
        auto game = std::make_unique<MAIN>(world.services(), n, QStringLiteral("Karla"));
        for (int i = 0; i < (count < 0 ? n * n / 2 : count); ++i)
            game->appendPicture(pictures[i]);
        game->show();
        return game;
    }

    static void click(MAIN& game, int card) { QTest::mouseClick(game.cmdBild[card], Qt::LeftButton); }

    // What a screen reader hears: the last line the screen said, a card's name or description.
    static QString said(MAIN& game) { return heard(game.findChild<Announcer*>(), QAccessible::Name); }
    static QString heard(QObject* o, QAccessible::Text what) { return QAccessible::queryAccessibleInterface(o)->text(what); }

    // The other card with the same picture as `card`, or -1.
    static int partnerOf(const MAIN& game, int card)
    {
        const int cards = game.game.Spielfeldgroesse * game.game.Spielfeldgroesse;
        for (int i = 0; i < cards; ++i)
            if (i != card && game.game.pictureOf(i) == game.game.pictureOf(card))
                return i;
        return -1;
    }

    // Finds every pair of a dealt 4 x 4 game, one attempt each.
    static void playEveryPair(MAIN& game)
    {
        for (int card = 0; card < 16; ++card) {
            if (game.cmdBild[card]->isHidden())
                continue;
            click(game, card);
            click(game, partnerOf(game, card));
            game.tmrKlick_Timer();
        }
    }

    // A dealt 4 x 4 game whose pictures decode only when `drive` lets them.
    std::unique_ptr<MAIN> dealtWithBlockedDecodes(test::ScriptedWorld& world, QSemaphore& drive,
                                                  std::chrono::milliseconds deadline)
    {
        world.folder.folder = folder.path();
        auto game = std::make_unique<MAIN>(world.services(), 4, "x", nullptr, blockedDecoder(drive, deadline));
        for (int i = 0; i < 8; ++i)
            game->appendPicture(pictures[i]);
        game->show();
        game->tmrLadeBilder_Timer();
        return game;
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
        QTest::addColumn<bool>("ahead"); // built while the settings screen waited, loaded at the start
        QTest::newRow("4x4") << 4 << false;
        QTest::newRow("6x6") << 6 << false;
        QTest::newRow("8x8") << 8 << false;
        QTest::newRow("10x10") << 10 << false;
        QTest::newRow("4x4 built ahead") << 4 << true;
        QTest::newRow("10x10 built ahead") << 10 << true;
    }
    void grid()
    {
        QFETCH(int, n);
        QFETCH(bool, ahead);
        test::ScriptedWorld world;
        auto game = ahead ? std::make_unique<MAIN>(world.services()) : newGame(world, n);
        if (ahead) {
            QVERIFY(!game->tmrLadeBilder->isActive());
            world.clock.advance(90);
            game->load(n, QStringLiteral("Karla"));
        }
        QVERIFY(game->tmrLadeBilder->isActive()); // the deal timer counts from the load
        QCOMPARE(game->frmSpiel->size(), QSize(41 * n + 31, 41 * n + 31));
        QCOMPARE(game->frmSpiel->pos(), QPoint(200, 80));
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(game->cmdBild[i]->isHidden(), i >= n * n);
            QCOMPARE(game->cmdBild[i]->toolTip(), cardTooltip(i));
            if (i < n * n)
                QCOMPARE(game->cmdBild[i]->pos(), QPoint(16 + 40 * (i % n), 24 + 40 * (i / n)));
        }
        QCOMPARE(game->cmdBild[n]->pos(), QPoint(16, 64));
        QCOMPARE(game->game.Versuche, 0);
        QCOMPARE(game->game.Gefunden, 0);
        QCOMPARE(game->game.KlickKarteNr, 0);
        for (int slot = 1; slot <= 100; ++slot)
            QVERIFY(game->game.KartenBild[slot].isEmpty());
        QCOMPARE(game->game.StartZeit, static_cast<float>(world.clock.seconds) / 86400.0f);
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
        QCOMPARE(game->game.Versuche, 0);
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
        QVERIFY(game->game.KartenBild[1].isEmpty());
        QCOMPARE(game->game.Bildanzahl, 0);

        game->appendPicture(pictures[7]);
        world.clock.seconds = 12345;
        game->tmrLadeBilder_Timer();
        QVERIFY(!game->tmrLadeBilder->isActive());
        QVERIFY(game->frmMischen->isHidden());
        QVERIFY(game->tmrZeit->isActive());
        QVERIFY(game->frmSpiel->isEnabled());
        QCOMPARE(game->game.Bildanzahl, 8);
        QCOMPARE(world.random.seeds.last(), 12345u); // seeded from the seconds since midnight
        for (int slot = 1; slot <= 16; ++slot)
            QVERIFY(pictures.mid(0, 8).contains(game->game.KartenBild[slot]));
        QVERIFY(game->game.KartenBild[17].isEmpty());
    }

    void listIsSortedWithoutRegardToCase()
    {
        test::ScriptedWorld world;
        MAIN game(world.services(), 4, "x");
        game.appendPicture("/p/Banane.jpg");
        game.appendPicture("/p/apfel.jpg");
        game.appendPicture("/p/Ast.bmp");
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
        // Decoded for the inside of the box, so it is drawn without being scaled again.
        QCOMPARE(game->imgKarteOffen[0]->pixmap().deviceIndependentSize().toSize(),
                 game->imgKarteOffen[0]->contentsRect().size());
        click(*game, 0); // the open card again changes nothing
        QVERIFY(game->imgKarteOffen[1]->isHidden());
        QCOMPARE(game->lblVersuche->text(), QStringLiteral("Versuche: 0"));

        click(*game, other); // a mismatch
        QVERIFY(game->imgKarteOffen[1]->isVisible());
        QCOMPARE(game->lblVersuche->text(), QStringLiteral("Versuche: 1"));
        QCOMPARE(game->lblGefunden->text(), QStringLiteral("Paare: 0"));
        QVERIFY(game->boardBlocked());
        QVERIFY(game->tmrKlick->isActive());
        click(*game, 3); // blocked while judging
        QCOMPARE(game->game.KlickKarteNr, 0);
        QVERIFY(!game->cmdBild[0]->isHidden());

        game->tmrKlick_Timer();
        QVERIFY(!game->tmrKlick->isActive());
        QVERIFY(game->imgKarteOffen[0]->isHidden());
        QVERIFY(!game->imgKarteOffen[0]->hasPicture());
        QVERIFY(game->imgKarteOffen[1]->isHidden());
        QCOMPARE(game->game.KartenNr1, -1);
        QVERIFY(!game->boardBlocked());

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

        playEveryPair(*game);
        QCOMPARE(game->lblVersuche->text(), QStringLiteral("Versuche: 8"));
        QCOMPARE(game->lblGefunden->text(), QStringLiteral("Paare:  8"));
        QVERIFY(!game->tmrZeit->isActive());
        QCOMPARE(game->endGameCalls(), 1);
        // 1600 - 3 x 8 - 65, told once the list holds it
        QTRY_COMPARE(world.box.shown.size(), 1);
        QVERIFY(world.box.shown[0].text.contains(QStringLiteral("Punktzahl von: 1511")));
        QCOMPARE(world.box.shown[0].icon, MsgIcon::Information);
        const ScoreList entries = test::onWorker([this] { return readListFile(listFileIn(folder.path())); });
        QCOMPARE(entries[0].name, QStringLiteral("Karla"));
        QCOMPARE(entries[0].score, 1511);
        QFile::remove(listFileIn(folder.path()));
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
        game.game.KartenBild[1] = path;
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
            game.appendPicture(p);
        game.show();
        for (const QString& p : mine) // gone after the collection, before any decode
            QVERIFY(QFile::remove(p));
        game.tmrLadeBilder_Timer();
        click(game, 0);
        QVERIFY(test::settlePictures());
        QVERIFY(game.imgKarteOffen[0]->isVisible());
        QVERIFY(!game.imgKarteOffen[0]->hasPicture());
        click(game, partnerOf(game, 0));
        QCOMPARE(game.game.Gefunden, 1); // the attempt goes on as usual
    }

    void highScoreListPausesTheClock()
    {
        test::ScriptedWorld world;
        QVERIFY(test::writeBytes(listFileIn(folder.path()), "Erste\r\n 1500 \r\n  Zweite\r\n-12 \r\n"));
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        world.clock.advance(65);
        game->tmrZeit_Timer();

        game->cmdHallOfFame->click();
        QVERIFY(!game->tmrZeit->isActive()); // paused at the click, while the list is read
        QTRY_VERIFY(game->frmHallOfFame->isVisible());
        QCOMPARE(game->lblHighName[1]->text(), QStringLiteral("Erste"));
        QCOMPARE(game->lblHighPunkte[1]->text(), QStringLiteral(" 1500"));
        QCOMPARE(game->lblHighName[2]->text(), QStringLiteral("Zweite"));
        QCOMPARE(game->lblHighPunkte[2]->text(), QStringLiteral("-12"));
        QCOMPARE(game->lblHighName[3]->text(), QString()); // not in the file
        QCOMPARE(said(*game), "Highscoretabelle. Platz 1: Erste, 1500 Punkte. Platz 2: Zweite, -12 Punkte. "
                              + game->Label1->text()); // the rows shown, read once when the list opens
        click(*game, 0); // the list covers the board
        QVERIFY(game->imgKarteOffen[0]->isHidden());

        world.clock.advance(30);
        game->cmdHallOfFame->click();
        QVERIFY(game->frmHallOfFame->isHidden());
        QCOMPARE(said(*game), QStringLiteral("Zurück zum Spiel"));
        QVERIFY(game->tmrZeit->isActive());
        game->tmrZeit_Timer();
        QCOMPARE(game->lblZeit->text(), QStringLiteral("Zeit: 00:01:05"));
        world.clock.advance(5);
        game->tmrZeit_Timer();
        QCOMPARE(game->lblZeit->text(), QStringLiteral("Zeit: 00:01:10"));
        QFile::remove(listFileIn(folder.path()));
    }

    void listShownBeforeTheDealLeavesTheClockOff()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        game->cmdHallOfFame->click();
        QTRY_VERIFY(game->frmHallOfFame->isVisible());
        QCOMPARE(said(*game), "Highscoretabelle. Keine Einträge. " + game->Label1->text()); // no list yet
        game->cmdHallOfFame->click();
        QVERIFY(!game->tmrZeit->isActive());
        game->tmrLadeBilder_Timer();
        QVERIFY(game->tmrZeit->isActive());
    }

    void listShownDuringTheDealHoldsTheClock()
    {
        test::ScriptedWorld world;
        QByteArray full; // ten entries: all ten places are said
        for (char c = 'A'; c <= 'J'; ++c)
            full += c + QByteArray("\r\n ") + QByteArray::number(1000 - 100 * (c - 'A')) + " \r\n";
        QVERIFY(test::writeBytes(listFileIn(folder.path()), full));
        auto game = newGame(world, 4);
        world.clock.advance(3);
        game->cmdHallOfFame->click();
        QTRY_VERIFY(game->frmHallOfFame->isVisible());
        QVERIFY(said(*game).endsWith("Platz 9: I, 200 Punkte. Platz 10: J, 100 Punkte. " + game->Label1->text()));
        QFile::remove(listFileIn(folder.path()));
        world.clock.advance(1);
        game->tmrLadeBilder_Timer();
        QVERIFY(game->frmHallOfFame->isVisible());
        QVERIFY(!game->tmrZeit->isActive());
        world.clock.advance(5);
        game->cmdHallOfFame->click();
        QVERIFY(game->tmrZeit->isActive());
        game->tmrZeit_Timer();
        QCOMPARE(game->lblZeit->text(), QStringLiteral("Zeit: 00:00:03"));
    }

    void listShownAfterTheLastPairLeavesTheClockOff()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        playEveryPair(*game);
        const QString final = game->lblZeit->text();
        QTRY_COMPARE(world.box.shown.size(), 1); // the result, once the list holds it
        game->cmdHallOfFame->click();
        QTRY_VERIFY(game->frmHallOfFame->isVisible());
        world.clock.advance(100);
        game->cmdHallOfFame->click();
        QVERIFY(!game->tmrZeit->isActive());
        QCOMPARE(game->lblZeit->text(), final);
        QFile::remove(listFileIn(folder.path()));
    }

    // The game end rewrites the list on a worker: the window stays live meanwhile, and the
    // result comes when the list holds it (or when the disk has not answered in time).
    void gameEndWaitsForTheList_data()
    {
        QTest::addColumn<QString>("disk");
        QTest::addColumn<int>("place");
        QTest::newRow("another game holds the lock past a deadline") << "locked" << 1;
        QTest::newRow("the disk stops answering") << "stuck" << 0;
    }
    void gameEndWaitsForTheList()
    {
        QFETCH(QString, disk);
        QFETCH(int, place);
        static QSemaphore drive;
        const QByteArray before = "Alt\r\n 5 \r\n";
        QVERIFY(test::writeBytes(listFileIn(folder.path()), before));
        const int dirFd = ::open(QFile::encodeName(folder.path()).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(dirFd >= 0);
        if (disk == "locked")
            QCOMPARE(::flock(dirFd, LOCK_EX), 0);
        // A real flush can take longer than the short deadline here; the stuck one never ends.
        const SyncCall real = setSyncCall(disk == "stuck" ? [](int) { drive.acquire(); return 0; }
                                                          : [](int) { return 0; });
        test::ScriptedWorld world;
        world.folder.folder = folder.path();
        PictureWork work;
        work.deadline = 100ms;
        MAIN game(world.services(), 4, "Karla", nullptr, work);
        for (int i = 0; i < 8; ++i)
            game.appendPicture(pictures[i]);
        game.show();
        game.tmrLadeBilder_Timer();
        QSignalSpy quit(&game, &MAIN::quitConfirmed);
        // The quit question while the list is written: answered No, and the result waits for it.
        world.box.onShow = [&] {
            if (world.box.shown.size() != 1)
                return;
            QElapsedTimer waited;
            waited.start();
            QTRY_VERIFY(waited.elapsed() > 3 * work.deadline.count()); // the window ran on meanwhile
            QVERIFY(game.boardBlocked());
            QCOMPARE(game.cursor().shape(), Qt::BusyCursor);
            QCOMPARE(world.box.shown.size(), 1); // no result yet, nor over the question
            if (disk == "locked")
                ::flock(dirFd, LOCK_UN);
        };
        playEveryPair(game);
        QVERIFY(!game.tmrZeit->isActive());
        game.cmdExit->click();
        QTRY_COMPARE(world.box.shown.size(), place ? 2 : 3);
        QCOMPARE(quit.count(), 0);
        QCOMPARE(world.box.shown[0].buttons, MsgButtons::YesNo);
        QVERIFY(world.box.shown.last().text.endsWith(place ? QStringLiteral("Platz 1 in der Highscoreliste.")
                                                           : QStringLiteral("Punktzahl von: 1576")));
        if (!place) {
            QCOMPARE(world.box.shown[1].icon, MsgIcon::Critical);
            QVERIFY(world.box.shown[1].text.contains(listFileIn(folder.path()) + QStringLiteral("' antwortet nicht")));
        }
        QVERIFY(!game.boardBlocked() || game.game.Gefunden == 8);
        QCOMPARE(game.cursor().shape(), Qt::ArrowCursor);
        drive.release(10);
        QTRY_COMPARE(disk::stuckCount(), 0);
        setSyncCall(real);
        ::close(dirFd);
        QFile list(listFileIn(folder.path()));
        QVERIFY(list.open(QIODevice::ReadOnly));
        QCOMPARE(list.readAll().startsWith("Karla"), place == 1); // a list that did not answer is untouched
        QVERIFY(!QFile::exists(temporaryFileIn(folder.path())));
        list.remove();
        drive.acquire(drive.available());
    }

    void picturesAreDecodedAheadAfterTheDeal()
    {
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        QVERIFY(!game->pictures().isLoaded(pictures[0]));
        game->tmrLadeBilder_Timer();
        QTRY_VERIFY(std::all_of(pictures.begin(), pictures.begin() + 8,
                                [&](const QString& p) { return game->pictures().isLoaded(p); }));
        QVERIFY(!game->pictures().isLoaded(pictures[8]));
    }

    // The keyboard player's view: which card has the focus, and keys sent to it.
    static QWidget* focused() { return QApplication::focusWidget(); }
    static int focusedCard(MAIN& game)
    {
        const auto it = std::find(game.cmdBild.begin(), game.cmdBild.end(), focused());
        return it == game.cmdBild.end() ? -1 : static_cast<int>(it - game.cmdBild.begin());
    }
    static void key(MAIN&, Qt::Key k) { QTest::keyClick(focused(), k); } // to whatever has the focus

    static bool onBoard(const MAIN& game, int card) { return !game.cmdBild[card]->isHidden(); }

    // Walks the focus to `target` by arrow keys, the shortest way the board's focus rules give.
    static void walkTo(MAIN& game, int target)
    {
        const int n = game.game.Spielfeldgroesse;
        const struct { Qt::Key key; int dx, dy; } arrows[] = {
            {Qt::Key_Left, -1, 0}, {Qt::Key_Right, 1, 0}, {Qt::Key_Up, 0, -1}, {Qt::Key_Down, 0, 1}};
        QHash<int, QList<Qt::Key>> way{{focusedCard(game), {}}};
        for (QList<int> queue{focusedCard(game)}; !queue.isEmpty() && !way.contains(target);) {
            const int at = queue.takeFirst();
            for (const auto& a : arrows) {
                const int i = cardInDirection(at, n, a.dx, a.dy, [&](int card) { return onBoard(game, card); });
                if (!way.contains(i)) {
                    way[i] = way[at] + QList<Qt::Key>{a.key};
                    queue << i;
                }
            }
        }
        for (Qt::Key k : way.value(target))
            key(game, k);
        QCOMPARE(focusedCard(game), target);
    }

    void aClickNeverWaitsForADecode()
    {
        static QSemaphore drive;
        test::ScriptedWorld world;
        auto dealt = dealtWithBlockedDecodes(world, drive, 60s);
        MAIN& game = *dealt;
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
        auto dealt = dealtWithBlockedDecodes(world, drive, 60s);
        MAIN& game = *dealt;
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

    void aStoppedGameDecodesAndTellsNothingMore()
    {
        static QSemaphore drive;
        test::ScriptedWorld world;
        auto dealt = dealtWithBlockedDecodes(world, drive, 60s); // decoding ahead, blocked
        playEveryPair(*dealt); // the list is written on a worker
        dealt->stop();
        drive.release(100);
        QVERIFY(test::settlePictures());
        QVERIFY(std::none_of(pictures.begin(), pictures.begin() + 8, [&](const QString& p) { return dealt->pictures().isLoaded(p); }));
        QVERIFY(world.box.shown.isEmpty()); // no result
        QFile::remove(listFileIn(folder.path()));
        drive.acquire(drive.available());
    }

    void aPicturePastItsDeadlineLeavesTheBoxEmpty()
    {
        static QSemaphore drive;
        test::ScriptedWorld world;
        auto dealt = dealtWithBlockedDecodes(world, drive, 100ms);
        MAIN& game = *dealt;
        click(game, 0);
        QTRY_VERIFY(game.pictures().isLoaded(game.game.pictureOf(0))); // given up
        QVERIFY(game.imgKarteOffen[0]->isVisible());
        QVERIFY(!game.imgKarteOffen[0]->hasPicture());
        click(game, partnerOf(game, 0));
        QCOMPARE(game.game.Gefunden, 1); // the game goes on
        drive.release(100);
        QTRY_COMPARE(disk::stuckCount(), 0);
        QVERIFY(test::settlePictures());
        QVERIFY(!game.imgKarteOffen[0]->hasPicture()); // the late picture is not shown
        drive.acquire(drive.available());
    }

    void aWholeGameByKeyboard()
    {
        test::ScriptedWorld world;
        world.random.draws = {0.3f, 0.9f, 0.1f, 0.6f, 0.45f};
        auto game = newGame(world, 4);
        game->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(game.get()));
        QCOMPARE(focusedCard(*game), 0); // the first card in the keyboard order
        key(*game, Qt::Key_Space);       // before the deal nothing turns
        QVERIFY(game->imgKarteOffen[0]->isHidden());
        QCOMPARE(said(*game), QStringLiteral("Bitte warten"));
        game->tmrLadeBilder_Timer();
        QCOMPARE(focusedCard(*game), 0);

        // At the edges the focus stays.
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_Up}) {
            key(*game, k);
            QCOMPARE(focusedCard(*game), 0);
        }
        WALK(*game, 15);
        for (Qt::Key k : {Qt::Key_Right, Qt::Key_Down}) {
            key(*game, k);
            QCOMPARE(focusedCard(*game), 15);
        }
        key(*game, Qt::Key_Left);
        QCOMPARE(focusedCard(*game), 14);
        key(*game, Qt::Key_Up);
        QCOMPARE(focusedCard(*game), 10);

        // A mismatch first: card 0 and a card that is not its partner.
        const int partner0 = partnerOf(*game, 0);
        const int other = partner0 == 1 ? 2 : 1;
        WALK(*game, 0);
        key(*game, Qt::Key_Space);
        QCOMPARE(game->game.KlickKarteNr, 1);
        WALK(*game, other);
        QTest::keyPress(focused(), Qt::Key_Return); // Enter turns a card as Space does, on the press
        QCOMPARE(game->game.Versuche, 1);
        QTest::keyRelease(focused(), Qt::Key_Return);
        QCOMPARE(focusedCard(*game), other); // the block takes no focus away
        game->tmrKlick_Timer();
        QCOMPARE(focusedCard(*game), other); // and after it the player goes on from there
        key(*game, Qt::Key_Space);
        QCOMPARE(game->game.KartenNr1, other);
        WALK(*game, partnerOf(*game, other));
        key(*game, Qt::Key_Enter);
        QCOMPARE(game->game.Gefunden, 1);
        game->tmrKlick_Timer();

        // Then every pair, turning the focused card and walking to its partner. After a
        // pair the focus is on the next card still on the board after the one it was on.
        int attempts = 2;
        while (game->game.Gefunden < 8) {
            int card = focusedCard(*game);
            QVERIFY(card >= 0 && !game->cmdBild[card]->isHidden());
            key(*game, attempts % 2 ? Qt::Key_Space : Qt::Key_Enter);
            const int partner = partnerOf(*game, card);
            WALK(*game, partner);
            key(*game, attempts % 2 ? Qt::Key_Enter : Qt::Key_Space);
            ++attempts;
            QCOMPARE(game->game.Versuche, attempts);
            if (game->game.Gefunden < 8)
                QCOMPARE(focusedCard(*game), nextCardOnBoard(partner, 4, [&](int i) { return onBoard(*game, i); }));
            game->tmrKlick_Timer();
        }
        QCOMPARE(game->endGameCalls(), 1);
        QCOMPARE(game->lblGefunden->text(), QStringLiteral("Paare:  8"));
        QTRY_COMPARE(world.box.shown.size(), 1);
        QFile::remove(listFileIn(folder.path()));
    }

    void arrowsJumpOverVanishedCards()
    {
        test::ScriptedWorld world;
        world.random.draws = {0.71f, 0.05f, 0.33f};
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        game->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(game.get()));
        // Cards 1 and 4 vanish, with their partners: holes right of and below card 0.
        for (int card : {1, 4}) {
            if (game->cmdBild[card]->isHidden())
                continue;
            click(*game, card);
            click(*game, partnerOf(*game, card));
            game->tmrKlick_Timer();
        }
        auto firstLeft = [&](std::initializer_list<int> cards) {
            for (int c : cards)
                if (!game->cmdBild[c]->isHidden())
                    return c;
            return 0;
        };
        game->cmdBild[0]->setFocus();
        key(*game, Qt::Key_Right);
        QCOMPARE(focusedCard(*game), firstLeft({2, 3}));
        game->cmdBild[0]->setFocus();
        key(*game, Qt::Key_Down);
        QCOMPARE(focusedCard(*game), firstLeft({8, 12}));
        // Tab keeps the index order and skips the holes as well.
        game->cmdBild[0]->setFocus();
        key(*game, Qt::Key_Tab);
        QCOMPARE(focusedCard(*game), firstLeft({2, 3, 5, 6}));
    }

    void theBlockIgnoresInputAndKeepsTheLook()
    {
        test::ScriptedWorld world;
        world.random.draws = {0.3f, 0.9f, 0.1f, 0.6f, 0.45f};
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        game->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(game.get()));
        const int partner0 = partnerOf(*game, 0);
        const int other = partner0 == 1 ? 2 : 1;
        const int bystander = partner0 == 3 ? 5 : 3;
        click(*game, 0);
        click(*game, other); // a mismatch: the board is blocked for the judging
        QVERIFY(game->tmrKlick->isActive());
        QCOMPARE(focusedCard(*game), other);
        const QImage during = game->frmSpiel->grab().toImage();
        const QImage box0 = game->imgKarteOffen[0]->grab().toImage();

        QTest::mousePress(game->cmdBild[bystander], Qt::LeftButton);
        QCOMPARE(game->frmSpiel->grab().toImage(), during); // not even pressed down
        QTest::mouseRelease(game->cmdBild[bystander], Qt::LeftButton);
        click(*game, partner0);
        QTest::keyPress(focused(), Qt::Key_Space);
        QCOMPARE(game->frmSpiel->grab().toImage(), during); // nor by Space
        QTest::keyRelease(focused(), Qt::Key_Space);
        key(*game, Qt::Key_Return);
        game->cmdBild[bystander]->click(); // as a screen reader's "press" does
        QCOMPARE(game->game.KlickKarteNr, 0);
        QCOMPARE(game->game.Versuche, 1);
        QCOMPARE(game->imgKarteOffen[0]->grab().toImage(), box0);
        QCOMPARE(focusedCard(*game), other);
        QCOMPARE(game->frmSpiel->grab().toImage(), during);

        game->tmrKlick_Timer();
        // The cards looked during the block just as they look in play.
        QCOMPARE(game->frmSpiel->grab().toImage(), during);
        click(*game, bystander);
        QCOMPARE(game->game.KartenNr1, bystander);
    }

    void picturesAreNamedByTheirFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "/home/anna/Kirsche.jpg" << "Kirsche";
        QTest::newRow("underscore") << "/b/Rote_Johannisbeere.bmp" << "Rote Johannisbeere";
        QTest::newRow("hyphen, upper-case extension") << "/b/Blut-Orange.JPG" << "Blut Orange";
        QTest::newRow("blanks around the separators") << "/b/ Pflaume _ blau_.jpg" << "Pflaume blau";
        QTest::newRow("a dot in the name") << "/b/Apfel.gross.jpg" << "Apfel.gross";
        QTest::newRow("nothing but separators") << "/b/_-_.jpg" << "_-_.jpg";
        QTest::newRow("empty") << "" << "";
    }
    void picturesAreNamedByTheirFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(pictureName(path), name);
    }

    void aScreenReaderHearsEachTurn_data()
    {
        QTest::addColumn<QString>("turns"); // what the player does after the deal, card 5 first
        QTest::addColumn<QString>("line");  // %1, %2: the pictures of the first and the second card
        QTest::newRow("the first card") << "first" << "Aufgedeckt: %1";
        QTest::newRow("no pair") << "other" << "Aufgedeckt: %2. Kein Paar";
        QTest::newRow("a pair") << "partner" << "Aufgedeckt: %2. Paar gefunden, 1 von 8";
        QTest::newRow("the last pair") << "last" << "Aufgedeckt: %2. Paar gefunden, 8 von 8";
        QTest::newRow("Space while judged") << "Space" << "Bitte warten";
        QTest::newRow("Enter while judged") << "Enter" << "Bitte warten";
    }
    void aScreenReaderHearsEachTurn()
    {
        QFETCH(QString, turns);
        QFETCH(QString, line);
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        const int partner = partnerOf(*game, 5);
        const int second = turns == "partner" || turns == "last" ? partner : partner == 6 ? 7 : 6;
        for (int card = 0; turns == "last" && card < 16; ++card) {
            if (card != 5 && card != partner && onBoard(*game, card)) {
                click(*game, card);
                click(*game, partnerOf(*game, card));
                game->tmrKlick_Timer();
            }
        }
        QCOMPARE(heard(game->cmdBild[5], QAccessible::Name), QStringLiteral("Karte 6, Reihe 2, Spalte 2"));
        QCOMPARE(heard(game->cmdBild[5], QAccessible::Description), QStringLiteral("Verdeckt"));
        click(*game, 5);
        if (turns != "first")
            click(*game, second);
        if (turns == "Space" || turns == "Enter") {
            const Qt::Key k = turns == "Space" ? Qt::Key_Space : Qt::Key_Return;
            const QString outcome = said(*game);
            QTest::keyRelease(game->cmdBild[3], k);
            QCOMPARE(said(*game), outcome); // a key says its line on the press, not again on the release
            QTest::keyPress(game->cmdBild[3], k);
        }
        const auto picture = [&](int card) { return QFileInfo(game->game.pictureOf(card)).baseName(); };
        QCOMPARE(said(*game), QString(line).replace("%1", picture(5)).replace("%2", picture(second)));
        QCOMPARE(heard(game->cmdBild[5], QAccessible::Description), "Aufgedeckt: " + picture(5));
        QCOMPARE(game->cmdBild[5]->toolTip(), cardTooltip(5));
        if (turns == "first")
            return; // the attempt goes on
        QCOMPARE(heard(game->cmdBild[second], QAccessible::Description), "Aufgedeckt: " + picture(second));
        game->tmrKlick_Timer(); // the attempt is over: both cards shut again
        QCOMPARE(heard(game->cmdBild[5], QAccessible::Description), QStringLiteral("Verdeckt"));
        QCOMPARE(heard(game->cmdBild[second], QAccessible::Description), QStringLiteral("Verdeckt"));
        if (turns == "last") {
            QTRY_COMPARE(world.box.shown.size(), 1);
            QFile::remove(listFileIn(folder.path()));
        }
    }

    void theGameScreensTimersArePrecise()
    {
        // A coarse timer fires up to 5 % early or late: the deal would wander around 1 s and
        // the clock label would skip or repeat a second.
        test::ScriptedWorld world;
        auto game = newGame(world, 4);
        game->tmrLadeBilder_Timer();
        // The screen's own timers (helpers of the picture loading may bring short-lived ones
        // of their own, whose slack does not matter).
        const QList<QTimer*> timers = game->findChildren<QTimer*>(QRegularExpression("^tmr"));
        QCOMPARE(timers.size(), 3);
        for (const QTimer* t : timers)
            QCOMPARE(t->timerType(), Qt::PreciseTimer);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
