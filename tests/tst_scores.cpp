// SPDX-License-Identifier: GPL-3.0-or-later
// Score, result message, the list's text form and its file: reading, insertion, safe rewrite.

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "scores/Cp1252.h"
#include "scores/HighScoreFile.h"
#include "scores/HighScoreList.h"
#include "scores/HighScorePath.h"
#include "rules/Score.h"
#include "tests/BadLists.h"
#include "tests/TestPictures.h"

using namespace tavik;

namespace {

// The game end's insertion into the list it writes for `folder`.
Entering enterScoreHere(const QString& folder, const QString& name, int score)
{
    return enterScore(folder, highScorePath(folder), name, score);
}


// Ten entries "Name1".."Name10" with the given scores, as the file holds them.
QByteArray listBytes(const QList<int>& scores)
{
    QByteArray bytes;
    for (int i = 0; i < scores.size(); ++i)
        bytes += "Name" + QByteArray::number(i + 1) + "\r\n" + scoreLine(scores[i]) + "\r\n";
    return bytes;
}

ScoreList parse(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readList(buffer);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QList<int> kScores{1200, 1100, 1000, 900, 800, 700, 600, 500, 400, 300};

constexpr uid_t kPlayer = 65534; // an ordinary account, "nobody"

int modeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// Runs `body` in a child process as the ordinary account `uid` (its own group `uid`, plus the
// supplementary `groups`) with the given umask and returns what it hands back. Empty when
// the account cannot be taken.
QByteArray asPlayer(int mask, const std::function<QByteArray()>& body, uid_t uid = kPlayer,
                    const std::vector<gid_t>& groups = {})
{
    int out[2];
    if (::pipe(out) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
            ::_exit(1);
        ::umask(static_cast<mode_t>(mask));
        const QByteArray result = body();
        const bool sent = ::write(out[1], result.constData(), static_cast<size_t>(result.size())) == result.size();
        ::_exit(sent ? 0 : 1);
    }
    ::close(out[1]);
    QByteArray result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : QByteArray();
}

int countedSyncs = 0;
QByteArray listAtFirstSync, listAtSecondSync;
QString watchedList;
int countingSync(int)
{
    QFile f(watchedList);
    f.open(QIODevice::ReadOnly);
    (++countedSyncs == 1 ? listAtFirstSync : listAtSecondSync) = f.readAll();
    return 0;
}

} // namespace

class TestScores : public QObject {
    Q_OBJECT
private slots:
    void score_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("secondsTaken");
        QTest::addColumn<int>("score");
        QTest::newRow("4x4 20 attempts 65 s") << 4 << 20 << 65 << 1475;
        QTest::newRow("10x10 best") << 10 << 50 << 40 << 9810;
        QTest::newRow("negative") << 4 << 400 << 412 << -12;
        QTest::newRow("one hour") << 6 << 18 << 3600 << -54;
    }
    void score()
    {
        QFETCH(int, n);
        QFETCH(int, attempts);
        QFETCH(int, secondsTaken);
        QFETCH(int, score);
        QCOMPARE(points(n, attempts, secondsTaken), score);
    }

    void resultMessage()
    {
        const QString cr(QChar(13));
        QCOMPARE(resultText(8, "00:01:05", 1475, 3),
                 "Sie haben alle 8 Paare gefunden !" + cr + "Die benötigte Zeit war: 00:01:05" + cr + cr
                     + "Dieses entspricht einer Punktzahl von: 1475" + cr
                     + "und dem Platz 3 in der Highscoreliste.");
        QCOMPARE(resultText(8, "00:09:00", -12, 0),
                 "Sie haben alle 8 Paare gefunden !" + cr + "Die benötigte Zeit war: 00:09:00" + cr + cr
                     + "Dieses entspricht einer Punktzahl von:-12");
        QVERIFY(resultText(50, "00:00:40", 9810, 1).startsWith("Sie haben alle 50 Paare gefunden !"));
        QVERIFY(!resultText(8, "00:00:40", 9810, 0).contains('\n'));
    }

