// Hostile inputs thrown at the windows: strange picture files, folders and high-score files.
// For each: no crash, no hang longer than a second, no unbounded memory, nothing lost, and a
// clear message where the player must act.

#include <QtTest>

#include <QImageWriter>

#include <sys/stat.h>
#include <unistd.h>

#include "ui/MainWindow.h"
#include "pictures/PictureDecoder.h"
#include "pictures/PictureHeader.h"
#include "ui/HallOfFame.h"
#include "scores/HighScoreFile.h"
#include "scores/ListWork.h"
#include "ui/OptionsWindow.h"
#include "tests/PictureWaits.h"
#include "tests/TestDoubles.h"
#include "tests/TestPictures.h"

using namespace tavik;

namespace {

long residentKb()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

struct NullGame final : GameScreen {
    QStringList pictures;
    void appendPicture(const QString& p) override { pictures << p; }
    void showScreen() override {}
};

// A progressive JPEG with its scans repeated hundreds of times.
QByteArray manyScans()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    const qsizetype sos = data.indexOf(QByteArrayView("\xFF\xDA", 2));
    const qsizetype eoi = data.lastIndexOf(QByteArrayView("\xFF\xD9", 2));
    if (sos < 0 || eoi < 0)
        return data;
    const QByteArray scans = data.mid(sos, eoi - sos);
    QByteArray out = data.left(sos);
    while (out.count(QByteArrayView("\xFF\xDA", 2)) < 300 && out.size() + scans.size() < 70000)
        out += scans;
    return out + "\xFF\xD9";
}

