// SPDX-License-Identifier: GPL-3.0-or-later
// Makes JPEG files the image writer cannot make (arithmetic coding, CMYK, many scans) and
// measures what decoding picture files really costs against what the cost model predicts.
//   picture_cost make <folder>        writes the calibration set and the committed hostile
//                                     file tests/data/pictures/arith-progressive-cmyk.jpg
//   picture_cost measure <files...>   one line per file: predicted and measured CPU and memory
//   picture_cost raw <files...>       the same decode without the model's guard
//   picture_cost time <files...>      median wall time into the 169-pixel box at 1 and 2
//   picture_cost reject <folder> <n>  time per file to turn away files that are no pictures
// Each file is measured in a child process of its own, so its peak memory is its own.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdio>
#include <jpeglib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "pictures/CostModel.h"
#include "pictures/PictureDecoder.h"
#include "pictures/PictureHeader.h"

namespace {

struct JpegRecipe {
    const char* name;
    int width, height, components;
    bool arithmetic, progressive;
    int acBands; // AC scans per component in a progressive file (first pass only)
    bool noisy;
    bool tiled = false; // the same noisy 8 x 8 tile everywhere: arithmetic coding packs it into almost nothing
    int quality = 75;
    int acLowBit = 0; // successive approximation left unrefined: the decoder smooths every block
};

// A progressive scan script: one interleaved DC scan, then `bands` AC scans per component,
// each leaving its lowest `lowBit` bits out.
std::vector<jpeg_scan_info> scanScript(int components, int bands, int lowBit = 0)
{
    static const int edges[] = {1, 2, 3, 4, 5, 6, 9, 15, 21, 28, 41, 64};
    std::vector<jpeg_scan_info> scans;
    jpeg_scan_info dc{};
    dc.comps_in_scan = components;
    for (int c = 0; c < components; ++c)
        dc.component_index[c] = c;
    scans.push_back(dc);
    const int used = std::min(bands, 11);
    for (int c = 0; c < components; ++c)
        for (int b = 0; b < used; ++b) {
            jpeg_scan_info ac{};
            ac.comps_in_scan = 1;
            ac.component_index[0] = c;
            ac.Ss = edges[b];
            ac.Se = b == used - 1 ? 63 : edges[b + 1] - 1;
            ac.Al = lowBit;
            scans.push_back(ac);
        }
    return scans;
}

bool writeJpeg(const JpegRecipe& s, const QString& path)
{
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(s.width);
    cinfo.image_height = JDIMENSION(s.height);
    cinfo.input_components = s.components;
    cinfo.in_color_space = s.components == 4 ? JCS_CMYK : s.components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, s.quality, TRUE);
    cinfo.arith_code = s.arithmetic ? TRUE : FALSE;
    std::vector<jpeg_scan_info> scans;
    if (s.progressive) {
        scans = scanScript(s.components, s.acBands, s.acLowBit);
        cinfo.scan_info = scans.data();
        cinfo.num_scans = int(scans.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(s.width) * s.components);
    unsigned seed = 12345;
    while (cinfo.next_scanline < cinfo.image_height) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (s.tiled) {
                const size_t x = (i / size_t(s.components)) % 8, c = i % size_t(s.components);
                seed = unsigned((x * 131 + c * 71 + cinfo.next_scanline % 8 * 17) * 2654435761u);
            } else {
                seed = seed * 1103515245u + 12345u;
            }
            row[i] = s.noisy ? JSAMPLE(seed >> 24) : JSAMPLE(0);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
    return true;
}

// The worst a small arithmetic-coded file can ask: every coefficient of every block set, the
// same in every block, so the adaptive coder packs it into almost nothing while the decoder
// still has to work through each coefficient of each scan.
bool writeDenseCoefficients(const JpegRecipe& s, const QString& path)
{
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(s.width);
    cinfo.image_height = JDIMENSION(s.height);
    cinfo.input_components = s.components;
    cinfo.in_color_space = s.components == 4 ? JCS_CMYK : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, cinfo.in_color_space);
    cinfo.arith_code = s.arithmetic ? TRUE : FALSE;
    const JDIMENSION bw = JDIMENSION((s.width + 7) / 8), bh = JDIMENSION((s.height + 7) / 8);
    std::vector<jvirt_barray_ptr> arrays(size_t(s.components));
    for (auto& a : arrays)
        a = (*cinfo.mem->request_virt_barray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, TRUE, bw, bh, 1);
    std::vector<jpeg_scan_info> scans;
    if (s.progressive) {
        scans = scanScript(s.components, s.acBands);
        cinfo.scan_info = scans.data();
        cinfo.num_scans = int(scans.size());
    }
    jpeg_write_coefficients(&cinfo, arrays.data());
    for (auto& a : arrays)
        for (JDIMENSION y = 0; y < bh; ++y) {
            JBLOCKARRAY row = (*cinfo.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&cinfo), a, y, 1, TRUE);
            for (JDIMENSION x = 0; x < bw; ++x)
                for (int k = 0; k < 64; ++k)
                    row[0][x][k] = JCOEF(k == 0 ? 0 : 1);
        }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
    return true;
}

