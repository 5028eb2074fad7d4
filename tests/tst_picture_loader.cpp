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

// A small file on a real disk: the workers read every file once themselves before the
// decoder gets it.
QString onDisk(const QString& name)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
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

    void stuckReadsDoNotPileUp()
    {
        static Drive drive;
        PictureLoader loader([](const QString&, QSize, qreal) { drive.gates[2].acquire(); return picture(); }, 50ms);
        QSignalSpy failed(&loader, &PictureLoader::failed);
        for (int i = 0; i < stuckJobs::cap(); ++i)
            loader.request(onDisk(QStringLiteral("stuck%1.jpg").arg(i)), {167, 167}, 1.0);
        QTRY_COMPARE(failed.count(), stuckJobs::cap());
        QCOMPARE(stuckJobs::count(), stuckJobs::cap());
        const int running = picturePool()->activeThreadCount();

        // At the cap a request fails at once, long before its own deadline, and starts no job.
        PictureLoader patient([](const QString&, QSize, qreal) { return picture(); }, 60s);
        QSignalSpy refused(&patient, &PictureLoader::failed);
        QElapsedTimer clock;
        clock.start();
        patient.request(onDisk(QStringLiteral("next.jpg")), {167, 167}, 1.0);
        QVERIFY(refused.wait(5000));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(picturePool()->activeThreadCount(), running);

        drive.gates[2].release(stuckJobs::cap());
        QTRY_COMPARE(stuckJobs::count(), 0);
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