    void place_data()
    {
        QTest::addColumn<int>("score");
        QTest::addColumn<int>("place");
        QTest::newRow("above all") << 5000 << 1;
        QTest::newRow("equal to first, above second") << 1200 << 2;
        QTest::newRow("equal to fifth, above sixth") << 800 << 6;
        QTest::newRow("between") << 950 << 4;
        QTest::newRow("equal to last") << 300 << 0;
        QTest::newRow("below all") << -12 << 0;
    }
    void place()
    {
        QFETCH(int, score);
        QFETCH(int, place);
        QCOMPARE(placeFor(parse(listBytes(kScores)), score), place);
        // A list handed over longer than ten (as a caller might): an eleventh entry is no place.
        ScoreList eleven = parse(listBytes(kScores));
        eleven.append(ListEntry{QStringLiteral("Elf"), -1000, true});
        QCOMPARE(placeFor(eleven, score), place);
    }

    void scoreLines()
    {
        QCOMPARE(scoreLine(1475), QByteArray(" 1475 "));
        QCOMPARE(scoreLine(0), QByteArray(" 0 "));
        QCOMPARE(scoreLine(-12), QByteArray("-12 "));
    }

    void writtenBytes()
    {
        const ScoreList old = parse(listBytes(kScores));
        // Not entered: the same ten entries, scores in the written form.
        QCOMPARE(listAsText(old, "Neu", 100, 0), listBytes(kScores));
        // Entered at 3: the new entry third, the old tenth behind as an eleventh.
        const QByteArray text = listAsText(old, "Neu", 1050, 3);
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
        const ScoreList old = parse(listBytes(kScores));
        const ScoreList neu = parse(listAsText(old, name, 5000, 1));
        QCOMPARE(neu[0].name, readBack);
        QCOMPARE(neu[0].score, 5000);
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
        for (const test::BadList& b : test::badLists())
            QTest::newRow(b.row) << b.bytes << b.firstName << b.firstScore << b.present;
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, firstName);
        QFETCH(int, firstScore);
        QFETCH(int, present);
        const ScoreList entries = parse(bytes);
        QCOMPARE(entries.size(), 10);
        QCOMPARE(entries[0].name, firstName);
        QCOMPARE(entries[0].score, firstScore);
        QCOMPARE(std::count_if(entries.begin(), entries.end(), [](const ListEntry& e) { return e.present; }),
                 qsizetype(present));
        // Whatever was read, an insertion writes ten whole entries again.
        QCOMPARE(parse(listAsText(entries, "X", 1, 0)).size(), 10);
        QCOMPARE(listAsText(entries, "X", 1, 0).count("\r\n"), 20);
    }

    void hugeLineCostsNoMemory()
    {
        QByteArray bytes(10 * 1024 * 1024, 'x');
        bytes += "\r\n 5 \r\n";
        const ScoreList entries = parse(bytes);
        QCOMPARE(entries[0].name.size(), qsizetype(kMaxLineBytes));
        QCOMPARE(entries[0].score, 5);
    }

    void insertionRewritesTheFile()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytesTo(listFileIn(dir.path()), listBytes(kScores)));
        const Entering e = enterScoreHere(dir.path(), "Neu", 1475);
        QVERIFY(!e.error);
        QCOMPARE(e.place, 1);
        const QByteArray bytes = readAll(listFileIn(dir.path()));
        QVERIFY(bytes.startsWith("Neu\r\n 1475 \r\nName1\r\n 1200 \r\n"));
        QCOMPARE(bytes.count("\r\n"), 22);
        QVERIFY(!QFile::exists(temporaryFileIn(dir.path())));

        // The next rewrite drops the eleventh entry again.
        QCOMPARE(enterScoreHere(dir.path(), "Tief", -5).place, 0);
        QCOMPARE(readAll(listFileIn(dir.path())).count("\r\n"), 20);
    }

    void missingFileGetsTenEntries()
    {
        QTemporaryDir dir;
        const Entering e = enterScoreHere(dir.path(), "Erste", 10);
        QVERIFY(!e.error);
        QCOMPARE(e.place, 1);
        const ScoreList entries = readListFile(listFileIn(dir.path()));
        QCOMPARE(entries[0].name, QStringLiteral("Erste"));
        QVERIFY(entries[9].present);
    }

    void staleTemporaryFileNeverWins()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytesTo(listFileIn(dir.path()), listBytes(kScores)));
        QVERIFY(writeBytesTo(temporaryFileIn(dir.path()), "Stale\r\n 99999 \r\n"));
        QCOMPARE(readListFile(listFileIn(dir.path()))[0].name, QStringLiteral("Name1"));
        QCOMPARE(enterScoreHere(dir.path(), "Neu", 1).place, 0);
        QCOMPARE(readAll(listFileIn(dir.path())), listBytes(kScores));
    }

    void listFileThatIsAFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("HSTavik"));
        const Entering e = enterScoreHere(dir.path(), "Neu", 5000);
        QVERIFY(e.error);
        QCOMPARE(e.place, 0);
        QCOMPARE(e.error->path, listFileIn(dir.path()));
        QCOMPARE(reasonText(*e.error), QStringLiteral("Es ist ein Ordner, keine Datei."));
        QVERIFY(QFileInfo(listFileIn(dir.path())).isDir());
        QVERIFY(!QFile::exists(temporaryFileIn(dir.path())));
    }

    void failedWriteKeepsTheOldList()
    {
        // A file-size limit makes the write of the temporary file fail half-way.
        QTemporaryDir dir;
        QVERIFY(writeBytesTo(listFileIn(dir.path()), listBytes(kScores)));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit tight = old;
        tight.rlim_cur = 40;
        setrlimit(RLIMIT_FSIZE, &tight);
        const Entering e = enterScoreHere(dir.path(), "Neu", 5000);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(e.error);
        QCOMPARE(e.error->path, temporaryFileIn(dir.path()));
        QCOMPARE(reasonText(*e.error), QStringLiteral("Die Datei wäre zu groß."));
        QCOMPARE(readAll(listFileIn(dir.path())), listBytes(kScores));
        QVERIFY(!QFile::exists(temporaryFileIn(dir.path())));
    }

    // A leftover HSTavikt that cannot go, and a leftover of this game's own first name beside
    // it: the rewrite takes the next name and leaves both alone.
    void leftoverTemporariesDoNotBlockTheRewrite()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytesTo(listFileIn(dir.path()), listBytes(kScores)));
        QVERIFY(QDir().mkdir(temporaryFileIn(dir.path())));
        const QString own = temporaryFileIn(dir.path()) + QStringLiteral(".%1.0").arg(::getpid());
        QVERIFY(writeBytesTo(own, "Stale\r\n 99999 \r\n"));
        const Entering e = enterScoreHere(dir.path(), "Neu", 5000);
        QVERIFY(!e.error);
        QCOMPARE(e.place, 1);
        QVERIFY(readAll(listFileIn(dir.path())).startsWith("Neu\r\n 5000 \r\n"));
        QCOMPARE(readAll(own), QByteArray("Stale\r\n 99999 \r\n"));
        QCOMPARE(QDir(dir.path()).entryList({"HSTavikt.*"}, QDir::AllEntries), QStringList{QFileInfo(own).fileName()});
    }

    // Each row: a situation in a shared program folder, then one game end of the ordinary
    // player, through the real rewrite.
    void rewriteAsAPlayer_data()
    {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("listMode");     // -1: no list
        QTest::addColumn<bool>("listIsMine");  // else another account's
        QTest::addColumn<QString>("tmp");      // what lies at HSTavikt: "", "link", "folder", "foreign"
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("errorFile"); // "" for none, "HSTavik", "HSTavikt", "fallback"
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("listAfter"); // "old", "new" or "fallback"
        QTest::addColumn<int>("modeAfter");
        QTest::addColumn<int>("dataMode");     // of the folder that holds the player's data folder
        QTest::newRow("unreadable list of another account") << 0777 << 0600 << false << "" << 022 << 0 << "HSTavik" << "Keine Berechtigung." << "old" << 0600 << 0777;
        QTest::newRow("readable list of another account") << 0777 << 0644 << false << "" << 077 << 1 << "" << "" << "new" << 0644 << 0777;
        QTest::newRow("own list 0600 stays 0600") << 0777 << 0600 << true << "" << 022 << 1 << "" << "" << "new" << 0600 << 0777;
        QTest::newRow("new list under umask 077") << 0777 << -1 << true << "" << 077 << 1 << "" << "" << "new" << 0644 << 0777;
        QTest::newRow("read-only list") << 0777 << 0444 << true << "" << 022 << 0 << "HSTavik" << "Die Datei ist schreibgeschützt." << "old" << 0444 << 0777;
        QTest::newRow("temporary is a link") << 0777 << 0644 << true << "link" << 022 << 1 << "" << "" << "new" << 0644 << 0777;
        QTest::newRow("temporary is a folder") << 0777 << 0644 << true << "folder" << 022 << 1 << "" << "" << "new" << 0644 << 0777;
        QTest::newRow("stale temporary of another account") << 0777 << 0644 << true << "foreign" << 022 << 1 << "" << "" << "new" << 0644 << 0777;
        QTest::newRow("same in a sticky folder") << 01777 << 0644 << true << "foreign" << 022 << 1 << "" << "" << "new" << 0644 << 0777;
        QTest::newRow("list of another account in a sticky folder") << 01777 << 0644 << false << "" << 022 << 1 << "" << "" << "fallback" << 0644 << 0777;
        QTest::newRow("program folder not writable") << 0755 << 0644 << false << "" << 022 << 1 << "" << "" << "fallback" << 0644 << 0777;
        QTest::newRow("data folder cannot be made") << 0755 << 0644 << false << "" << 022 << 0 << "fallback" << "Keine Berechtigung." << "old" << 0644 << 0755;
    }
    void rewriteAsAPlayer()
    {
        QFETCH(int, folderMode);
        QFETCH(int, listMode);
        QFETCH(bool, listIsMine);
        QFETCH(QString, tmp);
        QFETCH(int, mask);
        QFETCH(int, place);
        QFETCH(QString, errorFile);
        QFETCH(QString, reason);
        QFETCH(QString, listAfter);
        QFETCH(int, modeAfter);
        QFETCH(int, dataMode);
        if (::geteuid() != 0)
            QSKIP("needs root to prepare another account's files and to become the ordinary account");

        QTemporaryDir root;
        QVERIFY(QFile::setPermissions(root.path(), QFileDevice::Permissions(0x7755)));
        const QString folder = root.filePath("programm");
        const QString data = root.filePath("daten");
        QVERIFY(QDir().mkdir(folder) && QDir().mkdir(data));
        QVERIFY(::chmod(QFile::encodeName(data).constData(), static_cast<mode_t>(dataMode)) == 0);
        const QString list = listFileIn(folder);
        const QString victim = root.filePath("fremd");
        QVERIFY(test::writeBytes(victim, "nicht anfassen"));
        if (listMode >= 0) {
            QVERIFY(test::writeBytes(list, listBytes(kScores)));
            QVERIFY(::chmod(QFile::encodeName(list).constData(), static_cast<mode_t>(listMode)) == 0);
            if (listIsMine)
                QVERIFY(::chown(QFile::encodeName(list).constData(), kPlayer, kPlayer) == 0);
        }
        const QString temporary = temporaryFileIn(folder);
        if (tmp == "link")
            QVERIFY(QFile::link(victim, temporary));
        if (tmp == "folder")
            QVERIFY(QDir().mkdir(temporary));
        if (tmp == "foreign")
            QVERIFY(test::writeBytes(temporary, "Stale\r\n 99999 \r\n"));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), static_cast<mode_t>(folderMode)) == 0);
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());

        const QByteArray answer = asPlayer(mask, [&] {
            const QString before = readListFor(folder, highScorePath(folder)).entries[0].name;
            const Entering e = enterScoreHere(folder, "Neu", 5000);
            const QString after = readListFor(folder, highScorePath(folder)).entries[0].name;
            return QStringList{QString::number(e.place), e.error ? e.error->path : QString(),
                               e.error ? reasonText(*e.error) : QString(), before, after}
                .join('\n')
                .toUtf8();
        });
        qunsetenv("XDG_DATA_HOME");
        const QStringList got = QString::fromUtf8(answer).split('\n');
        QCOMPARE(got.size(), 5);
        QCOMPARE(got[0].toInt(), place);
        const QString fallback = listFileIn(QDir(data).filePath("tavik"));
        QCOMPARE(got[1], errorFile.isEmpty()          ? QString()
                         : errorFile == "HSTavik"   ? list
                         : errorFile == "fallback" ? fallback
                                                    : temporary);
        QCOMPARE(got[2], reason);
        // The trophy shows the list the game end wrote; before it, the one beside the program.
        const bool readable = listMode >= 0 && (listMode != 0600 || listIsMine);
        QCOMPARE(got[3], readable ? QStringLiteral("Name1") : QString());
        QCOMPARE(got[4], listAfter == "old" ? got[3] : QStringLiteral("Neu"));

        const QString written = listAfter == "fallback" ? fallback : list;
        QCOMPARE(readAll(list), listMode < 0 ? readAll(written) : listAfter == "new" ? readAll(list) : listBytes(kScores));
        if (listAfter != "old") {
            const QByteArray bytes = readAll(written);
            QVERIFY(bytes.startsWith("Neu\r\n 5000 \r\nName1\r\n 1200 \r\n") || listMode < 0);
            QCOMPARE(bytes.count("\r\n"), 22);
            QVERIFY(QFileInfo(written).isFile() && !QFileInfo(written).isSymLink());
        }
        QCOMPARE(modeOf(written), modeAfter);
        QCOMPARE(QFile::exists(fallback), listAfter == "fallback");
        QCOMPARE(readAll(victim), QByteArray("nicht anfassen"));
        // A leftover that could be removed is gone; one that could not is still there. No
        // temporary file of this game's own stays behind.
        const bool stays = tmp == "folder" || (tmp == "foreign" && folderMode == 01777);
        QCOMPARE(QFileInfo::exists(temporary) || QFileInfo(temporary).isSymLink(), stays);
        QCOMPARE(QDir(folder).entryList({"HSTavikt.*"}, QDir::AllEntries | QDir::System), QStringList());
    }

    // Two accounts share a list through a group in a folder without the setgid bit: the first
    // account's list, 0660 with the shared group. The second ends a game (in the group, or
    // outside it with a list every account may read and write access to the folder); then the
    // first ends one.
    void groupSharedList_data()
    {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("listMode");
        QTest::addColumn<bool>("secondInGroup");
        QTest::addColumn<bool>("groupKept");
        QTest::newRow("both in the group") << 0775 << 0660 << true << true;
        QTest::newRow("second outside the group") << 0777 << 0664 << false << false;
    }
    void groupSharedList()
    {
        QFETCH(int, folderMode);
        QFETCH(int, listMode);
        QFETCH(bool, secondInGroup);
        QFETCH(bool, groupKept);
        if (::geteuid() != 0)
            QSKIP("needs root to prepare a shared group and to become two ordinary accounts");
        constexpr uid_t kFirst = 65532, kSecond = 65533;
        constexpr gid_t kSpieler = 65531;

        QTemporaryDir root;
        QVERIFY(QFile::setPermissions(root.path(), QFileDevice::Permissions(0x7755)));
        const QString folder = root.filePath("programm");
        QVERIFY(QDir().mkdir(folder));
        const QByteArray folderName = QFile::encodeName(folder);
        QVERIFY(::chown(folderName.constData(), 0, kSpieler) == 0 && ::chmod(folderName.constData(), static_cast<mode_t>(folderMode)) == 0);
        const QString list = listFileIn(folder);
        const QByteArray listName = QFile::encodeName(list);
        QVERIFY(test::writeBytes(list, listBytes(kScores)));
        QVERIFY(::chown(listName.constData(), kFirst, kSpieler) == 0);
        QVERIFY(::chmod(listName.constData(), static_cast<mode_t>(listMode)) == 0);

        const auto play = [&](uid_t uid, bool inGroup, const char* name, int score) {
            return asPlayer(022, [&] {
                const Entering e = enterScoreHere(folder, name, score);
                return QByteArray::number(e.place) + (e.error ? " " + reasonText(*e.error).toUtf8() : "");
            }, uid, inGroup ? std::vector<gid_t>{kSpieler} : std::vector<gid_t>{});
        };
        const QByteArray second = play(kSecond, secondInGroup, "Zwei", 5000);
        if (second.isEmpty())
            QSKIP("cannot become an ordinary account with a supplementary group here");
        QCOMPARE(second, QByteArray("1"));
        struct stat st {};
        QVERIFY(::stat(listName.constData(), &st) == 0);
        QCOMPARE(st.st_gid, groupKept ? kSpieler : gid_t(kSecond));
        QCOMPARE(int(st.st_mode & 0777), listMode);

        // The first account can still read the list, so its game end keeps both entries.
        QCOMPARE(play(kFirst, true, "Eins", 6000), QByteArray("1"));
        const ScoreList entries = readListFile(list);
        QCOMPARE(entries[0].name, QStringLiteral("Eins"));
        QCOMPARE(entries[1].name, QStringLiteral("Zwei"));
        QCOMPARE(entries[2].name, QStringLiteral("Name1"));
    }

    void sparseFileOfFourGigabytes()
    {
        QTemporaryDir dir;
        const QString list = listFileIn(dir.path());
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(4) << 30));
        file.close();
        qint64 before = test::bytesReadByThisProcess();
        const ScoreList entries = readListFile(list);
        QCOMPARE(entries.size(), 10);
        const qint64 read = test::bytesReadByThisProcess() - before;
        QVERIFY2(read <= kMaxListBytes, qPrintable(QString::number(read)));

        before = test::bytesReadByThisProcess();
        const Entering e = enterScoreHere(dir.path(), "Neu", 5000);
        QVERIFY(test::bytesReadByThisProcess() - before <= 2 * kMaxListBytes);
        QVERIFY(!e.error);
        QCOMPARE(e.place, 1);
        QVERIFY(QFileInfo(list).size() < kMaxListBytes); // what lay beyond is dropped
        QCOMPARE(readListFile(list)[0].name, QStringLiteral("Neu"));
    }

    void aPipeNamedHSTavikIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString list = listFileIn(dir.path());
        QVERIFY(::mkfifo(QFile::encodeName(list).constData(), 0644) == 0);
        QCOMPARE(readListFile(list)[0].present, false);
        const Entering e = enterScoreHere(dir.path(), "Neu", 5000);
        QVERIFY(e.error);
        QCOMPARE(e.error->step, FileError::Step::Read);
        QCOMPARE(reasonText(*e.error), QStringLiteral("Es ist keine gewöhnliche Datei."));
        QVERIFY(QFileInfo(list).isFile() == false && QFileInfo::exists(list));
    }

    void rewriteIsFlushedBeforeAndAfterTheRename()
    {
        QTemporaryDir dir;
        watchedList = listFileIn(dir.path());
        QVERIFY(writeBytesTo(watchedList, listBytes(kScores)));
        countedSyncs = 0;
        const SyncCall real = setSyncCall(countingSync);
        const Entering e = enterScoreHere(dir.path(), "Neu", 5000);
        setSyncCall(real);
        QVERIFY(!e.error);
        QCOMPARE(countedSyncs, 2);
        // The temporary file reaches the disk while the list is still the old one; the
        // folder afterwards, with the rename in it.
        QCOMPARE(listAtFirstSync, listBytes(kScores));
        QVERIFY(listAtSecondSync.startsWith("Neu\r\n 5000 \r\n"));
    }

    void aLockedListWaitsThenTellsWhy()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytesTo(listFileIn(dir.path()), listBytes(kScores)));
        const int other = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(::flock(other, LOCK_EX) == 0);
        const Entering e = enterScoreInFile(listFileIn(dir.path()), {}, "Neu", 5000, std::chrono::milliseconds(50));
        ::close(other);
        QVERIFY(e.error);
        QCOMPARE(e.error->step, FileError::Step::Lock);
        QCOMPARE(reasonText(*e.error), QStringLiteral("Ein anderes Spiel schreibt die Liste gerade."));
        QCOMPARE(readAll(listFileIn(dir.path())), listBytes(kScores));
        QCOMPARE(enterScoreHere(dir.path(), "Neu", 5000).place, 1);
    }

    void whereTheListLives_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("writable program folder") << true << "/daten" << "<folder>/HSTavik";
        QTest::newRow("no program folder, XDG set") << false << "/daten" << "/daten/tavik/HSTavik";
        QTest::newRow("XDG relative") << false << "daten" << "<home>/.local/share/tavik/HSTavik";
        QTest::newRow("XDG empty") << false << "" << "<home>/.local/share/tavik/HSTavik";
    }
    void whereTheListLives()
    {
        QFETCH(bool, folderExists);
        QFETCH(QString, xdg);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString folder = folderExists ? dir.path() : dir.filePath("fehlt");
        qputenv("XDG_DATA_HOME", xdg.toLocal8Bit());
        const QString path = highScorePath(folder);
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(path, QString(expected).replace("<folder>", folder).replace("<home>", QDir::homePath()));
    }

    void reasons_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reason");
        QTest::newRow("EACCES") << EACCES << "Keine Berechtigung.";
        QTest::newRow("EPERM") << EPERM << "Keine Berechtigung.";
        QTest::newRow("ENOSPC") << ENOSPC << "Kein Platz mehr auf dem Datenträger.";
        QTest::newRow("EDQUOT") << EDQUOT << "Kein Platz mehr auf dem Datenträger.";
        QTest::newRow("EROFS") << EROFS << "Der Datenträger ist schreibgeschützt.";
        QTest::newRow("ELOOP") << ELOOP << "Es ist eine symbolische Verknüpfung oder eine Kette davon.";
        QTest::newRow("EIO") << EIO << "Ein-/Ausgabefehler des Datenträgers.";
        QTest::newRow("ENOTDIR") << ENOTDIR << "Ein Teil des Pfades ist kein Ordner.";
        QTest::newRow("EXDEV, rare") << EXDEV << QString("Systemfehler %1: %2").arg(EXDEV).arg(QString::fromLocal8Bit(strerror(EXDEV)));
    }
    void reasons()
    {
        QFETCH(int, number);
        QFETCH(QString, reason);
        const FileError error{FileError::Step::Write, "/p/HSTavikt", number};
        QCOMPARE(reasonText(error), reason);
        const QString message = errorMessage(error);
        QVERIFY(message.contains("'/p/HSTavikt'"));
        QVERIFY(message.contains(QChar(13) + reason + QChar(13)));
        QVERIFY(!message.contains('\n'));
    }

    void folderThatDoesNotExist()
    {
        const Entering e = enterScoreInFile("/nonexistent/tavik/folder/HSTavik", {}, "Neu", 5000);
        QVERIFY(e.error);
        QCOMPARE(reasonText(*e.error), QStringLiteral("Der Ordner existiert nicht."));
    }

private:
    static bool writeBytesTo(const QString& path, const QByteArray& bytes) { return test::writeBytes(path, bytes); }
};

QTEST_APPLESS_MAIN(TestScores)
#include "tst_scores.moc"