int make(const QString& folder)
{
    const JpegRecipe dense[] = {
        {"cal-dense-arith-progressive-cmyk-4096", 4096, 4096, 4, true, true, 11, false},
        {"cal-dense-arith-cmyk-2048", 2048, 2048, 4, true, false, 0, false},
        {"cal-dense-arith-progressive-grey-1024", 1024, 1024, 1, true, true, 11, false},
        {"cal-dense-arith-grey-1024", 1024, 1024, 1, true, false, 0, false},
    };
    for (const JpegRecipe& s : dense)
        if (!writeDenseCoefficients(s, folder + "/" + s.name + ".jpg"))
            return 1;
    const JpegRecipe recipes[] = {
        {"arith-progressive-cmyk", 4096, 4096, 4, true, true, 11, false},
        {"cal-unrefined-arith-progressive-cmyk-4096", 4096, 4096, 4, true, true, 11, false, false, 75, 1},
        {"cal-unrefined-progressive-grey-2048", 2048, 2048, 1, false, true, 11, false, false, 75, 1},
        {"cal-unrefined-arith-progressive-grey-2048", 2048, 2048, 1, true, true, 11, false, false, 75, 1},
        {"cal-baseline-rgb-4096", 4096, 4096, 3, false, false, 0, false},
        {"cal-baseline-cmyk-4096", 4096, 4096, 4, false, false, 0, false},
        {"cal-baseline-grey-2048", 2048, 2048, 1, false, false, 0, false},
        {"cal-progressive-rgb-2048", 2048, 2048, 3, false, true, 11, false},
        {"cal-progressive-rgb-1024", 1024, 1024, 3, false, true, 11, false},
        {"cal-arith-rgb-2048", 2048, 2048, 3, true, false, 0, false},
        {"cal-arith-progressive-grey-2048", 2048, 2048, 1, true, true, 11, false},
        {"cal-arith-progressive-rgb-1024", 1024, 1024, 3, true, true, 4, false},
        {"cal-noisy-rgb-160", 160, 160, 3, false, false, 0, true},
        {"cal-noisy-progressive-rgb-160", 160, 160, 3, false, true, 11, true},
        {"cal-noisy-arith-rgb-160", 160, 160, 3, true, false, 0, true},
        {"cal-tiled-arith-progressive-cmyk-4096", 4096, 4096, 4, true, true, 11, true, true, 100},
        {"cal-tiled-arith-cmyk-2048", 2048, 2048, 4, true, false, 0, true, true, 100},
        {"cal-tiled-arith-progressive-rgb-1024", 1024, 1024, 3, true, true, 11, true, true, 100},
        {"cal-tiled-arith-rgb-1024", 1024, 1024, 3, true, false, 0, true, true, 100},
        {"cal-tiled-progressive-rgb-1024", 1024, 1024, 3, false, true, 11, true, true, 100},
    };
    for (const JpegRecipe& s : recipes) {
        const QString path = folder + "/" + s.name + ".jpg";
        if (!writeJpeg(s, path))
            return 1;
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}

// Decodes in a child and reports its user+system time and peak resident memory.
void measure(const QString& path, QSize area, qreal dpr)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return;
    const pid_t child = ::fork();
    if (child == 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const tavik::Decoded d = tavik::decodeFitted(path, area, dpr);
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
        const double cpu = ms(after.ru_utime) + ms(after.ru_stime) - ms(before.ru_utime) - ms(before.ru_stime);
        const double grownMb = (after.ru_maxrss - before.ru_maxrss) / 1024.0;
        char line[160];
        const int n = std::snprintf(line, sizeof line, "%8.1f ms %7.1f MB %s", cpu, grownMb,
                                    d.image.isNull() ? "refused" : "decoded");
        if (::write(pipeFd[1], line, size_t(n)) < 0)
            ::_exit(1);
        ::_exit(0);
    }
    ::close(pipeFd[1]);
    char line[160] = {};
    const ssize_t n = ::read(pipeFd[0], line, sizeof line - 1);
    ::close(pipeFd[0]);
    ::waitpid(child, nullptr, 0);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const auto header = tavik::inspectPicture(bytes);
    QString predicted = "no sane header";
    if (header) {
        const QSize device = header->upright().scaled(area * dpr, Qt::KeepAspectRatio);
        const tavik::DecodeCost c = tavik::predictDecodeCost(*header, bytes.size(), device);
        predicted = QString::asprintf("%8.1f ms %7.1f MB scans %2d", c.cpuMs, c.bytes / 1048576.0, header->scans);
    }
    std::printf("%-48s predicted %s | measured %s\n", qPrintable(path.section('/', -1)), qPrintable(predicted),
                n > 0 ? line : "crashed");
}

