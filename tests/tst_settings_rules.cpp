// SPDX-License-Identifier: GPL-3.0-or-later
// Which files the game takes, the preview's limits and fit, the collection, and the
// folder listings, on folders made in a temporary directory.

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pictures/ByteLimits.h"
#include "pictures/Fit.h"
#include "pictures/PictureDecoder.h"
#include "tests/Collection.h"
#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/NameOrder.h"
#include "tests/PictureOracles.h"
#include "tests/TestPictures.h"

using namespace tavik;
using namespace tavik::test;

namespace {

// The names of one half of a folder's reading, as the lists show them.
QStringList names(const NameList& list)
{
    QStringList texts;
    for (qsizetype i = 0; i < list.size(); ++i)
        texts << list.at(i);
    return texts;
}

std::optional<QStringList> files(const QString& folder)
{
    const std::optional<FolderListing> listing = readFolder(folder, pictureExtensions());
    return listing ? std::optional(names(listing->files)) : std::nullopt;
}

std::optional<QStringList> subfolders(const QString& folder)
{
    const std::optional<FolderListing> listing = readFolder(folder, {});
    return listing ? std::optional(names(listing->subfolders)) : std::nullopt;
}

} // namespace

class TestSettingsRules : public QObject {
    Q_OBJECT
private slots:
    void extension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<qint64>("limit");
        QTest::newRow("jpg") << "/a/b.jpg" << "jpg" << kJpgLimit;
        QTest::newRow("JPG") << "/a/B.JPG" << "jpg" << kJpgLimit;
        QTest::newRow("Bmp") << "/a/b.Bmp" << "bmp" << kBmpLimit;
        QTest::newRow("jpeg") << "/a/b.jpeg" << "peg" << qint64(0);
        QTest::newRow("png") << "/a/b.png" << "png" << qint64(0);
        QTest::newRow("short") << "ab" << "ab" << qint64(0);
    }
    void extension()
    {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QFETCH(qint64, limit);
        QCOMPARE(extensionOf(path), extension);
        QCOMPARE(limitFor(extension), limit);
    }

    void limits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("refusedByPreview");
        QTest::addColumn<bool>("takenIntoGame");
        QTest::newRow("jpg 74999") << "a.jpg" << qint64(74999) << false << true;
        QTest::newRow("jpg 75000") << "a.jpg" << qint64(75000) << false << false;
        QTest::newRow("jpg 75001") << "a.jpg" << qint64(75001) << true << false;
        QTest::newRow("bmp 799999") << "a.bmp" << qint64(799999) << false << true;
        QTest::newRow("bmp 800000") << "a.bmp" << qint64(800000) << false << false;
        QTest::newRow("bmp 800001") << "a.bmp" << qint64(800001) << true << false;
        QTest::newRow("upper-case JPG") << "A.JPG" << qint64(5000) << false << true;
    }
    void limits()
    {
        QFETCH(QString, name);
        QFETCH(qint64, bytes);
        QFETCH(bool, refusedByPreview);
        QFETCH(bool, takenIntoGame);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(writePicture(path, QSize(40, 30), extensionOf(name) == "jpg" ? "JPG" : "BMP", bytes));
        QCOMPARE(QFileInfo(path).size(), bytes);
        QCOMPARE(tooLargeForPreview(extensionOf(path), bytes), refusedByPreview);
        QCOMPARE(acceptableForGame(path), takenIntoGame);
        // Over the preview's limit the file is not even measured.
        QCOMPARE(uprightSize(path), refusedByPreview ? std::nullopt : std::optional<QSize>(QSize(40, 30)));
    }

    void fileLengthTellsAnEmptyFileFromNone()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath("leer.jpg"), ""));
        QVERIFY(writeBytes(dir.filePath("drei.jpg"), "abc"));
        QCOMPARE(fileLength(dir.filePath("leer.jpg")), std::optional<qint64>(0));
        QCOMPARE(fileLength(dir.filePath("drei.jpg")), std::optional<qint64>(3));
        QCOMPARE(fileLength(dir.filePath("fehlt.jpg")), std::optional<qint64>());
        // What cannot be measured is not refused for its length: reading it decides.
        QVERIFY(!tooLargeForPreview("jpg", std::nullopt));
    }

    void previewFit_data()
    {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QSize>("twips");
        QTest::newRow("300x150") << QSize(300, 150) << QSize(1500, 750);
        QTest::newRow("150x300") << QSize(150, 300) << QSize(750, 1500);
        QTest::newRow("square") << QSize(77, 77) << QSize(1500, 1500);
        QTest::newRow("640x480") << QSize(640, 480) << QSize(1500, 1125);
    }
    void previewFit()
    {
        QFETCH(QSize, natural);
        QFETCH(QSize, twips);
        QCOMPARE(previewTwips(natural), twips);
    }

    void collectionStopsAtThePairsNeeded()
    {
        QStringList names;
        for (int i = 0; i < 20; ++i)
            names << QStringLiteral("b%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        QStringList examined, taken;
        Sammlung s;
        s.ordner = "/bilder";
        s.entry = [&](int i) { return i < names.size() ? names[i] : QString(); };
        s.pairsNeeded = 8;
        s.annehmbar = [&](const QString& p) { examined << p; return true; };
        s.nimm = [&](const QString& p) { taken << p; };
        int anzahl = 0;
        QString picturePath;
        sammleBilder(s, 20, anzahl, picturePath);
        QCOMPARE(anzahl, 8);
        QCOMPARE(taken.size(), 8);
        QCOMPARE(examined.size(), 8); // later files are not examined
        QCOMPARE(taken.first(), QStringLiteral("/bilder/b00.jpg"));
        QCOMPARE(picturePath, QStringLiteral("/bilder/b07.jpg"));
    }

    void collectionSkipsWhatItCannotTake()
    {
        Sammlung s;
        s.ordner = "/";
        s.entry = [](int i) { return i < 3 ? QStringLiteral("f%1.jpg").arg(i) : QString(); };
        s.pairsNeeded = 8;
        s.annehmbar = [](const QString& p) { return !p.endsWith("f1.jpg"); };
        QStringList taken;
        s.nimm = [&](const QString& p) { taken << p; };
        int anzahl = 2; // counting goes on from an earlier collection
        QString picturePath;
        sammleBilder(s, 6.0, anzahl, picturePath); // past the end of the list: empty entries
        QCOMPARE(taken, QStringList({"/f0.jpg", "/f2.jpg"}));
        QCOMPARE(anzahl, 4);
        sammleBilder(s, 0, anzahl, picturePath);
        sammleBilder(s, -3, anzahl, picturePath);
        QCOMPARE(anzahl, 4);
    }

    void fileListing()
    {
        QTemporaryDir dir;
        for (const char* name : {"b.jpg", "A.JPG", "c.Bmp", "d.png", ".hidden.jpg", "e.jpeg", "a.bmp"})
            QVERIFY(writeBytes(dir.filePath(name), "x"));
        QVERIFY(QDir(dir.path()).mkdir("ordner.jpg"));
        QVERIFY(QFile::link(dir.filePath("b.jpg"), dir.filePath("link.jpg")));
        QVERIFY(QFile::link(dir.filePath("nichts"), dir.filePath("tot.jpg")));
        // A name that is not valid UTF-8 could never be opened again by its text.
        const QByteArray bad = QFile::encodeName(dir.path()) + "/bad\xFF.jpg";
        { FILE* f = std::fopen(bad.constData(), "w"); QVERIFY(f); std::fclose(f); }

        const auto pictures = files(dir.path());
        QVERIFY(pictures);
        QCOMPARE(*pictures, QStringList({"a.bmp", "A.JPG", "b.jpg", "c.Bmp", "link.jpg"}));

        QVERIFY(QDir(dir.path()).mkpath("Zebra"));
        QVERIFY(QDir(dir.path()).mkpath("alpha"));
        QVERIFY(QDir(dir.path()).mkpath(".versteckt"));
        const auto folders = subfolders(dir.path());
        QVERIFY(folders);
        QCOMPARE(*folders, QStringList({"alpha", "ordner.jpg", "Zebra"}));
        QVERIFY(!files(dir.filePath("gibtsnicht")));
        ::unlink(bad.constData()); // the temporary folder cannot name it
    }

    void symlinkLoopListsOnce()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::link(dir.path(), dir.filePath("schleife")));
        const auto folders = subfolders(dir.filePath("schleife/schleife/schleife"));
        QVERIFY(folders);
        QCOMPARE(*folders, QStringList({"schleife"}));
    }

    void unreadableFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every folder");
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("zu"));
        ::chmod(QFile::encodeName(dir.filePath("zu")).constData(), 0);
        QVERIFY(!files(dir.filePath("zu")));
        QVERIFY(!subfolders(dir.filePath("zu")));
        ::chmod(QFile::encodeName(dir.filePath("zu")).constData(), 0755);
    }

    // Sixty names that share their first `shared` characters and differ in the next two: the
    // sort splits them byte by byte on both sides of the eighth key byte, and past the
    // sixteenth only the comparison decides.
    void namesWithALongSharedBeginning_data()
    {
        QTest::addColumn<int>("shared");
        for (int shared : {7, 8, 15, 16})
            QTest::addRow("%d shared", shared) << shared;
    }
    void namesWithALongSharedBeginning()
    {
        QFETCH(int, shared);
        QStringList expected; // digits before letters, as in German
        for (const char first : {'a', 'b'})
            for (const char second : QByteArray("0123456789abcdefghijklmnopqrst"))
                expected << QString(shared, QLatin1Char('k')) + QLatin1Char(first) + QLatin1Char(second);
        QCOMPARE(sortedGermanly(std::vector<QString>(expected.crbegin(), expected.crend())), expected);
    }

    void theRealTimeOfDayIsInSeconds()
    {
        const int before = QTime::currentTime().msecsSinceStartOfDay() / 1000;
        const int seconds = SystemTimeOfDay().secondsSinceMidnight();
        const int after = QTime::currentTime().msecsSinceStartOfDay() / 1000;
        QVERIFY((before <= seconds && seconds <= after) || after < before); // (unless midnight passed)
    }

    void aReadThatFailsEndsTheRead()
    {
        QTemporaryDir dir; // a folder opens for reading, but reading it fails
        const FileDescriptor fd(::open(QFile::encodeName(dir.path()).constData(), O_RDONLY));
        QVERIFY(fd);
        char bytes[4];
        QVERIFY(!fd.readFully(bytes, 4));
        QCOMPARE(errno, EISDIR);
    }

    void paths()
    {
        QCOMPARE(joinPath("/", "a.jpg"), QStringLiteral("/a.jpg"));
        QCOMPARE(joinPath("/b", "a.jpg"), QStringLiteral("/b/a.jpg"));
        QCOMPARE(joinPath("/b/", QString()), QStringLiteral("/b/"));
        QCOMPARE(normalFolder("/b/c/../"), QStringLiteral("/b"));
        QCOMPARE(normalFolder("/"), QStringLiteral("/"));
        QCOMPARE(listVolumes().first().rootPath, QStringLiteral("/"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsRules)
#include "tst_settings_rules.moc"
