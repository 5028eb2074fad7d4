// Benchmarks of the hot paths, each against a baseline measured in the same run, since
// absolute times on a shared machine drift. The table's `ratio` column is subject/baseline.
//   bench_tavik [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <dirent.h>
#include <vector>

#include "pictures/ByteLimits.h"
#include "pictures/Fit.h"
#include "ui/MainWindow.h"
#include "rules/Game.h"
#include "ui/PictureCache.h"
#include "pictures/PictureDecoder.h"
#include "scores/HighScorePath.h"
#include "platform/DiskWork.h"
#include "scores/HighScoreFile.h"
#include "tests/Collection.h"
#include "ui/FileListBox.h"
#include "platform/FolderReader.h"

using namespace tavik;

namespace {

struct Data {
    QTemporaryDir dir;
    QString big;   // 20,000 files, the first 60 of them real pictures
    QString jpeg;  // a photo-like JPEG just under 75,000 bytes
    QString bmp;   // a 24-bit BMP just under 800,000 bytes

    Data()
    {
        big = dir.filePath("gross");
        QDir().mkpath(big);
        QImage small(64, 48, QImage::Format_RGB32);
        small.fill(Qt::darkCyan);
        for (int i = 0; i < 20000; ++i) {
            const QString name = QStringLiteral("%1/f%2.%3").arg(big).arg(i, 5, 10, QLatin1Char('0'))
                                     .arg(i % 3 == 2 ? "txt" : i % 2 ? "bmp" : "jpg");
            if (i < 90)
                small.save(name, i % 2 ? "BMP" : "JPG");
            else
                QFile(name).open(QIODevice::WriteOnly);
        }
        jpeg = dir.filePath("foto.jpg");
        bmp = dir.filePath("bild.bmp");
        QImage photo(640, 480, QImage::Format_RGB32);
        auto* rng = QRandomGenerator::global();
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb((x * 255 / 640 + rng->bounded(40)) & 255,
                                          (y * 255 / 480 + rng->bounded(40)) & 255, (x + y + rng->bounded(30)) & 255));
        // The highest quality that stays under the game's JPEG limit.
        for (int q = 95; q > 5; q -= 2) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            photo.save(&buffer, "JPG", q);
            if (bytes.size() < kJpgLimit) {
                QFile f(jpeg);
                f.open(QIODevice::WriteOnly);
                f.write(bytes);
                break;
            }
        }
        photo.copy(0, 0, 516, 516).save(bmp, "BMP"); // 798,822 bytes
    }
};

Data& data()
{
    static Data d;
    return d;
}

// Times `f` once, in seconds.
template <typename F>
double timed(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return static_cast<double>(t.nsecsElapsed()) * 1e-9;
}

double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Medians of subject and baseline and their ratio: on a shared machine a few iterations
// land in another process's time slice, which would swamp a mean.
void reportMedians(benchmark::State& state, const std::vector<double>& subject, const std::vector<double>& baseline)
{
    const double s = median(subject), b = median(baseline);
    state.counters["median_us"] = benchmark::Counter(s * 1e6);
    state.counters["baseline_median_us"] = benchmark::Counter(b * 1e6);
    state.counters["ratio"] = benchmark::Counter(s / b);
}

// Runs subject and baseline alternately (a fixed number of iterations, since the manual
// time counts only the subject); reports the subject's time, the baseline's and the ratio.
template <typename Subject, typename Baseline>
void against(benchmark::State& state, Subject&& subject, Baseline&& baseline)
{
    double subjectTotal = 0, baselineTotal = 0;
    for (auto _ : state) {
        const double b = timed(baseline);
        const double s = timed(subject);
        baselineTotal += b;
        subjectTotal += s;
        state.SetIterationTime(s);
    }
    state.counters["baseline_us"] = benchmark::Counter(baselineTotal * 1e6 / state.iterations());
    state.counters["ratio"] = benchmark::Counter(subjectTotal / baselineTotal);
}

