// The list file under several processes: a writer killed at any moment of a rewrite leaves
// one whole list and no lock behind, and two games ending together both get their entry in.

#include <QtTest>

#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "scores/HighScoreFile.h"
#include "scores/HighScoreList.h"

using namespace tavik;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A whole list as the rewrite leaves it: ten or eleven entries, each a name line and a
// score line in the written form, every line ended by CR LF.
bool isWholeList(const QByteArray& bytes)
{
    if (!bytes.endsWith("\r\n"))
        return false;
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    if (lines.size() != 20 && lines.size() != 22)
        return false;
    for (qsizetype i = 1; i < lines.size(); i += 2) {
        const QByteArray score = lines[i].chopped(1);
        if (!lines[i].endsWith('\r') || score != scoreLine(score.trimmed().toInt()))
            return false;
    }
    return true;
}

bool readLineFrom(int fd, char& c)
{
    return ::read(fd, &c, 1) == 1;
}

} // namespace

class TestHighScoreCrash : public QObject {
    Q_OBJECT
private slots:
    void killedWriterLeavesAWholeList()
    {
        QTemporaryDir dir;
        const QString path = listFileIn(dir.path());
        QElapsedTimer rewrite;
        rewrite.start();
        QVERIFY(!enterScoreInFile(path, {}, "Start", 0).error);
        const QByteArray first = readAll(path);
        // Kills spread over about three rewrites, however slow the disk is today.
        const int spread = std::max(6000, static_cast<int>(3 * rewrite.nsecsElapsed() / 1000));

        std::mt19937 chance(20261207);
        std::uniform_int_distribution<int> delayMicros(0, spread);
        int changed = 0;
        for (int round = 0; round < 200; ++round) {
            const QByteArray before = readAll(path);
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (int i = 0;; ++i)
                    enterScoreInFile(path, {}, QStringLiteral("Neu%1").arg(i), round * 100000 + i);
            }
            ::usleep(static_cast<useconds_t>(delayMicros(chance)));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            QVERIFY(WIFSIGNALED(status));

            const QByteArray now = readAll(path);
            QVERIFY2(isWholeList(now), qPrintable(QStringLiteral("round %1: a torn list").arg(round)));
            QCOMPARE(readListFile(path).size(), kListPlaces);
            changed += now != before;
            // The dead writer left neither its lock nor its temporary file in the way.
            const Entering next = enterScoreInFile(path, {}, "Danach", -1000000, std::chrono::milliseconds(500));
            QVERIFY2(!next.error, qPrintable(next.error ? errorMessage(*next.error) : QString()));
        }
        // The kills must have hit both before and after some renames.
        QVERIFY(changed > 0);
        QVERIFY(readAll(path) != first);
    }

    // Two games end together, a thousand times: each round both insert a score above all
    // others; afterwards both entries stand at the top and the earlier rounds' follow.
    void twoWritersLoseNothing()
    {
        QTemporaryDir dir;
        const QString path = listFileIn(dir.path());
        constexpr int kRounds = 1000;
        // The lock is under test here, not the disk: without the flushes 2000 rewrites take
        // about a second instead of a minute on a busy disk. The race window stays open.
        const SyncCall real = setSyncCall([](int) { return 0; });
        int go[2][2];
        int done[2][2];
        pid_t children[2];
        for (int w = 0; w < 2; ++w) {
            QVERIFY(::pipe(go[w]) == 0 && ::pipe(done[w]) == 0);
            children[w] = ::fork();
            QVERIFY(children[w] >= 0);
            if (children[w] == 0) {
                char c = 0;
                for (int round = 0; round < kRounds && readLineFrom(go[w][0], c); ++round) {
                    const Entering e = enterScoreInFile(path, {}, QStringLiteral("W%1R%2").arg(w).arg(round),
                                                         round * 10 + w + 1);
                    // 'f': a failure; 'o': entered at place 1 or 2 as it must be; 'x': another place.
                    c = e.error ? 'f' : (e.place == 1 || e.place == 2) ? 'o' : 'x';
                    if (::write(done[w][1], &c, 1) != 1)
                        break;
                }
                ::_exit(0);
            }
        }
        int failures = 0, wrongPlaces = 0, lost = 0;
        for (int round = 0; round < kRounds; ++round) {
            for (int w = 0; w < 2; ++w)
                QVERIFY(::write(go[w][1], "g", 1) == 1);
            for (int w = 0; w < 2; ++w) {
                char c = 0;
                QVERIFY(readLineFrom(done[w][0], c));
                failures += c == 'f';
                wrongPlaces += c == 'x';
            }
            // The top ten: this round's two entries and the four rounds before, best first.
            const ScoreList entries = readListFile(path);
            for (int k = 0; k < kListPlaces && round - k / 2 >= 0; ++k) {
                const int r = round - k / 2;
                const int w = 1 - k % 2;
                lost += entries[k].name != QStringLiteral("W%1R%2").arg(w).arg(r) || entries[k].score != r * 10 + w + 1;
            }
        }
        for (int w = 0; w < 2; ++w) {
            ::close(go[w][1]);
            int status = 0;
            ::waitpid(children[w], &status, 0);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        setSyncCall(real);
        qInfo("%d rounds of two writers: %d failures, %d wrong places, %d lost entries", kRounds, failures,
              wrongPlaces, lost);
        QCOMPARE(failures, 0);
        QCOMPARE(wrongPlaces, 0);
        QCOMPARE(lost, 0);
    }
};

QTEST_APPLESS_MAIN(TestHighScoreCrash)
#include "tst_highscore_crash.moc"
