// Score, result message, the list's text form and its file: reading, insertion, safe rewrite.

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include "scores/Cp1252.h"
#include "scores/HighScoreFile.h"
#include "scores/HighScoreList.h"
#include "scores/Score.h"
#include "tests/TestPictures.h"

using namespace tavik;

namespace {

// Ten entries "Name1".."Name10" with the given scores, as the file holds them.
QByteArray listBytes(const QList<int>& scores)
{
    QByteArray bytes;
    for (int i = 0; i < scores.size(); ++i)
        bytes += "Name" + QByteArray::number(i + 1) + "\r\n" + punkteZeile(scores[i]) + "\r\n";
    return bytes;
}

Liste parse(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return leseListe(buffer);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QList<int> kScores{1200, 1100, 1000, 900, 800, 700, 600, 500, 400, 300};

} // namespace

class TestScores : public QObject {
    Q_OBJECT
private slots:
    void score_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("versuche");
        QTest::addColumn<int>("sekunden");
        QTest::addColumn<int>("punkte");
        QTest::newRow("4x4 20 attempts 65 s") << 4 << 20 << 65 << 1475;
        QTest::newRow("10x10 best") << 10 << 50 << 40 << 9810;
        QTest::newRow("negative") << 4 << 400 << 412 << -12;
        QTest::newRow("one hour") << 6 << 18 << 3600 << -54;
    }
    void score()
    {
        QFETCH(int, n);
        QFETCH(int, versuche);
        QFETCH(int, sekunden);
        QFETCH(int, punkte);
        QCOMPARE(punktzahl(n, versuche, sekunden), punkte);
    }

    void resultMessage()
    {
        const QString cr(QChar(13));
        QCOMPARE(ergebnisText(8, "00:01:05", 1475, 3),
                 "Sie haben alle 8 Paare gefunden !" + cr + "Die benötigte Zeit war: 00:01:05" + cr + cr
                     + "Dieses entspricht einer Punktzahl von: 1475" + cr
                     + "und dem Platz 3 in der Highscoreliste.");
        QCOMPARE(ergebnisText(8, "00:09:00", -12, 0),
                 "Sie haben alle 8 Paare gefunden !" + cr + "Die benötigte Zeit war: 00:09:00" + cr + cr
                     + "Dieses entspricht einer Punktzahl von:-12");
        QVERIFY(ergebnisText(50, "00:00:40", 9810, 1).startsWith("Sie haben alle 50 Paare gefunden !"));
        QVERIFY(!ergebnisText(8, "00:00:40", 9810, 0).contains('\n'));
    }

    void place_data()
    {
        QTest::addColumn<int>("punkte");
        QTest::addColumn<int>("platz");
        QTest::newRow("above all") << 5000 << 1;
        QTest::newRow("equal to first, above second") << 1200 << 2;
        QTest::newRow("equal to fifth, above sixth") << 800 << 6;
        QTest::newRow("between") << 950 << 4;
        QTest::newRow("equal to last") << 300 << 0;
        QTest::newRow("below all") << -12 << 0;
    }
    void place()
    {
        QFETCH(int, punkte);
        QFETCH(int, platz);
        QCOMPARE(platzFuer(parse(listBytes(kScores)), punkte), platz);
    }

    void scoreLines()
    {
        QCOMPARE(punkteZeile(1475), QByteArray(" 1475 "));
        QCOMPARE(punkteZeile(0), QByteArray(" 0 "));
        QCOMPARE(punkteZeile(-12), QByteArray("-12 "));
    }

    void writtenBytes()
    {
        const Liste alt = parse(listBytes(kScores));
        // Not entered: the same ten entries, scores in the written form.
        QCOMPARE(listeAlsText(alt, "Neu", 100, 0), listBytes(kScores));
        // Entered at 3: the new entry third, the old tenth behind as an eleventh.
        const QByteArray text = listeAlsText(alt, "Neu", 1050, 3);
        QVERIFY(text.startsWith("Name1\r\n 1200 \r\nName2\r\n 1100 \r\nNeu\r\n 1050 \r\nName3\r\n 1000 \r\n"));
        QVERIFY(text.endsWith("Name9\r\n 400 \r\nName10\r\n 300 \r\n"));
        QCOMPARE(text.count("\r\n"), 22);
        // The eleventh entry is never read.
        QCOMPARE(parse(text).size(), 10);
        QCOMPARE(parse(text).last().name, QStringLiteral("Name9"));
    }