int bareListing(const QString& folder)
{
    int n = 0;
    DIR* d = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent* e = ::readdir(d))
        n += e->d_name[0] != '.';
    ::closedir(d);
    return n;
}

void File1_20000Files(benchmark::State& state)
{
    FileListBox list(nullptr);
    const QString folder = data().big;
    against(state, [&] {
                const std::optional<FolderListing> listing = readFolder(folder, pictureExtensions());
                list.setListing(folder, listing->files);
                benchmark::DoNotOptimize(list.listCount());
            },
            [&] { benchmark::DoNotOptimize(bareListing(folder)); });
    state.counters["entries"] = list.listCount();
}

void Collection_10x10(benchmark::State& state)
{
    FileListBox list(nullptr);
    list.setListing(data().big, readFolder(data().big, pictureExtensions())->files);
    for (auto _ : state) {
        QStringList taken;
        Sammlung s{data().big, [&](int i) { return list.entry(i); }, 50, acceptableForGame,
                   [&](const QString& p) { taken << p; }};
        int anzahl = 0;
        QString picturePath;
        sammleBilder(s, list.listCount(), anzahl, picturePath);
        if (anzahl != 50)
            state.SkipWithError("collection came up short");
    }
}

void DealAndMix_10x10(benchmark::State& state)
{
    QStringList paths;
    for (int i = 0; i < 50; ++i)
        paths << QStringLiteral("/home/spieler/Bilder/urlaub_%1.jpg").arg(i);
    MersenneRandom random;
    random.seed(36000);
    for (auto _ : state) {
        Game p;
        p.start(10, 0.5f);
        p.deal(paths, random);
        benchmark::DoNotOptimize(p.KartenBild);
    }
}

// The rewrite at the game end in wall time (the player waits through its fsyncs), on the
// disk the program folder lies on, against writing the same bytes to a new file with no
// fsync or rename. Medians, as for the clicks.
void HighScoreRewrite(benchmark::State& state)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    const QString path = highScorePath(dir.path());
    enterScore(dir.path(), path, QStringLiteral("Jürgen"), 1475);
    QFile list(listFileIn(dir.path()));
    list.open(QIODevice::ReadOnly);
    const QByteArray bytes = list.readAll();
    const QString plain = dir.filePath(QStringLiteral("plain"));
    std::vector<double> subject, baseline;
    for (auto _ : state) {
        QFile::remove(plain);
        baseline.push_back(timed([&] {
            QFile f(plain);
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        }));
        const double s = timed([&] { benchmark::DoNotOptimize(enterScore(dir.path(), path, QStringLiteral("Jürgen"), 1475)); });
        subject.push_back(s);
        state.SetIterationTime(s);
    }
    reportMedians(state, subject, baseline);
}

void showFirst(benchmark::State& state, const QString& path)
{
    against(state, [&] { benchmark::DoNotOptimize(decodeFitted(path, QSize(169, 169), 1.0)); },
            [&] { benchmark::DoNotOptimize(QImage(path)); });
}

void ZeigeBild_First_Jpeg75k(benchmark::State& state) { showFirst(state, data().jpeg); }
void ZeigeBild_First_Bmp800k(benchmark::State& state) { showFirst(state, data().bmp); }

struct NoBox final : MessageBox {
    MsgAnswer show(const QString&, const QString&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};

// A mouse click as the window system delivers it, then the event loop until the result is
// painted: the player's wait from the click to the picture on screen.
void clickAndPaint(QWidget* target)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    const QPointF global = target->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
    QCoreApplication::processEvents();
}

