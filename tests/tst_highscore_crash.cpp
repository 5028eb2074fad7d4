// The list file survives a crash at any moment of a rewrite: a child process rewrites it
// in a loop and is killed at random moments; each time the file holds one whole list.

#include <QtTest>

#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "scores/HighScoreFile.h"
#include "scores/HighScoreList.h"

using namespace tavik;

namespace {

QByteArray list(const char* prefix, int base)
{
    QByteArray bytes;
    for (int k = 0; k < kListPlaces; ++k)
        bytes += QByteArray(prefix) + QByteArray::number(k) + "\r\n" + punkteZeile(base - k) + "\r\n";
    return bytes;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestHighScoreCrash : public QObject {
    Q_OBJECT
private slots:
    void killedWriterLeavesAWholeList()
    {
        QTemporaryDir dir;
        const QString path = listenPfad(dir.path());
        const QString tmp = temporaerPfad(dir.path());
        const QByteArray a = list("Alt", 1000);
        const QByteArray b = list("Neu", 2000);
        QVERIFY(schreibeSicher(path, tmp, a).isEmpty());

        std::mt19937 chance(20261207);
        std::uniform_int_distribution<int> delayMicros(0, 6000);
        int sawA = 0, sawB = 0;
        for (int round = 0; round < 200; ++round) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (int i = 0;; ++i)
                    schreibeSicher(path, tmp, i % 2 ? a : b);
            }
            ::usleep(static_cast<useconds_t>(delayMicros(chance)));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            QVERIFY(WIFSIGNALED(status));

            const QByteArray now = readAll(path);
            QVERIFY2(now == a || now == b, qPrintable(QStringLiteral("round %1: a torn list").arg(round)));
            (now == a ? sawA : sawB)++;
            QCOMPARE(leseListeDatei(path).size(), kListPlaces);
        }
        // Both lists must have been seen, or the kills never hit a rewrite.
        QVERIFY(sawA > 0);
        QVERIFY(sawB > 0);
    }
};

QTEST_APPLESS_MAIN(TestHighScoreCrash)
#include "tst_highscore_crash.moc"
