// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a big folder in the folder list: from the double click to both lists on screen,
// and the reading alone, each against a bare readdir of the same folder in the same run.
//   bench_folder   (prints one row per folder size; times are medians of 9 runs)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <utility>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <vector>

#include "ui/DirListBox.h"
#include "ui/FileListBox.h"

using namespace tavik;

namespace {

int bareReaddir(const QString& folder)
{
    int n = 0;
    DIR* d = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent* e = ::readdir(d))
        n += e->d_name[0] != '.';
    ::closedir(d);
    return n;
}

template <typename F>
double timedMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Subject and a bare readdir alternately, so both see the same load on a shared machine;
// the medians of each.
template <typename F, typename G = void (*)()>
std::pair<double, double> againstReaddir(const QString& folder, F&& subject, G&& prepare = [] {})
{
    std::vector<double> subjectTimes, bareTimes;
    for (int i = 0; i < 15; ++i) {
        prepare();
        bareTimes.push_back(timedMs([&] { bareReaddir(folder); }));
        subjectTimes.push_back(timedMs(subject));
    }
    return {median(subjectTimes), median(bareTimes)};
}

void row(const QString& parent, int entries)
{
    const QString folder = QDir(parent).filePath(QString::number(entries));
    QDir().mkpath(folder);
    for (int i = 0; i < entries; ++i) // names as a camera gives them, some with umlauts
        QFile(QStringLiteral("%1/%2%3.%4").arg(folder, i % 7 ? "IMG_" : "Ölgemälde_").arg(i, 6, 10, QLatin1Char('0'))
                  .arg(i % 3 ? "jpg" : "bmp")).open(QIODevice::WriteOnly);

    QWidget window;
    auto* dir = new DirListBox(&window);
    auto* files = new FileListBox(&window);
    dir->setGeometry(0, 0, 120, 96);
    files->setGeometry(130, 0, 140, 110);
    QObject::connect(dir, &DirListBox::pathChanged, files, [dir, files] { files->setListing(dir->path(), dir->files()); });
    window.show();
    QApplication::processEvents();

    const auto [read, bare1] = againstReaddir(folder, [&] { readFolder(folder, {"bmp", "jpg"}); });
    const auto open = [dir](const QString& f) {
        QSignalSpy changed(dir, &DirListBox::pathChanged);
        dir->openFolder(f); // what a double click does
        changed.wait(5000);
    };
    const auto [toScreen, bare2] = againstReaddir(folder, [&] {
        open(folder);
        files->repaint();
        dir->repaint();
    }, [&] { open(parent); });
    const double baseline = (bare1 + bare2) / 2;
    open(folder);
    std::printf("%-9d %10.2f %10.2f %7.2fx %16.2f %7.2fx %8d\n", entries, baseline, read, read / bare1,
                toScreen, toScreen / bare2, files->listCount());
}

} // namespace

// bench_folder --read FOLDER [ROUNDS]: only the reading of an existing folder against a bare
// readdir, over many rounds (for a profiler).
int readOnly(const QString& folder, int rounds)
{
    std::vector<double> read, bare;
    for (int i = 0; i < rounds; ++i) {
        bare.push_back(timedMs([&] { bareReaddir(folder); }));
        read.push_back(timedMs([&] { readFolder(folder, {"bmp", "jpg"}); }));
    }
    std::printf("readdir %.2f ms, read %.2f ms, ratio %.2fx\n", median(bare), median(read), median(read) / median(bare));
    return 0;
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc >= 3 && QByteArray(argv[1]) == "--read")
        return readOnly(QString::fromLocal8Bit(argv[2]), argc >= 4 ? std::atoi(argv[3]) : 41);
    QTemporaryDir dir;
    std::printf("%-9s %10s %10s %8s %16s %8s %8s\n", "entries", "readdir_ms", "read_ms", "ratio", "dblclick_to_list",
                "ratio", "listed");
    for (int entries : {20000, 100000})
        row(dir.path(), entries);
    return 0;
}