// Counts the paint events of a widget, to make sure a timed click did paint.
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// The baseline: a window of the game screen's size with a plain push button whose click
// shows a ready picture in a bordered label, the least any toolkit program does.
struct PlainButtonWindow {
    QWidget window;
    QPushButton* button = new QPushButton(&window);
    QLabel* label = new QLabel(&window);
    QPixmap picture{169, 112};
    PlainButtonWindow()
    {
        window.resize(653, 531);
        button->setGeometry(236, 104, 41, 41);
        label->setGeometry(16, 88, 169, 169);
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setScaledContents(true);
        picture.fill(Qt::darkCyan);
        QObject::connect(button, &QPushButton::clicked, label, [this] {
            label->setPixmap(picture);
            label->show();
        });
        window.show();
        QCoreApplication::processEvents();
    }
    void click()
    {
        clickAndPaint(button);
    }
    void reset()
    {
        label->clear();
        label->hide();
        QCoreApplication::processEvents();
    }
};

// A dealt N x N game on screen whose pictures (50 photo-like JPEGs of almost 75,000 bytes)
// were decoded ahead, as a player finds it a moment after the deal.
struct GameOnScreen {
    NoBox box;
    SystemTimeOfDay clock;
    MersenneRandom random;
    ExecutableFolder folder;
    MAIN game;
    int first = 0;
    int second = 1; // not the first card's partner: every timed attempt is a mismatch
    explicit GameOnScreen(int n)
        : game({box, clock, random, folder}, n, QStringLiteral("Bench"))
    {
        for (int i = 0; i < n * n / 2; ++i) {
            const QString copy = data().dir.filePath(QStringLiteral("karte%1.jpg").arg(i));
            QFile::copy(data().jpeg, copy);
            game.appendPicture(copy);
        }
        game.show();
        game.tmrLadeBilder_Timer();
        game.tmrZeit->stop(); // its ticks would only add noise
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 1000) // time enough to decode all pictures ahead
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        while (game.game.pictureOf(second) == game.game.pictureOf(first))
            ++second;
    }
    void click(int card) { clickAndPaint(game.cmdBild[static_cast<size_t>(card)]); }
    void endAttempt()
    {
        game.tmrKlick_Timer();
        QCoreApplication::processEvents();
    }
};

// Click on a card to its picture on screen, for the first or the second card of an attempt.
void clickToPicture(benchmark::State& state, int n, bool secondCard)
{
    GameOnScreen g(n);
    PlainButtonWindow plain;
    PaintCount boxPaints;
    g.game.imgKarteOffen[secondCard ? 1 : 0]->installEventFilter(&boxPaints);
    std::vector<double> subject, baseline;
    for (auto _ : state) {
        baseline.push_back(timed([&] { plain.click(); }));
        plain.reset();
        if (secondCard)
            g.click(g.first);
        const int paintsBefore = boxPaints.paints;
        const double s = timed([&] { g.click(secondCard ? g.second : g.first); });
        if (boxPaints.paints == paintsBefore)
            state.SkipWithError("the picture was not painted");
        if (!secondCard)
            g.click(g.second);
        g.endAttempt();
        subject.push_back(s);
        state.SetIterationTime(s);
    }
    reportMedians(state, subject, baseline);
}

void ClickToPicture_FirstCard_4x4(benchmark::State& state) { clickToPicture(state, 4, false); }
void ClickToPicture_SecondCard_4x4(benchmark::State& state) { clickToPicture(state, 4, true); }
void ClickToPicture_FirstCard_10x10(benchmark::State& state) { clickToPicture(state, 10, false); }
void ClickToPicture_SecondCard_10x10(benchmark::State& state) { clickToPicture(state, 10, true); }

} // namespace

BENCHMARK(File1_20000Files)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(Collection_10x10)->Unit(benchmark::kMicrosecond);
BENCHMARK(DealAndMix_10x10)->Unit(benchmark::kMicrosecond);
BENCHMARK(HighScoreRewrite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(ZeigeBild_First_Jpeg75k)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(ZeigeBild_First_Bmp800k)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(ClickToPicture_FirstCard_4x4)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(ClickToPicture_SecondCard_4x4)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(ClickToPicture_FirstCard_10x10)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(ClickToPicture_SecondCard_10x10)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    data();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
