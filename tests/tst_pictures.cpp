// SPDX-License-Identifier: GPL-3.0-or-later
// The picture subsystem on files found in the wild: which are taken into a game, which can
// be shown, what the cost model says before any decoding, and how a shown picture comes
// out (upright, at the exact drawn size, never from memory the file did not fill).

#include <QtTest>

#include <atomic>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "pictures/CostModel.h"
#include "pictures/Fit.h"
#include "pictures/PictureDecoder.h"
#include "pictures/PictureHeader.h"
#include "tests/HostilePictures.h"
#include "tests/PictureOracles.h"
#include "tests/TestPictures.h"

Q_DECLARE_METATYPE(tavik::PictureHeader)

using namespace tavik;
using namespace tavik::test;

namespace {

// "file:<name>" is a committed file; anything else is made on the spot.
QByteArray bytesOf(const QString& kind)
{
    if (kind.startsWith("file:")) {
        QFile file(hostileDataFolder() + "/" + kind.mid(5));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    if (kind == "jpeg")
        return jpegWithOrientation(hostileReference(), 1);
    if (kind == "bmp") {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        hostileReference().save(&buffer, "BMP");
        return data;
    }
    return hostilePicture(kind);
}

QString verdictOf(const QByteArray& bytes)
{
    const std::optional<PictureHeader> header = inspectPicture(bytes);
    if (!header)
        return "no header";
    const QSize largest = fitInto(header->upright(), QSize(kLargestDrawnSide, kLargestDrawnSide));
    return withinBudget(predictDecodeCost(*header, bytes.size(), largest)) ? "within" : "over";
}

bool reddish(QRgb c)
{
    return qRed(c) > 200 && qBlue(c) < 60;
}
bool bluish(QRgb c)
{
    return qBlue(c) > 200 && qRed(c) < 60;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The damaged files make the JPEG decoder complain at length; the complaints are expected.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg=false"));
    }

    void filesFromTheWild_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("verdict"); // the header and cost model, before decoding
        QTest::addColumn<bool>("taken");      // into a game
        QTest::addColumn<bool>("shown");      // decoded into a box
        // Refused by the cost model before any decoding.
        QTest::newRow("arithmetic progressive CMYK 4096x4096, 45 scans, under 1 KB")
            << "file:arith-progressive-cmyk.jpg" << "a.jpg" << "over" << false << false;
        // Begins like a JPEG, ends after 16 bytes.
        QTest::newRow("16 bytes that begin like a JPEG") << "jpeg-16-bytes" << "a.jpg" << "no header" << false << false;
        QTest::newRow("JPEG cut in its scan data") << "jpeg-truncated" << "a.jpg" << "no header" << false << false;
        QTest::newRow("lossless JPEG frame") << "jpeg-lossless" << "a.jpg" << "no header" << false << false;
        // Named like a bitmap, but another format by its bytes.
        QTest::newRow("GIF named .bmp, huge logical screen") << "gif-huge-screen" << "a.bmp" << "no header" << false
                                                              << false;
        QTest::newRow("interlaced 16384x1024 PNG named .bmp") << "png-interlaced-16384x1024" << "a.bmp"
                                                               << "no header" << false << false;
        QTest::newRow("PPM declaring 16384x1024, no data") << "ppm-no-data" << "a.bmp" << "no header" << false << false;
        QTest::newRow("PBM declaring 16384x1024, no data") << "pbm-no-data" << "a.bmp" << "no header" << false << false;
        // Bitmaps whose header cannot be right.
        QTest::newRow("BMP with all-ones bit masks, 16-bit") << "bmp-all-ones-masks" << "a.bmp" << "no header" << false
                                                              << false;
        QTest::newRow("BMP with all-ones bit masks, 32-bit") << "bmp-all-ones-masks-32" << "a.bmp" << "no header"
                                                              << false << false;
        QTest::newRow("BMP palette count 0x7fffffff") << "bmp-palette-7fffffff" << "a.bmp" << "no header" << false
                                                       << false;
        // Bitmaps shorter than their header says, or leaving pixels unset.
        QTest::newRow("truncated BMP, bit fields") << "bmp-bitfields-truncated" << "a.bmp" << "no header" << false
                                                   << false;
        QTest::newRow("truncated BMP, RLE8") << "bmp-rle8-truncated" << "a.bmp" << "no header" << false << false;
        QTest::newRow("truncated BMP, RLE4") << "bmp-rle4-truncated" << "a.bmp" << "no header" << false << false;
        QTest::newRow("truncated BMP, OS/2 12-byte header") << "bmp-os2-truncated" << "a.bmp" << "no header" << false
                                                            << false;
        QTest::newRow("top-down BMP one byte short") << "bmp-top-down-short-by-one" << "a.bmp" << "no header" << false
                                                     << false;
        QTest::newRow("RLE8 BMP ending a row early") << "bmp-rle8-short-row" << "a.bmp" << "no header" << false
                                                     << false;
        QTest::newRow("RLE8 BMP jumping over pixels") << "bmp-rle8-jump" << "a.bmp" << "no header" << false << false;
        // Valid bitmaps of every kind, the top-down one included.
        QTest::newRow("top-down BMP, negative height") << "bmp-top-down" << "a.bmp" << "within" << true << true;
        QTest::newRow("BMP, bit fields 5-6-5") << "bmp-bitfields" << "a.bmp" << "within" << true << true;
        QTest::newRow("BMP, RLE8") << "bmp-rle8" << "a.bmp" << "within" << true << true;
        QTest::newRow("BMP, RLE4") << "bmp-rle4" << "a.bmp" << "within" << true << true;
        QTest::newRow("BMP, OS/2 12-byte header") << "bmp-os2" << "a.bmp" << "within" << true << true;
        QTest::newRow("BMP, OS/2 12-byte header, 8-bit palette") << "bmp-os2-8bit" << "a.bmp" << "within" << true
                                                                  << true;
        QTest::newRow("BMP, 124-byte header") << "bmp-v5" << "a.bmp" << "within" << true << true;
        QTest::newRow("BMP as Qt writes it") << "bmp" << "a.bmp" << "within" << true << true;
        // The byte limit of the name holds whatever the content.
        QTest::newRow("6.4 MB JPEG") << "jpeg-6.4MB" << "a.jpg" << "over" << false << false;
        QTest::newRow("JPEG") << "jpeg" << "a.jpg" << "within" << true << true;
        QTest::newRow("JPEG named .bmp") << "jpeg" << "a.bmp" << "within" << true << true;
        QTest::newRow("BMP named .jpg") << "bmp" << "a.jpg" << "within" << true << true;
        QTest::newRow("JPEG named .png") << "jpeg" << "a.png" << "within" << false << false;
    }
    void filesFromTheWild()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, verdict);
        QFETCH(bool, taken);
        QFETCH(bool, shown);
        const QByteArray bytes = bytesOf(kind);
        QVERIFY(!bytes.isEmpty());
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(writeBytes(path, bytes));

        QCOMPARE(verdictOf(bytes), verdict);
        QCOMPARE(acceptableForGame(path), taken);
        const Decoded d = decodeFitted(path, QSize(169, 169), 1.0);
        QCOMPARE(!d.image.isNull(), shown);
        if (!shown)
            return;
        // Every shown picture is the reference: red above, blue below, fitted 169 x 84.
        QCOMPARE(d.fitted, QSize(169, 84));
        QCOMPARE(d.image.size(), QSize(169, 84));
        QVERIFY(reddish(d.image.pixel(84, 10)));
        QVERIFY(bluish(d.image.pixel(84, 74)));
    }

    // The cost model alone, on headers as the inspection would report them: each row is
    // over the budget in processor time, in memory, in both or in neither.
    void costModel_data()
    {
        QTest::addColumn<PictureHeader>("header");
        QTest::addColumn<qint64>("fileBytes");
        QTest::addColumn<bool>("cpuOver");
        QTest::addColumn<bool>("memoryOver");
        auto jpeg = [](int side, int components, bool progressive, bool arithmetic, int scans, qint64 blockScans) {
            PictureHeader h;
            h.stored = QSize(side, side);
            h.components = components;
            h.progressive = progressive;
            h.arithmetic = arithmetic;
            h.scans = scans;
            h.blocks = qint64(side / 8) * (side / 8) * components;
            h.blockScans = blockScans < 0 ? h.blocks : blockScans;
            return h;
        };
        auto bitmap = [](int side, int bits) {
            PictureHeader h;
            h.format = PictureFormat::Bmp;
            h.stored = QSize(side, side);
            h.bitsPerPixel = bits;
            return h;
        };
        const qint64 cmyk4096 = 4ll * 512 * 512;
        QTest::newRow("arithmetic progressive CMYK 4096, 45 scans")
            << jpeg(4096, 4, true, true, 45, cmyk4096 * 12) << qint64(1471) << true << true;
        QTest::newRow("Huffman progressive CMYK 4096, 5 scans: all coefficients held")
            << jpeg(4096, 4, true, false, 5, cmyk4096 * 2) << qint64(20000) << false << true;
        QTest::newRow("arithmetic sequential CMYK 16384, one scan")
            << jpeg(16384, 4, false, true, 1, -1) << qint64(5000) << true << false;
        QTest::newRow("baseline colour 4096, one scan") << jpeg(4096, 3, false, false, 1, -1) << qint64(70000) << false
                                                         << false;
        QTest::newRow("ordinary photo 1024, progressive") << jpeg(1024, 3, true, false, 10, -1) << qint64(70000)
                                                           << false << false;
        QTest::newRow("8-bit bitmap 2800") << bitmap(2800, 8) << qint64(70000) << false << false;
        QTest::newRow("8-bit bitmap 4000") << bitmap(4000, 8) << qint64(140000) << false << true;
        QTest::newRow("8-bit bitmap 16000") << bitmap(16000, 8) << qint64(700000) << true << true;
    }
    void costModel()
    {
        QFETCH(PictureHeader, header);
        QFETCH(qint64, fileBytes);
        QFETCH(bool, cpuOver);
        QFETCH(bool, memoryOver);
        const DecodeCost cost = predictDecodeCost(header, fileBytes, QSize(338, 338));
        QCOMPARE(cost.cpuMs > kBudgetCpuMs, cpuOver);
        QCOMPARE(cost.bytes > kBudgetBytes, memoryOver);
        QCOMPARE(withinBudget(cost), !cpuOver && !memoryOver);
    }

    // A file collected while small and swapped for a large one before it is shown.
    void aFileSwappedAfterTheCollectionIsNotDecoded()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.jpg");
        QVERIFY(writeBytes(path, bytesOf("jpeg")));
        QVERIFY(acceptableForGame(path));
        QVERIFY(writeBytes(path, hostilePicture("jpeg-6.4MB")));
        const qint64 before = test::bytesReadByThisProcess();
        const Decoded d = decodeFitted(path, QSize(169, 169), 2.0);
        QVERIFY(d.image.isNull());
        QVERIFY(!d.fitted.isValid());
        QVERIFY2(test::bytesReadByThisProcess() - before < 75000, "refused by its length, not read");
    }

    void exifOrientation_data()
    {
        QTest::addColumn<int>("orientation");
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("orientation %d", o) << o;
    }
    // A portrait photo stored on its side: measured, fitted and shown upright.
    void exifOrientation()
    {
        QFETCH(int, orientation);
        QImage portrait(40, 60, QImage::Format_RGB32);
        portrait.fill(Qt::blue);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                portrait.setPixel(x, y, qRgb(255, 0, 0));
        QTemporaryDir dir;
        const QString path = dir.filePath("photo.jpg");
        QVERIFY(writeBytes(path, jpegWithOrientation(portrait, orientation)));
        QCOMPARE(uprightSize(path), std::optional<QSize>(QSize(40, 60)));
        QVERIFY(acceptableForGame(path));
        for (qreal dpr : {1.0, 2.0}) {
            const Decoded d = decodeFitted(path, QSize(169, 169), dpr);
            QCOMPARE(d.fitted, QSize(112, 169));
            QCOMPARE(d.image.size(), QSize(qRound(112 * dpr), qRound(169 * dpr)));
            QCOMPARE(d.image.devicePixelRatio(), dpr);
            const int w = d.image.width(), h = d.image.height();
            QVERIFY(reddish(d.image.pixel(w / 2, h / 8)));
            QVERIFY(bluish(d.image.pixel(w / 2, h - h / 8)));
            QVERIFY(reddish(d.image.pixel(w / 8, h / 8)) && reddish(d.image.pixel(w - w / 8, h / 8)));
        }
    }

    // A picture drawn at its own size at the device pixel ratio is decoded once, not blurred:
    // one-pixel stripes stay pure black and white.
    void aPictureAtItsDrawnSizeKeepsEveryPixel()
    {
        QImage stripes(338, 338, QImage::Format_RGB32);
        for (int y = 0; y < 338; ++y)
            for (int x = 0; x < 338; ++x)
                stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        QTemporaryDir dir;
        const QString path = dir.filePath("stripes.bmp");
        QVERIFY(stripes.save(path, "BMP"));
        const Decoded d = decodeFitted(path, QSize(169, 169), 2.0);
        QCOMPARE(d.fitted, QSize(169, 169));
        QCOMPARE(d.image.size(), QSize(338, 338));
        QCOMPARE(d.image.devicePixelRatio(), 2.0);
        stripes.setDevicePixelRatio(2.0);
        QCOMPARE(d.image.convertToFormat(QImage::Format_RGB32), stripes);
    }

    // The standard pictures fill any board and stay sharp on a screen at twice the density.
    void standardPicturesAreTakenAndSharpAtTwice()
    {
        const QDir folder(QStringLiteral(TAVIK_TEST_DATA "/../../resources/pictures"));
        const QStringList names = folder.entryList({"*.jpg"}, QDir::Files, QDir::Name);
        QCOMPARE(names.size(), 50);
        for (const QString& name : names) {
            const QString path = folder.filePath(name);
            QVERIFY2(acceptableForGame(path), qPrintable(name));
            const std::optional<QSize> size = uprightSize(path);
            QVERIFY(size && size->width() >= 2 * 169 && size->height() >= 2 * 169);
        }
    }

    // Damaged copies of valid files of each kind: whatever the header inspection lets through
    // decodes to exactly the size asked for, and nothing reads outside the file's bytes (the
    // sanitizer build watches that).
    void damagedFilesNeverCrashTheDecoder()
    {
        QTemporaryDir dir;
        quint32 seed = 2026;
        auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
        int inspected = 0;
        for (const QString kind : {"jpeg", "bmp", "bmp-rle8", "bmp-rle4", "bmp-os2", "bmp-bitfields"}) {
            const QByteArray good = bytesOf(kind);
            const QString path = dir.filePath(kind == "jpeg" ? "a.jpg" : "a.bmp");
            for (int round = 0; round < 60; ++round) {
                QByteArray bytes = good;
                const int changes = 1 + int(next() % 4);
                for (int c = 0; c < changes; ++c) {
                    // Mostly the header, where a change matters most.
                    const int at = int(next() % quint32(next() % 2 ? std::min<qsizetype>(80, bytes.size()) : bytes.size()));
                    bytes[at] = char(next() >> 24);
                }
                if (next() % 5 == 0)
                    bytes.truncate(qsizetype(next() % quint32(bytes.size())));
                QVERIFY(writeBytes(path, bytes));
                const bool sane = inspectPicture(bytes).has_value();
                inspected += sane ? 1 : 0;
                const QImage image = decodeExactly(path, QSize(20, 10));
                QVERIFY(image.isNull() || (sane && image.size() == QSize(20, 10)));
            }
        }
        QVERIFY(inspected > 0); // some damage leaves a readable picture
    }

    // The functions keep no state: several threads decoding at once get what one thread gets.
    void decodesOnSeveralThreadsAtOnce()
    {
        QTemporaryDir dir;
        QStringList paths;
        for (const QString kind : {"jpeg", "bmp", "bmp-rle8", "bmp-os2", "bmp-top-down"}) {
            paths << dir.filePath(kind + (kind == "jpeg" ? ".jpg" : ".bmp"));
            QVERIFY(writeBytes(paths.last(), bytesOf(kind)));
        }
        QList<QImage> alone;
        for (const QString& path : paths)
            alone << decodeFitted(path, QSize(169, 169), 2.0).image;
        std::atomic<int> differing{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int round = 0; round < 5; ++round)
                    for (int i = 0; i < paths.size(); ++i)
                        if (decodeFitted(paths[i], QSize(169, 169), 2.0).image != alone[i] || !acceptableForGame(paths[i]))
                            ++differing;
            });
        for (std::thread& t : threads)
            t.join();
        QCOMPARE(differing.load(), 0);
    }

    // A file the player may not read is neither taken nor shown. Run as an ordinary user,
    // since the superuser reads everything.
    void anUnreadableFileIsNeitherTakenNorShown()
    {
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                              | QFileDevice::ReadOther | QFileDevice::ExeOther);
        const QString locked = dir.filePath("locked.jpg"), open = dir.filePath("open.jpg");
        QVERIFY(writeBytes(locked, bytesOf("jpeg")));
        QVERIFY(writeBytes(open, bytesOf("jpeg")));
        QFile::setPermissions(locked, {});
        QFile::setPermissions(open, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        QVERIFY(acceptableForGame(open)); // loads the decoder before the fork
        // Child exit code: bit 0 the locked file taken, bit 1 shown, bit 2 the open one not taken.
        const pid_t child = ::fork();
        if (child == 0) {
            if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(100);
            int result = acceptableForGame(locked) ? 1 : 0;
            result |= decodeFitted(locked, QSize(169, 169), 1.0).image.isNull() ? 0 : 2;
            result |= acceptableForGame(open) ? 0 : 4;
            ::_exit(result);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == 100)
            QSKIP("cannot drop to an ordinary user here");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    // Bitmap rows are padded to four bytes: every width modulo 32 pixels lands on another
    // padding, and a file one byte short of its last row is refused.
    void bitmapRowPadding_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("width");
        for (const auto& [name, format] : {std::pair{"24-bit", QImage::Format_RGB888},
                                           std::pair{"8-bit palette", QImage::Format_Indexed8},
                                           std::pair{"1-bit", QImage::Format_Mono}})
            for (int width : {1, 2, 3, 5, 31, 33})
                QTest::addRow("%s, %d px wide", name, width) << int(format) << width;
    }
    void bitmapRowPadding()
    {
        QFETCH(int, format);
        QFETCH(int, width);
        QImage image(width, 7, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 0; y < 7; ++y)
            image.setPixel(width - 1, y, qRgb(0, 0, 0)); // the last column sits next to the padding
        image = image.convertToFormat(QImage::Format(format));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "BMP"));

        const std::optional<PictureHeader> header = inspectBmp(bytes);
        QVERIFY(header);
        QCOMPARE(header->stored, QSize(width, 7));
        QVERIFY(!inspectBmp(bytes.chopped(1)));

        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath("a.bmp"), bytes));
        const Decoded d = decodeFitted(dir.filePath("a.bmp"), QSize(169, 169), 1.0);
        QCOMPARE(d.image.size(), fitInto(QSize(width, 7), QSize(169, 169)));
        const QSize last = d.image.size() - QSize(1, 1);
        QVERIFY(qGray(d.image.pixel(last.width(), 0)) < 64 && qGray(d.image.pixel(last.width(), last.height())) < 64);
        if (width > 1)
            QVERIFY(qGray(d.image.pixel(0, 0)) > 192 && qGray(d.image.pixel(0, last.height())) > 192);
    }

    void fit_data()
    {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("wide into a square") << QSize(300, 200) << QSize(169, 169) << QSize(169, 112);
        QTest::newRow("tall into a square") << QSize(200, 300) << QSize(169, 169) << QSize(112, 169);
        QTest::newRow("too wide to have a height") << QSize(2000, 10) << QSize(169, 169) << QSize(169, 0);
        QTest::newRow("square into a wide area") << QSize(50, 50) << QSize(200, 100) << QSize(100, 100);
        QTest::newRow("wide into a wide area") << QSize(400, 100) << QSize(200, 100) << QSize(200, 50);
    }
    void fit()
    {
        QFETCH(QSize, natural);
        QFETCH(QSize, area);
        QFETCH(QSize, fitted);
        QCOMPARE(fitInto(natural, area), fitted);
    }
};

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
