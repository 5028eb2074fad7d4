// The order of the screens with a scripted message box: splash to settings, quitting with
// Yes and No on both screens, and a restart from the game screen.

#include <QtTest>

#include "app/ScreenFlow.h"
#include "tests/TestDoubles.h"
#include "tests/TestPictures.h"
#include "tests/PictureWaits.h"

using namespace tavik;

class TestFlow : public QObject {
    Q_OBJECT

    QTemporaryDir programFolder;

    // Lets closed windows go (they delete themselves at the next turn of the event loop).
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); QCoreApplication::processEvents(); }

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
        QTest::addColumn<bool>("yes");
        QTest::newRow("settings, No") << false << false;
        QTest::newRow("settings, Yes") << false << true;
        QTest::newRow("game, No") << true << false;
        QTest::newRow("game, Yes") << true << true;
    }
    void quitQuestion()
    {
        QFETCH(bool, onGameScreen);
        QFETCH(bool, yes);
        test::ScriptedWorld world;
        world.folder.folder = programFolder.path();
        ScreenFlow flow(world.services());
        flow.openOptions();
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
        if (yes && onGameScreen) {
            // No further event of the game runs: its timers are off.
            QVERIFY(!flow.game()->tmrZeit->isActive());
            QVERIFY(!flow.game()->tmrKlick->isActive());
        }
        // Nothing is written by quitting.
        QVERIFY(!QFile::exists(programFolder.filePath("HSTavik")));
    }

    void restartGivesFreshSettings_data()
    {
        QTest::addColumn<bool>("ahead");
        QTest::newRow("screens built as they open") << false;
        QTest::newRow("screens built ahead") << true;
    }
    void restartGivesFreshSettings()
    {
        QFETCH(bool, ahead);
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
        QCOMPARE(game->partie.Spielfeldgroesse, 4);
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

        game->cmdOptions->click();
        QVERIFY(!game->tmrLadeBilder->isActive());
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
