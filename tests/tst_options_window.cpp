// The settings screen: its load state, the size list, the start action with its shortfall
// message and top-up, the preview and the drive fallback, on folders made for each test.

#include <QProgressBar>
#include <QtTest>

#include "settings/OptionsWindow.h"
#include "settings/PictureRule.h"
#include "tests/TestDoubles.h"
#include "tests/TestPictures.h"
#include "tests/PictureWaits.h"

using namespace std::chrono_literals;
using namespace tavik;

namespace {

// Stands in for the game screen: records when it was made and what it was given.
struct RecordingGame final : GameScreen {
    int spielfeldgroesse = 0;
    QString name;
    QStringList bilder;
    bool shown = false;
    void appendBild(const QString& path) override { bilder << path; }
    void zeige() override { shown = true; }
};

void makePictures(const QString& folder, const QString& prefix, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i)
        QVERIFY(test::writePicture(QDir(folder).filePath(QStringLiteral("%1%2.jpg").arg(prefix).arg(i, 2, 10, QLatin1Char('0'))),
                                   {30, 20}, "JPG"));
}

} // namespace

class TestOptionsWindow : public QObject {
    Q_OBJECT

    QTemporaryDir root;
    QString programFolder;
    test::ScriptedWorld world;
    std::unique_ptr<RecordingGame> game;
    std::unique_ptr<OPTIONS> options;
    int gamesMade = 0;

    void open(const QString& folder = {}, PictureWork work = {})
    {
        world.folder.folder = folder.isEmpty() ? programFolder : folder;
        game.reset();
        gamesMade = 0;
        options = std::make_unique<OPTIONS>(world.services(), [this](int n, const QString& name) {
            ++gamesMade;
            game = std::make_unique<RecordingGame>();
            game->spielfeldgroesse = n;
            game->name = name;
            return game.get();
        }, nullptr, std::move(work));
        options->setAttribute(Qt::WA_DeleteOnClose, false);
        world.box.shown.clear();
    }

    QString chosen(const QString& name) { return root.filePath(name); }

    // The player's way of choosing a file: a click on its row of the list.
    void clickFile(int row)
    {
        const QRect r = options->File1->visualRect(options->File1->model()->index(row, 0));
        QTest::mouseClick(options->File1->viewport(), Qt::LeftButton, {}, r.center());
    }

    void showOptions()
    {
        options->show();
        QVERIFY(QTest::qWaitForWindowExposed(options.get()));
    }

private slots:
    void initTestCase()
    {
        programFolder = root.filePath("programm");
        makePictures(programFolder, "s", 10);
        makePictures(chosen("acht"), "a", 8);
        makePictures(chosen("zwanzig"), "z", 20);
        makePictures(chosen("drei"), "d", 3);
        QVERIFY(QDir().mkpath(chosen("leer")));
        QVERIFY(QFile::link(programFolder, chosen("verweis")));
    }

    void init() { open(); }

    void loadState()
    {
        QCOMPARE(options->Spielfeldgroesse, 10);
        QCOMPARE(options->lstGroesse->currentRow(), 3);
        QCOMPARE(options->txtSpielername->text(), QStringLiteral("Noname"));
        QCOMPARE(options->Pfad, programFolder + "/");
        QCOMPARE(options->File1->path(), programFolder);
        QCOMPARE(options->Dir1->path(), programFolder);
        QCOMPARE(options->File1->listCount(), 10);
        QCOMPARE(options->File1->entry(0), QStringLiteral("s00.jpg"));
        QVERIFY(options->File1->entry(10).isEmpty()); // past the end
        QVERIFY(!options->imgVorschau->hasPicture());
        QVERIFY(!game);
    }

