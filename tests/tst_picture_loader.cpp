// The picture workers with a read that blocks until the test lets it answer: deadlines,
// late and superseded results, the cap on stuck reads, and the order rule of the parallel
// checks however they finish.

#include <QtTest>
#include <array>
#include <sys/stat.h>

#include "pictures/OrderedChecks.h"
#include "pictures/PictureLoader.h"
#include "settings/Collection.h"

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

Decoded picture()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    return {image, QSize(169, 169)};
}

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        // Every stuck read of a test has been released: none may still count.
        QTRY_COMPARE(stuckJobs::count(), 0);
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
        QCOMPARE(fileAnswers(path), answers);
    }

    void anAnswerInTimeIsReady()
    {
        PictureLoader loader([](const QString&, QSize, qreal) { return picture(); }, 5s);
        QSignalSpy ready(&loader, &PictureLoader::ready);
        QSignalSpy failed(&loader, &PictureLoader::failed);
        const quint64 ticket = loader.request(onDisk(QStringLiteral("a.jpg")), {167, 167}, 2.0);
        QVERIFY(ready.wait(5000));
        QCOMPARE(ready[0][0].value<quint64>(), ticket);
        QCOMPARE(ready[0][3].toSize(), QSize(169, 169));
        QCOMPARE(failed.count(), 0);
    }

    void theDecoderGetsTheAreaAndTheRatio()
    {
        QSize area;
        qreal dpr = 0;
        PictureLoader loader([&](const QString&, QSize a, qreal d) { area = a; dpr = d; return picture(); }, 5s);
        QSignalSpy ready(&loader, &PictureLoader::ready);
        loader.request(onDisk(QStringLiteral("a.jpg")), {167, 167}, 2.0);
        QVERIFY(ready.wait(5000));
        QCOMPARE(area, QSize(167, 167));
        QCOMPARE(dpr, 2.0);
    }

    void aStuckReadFailsAtTheDeadlineAndItsLateResultIsDropped()
    {
        static Drive drive;
        PictureLoader loader([](const QString&, QSize, qreal) { drive.gates[0].acquire(); return picture(); }, 100ms);
        QSignalSpy failed(&loader, &PictureLoader::failed);
        QSignalSpy ready(&loader, &PictureLoader::ready);
        QElapsedTimer clock;
        clock.start();
        loader.request(onDisk(QStringLiteral("stuck.jpg")), {167, 167}, 1.0);
        QVERIFY(failed.wait(5000)); // the event loop kept running meanwhile
        QVERIFY(clock.elapsed() >= 100);
        QCOMPARE(stuckJobs::count(), 1);
        drive.gates[0].release();
        QTRY_COMPARE(stuckJobs::count(), 0); // the read ended at last
        QTest::qWait(20);
        QCOMPARE(ready.count(), 0);
        QCOMPARE(failed.count(), 1);
    }

    void aSupersededResultIsDropped()
    {
        static Drive drive;
        PictureLoader loader([](const QString&, QSize, qreal) { drive.gates[1].acquire(); return picture(); }, 10s);
        QSignalSpy failed(&loader, &PictureLoader::failed);
        QSignalSpy ready(&loader, &PictureLoader::ready);
        loader.request(onDisk(QStringLiteral("old.jpg")), {167, 167}, 1.0);
        loader.cancelAll();
        drive.gates[1].release();
        QVERIFY(picturePool()->waitForDone(5000));
        QTest::qWait(20);
        QCOMPARE(ready.count(), 0);
        QCOMPARE(failed.count(), 0);
        // A request after the cancel is answered as usual.
        drive.gates[1].release();
        loader.request(onDisk(QStringLiteral("new.jpg")), {167, 167}, 1.0);
        QVERIFY(ready.wait(5000));
        QCOMPARE(ready[0][1].toString(), onDisk(QStringLiteral("new.jpg")));
    }

    void aJobWaitingInTheQueueIsNotPastItsDeadline()
    {
        static Drive drive;
        const int width = picturePool()->maxThreadCount();
        PictureLoader busy([](const QString&, QSize, qreal) { drive.gates[4].acquire(); return picture(); }, 10s);
        QSignalSpy busyReady(&busy, &PictureLoader::ready);
        for (int i = 0; i < width; ++i)
            busy.request(onDisk(QStringLiteral("busy%1.jpg").arg(i)), {167, 167}, 1.0);
        QTRY_COMPARE(picturePool()->activeThreadCount(), width);

        PictureLoader queued([](const QString&, QSize, qreal) { return picture(); }, 100ms);
        QSignalSpy ready(&queued, &PictureLoader::ready);
        QSignalSpy failed(&queued, &PictureLoader::failed);
        queued.request(onDisk(QStringLiteral("queued.jpg")), {167, 167}, 1.0);
        QVERIFY(!failed.wait(200)); // two of its deadlines behind busy workers
        QCOMPARE(stuckJobs::count(), 0);
        drive.gates[4].release(width);
        QVERIFY(ready.wait(5000));
        QCOMPARE(failed.count(), 0);
        QTRY_COMPARE(busyReady.count(), width);

        // The queue has a bound too: behind workers that stay busy the job fails in the end.
        for (int i = 0; i < width; ++i)
            busy.request(onDisk(QStringLiteral("busy%1.jpg").arg(i)), {167, 167}, 1.0);
        QTRY_COMPARE(picturePool()->activeThreadCount(), width);
        queued.request(onDisk(QStringLiteral("queued.jpg")), {167, 167}, 1.0);
        QVERIFY(failed.wait(5000));
        QCOMPARE(ready.count(), 1);
        drive.gates[4].release(width);
        QTRY_COMPARE(busyReady.count(), 2 * width);
    }

    void aStuckJobGetsAThreadMoreSoOtherWorkGoesOn()
    {
        static Drive drive;
        const int width = picturePool()->maxThreadCount();
        PictureLoader busy([](const QString&, QSize, qreal) { drive.gates[5].acquire(); return picture(); }, 10s);
        QSignalSpy busyReady(&busy, &PictureLoader::ready);
        for (int i = 0; i + 1 < width; ++i)
            busy.request(onDisk(QStringLiteral("busy%1.jpg").arg(i)), {167, 167}, 1.0);
        PictureLoader stuck([](const QString&, QSize, qreal) { drive.gates[6].acquire(); return picture(); }, 50ms);
        QSignalSpy failed(&stuck, &PictureLoader::failed);
        stuck.request(onDisk(QStringLiteral("stuck.jpg"), QStringLiteral("share")), {167, 167}, 1.0);
        QVERIFY(failed.wait(5000));
        QCOMPARE(stuckJobs::count(), 1);
        QCOMPARE(picturePool()->maxThreadCount(), width + 1);

        // Every healthy thread is still busy, and yet a new request is answered.
        PictureLoader other([](const QString&, QSize, qreal) { return picture(); }, 5s);
        QSignalSpy ready(&other, &PictureLoader::ready);
        other.request(onDisk(QStringLiteral("other.jpg")), {167, 167}, 1.0);
        QVERIFY(ready.wait(5000));
        QCOMPARE(busyReady.count(), 0);

        drive.gates[6].release();
        QTRY_COMPARE(picturePool()->maxThreadCount(), width); // back down once the read returned
        drive.gates[5].release(width - 1);
        QTRY_COMPARE(busyReady.count(), width - 1);
    }

    void aFolderWithAStuckReadIsRefusedAtOnceWhileOthersWork()
    {
        static Drive drive;
        static std::atomic<int> checked{0};
        const int width = picturePool()->maxThreadCount();
        // More stuck files than threads, then good ones, in one folder; needed: 2.
        QStringList names;
        for (int i = 0; i < width + 1; ++i)
            names << QFileInfo(onDisk(QStringLiteral("stuck%1.jpg").arg(i), QStringLiteral("dead"))).fileName();
        for (int i = 0; i < 3; ++i)
            names << QFileInfo(onDisk(QStringLiteral("good%1.jpg").arg(i), QStringLiteral("dead"))).fileName();
        const QString dead = QFileInfo(onDisk(QStringLiteral("good0.jpg"), QStringLiteral("dead"))).path();
        OrderedChecks::Check check = [](const QString& path) {
            if (path.contains(QLatin1String("stuck")))
                drive.gates[7].acquire();
            else
                ++checked;
            return true;
        };
        OrderedChecks walk(check, 100ms);
        QSignalSpy taken(&walk, &OrderedChecks::taken);
        QSignalSpy finished(&walk, &OrderedChecks::finished);
        walk.start(dead, names, 2);
        QVERIFY(finished.wait(5000));
        QCOMPARE(taken.count(), 0);
        QCOMPARE(checked.load(), 0); // the rest of the folder was not read
        QVERIFY(stuckJobs::count() <= width);

        // A preview there fails at once, long before its own deadline, without a read.
        std::atomic<int> decoded{0};
        PictureLoader patient([&](const QString&, QSize, qreal) { ++decoded; return picture(); }, 60s);
        QSignalSpy refused(&patient, &PictureLoader::failed);
        QSignalSpy ready(&patient, &PictureLoader::ready);
        patient.request(onDisk(QStringLiteral("good1.jpg"), QStringLiteral("dead")), {167, 167}, 1.0);
        QVERIFY(refused.wait(5000));
        QCOMPARE(decoded.load(), 0);

        // Another folder works, its walk and its preview, while every first thread hangs.
        QStringList fine;
        for (int i = 0; i < 3; ++i)
            fine << QFileInfo(onDisk(QStringLiteral("good%1.jpg").arg(i), QStringLiteral("fine"))).fileName();
        walk.start(QFileInfo(onDisk(QStringLiteral("good0.jpg"), QStringLiteral("fine"))).path(), fine, 2);
        QVERIFY(finished.wait(5000));
        QCOMPARE(taken.count(), 2);
        patient.request(onDisk(QStringLiteral("good2.jpg"), QStringLiteral("fine")), {167, 167}, 1.0);
        QVERIFY(ready.wait(5000));

        // Once the share answers again, so does the folder.
        drive.gates[7].release(width + 1);
        QTRY_COMPARE(stuckJobs::count(), 0);
        patient.request(onDisk(QStringLiteral("good1.jpg"), QStringLiteral("dead")), {167, 167}, 1.0);
        QVERIFY(ready.wait(5000));
        QCOMPARE(refused.count(), 1);
    }

    void stuckReadsDoNotPileUpAcrossFolders()
    {
        static Drive drive;
        const int healthy = picturePool()->maxThreadCount();
        PictureLoader loader([](const QString&, QSize, qreal) { drive.gates[2].acquire(); return picture(); }, 50ms);
        QSignalSpy failed(&loader, &PictureLoader::failed);
        for (int i = 0; i < stuckJobs::cap(); ++i)
            loader.request(onDisk(QStringLiteral("stuck.jpg"), QStringLiteral("share%1").arg(i)), {167, 167}, 1.0);
        QTRY_COMPARE(failed.count(), stuckJobs::cap());
        QCOMPARE(stuckJobs::count(), stuckJobs::cap());
        QCOMPARE(picturePool()->maxThreadCount(), healthy + stuckJobs::cap());
        const int running = picturePool()->activeThreadCount();

        // At the cap a request in any folder fails at once, long before its own deadline, and
        // starts no job.
        PictureLoader patient([](const QString&, QSize, qreal) { return picture(); }, 60s);
        QSignalSpy refused(&patient, &PictureLoader::failed);
        patient.request(onDisk(QStringLiteral("next.jpg")), {167, 167}, 1.0);
        QVERIFY(refused.wait(5000));
        QCOMPARE(picturePool()->activeThreadCount(), running);

        drive.gates[2].release(stuckJobs::cap());
        QTRY_COMPARE(stuckJobs::count(), 0);
        QTRY_COMPARE(picturePool()->maxThreadCount(), healthy);
        QSignalSpy ready(&patient, &PictureLoader::ready);
        patient.request(onDisk(QStringLiteral("next.jpg")), {167, 167}, 1.0);
        QVERIFY(ready.wait(5000)); // room again
    }

    void aLoaderGoneBeforeItsAnswerIsNotCalled()
    {
        static Drive drive;
        auto loader = std::make_unique<PictureLoader>(
            [](const QString&, QSize, qreal) { drive.gates[3].acquire(); return picture(); }, 10s);
        loader->request(onDisk(QStringLiteral("a.jpg")), {167, 167}, 1.0);
        loader.reset(); // no wait for the read here
        drive.gates[3].release();
        QVERIFY(picturePool()->waitForDone(5000));
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
        checks.start(folder, names, needed);
        for (int i : finishOrder) {
            drive.gates[static_cast<size_t>(i)].release();
            QTest::qWait(5); // lets the walk see each answer as it comes
        }
        QTRY_COMPARE(finished.count(), 1);

        // The same walk done one by one, as the collection always did it.
        QStringList expected;
        int anzahl = 0;
        QString bildPfad;
        Sammlung s;
        s.ordner = folder;
        s.eintrag = [&](int i) { return i < pattern.size() ? QStringLiteral("%1.jpg").arg(i) : QString(); };
        s.paareNoetig = needed;
        s.annehmbar = [&](const QString& path) { return acceptable[QFileInfo(path).baseName().toInt()] == 'y'; };
        s.nimm = [&](const QString& path) { expected << path; };
        if (needed > 0)
            sammleBilder(s, pattern.size(), anzahl, bildPfad);

        QStringList got;
        for (const QList<QVariant>& call : taken)
            got << call[0].toString();
        QCOMPARE(got, expected);
        drive.releaseAll(); // the stuck ones end now
        QVERIFY(picturePool()->waitForDone(5000));
    }
};

QTEST_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"
