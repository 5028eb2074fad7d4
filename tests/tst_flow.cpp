// The order of the screens with a scripted message box: splash to settings, quitting with
// Yes and No on both screens, and a restart from the game screen.

#include <QtTest>

#include "app/ScreenFlow.h"
#include "platform/DiskWork.h"
#include "tests/TestDoubles.h"
#include "tests/TestPictures.h"
#include "tests/PictureWaits.h"

using namespace tavik;

class TestFlow : public QObject {
    Q_OBJECT

    QTemporaryDir programFolder;

    // Lets closed windows go (they delete themselves at the next turn of the event loop).
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); QCoreApplication::processEvents(); }

    // No timer of the screen, nor of anything it owns, runs any more.
    static bool stopped(const QObject* screen)
    {
        const QList<QTimer*> timers = screen->findChildren<QTimer*>();
        return std::none_of(timers.begin(), timers.end(), [](const QTimer* t) { return t->isActive(); });
    }

private slots:
    void initTestCase()
    {
        for (int i = 0; i < 8; ++i)
            QVERIFY(test::writePicture(programFolder.filePath(QStringLiteral("p%1.jpg").arg(i)), {30, 20}, "JPG"));
    }

    void splashGivesWayToTheSettings()
    {
        test::ScriptedWorld world;
        world.folder.folder = programFolder.path();
        ScreenFlow flow(world.services());
        flow.start();
        QVERIFY(flow.intro());
        QVERIFY(flow.intro()->isVisible());
        QVERIFY(!flow.options());
        flow.intro()->Timer1_Timer();
        settle();
        QVERIFY(!flow.intro());
        QVERIFY(flow.options());
        QVERIFY(flow.options()->isVisible());
        QVERIFY(!flow.ended()); // no screen open for a moment must not end the program
    }

    void quitQuestion_data()
    {
        QTest::addColumn<bool>("onGameScreen");
        QTest::addColumn<bool>("collecting"); // asked right after the start button
        QTest::addColumn<bool>("yes");
        QTest::newRow("settings, No") << false << false << false;
        QTest::newRow("settings, Yes") << false << false << true;
        QTest::newRow("settings while collecting, No") << false << true << false;
        QTest::newRow("settings while collecting, Yes") << false << true << true;
        QTest::newRow("game, No") << true << false << false;
        QTest::newRow("game, Yes") << true << false << true;
    }
    void quitQuestion()
    {
        QFETCH(bool, onGameScreen);
        QFETCH(bool, collecting);
        QFETCH(bool, yes);
        test::ScriptedWorld world;
        world.folder.folder = programFolder.path();
        ScreenFlow flow(world.services());
        flow.openOptions();
        QTRY_COMPARE(flow.options()->File1->listCount(), 8); // the program folder, read on a worker
        if (collecting) {
            flow.options()->lstGroesse->setCurrentRow(0);
            flow.options()->cmdNimmOptions->click(); // the checks answer on workers, after the question
            QVERIFY(flow.options()->collecting());
        } else if (!onGameScreen) {
            flow.options()->File1_Click(0); // a preview and a folder on their way at the question
            flow.options()->Dir1->openFolder(QStringLiteral("/"));
        }
        if (onGameScreen) {
            flow.options()->lstGroesse->setCurrentRow(0);
            flow.options()->cmdNimmOptions->click();
            QTRY_VERIFY(flow.game());
            settle();
            flow.game()->tmrLadeBilder_Timer();
        }
        QWidget* screen = onGameScreen ? static_cast<QWidget*>(flow.game()) : flow.options();
        QPushButton* exit = screen->findChild<QPushButton*>("cmdExit");
        world.box.answers = {yes ? MsgAnswer::Yes : MsgAnswer::No};
        const int shownBefore = world.box.shown.size();
        exit->click();
        QCOMPARE(world.box.shown.size(), shownBefore + 1);
        const test::ShownMessage& m = world.box.shown.last();
        QCOMPARE(m.text, QStringLiteral("Wollen Sie wirklich beenden ?"));
        QCOMPARE(m.title, QStringLiteral("Tavik V1.1"));
        QCOMPARE(m.icon, MsgIcon::Question);
        QCOMPARE(m.buttons, MsgButtons::YesNo);
        QCOMPARE(flow.ended(), yes);
        QCOMPARE(screen->isVisible(), !yes);
        if (yes && onGameScreen)
            QVERIFY(stopped(flow.game())); // no further event of the game runs
        if (collecting) {
            QCOMPARE(flow.options()->collecting(), !yes);
            if (yes) {
                // Nothing is left behind: the checks' answers come back and are dropped.
                QCOMPARE(flow.options()->cursor().shape(), Qt::ArrowCursor);
                disk::pool()->waitForDone();
                QCoreApplication::processEvents();
                QVERIFY(stopped(flow.options()));
                QVERIFY(!flow.game());
            } else {
                QTRY_VERIFY(flow.game()); // the collection went on
            }
        } else if (!onGameScreen) {
            QVERIFY(test::settlePictures());
            QCOMPARE(flow.options()->imgVorschau->isHidden(), yes);
            QCOMPARE(flow.options()->Dir1->path(), yes ? programFolder.path() : QStringLiteral("/"));
        }
        // Nothing is written by quitting.
        QVERIFY(!QFile::exists(programFolder.filePath("HSTavik")));
    }

    void restartGivesFreshSettings_data()
    {
        QTest::addColumn<bool>("ahead");
        QTest::addColumn<bool>("dealt"); // the restart during an attempt with the clock running, or before the deal
        QTest::newRow("screens built as they open, before the deal") << false << false;
        QTest::newRow("screens built ahead, during an attempt") << true << true;
    }
    void restartGivesFreshSettings()
    {
        QFETCH(bool, ahead);
        QFETCH(bool, dealt);
        test::ScriptedWorld world;
        world.folder.folder = programFolder.path();
        ScreenFlow flow(world.services());
        const auto screens = [](auto* kind) {
            const QWidgetList windows = QApplication::topLevelWidgets();
            using Kind = std::remove_pointer_t<decltype(kind)>;
            return std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return qobject_cast<Kind*>(w); });
        };
        const auto gameScreens = [&] { return screens(static_cast<MAIN*>(nullptr)); };
        flow.openOptions();
        if (ahead) {
            QTRY_COMPARE(gameScreens(), 1); // built a moment after the settings screen opened
            flow.prepareGame();             // one ahead is enough
        }
        flow.options()->lstGroesse->setCurrentRow(0);
        flow.options()->txtSpielername->setText("Karla");
        flow.options()->cmdNimmOptions->click();
        QTRY_VERIFY(flow.game());
        settle();
        QVERIFY(!flow.options());
        QPointer<MAIN> game = flow.game();
        QVERIFY(game && game->isVisible());
        flow.prepareGame(); // that moment, after a start at once: nothing is built during the game
        QCOMPARE(gameScreens(), 1);
        QCOMPARE(game->game.Spielfeldgroesse, 4);
        QCOMPARE(game->lblSpielername->text(), QStringLiteral("Karla"));
        // The settings screen of the restart is built while the game goes on, and loaded only
        // when it opens.
        QPointer<OPTIONS> spare;
        if (ahead) {
            QTRY_COMPARE(screens(static_cast<OPTIONS*>(nullptr)), 1);
            const QWidgetList windows = QApplication::topLevelWidgets(); // one list: both iterators must be of it
            spare = qobject_cast<OPTIONS*>(
                *std::find_if(windows.cbegin(), windows.cend(), [](QWidget* w) { return qobject_cast<OPTIONS*>(w); }));
            QVERIFY(spare->Pfad.isEmpty() && !spare->isVisible());
        }

        if (dealt) {
            game->tmrLadeBilder_Timer();
            game->cmdBild[0]->click();
            game->cmdBild[1]->click();
        }
        QVERIFY(dealt ? game->tmrKlick->isActive() && game->tmrZeit->isActive() : game->tmrLadeBilder->isActive());
        game->cmdOptions->click();
        QVERIFY(stopped(game)); // the game stops at once
        settle();
        QVERIFY(!game); // closed and gone
        QVERIFY(flow.options());
        QCOMPARE(flow.options() == spare, ahead);
        QCOMPARE(flow.options()->Pfad, programFolder.path() + "/");
        QCOMPARE(flow.options()->Spielfeldgroesse, 10);
        QCOMPARE(flow.options()->lstGroesse->currentRow(), 3);
        QCOMPARE(flow.options()->txtSpielername->text(), QStringLiteral("Noname"));
        QVERIFY(!flow.ended());
    }

    void closingTheLastWindowEndsTheProgram()
    {
        test::ScriptedWorld world;
        world.folder.folder = programFolder.path();
        ScreenFlow flow(world.services());
        flow.openOptions();
        flow.options()->close(); // by the window system: nothing is asked
        settle();
        QCoreApplication::processEvents();
        QVERIFY(world.box.shown.isEmpty());
        QVERIFY(flow.ended());
    }
};

QTEST_MAIN(TestFlow)
#include "tst_flow.moc"
