// GUI-thread stalls as a player feels them, during the actions that read pictures or open
// the game screen: each stretch in which the GUI thread is not asleep in its event loop's
// poll, sampled from /proc about every millisecond (StallSampler), against an idle minimal Qt
// window (minimal_label) sampled over the same time. Every run is a fresh process, so first
// uses (fonts, style, caches) count as they do for a player. Budget: one frame, 16 ms. How
// much of the longest stretch the thread spent on a core (schedstat) tells its own work from
// a wait for a core that other programs hold.
//   bench_stalls [--runs N] [--only NAME] [--100k] [--trace]
// Without DISPLAY it runs on Qt's offscreen platform; `make bench` gives it an Xvfb.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "bench/StallSampler.h"
#include "app/ScreenFlow.h"
#include "ui/QtMessageBox.h"

using namespace tavik;
using bench::Stalls;

namespace {

struct Scenario {
    const char* name;
    const char* title;
};
const Scenario kScenarios[] = {
    {"settings", "splash to settings, next game built ahead"},
    {"preview", "preview click, 2000 x 1500 JPEG"},
    {"start50", "start 10 x 10, 50 JPEGs 4000 x 3000"},
    {"shortfall", "Enter on the shortfall message: top-up, game"},
    {"broken20k", "start over 20,000 broken files, top-up"},
    {"broken100k", "start over 100,000 broken files, top-up"},
    {"deal", "deal and decode-ahead, 50 JPEGs 4000 x 3000"},
};

struct InstantBox final : MessageBox {
    MsgAnswer show(const QString&, const QString&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};

struct Folder final : ProgramFolder {
    QString p;
    QString path() const override { return p; }
};

// A smooth picture, large and yet under the game's 75,000 bytes as a JPEG file.
void writeLarge(const QString& path, QSize size, int hue)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor::fromHsv(hue % 360, 180, 230));
    g.setColorAt(1, QColor::fromHsv((hue + 120) % 360, 200, 90));
    p.fillRect(image.rect(), g);
    p.end();
    QImageWriter writer(path, "jpeg");
    writer.setQuality(10);
    writer.setOptimizedWrite(true); // optimised Huffman tables: about 72,000 bytes instead of 190,000
    writer.write(image);
}

// Files that begin like a JPEG file and end after 16 bytes.
void brokenCandidates(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const QByteArray head = QByteArray::fromHex("FFD8FFE000104A464946000101000001");
    for (int i = 0; i < count; ++i) {
        QFile f(QStringLiteral("%1/k%2.jpg").arg(folder).arg(i, 6, 10, QLatin1Char('0')));
        if (f.open(QIODevice::WriteOnly))
            f.write(head);
    }
}