// Decodes bypassing the model: the true cost of what the model would refuse.
void measureRaw(const QString& path, QSize device)
{
    const pid_t child = ::fork();
    if (child == 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        QImage image;
        QImageReader reader(path);
        reader.setAllocationLimit(0);
        reader.setScaledSize(device);
        reader.read(&image);
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
        std::printf("%-48s unguarded %8.1f ms %7.1f MB %s\n", qPrintable(path.section('/', -1)),
                    ms(after.ru_utime) + ms(after.ru_stime) - ms(before.ru_utime) - ms(before.ru_stime),
                    (after.ru_maxrss - before.ru_maxrss) / 1024.0, image.isNull() ? "null" : "decoded");
        std::fflush(stdout);
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
}

// Median wall time of decodeFitted into the 169-pixel box at 1 and 2 device pixels per pixel.
void timeDecodes(const QString& path)
{
    for (qreal dpr : {1.0, 2.0}) {
        std::vector<double> ms;
        QElapsedTimer clock;
        bool shown = true;
        for (int i = 0; i < 41; ++i) {
            clock.start();
            const tavik::Decoded d = tavik::decodeFitted(path, QSize(169, 169), dpr);
            ms.push_back(clock.nsecsElapsed() / 1e6);
            shown = !d.image.isNull();
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-40s dpr %.0f: median %.3f ms wall (min %.3f), %s\n", qPrintable(path.section('/', -1)), dpr,
                    ms[ms.size() / 2], ms.front(), shown ? "shown" : "refused");
    }
    std::vector<double> ms;
    QElapsedTimer clock;
    bool taken = false;
    for (int i = 0; i < 41; ++i) {
        clock.start();
        taken = tavik::acceptableForGame(path);
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s acceptance: median %.3f ms wall, %s\n", qPrintable(path.section('/', -1)), ms[ms.size() / 2],
                taken ? "taken" : "not taken");
}

// How fast files that are no pictures are turned away: `count` 16-byte files that begin like
// a JPEG, and as many text files named .jpg.
void timeRejections(const QString& folder, int count)
{
    const QByteArray jpegStart("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00", 16);
    for (const char* kind : {"jpeg-start", "text"}) {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const QString path = QStringLiteral("%1/%2-%3.jpg").arg(folder, QLatin1String(kind)).arg(i);
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(kind[0] == 'j' ? jpegStart : QByteArray("just some words, no picture at all\n"));
            paths << path;
        }
        QElapsedTimer clock;
        clock.start();
        int taken = 0;
        for (const QString& path : paths)
            taken += tavik::acceptableForGame(path) ? 1 : 0;
        const double us = clock.nsecsElapsed() / 1e3 / count;
        std::printf("%-10s %d files: %.2f us per file on one thread, %d taken\n", kind, count, us, taken);
        for (const QString& path : paths)
            QFile::remove(path);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == "make")
        return make(args[2]);
    if (args.size() >= 3 && args[1] == "time") {
        for (const QString& path : args.mid(2))
            timeDecodes(path);
        return 0;
    }
    if (args.size() >= 4 && args[1] == "reject") {
        timeRejections(args[2], args[3].toInt());
        return 0;
    }
    if (args.size() >= 3 && (args[1] == "measure" || args[1] == "raw")) {
        for (const QString& path : args.mid(2)) {
            if (args[1] == "raw")
                measureRaw(path, QSize(338, 338));
            else
                for (qreal dpr : {1.0, 2.0})
                    measure(path, QSize(169, 169), dpr);
        }
        return 0;
    }
    std::fprintf(stderr, "usage: picture_cost make <folder> | measure|raw|time <files...> | reject <folder> <count>\n");
    return 2;
}