    void namesRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("plain") << "Karla" << "Karla";
        QTest::newRow("leading blanks") << "   Karla" << "Karla";
        QTest::newRow("leading tab") << "\tKarla" << "Karla";
        QTest::newRow("comma and quotes") << "Karl, \"der Große\"" << "Karl, \"der Große\"";
        QTest::newRow("umlauts and euro") << "Jürgen Öß €" << "Jürgen Öß €";
        QTest::newRow("line breaks") << "Zeile\r\nZwei" << "Zeile  Zwei";
        QTest::newRow("not in the code page") << "Łukasz 日本" << "?ukasz ??";
        QTest::newRow("empty") << "" << "";
    }
    void namesRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, readBack);
        const Liste alt = parse(listBytes(kScores));
        const Liste neu = parse(listeAlsText(alt, name, 5000, 1));
        QCOMPARE(neu[0].name, readBack);
        QCOMPARE(neu[0].punkte, 5000);
        QCOMPARE(neu[1].name, QStringLiteral("Name1"));
    }

    void codePage()
    {
        QCOMPARE(toCp1252(QStringLiteral("€äöüßÄÖÜ")), QByteArray("\x80\xE4\xF6\xFC\xDF\xC4\xD6\xDC"));
        QCOMPARE(fromCp1252(QByteArray("\x80\x9F\xE9")), QStringLiteral("€Ÿé"));
        QVERIFY(!toCp1252(QStringLiteral("a\x1A b")).contains('\x1A'));
        // Every printable byte survives the trip; 0x7F and the five unassigned bytes are
        // controls and come back as blanks.
        const QByteArray controls("\x7F\x81\x8D\x8F\x90\x9D");
        for (int b = 0x20; b < 0x100; ++b) {
            const QByteArray one(1, static_cast<char>(b));
            QCOMPARE(toCp1252(fromCp1252(one)), controls.contains(one) ? QByteArray(" ") : one);
        }
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<int>("firstScore");
        QTest::addColumn<int>("present");
        QTest::newRow("empty") << QByteArray() << "" << 0 << 0;
        QTest::newRow("one line") << QByteArray("Solo") << "Solo" << 0 << 1;
        QTest::newRow("LF only") << QByteArray("A\n 5 \nB\n 4 \n") << "A" << 5 << 2;
        QTest::newRow("CR only") << QByteArray("A\r 5 \rB\r 4 \r") << "A" << 5 << 2;
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" "A\r\n 7 \r\n") << "A" << 7 << 1;
        QTest::newRow("12abc") << QByteArray("A\r\n12abc\r\n") << "A" << 12 << 1;
        QTest::newRow("empty score") << QByteArray("A\r\n\r\n") << "A" << 0 << 1;
        QTest::newRow("minus only") << QByteArray("A\r\n-\r\n") << "A" << 0 << 1;
        QTest::newRow("beyond 32 bits") << QByteArray("A\r\n99999999999\r\n") << "A" << std::numeric_limits<int>::max() << 1;
        QTest::newRow("fifty entries") << listBytes(QList<int>(50, 7)) << "Name1" << 7 << 10;
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, firstName);
        QFETCH(int, firstScore);
        QFETCH(int, present);
        const Liste liste = parse(bytes);
        QCOMPARE(liste.size(), 10);
        QCOMPARE(liste[0].name, firstName);
        QCOMPARE(liste[0].punkte, firstScore);
        QCOMPARE(std::count_if(liste.begin(), liste.end(), [](const Eintrag& e) { return e.vorhanden; }),
                 qsizetype(present));
        // Whatever was read, an insertion writes ten whole entries again.
        QCOMPARE(parse(listeAlsText(liste, "X", 1, 0)).size(), 10);
        QCOMPARE(listeAlsText(liste, "X", 1, 0).count("\r\n"), 20);
    }

    void hugeLineCostsNoMemory()
    {
        QByteArray bytes(10 * 1024 * 1024, 'x');
        bytes += "\r\n 5 \r\n";
        const Liste liste = parse(bytes);
        QCOMPARE(liste[0].name.size(), qsizetype(kMaxLineBytes));
        QCOMPARE(liste[0].punkte, 5);
    }

    void insertionRewritesTheFile()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytesTo(listenPfad(dir.path()), listBytes(kScores)));
        const Eintragung e = trageEin(dir.path(), "Neu", 1475);
        QVERIFY(e.ok);
        QCOMPARE(e.platz, 1);
        const QByteArray bytes = readAll(listenPfad(dir.path()));
        QVERIFY(bytes.startsWith("Neu\r\n 1475 \r\nName1\r\n 1200 \r\n"));
        QCOMPARE(bytes.count("\r\n"), 22);
        QVERIFY(!QFile::exists(temporaerPfad(dir.path())));

        // The next rewrite drops the eleventh entry again.
        QCOMPARE(trageEin(dir.path(), "Tief", -5).platz, 0);
        QCOMPARE(readAll(listenPfad(dir.path())).count("\r\n"), 20);
    }

    void missingFileGetsTenEntries()
    {
        QTemporaryDir dir;
        const Eintragung e = trageEin(dir.path(), "Erste", 10);
        QVERIFY(e.ok);
        QCOMPARE(e.platz, 1);
        const Liste liste = leseListeDatei(listenPfad(dir.path()));
        QCOMPARE(liste[0].name, QStringLiteral("Erste"));
        QVERIFY(liste[9].vorhanden);
    }

    void staleTemporaryFileNeverWins()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytesTo(listenPfad(dir.path()), listBytes(kScores)));
        QVERIFY(writeBytesTo(temporaerPfad(dir.path()), "Stale\r\n 99999 \r\n"));
        QCOMPARE(leseListeDatei(listenPfad(dir.path()))[0].name, QStringLiteral("Name1"));
        QCOMPARE(trageEin(dir.path(), "Neu", 1).platz, 0);
        QCOMPARE(readAll(listenPfad(dir.path())), listBytes(kScores));
    }

    void listFileThatIsAFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("HSTavik"));
        const Eintragung e = trageEin(dir.path(), "Neu", 5000);
        QVERIFY(!e.ok);
        QCOMPARE(e.platz, 0);
        QVERIFY(!e.fehler.isEmpty());
        QVERIFY(QFileInfo(listenPfad(dir.path())).isDir());
        QVERIFY(!QFile::exists(temporaerPfad(dir.path())));
    }

    void failedWriteKeepsTheOldList()
    {
        // A file-size limit makes the write of the temporary file fail half-way.
        QTemporaryDir dir;
        QVERIFY(writeBytesTo(listenPfad(dir.path()), listBytes(kScores)));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit tight = old;
        tight.rlim_cur = 40;
        setrlimit(RLIMIT_FSIZE, &tight);
        const Eintragung e = trageEin(dir.path(), "Neu", 5000);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!e.ok);
        QCOMPARE(e.fehler, QStringLiteral("Die Datei wäre zu gross."));
        QCOMPARE(readAll(listenPfad(dir.path())), listBytes(kScores));
        QVERIFY(!QFile::exists(temporaerPfad(dir.path())));
    }

    void folderThatDoesNotExist()
    {
        const Eintragung e = trageEin("/nonexistent/tavik/folder", "Neu", 5000);
        QVERIFY(!e.ok);
        QCOMPARE(e.fehler, QStringLiteral("Der Ordner existiert nicht."));
    }

private:
    static bool writeBytesTo(const QString& path, const QByteArray& bytes) { return test::writeBytes(path, bytes); }
};

QTEST_APPLESS_MAIN(TestScores)
#include "tst_scores.moc"
