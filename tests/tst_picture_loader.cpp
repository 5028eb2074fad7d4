// The picture workers with a read that blocks until the test lets it answer: deadlines,
// late and superseded results, the cap on stuck reads, and the order rule of the parallel
// checks however they finish.

#include <QtTest>
#include <array>
#include <functional>
#include <map>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestDoubles.h"
#include "pictures/OrderedChecks.h"
#include "pictures/PictureFileBytes.h"
#include "pictures/PictureLoader.h"
#include "scores/HighScoreFile.h"
#include "scores/HighScorePath.h"
#include "tests/Collection.h"
#include "platform/AtomicFile.h"
#include "platform/MountTable.h"
#include "platform/ThreadGuard.h"

using namespace std::chrono_literals;
using namespace tavik;

namespace {

// A drive whose reads answer only when released, one gate per file.
struct Drive {
    std::array<QSemaphore, 16> gates;
    void releaseAll(int n = 1)
    {
        for (QSemaphore& g : gates)
            g.release(n);
    }
};

// A small file on a real disk, in `folder` when given: the workers read every file once
// themselves before the decoder gets it, and a stuck read quarantines its folder.
QString onDisk(const QString& name, const QString& folder = {})
{
    static QTemporaryDir dir;
    if (!folder.isEmpty())
        QDir(dir.path()).mkpath(folder);
    const QString path = dir.filePath(folder.isEmpty() ? name : folder + QLatin1Char('/') + name);
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.write("not a picture, the decoder is a stand-in");
    return path;
}

// Every call that touches the disk, each run where a window would run it.
const std::map<QString, std::function<void()>>& diskCalls()
{
    static const QString file = onDisk(QStringLiteral("guarded.jpg"));
    static const QString folder = QFileInfo(file).path();
    static const std::map<QString, std::function<void()>> calls{
        {"readFolder", [] { readFolder(folder, {"jpg"}); }},
        {"fileLength", [] { fileLength(file); }},
        {"fileAnswers", [] { fileAnswers(file); }},
        {"listVolumes", [] { listVolumes(); }},
        {"readPictureBytes", [] { readPictureBytes(file, 75000); }},
        {"MountTable::current", [] { MountTable::current(); }},
        {"highScorePath", [] { highScorePath(folder); }},
        {"leseListeFuer", [] { readListFor(folder, listFileIn(folder)); }},
        {"trageEin", [] { enterScore(folder, listFileIn(folder), "x", 1); }},
        {"AtomicFile::read", [] { AtomicFile(file).read(100); }},
        {"makeFolders", [] { makeFolders(folder); }},
    };
    return calls;
}

Decoded picture()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    return {image, QSize(169, 169)};
}

// A loader's answers, told apart as the window tells them: the decoder's result, or nothing
// (past the deadline, or refused).
class Answers {
public:
    explicit Answers(PictureLoader& loader) : spy_(&loader, &PictureLoader::answered) {}

    int count() const { return int(spy_.count()); }
    int decoded() const { return counted(true); }
    int failed() const { return counted(false); }
    // Waits `ms` at most for one more answer of that kind.
    bool waitDecoded(int ms = 5000) { return waitFor(true, ms); }
    bool waitFailed(int ms = 5000) { return waitFor(false, ms); }
    quint64 ticket(int i) const { return spy_.at(i).at(0).value<quint64>(); }
    QString path(int i) const { return spy_.at(i).at(1).toString(); }
    std::optional<Decoded> result(int i) const { return spy_.at(i).at(2).value<std::optional<Decoded>>(); }

private:
    int counted(bool withResult) const
    {
        int n = 0;
        for (int i = 0; i < count(); ++i)
            n += result(i).has_value() == withResult;
        return n;
    }
    bool waitFor(bool withResult, int ms)
    {
        const int before = counted(withResult);
        return QTest::qWaitFor([&] { return counted(withResult) > before; }, ms);
    }