void makeFixture(const QString& root, bool hundred)
{
    QDir().mkpath(root + "/programm");
    for (const QFileInfo& f : QDir(TAVIK_STANDARD_PICTURES).entryInfoList({"*.jpg"}))
        QFile::copy(f.filePath(), root + "/programm/" + f.fileName());
    for (const char* folder : {"gross", "wenige", "vorschau"})
        QDir().mkpath(root + "/" + folder);
    for (int i = 0; i < 50; ++i) {
        const QString name = QStringLiteral("/g%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        writeLarge(root + "/gross" + name, {4000, 3000}, i * 7);
        if (i < 10) // too few for a 10 x 10 game: the shortfall message and the top-up follow
            QFile::copy(root + "/gross" + name, root + "/wenige" + name);
    }
    QImage preview(2000, 1500, QImage::Format_RGB32);
    preview.fill(QColor(90, 140, 200));
    preview.save(root + "/vorschau/gross.jpg", "JPG", 20);
    brokenCandidates(root + "/kaputt20k", 20000);
    if (hundred)
        brokenCandidates(root + "/kaputt100k", 100000);
    qint64 largest = 0;
    for (const QFileInfo& f : QDir(root + "/gross").entryInfoList(QDir::Files))
        largest = std::max(largest, f.size());
    std::printf("the largest 4000 x 3000 JPEG of the fixture has %lld bytes\n", largest);
}

// Runs `then` once, on the first check (every 5 ms, in whichever event loop runs) at which
// `condition` holds; also from inside a message box's own loop.
void when(std::function<bool()> condition, std::function<void()> then)
{
    auto* check = new QTimer;
    QObject::connect(check, &QTimer::timeout, [check, condition, then] {
        if (!condition())
            return;
        check->stop();
        check->deleteLater();
        then();
    });
    check->start(5);
}

bool onScreen(QWidget* w)
{
    return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed();
}

// One run of one scenario in this process; prints its result line and returns the exit code.
int runOne(const QString& scenario, const QString& root, int argc, char** argv)
{
    QApplication app(argc, argv);
    // The idle window, started first so that it sits idle long before the action.
    QProcess idle;
    idle.start(QCoreApplication::applicationDirPath() + "/minimal_label", {});
    if (!idle.waitForStarted())
        return 2;
    bench::StallSampler sampler;
    sampler.watch(getpid(), getpid());
    sampler.watch(static_cast<pid_t>(idle.processId()), static_cast<pid_t>(idle.processId()));

    QtMessageBox realBox;
    InstantBox instantBox;
    SystemTimeOfDay clock;
    MersenneRandom random;
    Folder programm;
    programm.p = root + "/programm";
    const bool realMessages = scenario == "shortfall";
    ScreenFlow flow({realMessages ? static_cast<MessageBox&>(realBox) : instantBox, clock, random, programm});
    std::unique_ptr<MAIN> game;
    QElapsedTimer wall;

    constexpr int kLeadMs = 30;
    const auto finish = [&](qint64 doneMs) {
        const std::vector<Stalls> s = sampler.stop();
        std::printf("RESULT %.2f %d %.2f %d %.2f %.2f | at %.0f ms of an action done at %lld ms, %.1f ms on a core and "
                    "%.1f ms waiting for one; samples: %s\n",
                    s[0].longestMs, s[0].overFrame, s[1].longestMs, s[1].overFrame,
                    std::max(s[0].longestGapMs, s[1].longestGapMs), s[0].longestOnCoreMs, s[0].longestAtMs - kLeadMs,
                    doneMs - kLeadMs, s[0].longestOnCoreMs, s[0].longestQueuedMs, qPrintable(s[0].longestWas));
        std::printf("NOTABLE %s\n", qPrintable(s[0].notable.join(QStringLiteral("; "))));
        QCoreApplication::exit(0);
    };
    // Samples from a moment before `action` until `done` holds, and 300 ms on (the first
    // paint and what a closed screen leaves behind).
    const auto measure = [&](std::function<void()> action, std::function<bool()> done) {
        // The idle window first sits in its poll for half a second on end (100 looks, 5 ms apart).
        auto idleLooks = std::make_shared<int>(0);
        const auto settled = [idleLooks, label = static_cast<pid_t>(idle.processId())] {
            *idleLooks = bench::waitsInEventLoop(label, label) ? *idleLooks + 1 : 0;
            return *idleLooks >= 100;
        };
        when(settled, [&, action, done] {
            sampler.start();
            wall.start();
            QTimer::singleShot(kLeadMs, [&, action, done] {
                action();
                when(done, [&] { QTimer::singleShot(300, [&, doneMs = wall.elapsed()] { finish(doneMs); }); });
            });
        });
    };
    const auto gameOnScreen = [&] { return onScreen(flow.game()); };
    const auto options = [&](const QString& folder, int entries, std::function<void()> next) {
        flow.openOptions();
        const QString path = root + "/" + folder;
        // After the load's own listing of the program folder, as a player's double click.
        when([&] { return onScreen(flow.options()) && flow.options()->File1->listCount() > 0; }, [&, path, entries, next] {
            flow.options()->Dir1->openFolder(path);
            when([&, path, entries] { return flow.options()->File1->path() == path && flow.options()->File1->listCount() >= entries; }, next);
        });
    };
    const auto pressStart = [&] { QTest::mouseClick(flow.options()->cmdNimmOptions, Qt::LeftButton); };

    if (scenario == "settings") {
        // The splash's timer, then until well after the next game screen is built ahead.
        flow.start();
        when([&] { return onScreen(flow.intro()); }, [&] {
            measure([&] { flow.intro()->Timer1_Timer(); }, [&] { return wall.elapsed() > 1000; });
        });
    } else if (scenario == "preview") {
        options("vorschau", 1, [&] {
            measure(
                [&] {
                    OPTIONS* o = flow.options();
                    QTest::mouseClick(o->File1->viewport(), Qt::LeftButton, {},
                                      o->File1->visualRect(o->File1->model()->index(0, 0)).center());
                },
                [&] { return flow.options()->imgVorschau->isVisible() && flow.options()->imgVorschau->hasPicture(); });
        });
    } else if (scenario == "start50" || scenario.startsWith("broken")) {
        const bool broken = scenario != "start50";
        const QString folder = broken ? "kaputt" + scenario.mid(6) : "gross";
        const int entries = scenario == "start50" ? 50 : scenario == "broken20k" ? 20000 : 100000;
        options(folder, entries, [&] { measure(pressStart, gameOnScreen); });
    } else if (scenario == "shortfall") {
        options("wenige", 10, [&] {
            pressStart();
            // The message box runs its own loop: from here on everything happens inside it.
            when([] { return onScreen(QApplication::activeModalWidget()); }, [&] {
                measure([] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); }, gameOnScreen);
            });
        });
    } else if (scenario == "deal") {
        game = std::make_unique<MAIN>(Services{instantBox, clock, random, programm}, 10, QStringLiteral("Bench"));
        QStringList larges;
        for (int i = 0; i < 50; ++i)
            larges << QStringLiteral("%1/gross/g%2.jpg").arg(root).arg(i, 2, 10, QLatin1Char('0'));
        for (const QString& p : larges)
            game->appendPicture(p);
        game->tmrLadeBilder->stop(); // the deal comes when measured
        game->show();
        when([&] { return onScreen(game.get()); }, [&, larges] {
            measure(
                [&] {
                    game->tmrLadeBilder_Timer();
                    // A few attempts while the pictures are decoded ahead.
                    for (int attempt = 0; attempt < 5; ++attempt) {
                        QTimer::singleShot(20 + attempt * 60, [&, attempt] {
                            game->cmdBild[2 * attempt]->click();
                            game->cmdBild[2 * attempt + 11]->click();
                        });
                        QTimer::singleShot(50 + attempt * 60, [&] {
                            if (game->tmrKlick->isActive())
                                game->tmrKlick_Timer();
                        });
                    }
                },
                [&, larges] {
                    return std::all_of(larges.begin(), larges.end(),
                                       [&](const QString& p) { return game->pictures().isLoaded(p); });
                });
        });
    } else {
        return 2;
    }
    QTimer::singleShot(180000, [] { QCoreApplication::exit(3); });
    const int code = QApplication::exec();
    idle.kill();
    idle.waitForFinished();
    return code;
}