QByteArray entries(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += "Spieler" + QByteArray::number(i) + "\r\n " + QByteArray::number(5000 - i) + " \r\n";
    return bytes;
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT

    long rssBefore = 0;
    QElapsedTimer clock;

private slots:
    void init()
    {
        rssBefore = residentKb();
        clock.start();
    }
    void cleanup()
    {
        QVERIFY2(clock.elapsed() < 1000 || QTest::currentTestFunction() == QByteArray("folders"),
                 qPrintable(QStringLiteral("took %1 ms").arg(clock.elapsed())));
#ifndef __SANITIZE_ADDRESS__ // the sanitizer holds freed memory back on purpose
        QVERIFY2(residentKb() - rssBefore < 100 * 1024, "memory grew without bound");
#endif
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("taken");    // into a game
        QTest::addColumn<bool>("shown");    // in the preview
        QTest::addColumn<bool>("refused");  // with the message "zu gross"
        QTest::addColumn<bool>("onCard");   // shown when turned on a card
        const bool root = ::geteuid() == 0;
        QTest::newRow("zero bytes") << "empty" << "a.jpg" << false << false << false << false;
        QTest::newRow("random bytes named .jpg") << "garbage" << "a.jpg" << false << false << false << false;
        QTest::newRow("PNG data named .bmp") << "png" << "a.bmp" << false << false << false << false;
        QTest::newRow("BMP truncated after its header") << "truncated" << "a.bmp" << false << false << false << false;
        QTest::newRow("BMP claiming 60000 x 60000") << "hugebmp" << "a.bmp" << false << false << false << false;
        QTest::newRow("JPEG claiming 60000 x 60000") << "hugejpg" << "a.jpg" << false << false << false << false;
        QTest::newRow("progressive JPEG, hundreds of scans") << "scans" << "a.jpg" << false << false << false << false;
        QTest::newRow("JPEG of 75000 bytes") << "jpg75000" << "a.jpg" << false << true << false << true;
        QTest::newRow("JPEG of 75001 bytes") << "jpg75001" << "a.jpg" << false << false << true << false;
        QTest::newRow("BMP of 800000 bytes") << "bmp800000" << "a.bmp" << false << true << false << true;
        QTest::newRow("BMP of 800001 bytes") << "bmp800001" << "a.bmp" << false << false << true << false;
        QTest::newRow("no read permission") << "unreadable" << "a.jpg" << root << root << false << root;
        QTest::newRow("a good one, for contrast") << "good" << "a.jpg" << true << true << false << true;
    }
    void pictures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(bool, taken);
        QFETCH(bool, shown);
        QFETCH(bool, refused);
        QFETCH(bool, onCard);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QSize small(40, 30);
        if (kind == "scans") {
            const QByteArray jpeg = manyScans();
            QVERIFY(jpeg.count(QByteArrayView("\xFF\xDA", 2)) > kMaxJpegScans);
            QVERIFY(jpeg.size() < 75000);
            QVERIFY(test::writeBytes(path, jpeg));
        }
        else if (kind == "jpg75000") QVERIFY(test::writePicture(path, small, "JPG", 75000));
        else if (kind == "jpg75001") QVERIFY(test::writePicture(path, small, "JPG", 75001));
        else if (kind == "bmp800000") QVERIFY(test::writePicture(path, small, "BMP", 800000));
        else if (kind == "bmp800001") QVERIFY(test::writePicture(path, small, "BMP", 800001));
        else if (kind == "unreadable") {
            QVERIFY(test::writePicture(path, small, "JPG"));
            ::chmod(QFile::encodeName(path).constData(), 0);
        } else if (kind == "good") {
            QVERIFY(test::writePicture(path, small, "JPG"));
        } else {
            QVERIFY(test::makeBadPicture(kind, path));
        }

        test::ScriptedWorld world;
        world.folder.folder = dir.path();
        NullGame game;
        OPTIONS options(world.services(), [&](int, const QString&) { return &game; });
        options.setAttribute(Qt::WA_DeleteOnClose, false);
        QTRY_COMPARE(options.File1->path(), normalFolder(dir.path())); // the load reads it on a worker
        QCOMPARE(options.File1->listCount(), 1);
        options.File1_Click(0);
        QVERIFY(test::settlePictures());
        QCOMPARE(options.imgVorschau->isVisibleTo(&options), shown);
        QCOMPARE(world.box.shown.size(), refused ? 1 : 0);
        if (refused)
            QCOMPARE(world.box.shown[0].text, QStringLiteral("Das Bild ist zu gross für Tavik"));

        options.lstGroesse->setCurrentRow(0);
        options.cmdNimmOptions->click();
        QTRY_VERIFY(!options.collecting());
        QCOMPARE(game.pictures.size(), taken ? 1 : 0);

        // Turned on a card anyway (the file changed since the deal): the box stays empty,
        // also for a file grown past its byte limit.
        MAIN main(world.services(), 4, "x");
        main.game.KartenBild[1] = path;
        main.Zeige_Bild(0, 0);
        QVERIFY(test::settlePictures());
        QVERIFY(main.imgKarteOffen[0]->isVisibleTo(&main));
        QCOMPARE(main.imgKarteOffen[0]->hasPicture(), onCard);
    }

    void notPicturesAtAll_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder named x.bmp") << "folder";
        QTest::newRow("a named pipe x.bmp") << "fifo";
        QTest::newRow("a dangling link x.jpg") << "dangling";
        QTest::newRow("a name that is not UTF-8") << "badname";
    }
    void notPicturesAtAll()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(kind == "dangling" ? "x.jpg" : "x.bmp");
        QByteArray rawName; // removed by hand: the temporary folder cannot name it
        if (kind != "badname") {
            QVERIFY(test::makeBadPicture(kind, path));
        } else {
            rawName = QFile::encodeName(dir.path()) + "/Bild\xE4.jpg";
            FILE* f = std::fopen(rawName.constData(), "w");
            QVERIFY(f);
            std::fclose(f);
            path = QFile::decodeName(rawName);
        }
        test::ScriptedWorld world;
        world.folder.folder = dir.path();
        NullGame game;
        OPTIONS options(world.services(), [&](int, const QString&) { return &game; });
        QTRY_COMPARE(options.File1->path(), normalFolder(dir.path()));
        QCOMPARE(options.File1->listCount(), 0); // never listed
        MAIN main(world.services(), 4, "x");
        main.game.KartenBild[1] = path;
        main.Zeige_Bild(0, 0); // must not block on the pipe
        QVERIFY(test::settlePictures());
        QVERIFY(!main.imgKarteOffen[0]->hasPicture());
        if (!rawName.isEmpty())
            ::unlink(rawName.constData());
    }

    void folders_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("20,000 entries") << "big";
        QTest::newRow("a symlink loop") << "loop";
        QTest::newRow("no read permission") << "closed";
    }
    void folders()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString target = dir.filePath("ziel");
        QVERIFY(QDir().mkpath(target));
        if (kind == "big") {
            for (int i = 0; i < 20000; ++i)
                QFile(QStringLiteral("%1/f%2.jpg").arg(target).arg(i, 5, 10, QLatin1Char('0'))).open(QIODevice::WriteOnly);
        } else if (kind == "loop") {
            QVERIFY(QFile::link(target, target + "/schleife"));
        } else {
            ::chmod(QFile::encodeName(target).constData(), 0);
        }
        test::ScriptedWorld world;
        world.folder.folder = dir.path();
        NullGame game;
        OPTIONS options(world.services(), [&](int, const QString&) { return &game; });
        QTRY_COMPARE(options.File1->path(), normalFolder(dir.path()));
        QElapsedTimer t;
        t.start();
        QString open = target;
        QSignalSpy unreadable(options.Dir1, &DirListBox::folderUnreadable);
        for (int depth = 0; depth < (kind == "loop" ? 30 : 1); ++depth) {
            options.Dir1->openFolder(open);
            const QString shown = normalFolder(open);
            QVERIFY(QTest::qWaitFor([&] { return options.Dir1->path() == shown || !unreadable.isEmpty(); }));
            const bool opened = unreadable.isEmpty();
            QCOMPARE(opened, kind != "closed" || ::geteuid() == 0);
            open += "/schleife";
        }
        QVERIFY2(t.elapsed() < 1000, qPrintable(QStringLiteral("listing took %1 ms").arg(t.elapsed())));
        if (kind == "big")
            QCOMPARE(options.File1->listCount(), 20000);
        if (kind == "closed" && ::geteuid() != 0)
            QCOMPARE(options.Dir1->path(), normalFolder(dir.path())); // left as it was
        options.cmdNimmOptions->click(); // no pictures there: no crash, the message, a short list
        ::chmod(QFile::encodeName(target).constData(), 0755);
    }

    void highScoreFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("firstName"); // entry 1 as shown, and kept after the insertion
        QTest::newRow("missing") << "missing" << QByteArray() << "";
        QTest::newRow("empty") << "file" << QByteArray() << "";
        QTest::newRow("one line") << "file" << QByteArray("Solo") << "Solo";
        QTest::newRow("eleven entries") << "file" << entries(11) << "Spieler0";
        QTest::newRow("fifty entries") << "file" << entries(50) << "Spieler0";
        QTest::newRow("LF only") << "file" << QByteArray("Lf\n 7000 \n") << "Lf";
        QTest::newRow("CR only") << "file" << QByteArray("Cr\r 7000 \r") << "Cr";
        QTest::newRow("byte-order mark") << "file" << QByteArray("\xEF\xBB\xBF" "Bom\r\n 7000 \r\n") << "Bom";
        QTest::newRow("score 12abc") << "file" << QByteArray("Abc\r\n12abc\r\n") << "Abc";
        QTest::newRow("score empty") << "file" << QByteArray("Leer\r\n\r\n") << "Leer";
        QTest::newRow("score -") << "file" << QByteArray("Minus\r\n-\r\n") << "Minus";
        QTest::newRow("score 99999999999") << "file" << QByteArray("Gross\r\n99999999999\r\n") << "Gross";
        QTest::newRow("a 10 MB line") << "file" << QByteArray(10 * 1024 * 1024, 'z') + "\r\n 7000 \r\n" << QString(4096, 'z');
        QTest::newRow("a folder named HSTavik") << "folder" << QByteArray() << "";
        QTest::newRow("read-only") << "readonly" << entries(10) << "Spieler0";
    }
    void highScoreFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, firstName);
        QTemporaryDir dir;
        const QString list = listFileIn(dir.path());
        if (kind == "file" || kind == "readonly")
            QVERIFY(test::writeBytes(list, bytes));
        if (kind == "readonly")
            QVERIFY(QFile::setPermissions(list, QFile::ReadOwner));
        if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir("HSTavik"));

        test::ScriptedWorld world;
        world.folder.folder = dir.path();
        MAIN main(world.services(), 4, "x");
        main.cmdHallOfFame_Click();
        if (kind == "folder") { // named, not shown as empty rows
            QTRY_COMPARE(world.box.shown.size(), 1);
            QVERIFY(world.box.shown[0].text.contains(list + QStringLiteral("' konnte nicht gelesen werden")));
            QVERIFY(main.frmHallOfFame->isHidden());
            world.box.shown.clear();
        } else {
            QTRY_VERIFY(!main.frmHallOfFame->isHidden());
            QCOMPARE(main.lblHighName[1]->text(), firstName);
            main.cmdHallOfFame_Click();
        }

        // A game end whose score (9946) enters the list wherever it can.
        std::optional<Entering> entering;
        enterScoreInBackground(&main, dir.path(), "Neu", 9946, [&](const Entering& e) { entering = e; });
        QTRY_VERIFY(entering);
        reportResult(world.box, 10, "Zeit: 00:00:30", 9946, *entering);
        const int place = entering->place;
        // What cannot be read or is meant to stay as it is stays: the player is told why,
        // then sees the result.
        if (kind == "folder" || kind == "readonly") {
            QCOMPARE(place, 0);
            QCOMPARE(world.box.shown.size(), 2);
            QCOMPARE(world.box.shown[0].icon, MsgIcon::Critical);
            QVERIFY(world.box.shown[0].text.contains(list));
            QCOMPARE(world.box.shown[1].icon, MsgIcon::Information);
            QFile file(list);
            QVERIFY(kind == "readonly" ? file.open(QIODevice::ReadOnly) && file.readAll() == bytes
                                       : QFileInfo(list).isDir());
            return;
        }
        QCOMPARE(world.box.shown.size(), 1);
        QVERIFY(place >= 1);
        const ScoreList after = test::onWorker([list] { return readListFile(list); });
        QCOMPARE(after.size(), 10);
        QVERIFY(std::all_of(after.begin(), after.end(), [](const ListEntry& e) { return e.present; }));
        // Nothing that was readable is lost: the old first entry is still in the list.
        if (!firstName.isEmpty())
            QVERIFY(std::any_of(after.begin(), after.end(), [&](const ListEntry& e) { return e.name == firstName; }));
        QVERIFY(!QFile::exists(temporaryFileIn(dir.path())));
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
