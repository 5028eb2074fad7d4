// SPDX-License-Identifier: GPL-3.0-or-later
// The settings screen: its load state, the size list, the start action with its shortfall
// message and top-up, the preview and the drive fallback, on folders made for each test.

#include <QAccessible>
#include <QProgressBar>
#include <QtTest>

#include <QApplication>
#include <QBuffer>
#include <QCollator>
#include <QImage>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QThreadPool>

#include <atomic>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "ui/OptionsWindow.h"
#include "pictures/PictureDecoder.h"
#include "tests/TestDoubles.h"
#include "ui/StartAction.h"
#include "tests/TestPictures.h"
#include "platform/NameOrder.h"
#include "platform/PathText.h"
#include "tests/PictureWaits.h"

using namespace std::chrono_literals;
using namespace tavik;

namespace {

void makePictures(const QString& folder, const QString& prefix, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i)
        QVERIFY(test::writePicture(QDir(folder).filePath(QStringLiteral("%1%2.jpg").arg(prefix).arg(i, 2, 10, QLatin1Char('0'))),
                                   {30, 20}, "JPG"));
}

// Makes a file or folder whose name is given as raw bytes (not necessarily UTF-8).
bool makeRaw(const QByteArray& path, bool folder, const QByteArray& content = {})
{
    if (folder)
        return ::mkdir(path.constData(), 0755) == 0;
    FILE* f = std::fopen(path.constData(), "w");
    if (!f)
        return false;
    std::fwrite(content.constData(), 1, size_t(content.size()), f);
    return std::fclose(f) == 0;
}

