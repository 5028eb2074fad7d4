// Benchmarks of the hot paths, each against a baseline measured in the same run, since
// absolute times on a shared machine drift. The table's `ratio` column is subject/baseline.
//   bench_tavik [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <dirent.h>

#include "game/Fit.h"
#include "game/MainWindow.h"
#include "game/Partie.h"
#include "game/PictureCache.h"
#include "game/PictureFile.h"
#include "pictures/PicturePool.h"
#include "scores/HighScoreFile.h"
#include "settings/Collection.h"
#include "settings/PictureRule.h"
#include "shell/BrowserControls.h"

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
    against(state, [&] { list.setPath(folder); benchmark::DoNotOptimize(list.listCount()); },
            [&] { benchmark::DoNotOptimize(bareListing(folder)); });
    state.counters["entries"] = list.listCount();
}

void Collection_10x10(benchmark::State& state)
{
    FileListBox list(nullptr);
    list.setPath(data().big);
    for (auto _ : state) {
        QStringList taken;
        Sammlung s{data().big, [&](int i) { return list.entry(i); }, 50, fuerSpielAnnehmbar,
                   [&](const QString& p) { taken << p; }};
        int anzahl = 0;
        QString bildPfad;
        sammleBilder(s, list.listCount(), anzahl, bildPfad);
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
        Partie p;
        p.beginne(10, 0.5f);
        p.teileAus(paths, random);
        benchmark::DoNotOptimize(p.KartenBild);
    }
}

void HighScoreRewrite(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state)
        benchmark::DoNotOptimize(trageEin(dir.path(), QStringLiteral("Jürgen"), 1475));
}

void showFirst(benchmark::State& state, const QString& path)
{
    against(state, [&] { benchmark::DoNotOptimize(loadFitted(path, 169)); },
            [&] { benchmark::DoNotOptimize(QImage(path)); });
}

void ZeigeBild_First_Jpeg75k(benchmark::State& state) { showFirst(state, data().jpeg); }
void ZeigeBild_First_Bmp800k(benchmark::State& state) { showFirst(state, data().bmp); }

// Zeige_Bild on the game screen for a picture already shown once in this game.
void showAgain(benchmark::State& state, const QString& path)
{
    struct NoBox final : MessageBox {
        MsgAnswer show(const QString&, const QString&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
    } box;
    SystemTimeOfDay clock;
    MersenneRandom random;
    ExecutableFolder folder;
    MAIN game({box, clock, random, folder}, 4, QStringLiteral("Bench"));
    game.partie.KartenBild[1] = path;
    game.Zeige_Bild(0, 0);
    picturePool()->waitForDone();
    QCoreApplication::processEvents();
    against(state, [&] { game.Zeige_Bild(0, 0); }, [&] { benchmark::DoNotOptimize(QImage(path)); });
}

void ZeigeBild_Again_Jpeg75k(benchmark::State& state) { showAgain(state, data().jpeg); }
void ZeigeBild_Again_Bmp800k(benchmark::State& state) { showAgain(state, data().bmp); }

} // namespace

BENCHMARK(File1_20000Files)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(Collection_10x10)->Unit(benchmark::kMicrosecond);
BENCHMARK(DealAndMix_10x10)->Unit(benchmark::kMicrosecond);
BENCHMARK(HighScoreRewrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(ZeigeBild_First_Jpeg75k)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(ZeigeBild_First_Bmp800k)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(ZeigeBild_Again_Jpeg75k)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(ZeigeBild_Again_Bmp800k)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

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