    QSignalSpy spy_;
};

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        // Every stuck read of a test has been released: none may still count.
        QTRY_COMPARE(disk::stuckCount(), 0);
    }

    void theWorkersOwnReadTakesOnlyRegularFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("answers");
        QTest::newRow("a regular file") << "file" << true;
        QTest::newRow("an empty file") << "empty" << true;
        QTest::newRow("a named pipe, never blocks") << "fifo" << false;
        QTest::newRow("a folder") << "folder" << false;
        QTest::newRow("nothing there") << "missing" << false;
    }
    void theWorkersOwnReadTakesOnlyRegularFiles()
    {
        QFETCH(QString, kind);
        QFETCH(bool, answers);
        QTemporaryDir dir;
        const QString path = dir.filePath("x.jpg");
        if (kind == "file")
            QVERIFY(QFile(onDisk("x.jpg")).copy(path));
        else if (kind == "empty")
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        QCOMPARE(test::onWorker([path] { return fileAnswers(path); }), answers);
    }

    // In the debug and sanitizer builds a disk call on the GUI thread stops the program, so a
    // window that reads the disk fails every test that reaches it.
    void everyDiskCallRefusesTheGuiThread_data()
    {
        QTest::addColumn<QString>("call");
        QTest::newRow("the guard itself, in every build") << QString();
#ifdef TAVIK_THREAD_GUARD
        for (const auto& [name, call] : diskCalls())
            QTest::newRow(qPrintable(name)) << name;
#endif
    }
    void everyDiskCallRefusesTheGuiThread()
    {
        QFETCH(QString, call);
        const std::function<void()> run =
            call.isEmpty() ? [] { failOnGuiThread("a disk call"); } : diskCalls().at(call);
        test::onWorker(run); // allowed there
        const pid_t child = ::fork();
        if (child == 0) {
            // The child's last words are expected: not the test's log.
            qInstallMessageHandler(nullptr);
            ::close(STDOUT_FILENO);
            ::close(STDERR_FILENO);
            run();
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT, "the call ran on the GUI thread");
    }

    void anAnswerInTimeIsReady()
    {
        PictureLoader loader([](const QString&, QSize, qreal) { return picture(); }, 5s);
        Answers answers(loader);
        const quint64 ticket = loader.request(onDisk(QStringLiteral("a.jpg")), {167, 167}, 2.0);
        QVERIFY(answers.waitDecoded());
        QCOMPARE(answers.ticket(0), ticket);
        QCOMPARE(answers.path(0), onDisk(QStringLiteral("a.jpg")));
        QCOMPARE(answers.result(0)->fitted, QSize(169, 169));
        QCOMPARE(answers.result(0)->image, picture().image);
        QCOMPARE(answers.failed(), 0);
    }

    void theDecoderGetsTheAreaAndTheRatio()
    {
        QSize area;
        qreal dpr = 0;
        PictureLoader loader([&](const QString&, QSize a, qreal d) { area = a; dpr = d; return picture(); }, 5s);
        Answers answers(loader);
        loader.request(onDisk(QStringLiteral("a.jpg")), {167, 167}, 2.0);
        QVERIFY(answers.waitDecoded());
        QCOMPARE(area, QSize(167, 167));
        QCOMPARE(dpr, 2.0);
    }

    void aStuckReadFailsAtTheDeadlineAndItsLateResultIsDropped()
    {
        static Drive drive;
        PictureLoader loader([](const QString&, QSize, qreal) { drive.gates[0].acquire(); return picture(); }, 100ms);
        Answers answers(loader);
        QElapsedTimer clock;
        clock.start();
        loader.request(onDisk(QStringLiteral("stuck.jpg")), {167, 167}, 1.0);
        QVERIFY(answers.waitFailed()); // the event loop kept running meanwhile
        QVERIFY(clock.elapsed() >= 100);
        QCOMPARE(disk::stuckCount(), 1);
        drive.gates[0].release();
        QTRY_COMPARE(disk::stuckCount(), 0); // the read ended at last
        QTest::qWait(20);
        QCOMPARE(answers.decoded(), 0);
        QCOMPARE(answers.failed(), 1);
    }

    void aSupersededResultIsDropped()
    {
        static Drive drive;
        PictureLoader loader([](const QString&, QSize, qreal) { drive.gates[1].acquire(); return picture(); }, 10s);
        Answers answers(loader);
        loader.request(onDisk(QStringLiteral("old.jpg")), {167, 167}, 1.0);
        loader.cancelAll();
        drive.gates[1].release();
        QVERIFY(disk::pool()->waitForDone(5000));
        QTest::qWait(20);
        QCOMPARE(answers.count(), 0);
        // A request after the cancel is answered as usual.
        drive.gates[1].release();
        loader.request(onDisk(QStringLiteral("new.jpg")), {167, 167}, 1.0);
        QVERIFY(answers.waitDecoded());
        QCOMPARE(answers.path(0), onDisk(QStringLiteral("new.jpg")));
    }

    void aJobWaitingInTheQueueIsNotPastItsDeadline()
    {
        static Drive drive;
        const int width = disk::pool()->maxThreadCount();
        PictureLoader busy([](const QString&, QSize, qreal) { drive.gates[4].acquire(); return picture(); }, 10s);
        Answers busyAnswers(busy);
        for (int i = 0; i < width; ++i)
            busy.request(onDisk(QStringLiteral("busy%1.jpg").arg(i)), {167, 167}, 1.0);
        QTRY_COMPARE(disk::pool()->activeThreadCount(), width);

        PictureLoader queued([](const QString&, QSize, qreal) { return picture(); }, 100ms);
        Answers answers(queued);
        queued.request(onDisk(QStringLiteral("queued.jpg")), {167, 167}, 1.0);
        QVERIFY(!answers.waitFailed(200)); // two of its deadlines behind busy workers
        QCOMPARE(disk::stuckCount(), 0);
        drive.gates[4].release(width);
        QVERIFY(answers.waitDecoded());
        QCOMPARE(answers.failed(), 0);
        QTRY_COMPARE(busyAnswers.decoded(), width);

        // The queue has a bound too: behind workers that stay busy the job fails in the end.
        for (int i = 0; i < width; ++i)
            busy.request(onDisk(QStringLiteral("busy%1.jpg").arg(i)), {167, 167}, 1.0);
        QTRY_COMPARE(disk::pool()->activeThreadCount(), width);
        queued.request(onDisk(QStringLiteral("queued.jpg")), {167, 167}, 1.0);
        QVERIFY(answers.waitFailed());
        QCOMPARE(answers.decoded(), 1);
        drive.gates[4].release(width);
        QTRY_COMPARE(busyAnswers.decoded(), 2 * width);
    }

    void aStuckJobGetsAThreadMoreSoOtherWorkGoesOn()
    {
        static Drive drive;
        const int width = disk::pool()->maxThreadCount();
        PictureLoader busy([](const QString&, QSize, qreal) { drive.gates[5].acquire(); return picture(); }, 10s);
        Answers busyAnswers(busy);
        for (int i = 0; i + 1 < width; ++i)
            busy.request(onDisk(QStringLiteral("busy%1.jpg").arg(i)), {167, 167}, 1.0);
        PictureLoader stuck([](const QString&, QSize, qreal) { drive.gates[6].acquire(); return picture(); }, 50ms);
        Answers stuckAnswers(stuck);
        stuck.request(onDisk(QStringLiteral("stuck.jpg"), QStringLiteral("share")), {167, 167}, 1.0);
        QVERIFY(stuckAnswers.waitFailed());
        QCOMPARE(disk::stuckCount(), 1);
        QCOMPARE(disk::pool()->maxThreadCount(), width + 1);

        // Every healthy thread is still busy, and yet a new request is answered.
        PictureLoader other([](const QString&, QSize, qreal) { return picture(); }, 5s);
        Answers answers(other);
        other.request(onDisk(QStringLiteral("other.jpg")), {167, 167}, 1.0);
        QVERIFY(answers.waitDecoded());
        QCOMPARE(busyAnswers.count(), 0);

        drive.gates[6].release();
        QTRY_COMPARE(disk::pool()->maxThreadCount(), width); // back down once the read returned
        drive.gates[5].release(width - 1);
        QTRY_COMPARE(busyAnswers.decoded(), width - 1);
    }

    // Stuck reads count for the device they stick on. The "share" folder is a mount of its own
    // here; the candidates are links to it from a local folder, then local pictures.
    void aStuckShareIsRefusedWhileTheLinksFolderWorks()
    {
        static Drive drive;
        static std::atomic<int> checkedLocal{0};
        const QString share = QFileInfo(onDisk(QStringLiteral("s0.jpg"), QStringLiteral("share"))).path();
        MountTable::replaceForTests("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 0:99 / " + QFile::encodeName(share)
                                    + " rw - fuse stuckfs rw\n");
        const QString local = QFileInfo(onDisk(QStringLiteral("zz.jpg"), QStringLiteral("local"))).path();
        QStringList names;
        for (int i = 0; i < 5; ++i) {
            const QString target = onDisk(QStringLiteral("s%1.jpg").arg(i), QStringLiteral("share"));
            const QString link = QStringLiteral("%1/a%2.jpg").arg(local).arg(i);
            QFile::remove(link);
            QVERIFY(QFile::link(target, link));
            names << QFileInfo(link).fileName();
        }
        for (int i = 0; i < 3; ++i)
            names << QFileInfo(onDisk(QStringLiteral("b%1.jpg").arg(i), QStringLiteral("local"))).fileName();
        OrderedChecks::Check check = [](const QString& path) {
            if (QFileInfo(path).fileName().startsWith('a'))
                drive.gates[7].acquire();
            else
                ++checkedLocal;
            return true;
        };
        OrderedChecks walk(check, 100ms);
        QSignalSpy taken(&walk, &OrderedChecks::taken);
        QSignalSpy finished(&walk, &OrderedChecks::finished);
        walk.start(local, NameList(names), int(names.size()), 2);
        QVERIFY(finished.wait(5000));
        QCOMPARE(taken.count(), 2); // the local pictures, though their links' folder has stuck reads
        QCOMPARE(taken[0][0].toString(), local + QStringLiteral("/b0.jpg"));
        QVERIFY(disk::stuckCount() >= kStuckPerDevice);

        // On the share, a preview fails at once, long before its deadline, without a read; a
        // stuck file is not opened again either, whatever its name.
        std::atomic<int> decoded{0};
        PictureLoader patient([&](const QString&, QSize, qreal) { ++decoded; return picture(); }, 60s);
        Answers answers(patient);
        patient.request(onDisk(QStringLiteral("s9.jpg"), QStringLiteral("share")), {167, 167}, 1.0);
        QVERIFY(answers.waitFailed());
        QCOMPARE(decoded.load(), 0);
        patient.request(local + QStringLiteral("/b1.jpg"), {167, 167}, 1.0);
        QVERIFY(answers.waitDecoded());

        // Once the share answers again, so does the file.
        drive.gates[7].release(5);
        QTRY_COMPARE(disk::stuckCount(), 0);
        patient.request(onDisk(QStringLiteral("s9.jpg"), QStringLiteral("share")), {167, 167}, 1.0);
        QVERIFY(answers.waitDecoded());
        QCOMPARE(answers.failed(), 1);
        MountTable::replaceForTests({});
    }

    void aFileWithAStuckReadIsNotOpenedAgain()
    {
        static Drive drive;
        PictureLoader loader([](const QString& path, QSize, qreal) {
            if (path.endsWith(QLatin1String("hangs.jpg")))
                drive.gates[8].acquire();
            return picture();
        }, 50ms);
        Answers answers(loader);
        const QString hangs = onDisk(QStringLiteral("hangs.jpg"));
        const QString link = QFileInfo(hangs).path() + QStringLiteral("/another-name.jpg");
        QFile::remove(link);
        QVERIFY(QFile::link(hangs, link));
        loader.request(hangs, {167, 167}, 1.0);
        QVERIFY(answers.waitFailed());
        QCOMPARE(disk::stuckCount(), 1);
        loader.request(hangs, {167, 167}, 1.0); // refused without a job
        loader.request(link, {167, 167}, 1.0);  // the same file by another name: refused by a worker
        loader.request(onDisk(QStringLiteral("beside.jpg")), {167, 167}, 1.0); // the same disk: read
        QTRY_COMPARE(answers.count(), 4);
        QCOMPARE(answers.decoded(), 1);
        QCOMPARE(disk::stuckCount(), 1);
        drive.gates[8].release();
        QTRY_COMPARE(disk::stuckCount(), 0);
        loader.request(link, {167, 167}, 1.0);
        QVERIFY(answers.waitDecoded());
    }

    void stuckReadsDoNotPileUpAcrossFolders()
    {
        static Drive drive;
        const int healthy = disk::pool()->maxThreadCount();
        // Each share a device of its own, so none is refused before the cap is reached.
        QByteArray mounts = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
        for (int i = 0; i < kStuckCap; ++i)
            mounts += QByteArray::number(i + 2) + " 1 0:" + QByteArray::number(100 + i) + " / "
                      + QFile::encodeName(QFileInfo(onDisk(QStringLiteral("stuck.jpg"), QStringLiteral("share%1").arg(i))).path())
                      + " rw - fuse share rw\n";
        MountTable::replaceForTests(mounts);
        PictureLoader loader([](const QString&, QSize, qreal) { drive.gates[2].acquire(); return picture(); }, 50ms);
        Answers answers(loader);
        for (int i = 0; i < kStuckCap; ++i)
            loader.request(onDisk(QStringLiteral("stuck.jpg"), QStringLiteral("share%1").arg(i)), {167, 167}, 1.0);
        QTRY_COMPARE(answers.failed(), kStuckCap);
        QCOMPARE(disk::stuckCount(), kStuckCap);
        QCOMPARE(disk::pool()->maxThreadCount(), healthy + kStuckCap);
        const int running = disk::pool()->activeThreadCount();

        // At the cap a request in any folder fails at once, long before its own deadline, and
        // starts no job.
        PictureLoader patient([](const QString&, QSize, qreal) { return picture(); }, 60s);
        Answers patientAnswers(patient);
        patient.request(onDisk(QStringLiteral("next.jpg")), {167, 167}, 1.0);
        QVERIFY(patientAnswers.waitFailed());
        QCOMPARE(disk::pool()->activeThreadCount(), running);

        drive.gates[2].release(kStuckCap);
        QTRY_COMPARE(disk::stuckCount(), 0);
        QTRY_COMPARE(disk::pool()->maxThreadCount(), healthy);
        patient.request(onDisk(QStringLiteral("next.jpg")), {167, 167}, 1.0);
        QVERIFY(patientAnswers.waitDecoded()); // room again
        MountTable::replaceForTests({});
    }

    void aLoaderGoneBeforeItsAnswerIsNotCalled()
    {
        static Drive drive;
        auto loader = std::make_unique<PictureLoader>(
            [](const QString&, QSize, qreal) { drive.gates[3].acquire(); return picture(); }, 10s);
        loader->request(onDisk(QStringLiteral("a.jpg")), {167, 167}, 1.0);
        loader.reset(); // no wait for the read here
        drive.gates[3].release();
        QVERIFY(disk::pool()->waitForDone(5000));
        QTest::qWait(20); // nothing may touch the loader now
    }

    // Candidates 0..n-1, acceptable where the pattern says 'y'; their checks end in
    // `finishOrder` ('s' in the pattern: a check that never ends before the deadline).
    void orderRuleUnderAnyCompletionOrder_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("needed");
        QTest::addColumn<QList<int>>("finishOrder");
        QTest::newRow("in order") << "yyyyyy" << 3 << QList<int>{0, 1, 2, 3, 4, 5};
        QTest::newRow("backwards") << "yyyyyy" << 3 << QList<int>{5, 4, 3, 2, 1, 0};
        QTest::newRow("later ones first, some refused") << "nynyyy" << 2 << QList<int>{5, 4, 3, 1, 2, 0};
        QTest::newRow("too few") << "nnyn" << 3 << QList<int>{3, 2, 1, 0};
        QTest::newRow("the last one decides") << "nnnny" << 1 << QList<int>{4, 3, 2, 1, 0};
        QTest::newRow("none needed") << "yy" << 0 << QList<int>{0, 1};
        QTest::newRow("a stuck head counts as refused") << "syyy" << 2 << QList<int>{3, 2, 1};
        QTest::newRow("a stuck one in the middle") << "ysyy" << 3 << QList<int>{3, 2, 0};
    }
    void orderRuleUnderAnyCompletionOrder()
    {
        QFETCH(QString, pattern);
        QFETCH(int, needed);
        QFETCH(QList<int>, finishOrder);
        static Drive drive;
        static QString acceptable;
        acceptable = pattern;
        for (QSemaphore& g : drive.gates)
            g.acquire(g.available());

        QStringList names;
        for (int i = 0; i < pattern.size(); ++i)
            names << QFileInfo(onDisk(QStringLiteral("%1.jpg").arg(i))).fileName();
        const QString folder = QFileInfo(onDisk(QStringLiteral("0.jpg"))).path();
        const bool stuck = pattern.contains('s');
        OrderedChecks checks(
            [](const QString& path) {
                const int i = QFileInfo(path).baseName().toInt();
                drive.gates[static_cast<size_t>(i)].acquire();
                return acceptable[i] == 'y';
            },
            stuck ? 500ms : 10s);
        QSignalSpy taken(&checks, &OrderedChecks::taken);
        QSignalSpy finished(&checks, &OrderedChecks::finished);
        checks.start(folder, NameList(names), int(names.size()), needed);
        for (int i : finishOrder) {
            drive.gates[static_cast<size_t>(i)].release();
            QTest::qWait(5); // lets the walk see each answer as it comes
        }
        QTRY_COMPARE(finished.count(), 1);

        // The same walk done one by one, as the collection always did it.
        QStringList expected;
        int anzahl = 0;
        QString picturePath;
        Sammlung s;
        s.ordner = folder;
        s.entry = [&](int i) { return i < pattern.size() ? QStringLiteral("%1.jpg").arg(i) : QString(); };
        s.pairsNeeded = needed;
        s.annehmbar = [&](const QString& path) { return acceptable[QFileInfo(path).baseName().toInt()] == 'y'; };
        s.nimm = [&](const QString& path) { expected << path; };
        if (needed > 0)
            sammleBilder(s, pattern.size(), anzahl, picturePath);

        QStringList got;
        for (const QList<QVariant>& call : taken)
            got << call[0].toString();
        QCOMPARE(got, expected);
        drive.releaseAll(); // the stuck ones end now
        QVERIFY(disk::pool()->waitForDone(5000));
    }
};

QTEST_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"