QListWidgetItem* itemShown(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void doubleClick(QListWidget* list, QListWidgetItem* item)
{
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestOptionsWindow : public QObject {
    Q_OBJECT

    QTemporaryDir root;
    QString programFolder;
    test::ScriptedWorld world;
    std::unique_ptr<test::RecordingGame> game;
    std::unique_ptr<OPTIONS> options;
    int gamesMade = 0;

    void open(const QString& folder = {}, PictureWork work = {})
    {
        world.folder.folder = folder.isEmpty() ? programFolder : folder;
        game.reset();
        gamesMade = 0;
        options = std::make_unique<OPTIONS>(world.services(), [this](int n, const QString& name) {
            ++gamesMade;
            game = std::make_unique<test::RecordingGame>();
            game->spielfeldgroesse = n;
            game->name = name;
            return game.get();
        }, nullptr, std::move(work));
        options->setAttribute(Qt::WA_DeleteOnClose, false);
        // The load reads the program folder and the volumes on workers.
        const QString shown = normalFolder(world.folder.folder);
        if (!QTest::qWaitFor([this, shown] { return options->File1->path() == shown && options->Drive1->count() > 0; }))
            qWarning("the settings screen's load did not finish"); // a program folder that cannot be read
        world.box.shown.clear();
    }

    // The folder list opens `folder` as the program does; true once the file list shows it.
    bool showFolder(const QString& folder)
    {
        options->Dir1->openFolder(folder);
        const QString shown = normalFolder(folder);
        return QTest::qWaitFor([this, shown] { return options->File1->path() == shown; });
    }

    QString chosen(const QString& name) { return root.filePath(name); }

    // The player's way of choosing a file: a click on its row of the list.
    void clickFile(int row)
    {
        const QRect r = options->File1->visualRect(options->File1->model()->index(row, 0));
        QTest::mouseClick(options->File1->viewport(), Qt::LeftButton, {}, r.center());
    }

    // The line the settings screen last said to a screen reader.
    QString spoken() { return QAccessible::queryAccessibleInterface(options->voice)->text(QAccessible::Name); }

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
        makePictures(chosen("zwei\nZeilen"), "d", 3);
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
        // A screen reader names the drive box by its label and hears the drive shown as its description.
        QCOMPARE(QAccessible::queryAccessibleInterface(options->Drive1)->text(QAccessible::Description),
                 options->Drive1->currentText());
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
        QTest::newRow("a line break in the name, topped up") << "zwei\nZeilen" << 3 << true;
    }
    void startAction()
    {
        QFETCH(QString, folder);
        QFETCH(int, fromChosen);
        QFETCH(bool, message);
        options->lstGroesse->setCurrentRow(0);
        options->txtSpielername->setText(" Jürgen ");
        QVERIFY(showFolder(chosen(folder)));
        QCOMPARE(options->File1->path(), chosen(folder));
        world.box.onShow = [this] { QVERIFY(game == nullptr || game->pictures.size() < 8); };
        options->cmdNimmOptions->click();
        QTRY_VERIFY(!options->collecting());
        world.box.onShow = nullptr;

        QVERIFY(game);
        QCOMPARE(game->spielfeldgroesse, 4);
        QCOMPARE(game->name, QStringLiteral(" Jürgen "));
        QVERIFY(game->shown);
        QVERIFY(!options->isVisible());
        QCOMPARE(options->ErsteAnzahl, 8);
        QCOMPARE(game->pictures.size(), 8);
        QCOMPARE(options->BildPfad, game->pictures.last()); // the last entry examined
        const QStringList chosenFiles = QDir(chosen(folder)).entryList(QDir::Files, QDir::Name);
        for (int i = 0; i < fromChosen; ++i)
            QCOMPARE(game->pictures[i], chosen(folder) + "/" + chosenFiles[i]);
        for (int i = fromChosen; i < 8; ++i)
            QCOMPARE(game->pictures[i], programFolder + QStringLiteral("/s%1.jpg").arg(i - fromChosen, 2, 10, QLatin1Char('0')));
        QCOMPARE(world.box.shown.size(), message ? 1 : 0);
        if (message) {
            const test::ShownMessage& m = world.box.shown[0];
            // A control character in the name shows as a placeholder, never raw.
            QCOMPARE(m.text, "Im Verzeichnis '" + QString(chosen(folder)).replace('\n', '?') + "' sind nicht genug Bilder vorhanden !" + QChar(13)
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
        QTRY_VERIFY(!options->collecting());
        QVERIFY(world.box.shown.isEmpty());
        QVERIFY(game);
        QCOMPARE(game->pictures.size(), 10);
        QVERIFY(game->shown);
    }

    void programFolderUnderAnotherPath()
    {
        // Reached through a link it counts as another folder: its pictures, the message,
        // and the top-up takes the same pictures again.
        options->lstGroesse->setCurrentRow(1); // 18 pairs
        QVERIFY(showFolder(chosen("verweis")));
        options->cmdNimmOptions->click();
        QTRY_VERIFY(!options->collecting());
        QCOMPARE(world.box.shown.size(), 1);
        QCOMPARE(game->pictures.size(), 18);
        QCOMPARE(game->pictures[0], chosen("verweis") + "/s00.jpg");
        QCOMPARE(game->pictures[10], programFolder + "/s00.jpg");
    }

    void noPictureAtAllStillOpensTheGame()
    {
        QTemporaryDir empty;
        open(empty.path());
        options->cmdNimmOptions->click();
        QTRY_VERIFY(!options->collecting());
        QVERIFY(game);
        QVERIFY(game->pictures.isEmpty());
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
        QVERIFY(showFolder(dir.path()));
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
            QCOMPARE(options->imgVorschau->pixmap().deviceIndependentSize().toSize(),
                     options->imgVorschau->contentsRect().size()); // decoded for the inside of the box
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
        QVERIFY(showFolder(dir.path()));
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
        QVERIFY(showFolder(chosen("acht")));
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
        QVERIFY(showFolder(chosen("acht")));
        showOptions();
        clickFile(0);
        QCOMPARE(options->BildPfad, chosen("acht") + "/a00.jpg");
        if (stuck) {
            QTRY_COMPARE(disk::stuckCount(), 1); // the deadline passed while the screen ran on
            QVERIFY(!options->imgVorschau->isVisibleTo(options.get()));
            QVERIFY(world.box.shown.isEmpty());
        }

        // One stuck read does not take its folder down: the next file there still shows.
        clickFile(1);
        QTRY_VERIFY(options->imgVorschau->isVisibleTo(options.get()));
        QCOMPARE(options->imgVorschau->size(), QSize(100, 66));
        drive.release();
        QTRY_COMPARE(disk::stuckCount(), 0);
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
            return acceptableForGame(path);
        };
        work.deadline = 1000ms;
        open({}, work);
        showOptions();
        options->lstGroesse->setCurrentRow(0);
        QVERIFY(showFolder(chosen("zwanzig")));
        options->cmdNimmOptions->click();
        QVERIFY(options->collecting());
        QCOMPARE(options->cursor().shape(), Qt::BusyCursor);
        options->cmdNimmOptions->click(); // pressed again while it collects
        QTRY_VERIFY(!options->collecting());

        QCOMPARE(gamesMade, 1);
        QVERIFY(game->shown);
        QVERIFY(world.box.shown.isEmpty());
        QStringList expected;
        for (int i : {0, 2, 3, 4, 5, 6, 7, 8})
            expected << chosen("zwanzig") + QStringLiteral("/z%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        QCOMPARE(game->pictures, expected);
        QCOMPARE(options->cursor().shape(), Qt::ArrowCursor);
        drive.release();
        QTRY_COMPARE(disk::stuckCount(), 0);
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
        drive.acquire(drive.available()); // what an earlier row left
        PictureWork work;
        work.acceptable = [](const QString& path) {
            drive.acquire();
            return acceptableForGame(path);
        };
        work.deadline = 60s;
        open({}, work);
        showOptions();
        options->lstGroesse->setCurrentRow(0);
        QVERIFY(showFolder(chosen("zwanzig")));
        QSignalSpy quitConfirmed(options.get(), &OPTIONS::quitConfirmed);
        connect(options.get(), &OPTIONS::quitConfirmed, options.get(), &OPTIONS::stop); // as the screen flow does
        QSignalSpy progress(options->findChild<StartAction*>(), &StartAction::progress);
        const int entries = options->File1->listCount();
        const auto unblock = qScopeGuard([] { drive.release(100); }); // also when a check fails
        options->cmdNimmOptions->click();
        QTRY_VERIFY(options->findChild<QProgressBar*>("prgSammeln")); // after half a second
        QVERIFY(options->findChild<QProgressBar*>("prgSammeln")->isVisible());
        const QList<QTimer*> timers = options->findChildren<QTimer*>();
        QVERIFY(std::none_of(timers.begin(), timers.end(), [](const QTimer* t) { return t->isActive() && !t->isSingleShot(); })); // no second bar to come
        const QRect bar = options->findChild<QProgressBar*>("prgSammeln")->geometry();
        for (QWidget* control : {static_cast<QWidget*>(options->cmdExit), static_cast<QWidget*>(options->cmdNimmOptions),
                                 static_cast<QWidget*>(options->Image1), static_cast<QWidget*>(options->Frame1),
                                 static_cast<QWidget*>(options->Frame2)})
            QVERIFY2(!bar.intersects(control->geometry()), qPrintable(control->objectName())); // covers nothing

        world.box.answers = {quit ? MsgAnswer::Yes : MsgAnswer::No};
        world.box.onShow = [] {
            // The checks end while the question is open.
            drive.release(100);
            QVERIFY(test::settlePictures());
        };
        options->cmdExit->click();
        world.box.onShow = nullptr;
        QCOMPARE(quitConfirmed.count(), quit ? 1 : 0);
        QVERIFY(test::settlePictures());
        if (quit) {
            QVERIFY(!options->collecting());
            QVERIFY(!game); // nothing was started
        } else {
            QTRY_VERIFY(game && game->shown);
            QCOMPARE(game->pictures.size(), 8);
            QVERIFY(!options->isVisible());
            // The walk reported how far it got, out of the folder's entries.
            QVERIFY(!progress.isEmpty());
            QCOMPARE(progress.last().at(1).toInt(), entries);
            QVERIFY(progress.last().at(0).toInt() >= 8);
        }
        QTRY_VERIFY(!options->findChild<QProgressBar*>("prgSammeln"));
    }

    void folderThatCannotBeOpenedLeavesTheList()
    {
        const int before = options->Dir1->count();
        QSignalSpy unreadable(options->Dir1, &DirListBox::folderUnreadable);
        options->Dir1->openFolder(chosen("gibt-es-nicht"));
        QVERIFY(unreadable.wait());
        QCOMPARE(options->Dir1->count(), before);
        QCOMPARE(options->Dir1->path(), programFolder);
    }

    // lstGroesse: exactly one size stays chosen, whatever the player clicks.
    void sizeListKeepsOneChoice_data()
    {
        QTest::addColumn<int>("row");             // where the player clicks, -1 beside the entries
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("size");
        QTest::newRow("Ctrl+click on the chosen size") << 3 << int(Qt::ControlModifier) << 10;
        QTest::newRow("Ctrl+click on another size") << 1 << int(Qt::ControlModifier) << 6;
        QTest::newRow("click beside the entries") << -1 << 0 << 10;
        QTest::newRow("plain click") << 0 << 0 << 4;
    }
    void sizeListKeepsOneChoice()
    {
        QFETCH(int, row);
        QFETCH(int, modifiers);
        QFETCH(int, size);
        options->show();
        QListWidget* list = options->lstGroesse;
        const QPoint at = row >= 0 ? list->visualItemRect(list->item(row)).center()
                                   : QPoint(list->viewport()->width() / 2, list->viewport()->height() - 2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers), at);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->row(list->selectedItems().first()), (size - 4) / 2);
        QCOMPARE(options->Spielfeldgroesse, size);
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier); // Ctrl+Space toggles in a plain list
        QCOMPARE(list->selectedItems().size(), 1);
    }

    // Drive1: the Change event runs only for another drive.
    void driveNotReady_data()
    {
        QTest::addColumn<bool>("stuck");
        QTest::newRow("a drive that is gone") << false;
        QTest::newRow("a drive that never answers") << true;
    }
    void driveNotReady()
    {
        QFETCH(bool, stuck);
        QSemaphore answer;
        FolderReader& reader = options->Dir1->reader();
        const QString usb = stuck ? chosen("acht") : chosen("ausgehaengt");
        if (stuck) {
            reader.setDeadline(std::chrono::milliseconds(50));
            reader.setRead([&answer, usb](const QString& folder) {
                if (folder == usb)
                    answer.acquire();
                return readFolder(folder, {"jpg"});
            });
        }
        options->show();
        options->Drive1->setVolumes({{"/", "/"}, {usb, "USB-STICK"}});
        QTest::keyClick(options->Drive1, Qt::Key_Down); // the player steps to the second drive
        QTRY_COMPARE(world.box.shown.size(), 1);
        QCOMPARE(world.box.shown[0].text, QStringLiteral("Das Laufwerk USB-STICK ist nicht bereit !"));
        QCOMPARE(world.box.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(options->Drive1->drive(), QStringLiteral("/"));
        QCOMPARE(options->Drive1->count(), 2); // the entry already there, not a second one
        QTRY_COMPARE(options->Dir1->path(), QStringLiteral("/"));
        QCOMPARE(options->File1->path(), QStringLiteral("/"));
        answer.release();
        disk::pool()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(options->Dir1->path(), QStringLiteral("/")); // the drive's late answer changes nothing
        if (!stuck) { // the same drive chosen again is reported again
            QTest::keyClick(options->Drive1, Qt::Key_Down);
            QTRY_COMPARE(world.box.shown.size(), 2);
        }
    }

    void driveOpensItsRoot()
    {
        options->Drive1->setVolumes({{"/", "/"}, {chosen("acht"), chosen("acht")}});
        options->Drive1->setDrive(chosen("acht"));
        QTRY_COMPARE(options->Dir1->path(), chosen("acht"));
        QVERIFY(world.box.shown.isEmpty());
        QCOMPARE(options->File1->listCount(), 8);
    }

    void sameDriveAgainKeepsTheFolder_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Enter on the chosen drive in the open list") << "popup";
        QTest::newRow("typing the chosen drive's first letter") << "type";
    }
    void sameDriveAgainKeepsTheFolder()
    {
        QFETCH(QString, how);
        options->show();
        options->Drive1->setVolumes({{root.path(), "Bilder"}, {chosen("acht"), "Kamera"}});
        QVERIFY(showFolder(chosen("zwanzig")));
        if (how == "popup") {
            options->Drive1->showPopup();
            QTest::keyClick(options->Drive1->view(), Qt::Key_Return);
        } else {
            QTest::keyClicks(options->Drive1, "B");
        }
        QCOMPARE(options->Drive1->drive(), root.path());
        QCOMPARE(options->Dir1->path(), chosen("zwanzig"));
        QCOMPARE(options->File1->listCount(), 20);
        QVERIFY(spoken().isEmpty()); // no change, nothing said
        QTest::keyClick(options->Drive1, Qt::Key_Down); // another drive: its folder opens
        QTRY_COMPARE(options->Dir1->path(), chosen("acht"));
        QCOMPARE(spoken(), QStringLiteral("Kamera")); // said: the drive box itself does not say it
    }

    // Dir1 and File1: typing letters jumps to the first matching entry; in File1 that move
    // chooses the entry like a click.
    void typeAhead_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("current");
        QTest::newRow("Dir1, one letter") << "Dir1" << "z" << "zwanzig";
        QTest::newRow("Dir1, two letters") << "Dir1" << "dr" << "drei";
        QTest::newRow("File1, one letter") << "File1" << "b" << "birne.jpg";
        QTest::newRow("File1, umlaut") << "File1" << QString("ä") << QString("Äpfel.jpg");
        QTest::newRow("Drive1, one letter") << "Drive1" << "k" << "Kamera";
    }
    void typeAhead()
    {
        QFETCH(QString, list);
        QFETCH(QString, typed);
        QFETCH(QString, current);
        QTemporaryDir dir;
        for (const char* name : {"apfel.jpg", "Äpfel.jpg", "birne.jpg", "Zitrone.jpg"})
            QVERIFY(test::writePicture(dir.filePath(QString::fromUtf8(name)), {20, 20}, "JPG"));
        options->show();
        if (list == "Drive1") {
            options->Drive1->setVolumes({{root.path(), "Bilder"}, {chosen("acht"), "Kamera"}});
            QTest::keyClicks(options->Drive1, typed);
            QCOMPARE(options->Drive1->currentText(), current);
            QTRY_COMPARE(options->Dir1->path(), chosen("acht")); // another drive: its folder opens
        } else if (list == "Dir1") {
            QVERIFY(showFolder(root.path()));
            QTest::keyClicks(options->Dir1, typed);
            QCOMPARE(options->Dir1->currentItem()->text(), current);
            QCOMPARE(options->Dir1->path(), root.path()); // moving is not opening
        } else {
            QVERIFY(showFolder(dir.path()));
            for (QChar c : typed) // letters as a keyboard sends them, umlauts included
                QTest::sendKeyEvent(QTest::Click, options->File1, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QCOMPARE(options->File1->currentIndex().data().toString(), current);
            QCOMPARE(options->BildPfad, dir.filePath(current)); // the preview ran for it
        }
        // A screen reader reads the entry reached when the focus comes back to the list.
        QWidget* moved = options->findChild<QWidget*>(list);
        QCOMPARE(QAccessible::queryAccessibleInterface(moved)->text(QAccessible::Description), current);
    }

    void folderListIndentsByDrawing()
    {
        options->show();
        QVERIFY(showFolder(root.path()));
        const QStringList steps = root.path().split('/', Qt::SkipEmptyParts);
        QListWidget* dir = options->Dir1;
        QCOMPARE(dir->item(steps.size())->text(), steps.last()); // the bare name, no blanks
        QListWidgetItem* sub = itemShown(dir, "acht");
        QVERIFY(sub);
        // Each level is drawn further right than the one above it.
        const int texts[] = {0, 1, int(steps.size()), dir->row(sub)};
        int left = -1;
        for (int row : texts) {
            QStyleOptionViewItem option;
            option.initFrom(dir);
            const int width = dir->itemDelegate()->sizeHint(option, dir->model()->index(row, 0)).width()
                              - dir->fontMetrics().horizontalAdvance(dir->item(row)->text());
            QVERIFY2(width > left, qPrintable(dir->item(row)->text()));
            left = width;
        }
    }

    void doubleClickOrEnterOpensAFolder_data()
    {
        QTest::addColumn<bool>("enter");
        QTest::newRow("double click") << false;
        QTest::newRow("Enter") << true;
    }
    void doubleClickOrEnterOpensAFolder()
    {
        QFETCH(bool, enter);
        options->show();
        QVERIFY(showFolder(root.path()));
        QListWidgetItem* item = itemShown(options->Dir1, "zwanzig");
        QVERIFY(item);
        if (enter) {
            options->Dir1->setCurrentItem(item);
            QTest::keyClick(options->Dir1, Qt::Key_Return);
        } else {
            doubleClick(options->Dir1, item);
        }
        QTRY_COMPARE(options->Dir1->path(), chosen("zwanzig"));
        QCOMPARE(options->File1->path(), chosen("zwanzig"));
        QCOMPARE(options->File1->listCount(), 20);
        QCOMPARE(options->File1->entry(0), QStringLiteral("z00.jpg"));
    }

    void folderNotUtf8OpensAndListsItsFiles()
    {
        QTemporaryDir dir;
        const QByteArray parent = QFile::encodeName(dir.path());
        const QByteArray folder = parent + "/Ferien\xFF\n2019";
        QVERIFY(makeRaw(folder, true));
        QByteArray picture;
        {
            QBuffer buffer(&picture);
            buffer.open(QIODevice::WriteOnly);
            QImage(12, 8, QImage::Format_RGB32).save(&buffer, "JPG");
        }
        QVERIFY(makeRaw(folder + "/strand.jpg", false, picture));
        QVERIFY(makeRaw(folder + "/tab\tname.jpg", false, picture));
        options->show();
        QVERIFY(showFolder(dir.path()));
        // Shown with a replacement character and a visible placeholder for the line feed, on one row.
        QListWidgetItem* item = itemShown(options->Dir1, QString::fromUtf8("Ferien\xEF\xBF\xBD?2019"));
        QVERIFY(item);
        doubleClick(options->Dir1, item);
        QTRY_COMPARE(options->File1->listCount(), 2);
        QCOMPARE(encodePath(options->File1->path()), folder);
        QCOMPARE(options->File1->shownPath(), dir.path() + QString::fromUtf8("/Ferien\xEF\xBF\xBD?2019"));
        QCOMPARE(options->File1->entry(0), QStringLiteral("strand.jpg"));
        QCOMPARE(options->File1->model()->index(1, 0).data().toString(), QStringLiteral("tab?name.jpg"));
        const QString first = joinPath(options->File1->path(), options->File1->entry(0));
        QCOMPARE(test::onWorker([first] {
                     QFile file;
                     return test::openForReading(file, first) ? file.readAll() : QByteArray();
                 }),
                 picture);
        // The preview reads it by its exact bytes.
        clickFile(0);
        QVERIFY(test::settlePictures());
        QVERIFY(options->imgVorschau->isVisible());
        QVERIFY(options->imgVorschau->hasPicture());
        // A folder below it opens too.
        QVERIFY(makeRaw(folder + "/tiefer", true));
        options->Dir1->openFolder(options->File1->path());
        QTRY_VERIFY(itemShown(options->Dir1, "tiefer"));
        QListWidgetItem* below = itemShown(options->Dir1, "tiefer");
        doubleClick(options->Dir1, below);
        QTRY_COMPARE(encodePath(options->Dir1->path()), folder + "/tiefer");
        ::unlink((folder + "/strand.jpg").constData());
        ::unlink((folder + "/tab\tname.jpg").constData());
        ::rmdir((folder + "/tiefer").constData());
        ::rmdir((folder).constData()); // the temporary folder cannot name it
    }

    void staleListingIsDropped_data()
    {
        QTest::addColumn<bool>("lateBeforeCurrent"); // the late listing arrives while the current one is on its way
        QTest::newRow("late listing after the current one") << false;
        QTest::newRow("late listing before the current one") << true;
    }
    void staleListingIsDropped()
    {
        QFETCH(bool, lateBeforeCurrent);
        QSemaphore slowShare, currentShare;           // each share answers when released
        std::atomic<bool> slowAsked{false}, currentAsked{false};
        options->show();
        QVERIFY(showFolder(root.path()));
        FolderReader& reader = options->Dir1->reader();
        const QString slow = chosen("acht");
        reader.setRead([&, slow, lateBeforeCurrent](const QString& folder) {
            if (folder == slow) {
                slowAsked = true;
                slowShare.acquire();
            } else if (lateBeforeCurrent) {
                currentAsked = true;
                currentShare.acquire();
            }
            return readFolder(folder, {"bmp", "jpg"});
        });
        QSignalSpy changes(options->Dir1, &DirListBox::pathChanged);
        doubleClick(options->Dir1, itemShown(options->Dir1, "acht"));
        QTRY_VERIFY(slowAsked);
        doubleClick(options->Dir1, itemShown(options->Dir1, "drei")); // the player moves on
        if (lateBeforeCurrent) {
            QTRY_VERIFY(currentAsked);
            slowShare.release();
            QTRY_COMPARE(disk::pool()->activeThreadCount(), 1); // the late listing has been posted
            QCoreApplication::sendPostedEvents();      // and delivered
            QCOMPARE(options->Dir1->path(), root.path());
            currentShare.release();
            QTRY_COMPARE(options->Dir1->path(), chosen("drei"));
        } else {
            QTRY_COMPARE(options->Dir1->path(), chosen("drei"));
            slowShare.release();
            disk::pool()->waitForDone();                   // the late listing has been posted
            QCoreApplication::sendPostedEvents(); // and delivered
        }
        disk::pool()->waitForDone();
        QCOMPARE(options->Dir1->path(), chosen("drei"));
        QCOMPARE(options->File1->path(), chosen("drei"));
        QCOMPARE(options->File1->listCount(), 3);
        QCOMPARE(changes.count(), 1); // the late folder was never shown
    }

    void stuckFolderShowsUnreadable()
    {
        QSemaphore stuck;
        options->show();
        QVERIFY(showFolder(root.path()));
        FolderReader& reader = options->Dir1->reader();
        reader.setDeadline(std::chrono::milliseconds(50));
        reader.setRead([&stuck](const QString& folder) {
            stuck.acquire(); // never answers until the test ends
            return readFolder(folder, {"jpg"});
        });
        doubleClick(options->Dir1, itemShown(options->Dir1, "zwanzig"));
        QTRY_VERIFY(itemShown(options->Dir1, "zwanzig (nicht lesbar)"));
        QCOMPARE(options->Dir1->path(), root.path());
        stuck.release();
        disk::pool()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(options->Dir1->path(), root.path()); // the late listing is dropped
    }

    // File1: only a click or a key that moves the selection runs the preview.
    void focusAloneRunsNoPreview_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("message");
        QTest::addColumn<QString>("chosen"); // the file the preview ran for last
        QTest::newRow("Tab into the list") << "" << false << "";
        QTest::newRow("Tab, then Down") << "down" << true << "a_gross.jpg";
        QTest::newRow("Tab, then a click") << "click" << true << "a_gross.jpg";
        QTest::newRow("a click, away and back, then Down: the next") << "back" << false << "b.jpg";
    }
    void focusAloneRunsNoPreview()
    {
        QFETCH(QString, then);
        QFETCH(bool, message);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        QVERIFY(test::writePicture(dir.filePath("a_gross.jpg"), {30, 30}, "JPG", 75001));
        QVERIFY(test::writePicture(dir.filePath("b.jpg"), {30, 30}, "JPG"));
        options->show();
        QApplication::setActiveWindow(options.get());
        QVERIFY(showFolder(dir.path()));
        options->Dir1->setFocus();
        QTest::keyClick(options->Dir1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), options->File1);
        QVERIFY(!options->File1->currentIndex().isValid());
        if (then == "down")
            QTest::keyClick(options->File1, Qt::Key_Down);
        else if (then != "")
            QTest::mouseClick(options->File1->viewport(), Qt::LeftButton, {},
                              options->File1->visualRect(options->File1->model()->index(0, 0)).center());
        if (then == "back") { // the focus leaves the list and comes back: the chosen entry stays current
            QTest::keyClick(options->File1, Qt::Key_Backtab);
            QTest::keyClick(options->Dir1, Qt::Key_Tab);
            QTest::keyClick(options->File1, Qt::Key_Down);
        }
        QVERIFY(test::settlePictures()); // the length is read on a worker
        QCOMPARE(world.box.shown.size(), message ? 1 : 0);
        QCOMPARE(options->BildPfad, chosen.isEmpty() ? QString() : dir.filePath(chosen));
        const auto described = [this] { return QAccessible::queryAccessibleInterface(options->File1)->text(QAccessible::Description); };
        QCOMPARE(described(), chosen); // what a screen reader hears when the focus comes back
        QVERIFY(showFolder(root.path()));
        QCOMPARE(described(), QString()); // another folder: nothing chosen there yet
    }

    // File1's order: German, without regard to case; the collection takes the first entries.
    void germanOrder_data()
    {
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("umlauts and sharp s") << QStringList{"apfel.jpg", "Äpfel.jpg", "b.jpg", "Ofen.jpg", "Öl.jpg",
                                                           "strasse.jpg", "Straße.jpg", "Strasse2.jpg", "Übung.bmp",
                                                           "Uhu.jpg", "Zebra.jpg"};
        QTest::newRow("ue is no umlaut") << QStringList{"Mueller.jpg", "Muller.jpg", "Müller.jpg", "mülltonne.jpg", "MUSTER.jpg"};
        QTest::newRow("punctuation and digits") << QStringList{"_x.jpg", "10.jpg", "9.jpg", "a b.jpg", "a-b.jpg",
                                                              "a.b.jpg", "ab.jpg"};
        QTest::newRow("beyond German letters") << QStringList{"café.jpg", "Cafe2.jpg", "Łódź.jpg", "zebra.jpg"};
    }
    void germanOrder()
    {
        QFETCH(QStringList, sorted);
        QTemporaryDir dir;
        for (const QString& name : sorted)
            QVERIFY(test::writePicture(dir.filePath(name), {20, 20}, name.endsWith("bmp") ? "BMP" : "JPG"));
        QVERIFY(showFolder(dir.path()));
        QStringList listed;
        for (int i = 0; i < options->File1->listCount(); ++i)
            listed << options->File1->entry(i);
        QCOMPARE(listed, sorted);
        // The start action takes them in the same order.
        options->lstGroesse->setCurrentRow(0);
        world.box.onShow = nullptr;
        options->cmdNimmOptions->click();
        QTRY_VERIFY(game); // the pictures are checked on workers
        for (int i = 0; i < std::min<int>(8, sorted.size()); ++i)
            QCOMPARE(game->pictures[i], dir.filePath(sorted[i]));
    }

    void quickOrderAgreesWithTheCollation()
    {
        // Random names over ASCII and the German letters, checked pair by pair against ICU;
        // enough of them, some with a long shared beginning, that the sort splits groups
        // byte by byte and compares past the first sixteen bytes.
        const QString alphabet = QString::fromUtf8("aAbBoOsSuUzZäÄöÖüÜß .-_19");
        QRandomGenerator random(4711);
        std::vector<QString> names;
        for (int i = 0; i < 4000; ++i) {
            QString name = i % 2 ? QString() : QStringLiteral("Urlaub_Sommer_2024_");
            for (int n = 1 + random.bounded(6); n > 0; --n)
                name += alphabet[random.bounded(alphabet.size())];
            names.push_back(name);
        }
        const QStringList sorted = sortedGermanly(std::move(names));
        QCollator collator(QLocale(QLocale::German, QLocale::Germany));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        for (qsizetype i = 1; i < sorted.size(); ++i)
            QVERIFY2(collator.compare(sorted[i - 1], sorted[i]) <= 0, qPrintable(sorted[i - 1] + " | " + sorted[i]));
    }
};

QTEST_MAIN(TestOptionsWindow)
#include "tst_options_window.moc"