// The figures of a result line, in its order, as the table shows them.
struct Column {
    const char* heading;
    int field;
    const char* format;
};
const Column kColumns[] = {{"longest ms", 0, "%.1f"},     {"of it on a core", 5, "%.1f"}, {"> 16 ms", 1, "%.0f"},
                           {"idle window ms", 2, "%.1f"}, {"> 16 ms", 3, "%.0f"},         {"sampler gap ms", 4, "%.1f"}};

QString spread(QList<double> v, const char* format)
{
    std::sort(v.begin(), v.end());
    const auto f = [format](double x) { return QString::asprintf(format, x); };
    return v.isEmpty() ? QStringLiteral("-") : f(v[v.size() / 2]) + " (" + f(v.first()) + "-" + f(v.last()) + ")";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && QByteArray(argv[1]) == "--child") {
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_LOGGING_RULES", "qt.gui.imageio*=false");
        return runOne(argv[2], argv[3], 1, argv);
    }
    int runs = 9;
    QByteArray only;
    bool hundred = false;
    bool trace = false; // every run's stretches over a quarter frame
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, atoi(argv[++i]));
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (a == "--100k")
            hundred = true;
        else if (a == "--trace")
            trace = true;
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    makeFixture(root.path(), hundred);
    std::printf("%d runs each; the GUI thread's longest stretch away from its event loop's poll, median "
                "(min-max), and the stretches over 16 ms; the idle window over the same time; %s\n",
                runs, qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "X11");
    std::printf("%-44s", "action");
    for (const Column& c : kColumns)
        std::printf(" %-18s", c.heading);
    std::printf("\n");
    for (const Scenario& s : kScenarios) {
        if ((!only.isEmpty() && only != s.name) || (!hundred && QByteArray(s.name) == "broken100k"))
            continue;
        QList<QList<double>> figures(6);
        QString worstWas;
        for (int run = 0; run < runs; ++run) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), {"--child", s.name, root.path()});
            child.waitForFinished(200000);
            const QByteArray out = child.readAllStandardOutput();
            const int at = out.indexOf("RESULT ");
            if (at < 0) {
                std::printf("%-44s run %d failed (exit %d)\n", s.title, run + 1, child.exitCode());
                continue;
            }
            const QByteArray line = out.mid(at + 7, out.indexOf('\n', at) - at - 7);
            const QList<QByteArray> v = line.left(line.indexOf('|')).simplified().split(' ');
            if (figures[0].isEmpty() || v[0].toDouble() > *std::max_element(figures[0].begin(), figures[0].end()))
                worstWas = QString::fromUtf8(line.mid(line.indexOf('|') + 2));
            for (int i = 0; i < figures.size() && i < v.size(); ++i)
                figures[i] << v[i].toDouble();
            if (trace)
                std::printf("  run %d, from 30 ms before the action: %s\n", run + 1,
                            out.mid(out.indexOf("NOTABLE ") + 8).trimmed().constData());
        }
        std::printf("%-44s", s.title);
        for (const Column& c : kColumns)
            std::printf(" %-18s", qPrintable(spread(figures[c.field], c.format)));
        std::printf("\n  each run's longest:");
        for (double x : figures[0])
            std::printf(" %.1f", x);
        std::printf("\n  the worst run's longest began %s\n", qPrintable(worstWas));
        std::fflush(stdout);
    }
    return 0;
}