    void sizeSelection_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("size");
        QTest::newRow("4 x 4") << 0 << 4;
        QTest::newRow("6 x 6") << 1 << 6;
        QTest::newRow("8 x 8") << 2 << 8;
        QTest::newRow("10x10") << 3 << 10;
    }
    void sizeSelection()
    {
        QFETCH(int, row);
        QFETCH(int, size);
        options->lstGroesse->setCurrentRow(row == 0 ? 1 : 0);
        options->lstGroesse->setCurrentRow(row);
        QCOMPARE(options->Spielfeldgroesse, size);
    }

    void startAction_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("fromChosen");
        QTest::addColumn<bool>("message");
        QTest::newRow("exactly 8") << "acht" << 8 << false;
        QTest::newRow("20, first 8 taken") << "zwanzig" << 8 << false;
        QTest::newRow("3, topped up") << "drei" << 3 << true;
        QTest::newRow("none, topped up") << "leer" << 0 << true;
    }
    void startAction()
    {
        QFETCH(QString, folder);
        QFETCH(int, fromChosen);
        QFETCH(bool, message);
        options->lstGroesse->setCurrentRow(0);
        options->txtSpielername->setText(" Jürgen ");
        QVERIFY(options->Dir1->setPath(chosen(folder)));
        QCOMPARE(options->File1->path(), chosen(folder));
        world.box.onShow = [this] { QVERIFY(game == nullptr || game->bilder.size() < 8); };
        options->cmdNimmOptions->click();
        QTRY_VERIFY(!options->sammelt());
        world.box.onShow = nullptr;

        QVERIFY(game);
        QCOMPARE(game->spielfeldgroesse, 4);
        QCOMPARE(game->name, QStringLiteral(" Jürgen "));
        QVERIFY(game->shown);
        QVERIFY(!options->isVisible());
        QCOMPARE(options->ErsteAnzahl, 8);
        QCOMPARE(game->bilder.size(), 8);
        const QStringList chosenFiles = QDir(chosen(folder)).entryList(QDir::Files, QDir::Name);
        for (int i = 0; i < fromChosen; ++i)
            QCOMPARE(game->bilder[i], chosen(folder) + "/" + chosenFiles[i]);
        for (int i = fromChosen; i < 8; ++i)
            QCOMPARE(game->bilder[i], programFolder + QStringLiteral("/s%1.jpg").arg(i - fromChosen, 2, 10, QLatin1Char('0')));
        QCOMPARE(world.box.shown.size(), message ? 1 : 0);
        if (message) {
            const test::ShownMessage& m = world.box.shown[0];
            QCOMPARE(m.text, "Im Verzeichnis '" + chosen(folder) + "' sind nicht genug Bilder vorhanden !" + QChar(13)
                                 + "Die Bilder werden durch Standard-Bilder ergänzt");
            QCOMPARE(m.title, QStringLiteral("Tavik V1.1"));
            QCOMPARE(m.icon, MsgIcon::None);
            QCOMPARE(m.buttons, MsgButtons::Ok);
        }
    }

    void programFolderChosenAndShort()
    {
        // 10 x 10 needs 50; the program folder has 10: no message, a short list.
        options->cmdNimmOptions->click();
        QTRY_VERIFY(!options->sammelt());
        QVERIFY(world.box.shown.isEmpty());
        QVERIFY(game);
        QCOMPARE(game->bilder.size(), 10);
        QVERIFY(game->shown);
    }

    void programFolderUnderAnotherPath()
    {
        // Reached through a link it counts as another folder: its pictures, the message,
        // and the top-up takes the same pictures again.
        options->lstGroesse->setCurrentRow(1); // 18 pairs
        QVERIFY(options->Dir1->setPath(chosen("verweis")));
        options->cmdNimmOptions->click();
        QTRY_VERIFY(!options->sammelt());
        QCOMPARE(world.box.shown.size(), 1);
        QCOMPARE(game->bilder.size(), 18);
        QCOMPARE(game->bilder[0], chosen("verweis") + "/s00.jpg");
        QCOMPARE(game->bilder[10], programFolder + "/s00.jpg");
    }

    void noPictureAtAllStillOpensTheGame()
    {
        QTemporaryDir empty;
        open(empty.path());
        options->cmdNimmOptions->click();
        QTRY_VERIFY(!options->sammelt());
        QVERIFY(game);
        QVERIFY(game->bilder.isEmpty());
        QVERIFY(game->shown);
    }

    void preview_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QSize>("shown"); // invalid: refused with the message
        QTest::newRow("wide") << "w.jpg" << QSize(300, 150) << qint64(-1) << QSize(100, 50);
        QTest::newRow("tall") << "t.bmp" << QSize(150, 300) << qint64(-1) << QSize(50, 100);
        QTest::newRow("square") << "q.JPG" << QSize(10, 10) << qint64(-1) << QSize(100, 100);
        QTest::newRow("jpg at the limit") << "l.jpg" << QSize(30, 30) << qint64(75000) << QSize(100, 100);
        QTest::newRow("jpg above") << "g.jpg" << QSize(30, 30) << qint64(75001) << QSize();
        QTest::newRow("bmp at the limit") << "l.bmp" << QSize(30, 30) << qint64(800000) << QSize(100, 100);
        QTest::newRow("bmp above") << "g.bmp" << QSize(30, 30) << qint64(800001) << QSize();
    }
    void preview()
    {
        QFETCH(QString, name);
        QFETCH(QSize, natural);
        QFETCH(qint64, bytes);
        QFETCH(QSize, shown);
        QTemporaryDir dir;
        QVERIFY(test::writePicture(dir.filePath("a_first.jpg"), {60, 60}, "JPG"));
        QVERIFY(test::writePicture(dir.filePath(name), natural, name.endsWith("bmp") ? "BMP" : "JPG", bytes));
        QVERIFY(options->Dir1->setPath(dir.path()));
        options->File1_Click(0); // a picture in view before
        QVERIFY(test::settlePictures());
        QVERIFY(options->imgVorschau->isVisibleTo(options.get()));
        options->File1_Click(1);
        QVERIFY(!options->imgVorschau->isVisibleTo(options.get())); // hidden while it is read
        QVERIFY(test::settlePictures());
        QCOMPARE(options->BildPfad, dir.filePath(name));
        QCOMPARE(options->Pfad, dir.path() + "/");
        if (shown.isValid()) {
            QVERIFY(world.box.shown.isEmpty());
            QVERIFY(options->imgVorschau->isVisibleTo(options.get()));
            QCOMPARE(options->imgVorschau->size(), shown);
            QCOMPARE(options->imgVorschau->pos(), QPoint(288, 32));
            QVERIFY(options->imgVorschau->stretch());
        } else {
            QCOMPARE(world.box.shown.size(), 1);
            QCOMPARE(world.box.shown[0].text, QStringLiteral("Das Bild ist zu gross für Tavik"));
            QCOMPARE(world.box.shown[0].icon, MsgIcon::Critical);
            QVERIFY(!options->imgVorschau->isVisibleTo(options.get())); // not the picture before
        }
    }

    void badPreviewStaysHidden()
    {
        QTemporaryDir dir;
        QVERIFY(test::writeBytes(dir.filePath("kaputt.jpg"), QByteArray(500, 'x')));
        QVERIFY(options->Dir1->setPath(dir.path()));
        options->File1_Click(0);
        QVERIFY(test::settlePictures());
        QVERIFY(!options->imgVorschau->isVisibleTo(options.get()));
        QVERIFY(world.box.shown.isEmpty());
    }

    void anotherFolderKeepsThePreview()
    {
        options->File1_Click(0);
        QVERIFY(test::settlePictures());
        QVERIFY(options->imgVorschau->isVisibleTo(options.get()));
        QVERIFY(options->Dir1->setPath(chosen("acht")));
        QCOMPARE(options->File1->path(), chosen("acht"));
        QVERIFY(options->imgVorschau->isVisibleTo(options.get()));
        QVERIFY(options->imgVorschau->hasPicture());
    }

    void aSlowPreviewNeverOverwritesALaterOne_data()
    {
        QTest::addColumn<int>("deadlineMs");
        QTest::newRow("stuck past its deadline") << 500;
        QTest::newRow("slow, answering after a later click") << 60000;
    }
    void aSlowPreviewNeverOverwritesALaterOne()
    {
        QFETCH(int, deadlineMs);
        const bool stuck = deadlineMs < 10000;
        static QSemaphore drive;
        PictureWork work;
        work.decode = [](const QString& path, QSize, qreal) {
            QImage image(30, 20, QImage::Format_RGB32);
            image.fill(Qt::blue);
            if (path.endsWith("a00.jpg")) {
                drive.acquire(); // a share that does not answer
                return Decoded{image, QSize(40, 40)};
            }
            return Decoded{image, QSize(100, 66)};
        };
        work.deadline = std::chrono::milliseconds(deadlineMs);
        open({}, work);
        QVERIFY(options->Dir1->setPath(chosen("acht")));
        showOptions();
        clickFile(0);
        QCOMPARE(options->BildPfad, chosen("acht") + "/a00.jpg");
        if (stuck) {
            QTRY_COMPARE(stuckJobs::count(), 1); // the deadline passed while the screen ran on
            QVERIFY(!options->imgVorschau->isVisibleTo(options.get()));
            QVERIFY(world.box.shown.isEmpty());
        }

        clickFile(1);
        QTRY_VERIFY(options->imgVorschau->isVisibleTo(options.get()));
        QCOMPARE(options->imgVorschau->size(), QSize(100, 66));
        drive.release();
        QTRY_COMPARE(stuckJobs::count(), 0);
        QVERIFY(test::settlePictures());
        QCOMPARE(options->imgVorschau->size(), QSize(100, 66)); // the older answer was dropped
    }

    void aStuckFileCountsAsNotAcceptableAndTheOrderHolds()
    {
        static QSemaphore drive;
        PictureWork work;
        work.acceptable = [](const QString& path) {
            if (path.endsWith("z01.jpg"))
                drive.acquire();
            return fuerSpielAnnehmbar(path);
        };
        work.deadline = 1000ms;
        open({}, work);
        showOptions();
        options->lstGroesse->setCurrentRow(0);
        QVERIFY(options->Dir1->setPath(chosen("zwanzig")));
        options->cmdNimmOptions->click();
        QVERIFY(options->sammelt());
        QCOMPARE(options->cursor().shape(), Qt::BusyCursor);
        options->cmdNimmOptions->click(); // pressed again while it collects
        QTRY_VERIFY(!options->sammelt());

        QCOMPARE(gamesMade, 1);
        QVERIFY(game->shown);
        QVERIFY(world.box.shown.isEmpty());
        QStringList expected;
        for (int i : {0, 2, 3, 4, 5, 6, 7, 8})
            expected << chosen("zwanzig") + QStringLiteral("/z%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        QCOMPARE(game->bilder, expected);
        QCOMPARE(options->cursor().shape(), Qt::ArrowCursor);
        drive.release();
        QTRY_COMPARE(stuckJobs::count(), 0);
    }

    void aLongCollectionShowsItsProgressAndCanBeLeft_data()
    {
        QTest::addColumn<bool>("quit");
        QTest::newRow("quit: Yes") << true;
        QTest::newRow("quit: No, the collection ends while asked") << false;
    }
    void aLongCollectionShowsItsProgressAndCanBeLeft()
    {
        QFETCH(bool, quit);
        static QSemaphore drive;
        PictureWork work;
        work.acceptable = [](const QString& path) {
            drive.acquire();
            return fuerSpielAnnehmbar(path);
        };
        work.deadline = 60s;
        open({}, work);
        showOptions();
        options->lstGroesse->setCurrentRow(0);
        QVERIFY(options->Dir1->setPath(chosen("zwanzig")));
        QSignalSpy beenden(options.get(), &OPTIONS::beenden);
        options->cmdNimmOptions->click();
        QTRY_VERIFY(options->findChild<QProgressBar*>("prgSammeln")); // after half a second
        QVERIFY(options->findChild<QProgressBar*>("prgSammeln")->isVisible());
        const QRect bar = options->findChild<QProgressBar*>("prgSammeln")->geometry();
        for (QWidget* control : {static_cast<QWidget*>(options->cmdExit), static_cast<QWidget*>(options->cmdNimmOptions),
                                 static_cast<QWidget*>(options->Image1), static_cast<QWidget*>(options->Frame1),
                                 static_cast<QWidget*>(options->Frame2)})
            QVERIFY2(!bar.intersects(control->geometry()), qPrintable(control->objectName())); // covers nothing
        const QString out = qEnvironmentVariable("TAVIK_TEST_OUTPUT", QDir::tempPath());
        QVERIFY(options->grab().save(out + "/settings-collecting.png"));

        world.box.answers = {quit ? MsgAnswer::Yes : MsgAnswer::No};
        world.box.onShow = [] {
            // The checks end while the question is open.
            drive.release(100);
            QVERIFY(test::settlePictures());
        };
        options->cmdExit->click();
        world.box.onShow = nullptr;
        QCOMPARE(beenden.count(), quit ? 1 : 0);
        QVERIFY(test::settlePictures());
        if (quit) {
            QVERIFY(!options->sammelt());
            QVERIFY(!game); // nothing was started
        } else {
            QTRY_VERIFY(game && game->shown);
            QCOMPARE(game->bilder.size(), 8);
            QVERIFY(!options->isVisible());
        }
        QTRY_VERIFY(!options->findChild<QProgressBar*>("prgSammeln"));
        drive.acquire(drive.available());
    }

    void folderThatCannotBeOpenedLeavesTheList()
    {
        const int before = options->Dir1->count();
        QVERIFY(!options->Dir1->setPath(chosen("gibt-es-nicht")));
        QCOMPARE(options->Dir1->count(), before);
        QCOMPARE(options->Dir1->path(), programFolder);
    }

    void driveNotReady()
    {
        options->Drive1->setVolumes({{"/", "/"}, {chosen("ausgehaengt"), "USB-STICK"}});
        options->Drive1->setCurrentIndex(1);
        emit options->Drive1->driveChanged();
        QCOMPARE(world.box.shown.size(), 1);
        QCOMPARE(world.box.shown[0].text, QStringLiteral("Das Laufwerk USB-STICK ist nicht bereit !"));
        QCOMPARE(world.box.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(options->Drive1->drive(), QStringLiteral("/"));
        QCOMPARE(options->Dir1->path(), QStringLiteral("/"));
        QCOMPARE(options->File1->path(), QStringLiteral("/"));
    }

    void driveOpensItsRoot()
    {
        options->Drive1->setVolumes({{"/", "/"}, {chosen("acht"), chosen("acht")}});
        options->Drive1->setDrive(chosen("acht"));
        QVERIFY(world.box.shown.isEmpty());
        QCOMPARE(options->Dir1->path(), chosen("acht"));
        QCOMPARE(options->File1->listCount(), 8);
    }
};

QTEST_MAIN(TestOptionsWindow)
#include "tst_options_window.moc"
