#include "pictures/PictureDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QTransform>

#include <cmath>

#include "pictures/ByteLimits.h"
#include "pictures/CostModel.h"
#include "pictures/Fit.h"
#include "pictures/PictureFileBytes.h"
#include "pictures/PictureHeader.h"
#include "pictures/PictureLog.h"

namespace tavik {

namespace {

struct Inspected {
    QByteArray bytes;
    PictureHeader header;
};

// The file's bytes and header, when it is within `maxBytes` and a sane JPEG or BMP.
std::optional<Inspected> inspectFile(const QString& path, qint64 maxBytes)
{
    if (maxBytes <= 0) {
        qCInfo(lcPictures) << "refused, not a picture name:" << path;
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = readPictureBytes(path, maxBytes);
    if (!bytes)
        return std::nullopt;
    std::optional<PictureHeader> header = inspectPicture(*bytes);
    if (!header) {
        qCInfo(lcPictures) << "refused, header not sane or data short:" << path;
        return std::nullopt;
    }
    return Inspected{std::move(*bytes), *header};
}

bool affordable(const Inspected& in, QSize device, const QString& path)
{
    const DecodeCost cost = predictDecodeCost(in.header, in.bytes.size(), device);
    if (withinBudget(cost))
        return true;
    qCInfo(lcPictures) << "refused, over budget:" << path << in.header.stored << "predicted" << cost.cpuMs << "ms"
                       << cost.bytes / (1024 * 1024) << "MB";
    return false;
}

// Turns a decoded picture as its EXIF orientation says. Done here rather than by the reader,
// so that the turn is the one the header inspection found and measured.
QImage upright(QImage image, int orientation)
{
    switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.transformed(QTransform().rotate(90)).mirrored(true, false);  // transpose
    case 6: return image.transformed(QTransform().rotate(90));
    case 7: return image.transformed(QTransform().rotate(-90)).mirrored(true, false); // transverse
    case 8: return image.transformed(QTransform().rotate(-90));
    default: return image;
    }
}

// Decodes the checked bytes straight to `device` (the upright size): the JPEG decoder
// scales while it decodes; a bitmap is read whole and scaled once, smoothly. Null when the
// decoder fails.
QImage decodeBytes(const Inspected& in, QSize device)
{
    QByteArray bytes = in.bytes; // shares the data; QBuffer wants a non-const array
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, in.header.format == PictureFormat::Jpeg ? "jpeg" : "bmp");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(int(kBudgetBytes / (1024 * 1024))); // a second fence behind the cost model
    reader.setAutoTransform(false);
    const bool quarterTurn = in.header.upright() != in.header.stored;
    const QSize stored = quarterTurn ? device.transposed() : device;
    reader.setScaledSize(stored);
    QImage image;
    if (!reader.read(&image) || image.size() != stored)
        return {};
    return upright(std::move(image), in.header.orientation);
}

QSize deviceSize(QSize fitted, qreal dpr)
{
    return QSize(std::max(1, int(std::lround(fitted.width() * dpr))), std::max(1, int(std::lround(fitted.height() * dpr))));
}

} // namespace

Decoded decodeFitted(const QString& path, QSize area, qreal dpr)
{
    return decodeForBox(path, [area](QSize upright) { return fitInto(upright, area); }, 0, dpr);
}

Decoded decodeForBox(const QString& path, const std::function<QSize(QSize upright)>& boxFor, int border, qreal dpr)
{
    const std::optional<Inspected> in = inspectFile(path, limitFor(extensionOf(path)));
    if (!in)
        return {};
    Decoded result;
    result.fitted = boxFor(in->header.upright());
    const QSize inside = result.fitted - QSize(2 * border, 2 * border);
    if (inside.isEmpty() || !(dpr > 0) || dpr > 8)
        return result; // nothing to draw
    const QSize device = deviceSize(inside, dpr);
    if (!affordable(*in, device, path))
        return result;
    result.image = decodeBytes(*in, device);
    if (result.image.isNull())
        qCInfo(lcPictures) << "refused, the decoder failed:" << path;
    else
        result.image.setDevicePixelRatio(dpr);
    return result;
}

bool acceptableForGame(const QString& path)
{
    // Taken only under the limit: a file exactly at it is not.
    const std::optional<Inspected> in = inspectFile(path, limitFor(extensionOf(path)) - 1);
    if (!in)
        return false;
    const QSize largest =
        fitInto(in->header.upright(), QSize(kLargestDrawnSide, kLargestDrawnSide)).expandedTo(QSize(1, 1));
    if (!affordable(*in, largest, path))
        return false;
    // It must really decode; a small size is enough to know, and cheap.
    const QSize probe = fitInto(in->header.upright(), QSize(16, 16)).expandedTo(QSize(1, 1));
    if (decodeBytes(*in, probe).isNull()) {
        qCInfo(lcPictures) << "refused, the decoder failed:" << path;
        return false;
    }
    return true;
}

} // namespace tavik
