#include "ui/DisplayBoxes.h"

#include "pictures/Fit.h"
#include "pictures/PictureDecoder.h"
#include "ui/ImageBox.h"
#include "ui/MainForm.h"

namespace tavik {

namespace {

// The standard decoder of a display box's picture; runs on a worker. The box takes the
// picture's upright size fitted into the largest box, and the picture is decoded once for
// the inside of that box, within its border.
PictureLoader::Decode boxDecode(int border)
{
    return [border](const QString& path, QSize /*inside*/, qreal dpr) {
        const auto fit = [](QSize upright) {
            return fitToSquare(upright.width(), upright.height(), MainForm::kBoxSize);
        };
        return decodeForBox(path, fit, border, dpr);
    };
}

} // namespace

DisplayBoxes::DisplayBoxes(std::array<ImageBox*, 2> boxes, PictureLoader::Decode decode,
                           std::chrono::milliseconds deadline, QObject* parent)
    : QObject(parent)
    , boxes_(boxes)
{
    cache_ = new PictureCache(decode ? std::move(decode) : boxDecode(boxes_[0]->frameWidth()), inside(), deadline, this);
    connect(cache_, &PictureCache::arrived, this, &DisplayBoxes::arrived);
}

QSize DisplayBoxes::inside() const
{
    const int border = 2 * boxes_[0]->frameWidth();
    return QSize(MainForm::kBoxSize - border, MainForm::kBoxSize - border);
}

void DisplayBoxes::show(int box, const QString& path)
{
    wanted_[static_cast<size_t>(box)] = path;
    if (const PictureCache::CachedPicture* picture = cache_->ready(path)) {
        showIn(box, *picture);
        return;
    }
    // Not decoded yet: the box opens empty at once and the picture follows when it comes.
    showIn(box, PictureCache::CachedPicture{});
    cache_->load(path, boxes_[static_cast<size_t>(box)]->devicePixelRatioF());
}

void DisplayBoxes::showIn(int box, const PictureCache::CachedPicture& picture)
{
    ImageBox* shown = boxes_[static_cast<size_t>(box)];
    shown->setStretch(false);
    // A picture that cannot be read (gone, unreadable, not decodable, past its deadline)
    // leaves the box empty.
    shown->setPicture(picture.pixmap);
    shown->resize(picture.fitted.isValid() ? picture.fitted : QSize(MainForm::kBoxSize, MainForm::kBoxSize));
    shown->setStretch(true);
    shown->show();
}

void DisplayBoxes::arrived(const QString& path)
{
    for (size_t i = 0; i < boxes_.size(); ++i) {
        // Wanted only while the box still waits for it: an attempt judged since hid the box.
        if (wanted_[i] != path || boxes_[i]->isHidden())
            continue;
        if (const PictureCache::CachedPicture* picture = cache_->ready(path))
            showIn(static_cast<int>(i), *picture);
    }
}

void DisplayBoxes::clear()
{
    for (ImageBox* box : boxes_) {
        box->clearPicture();
        box->hide();
    }
}

void DisplayBoxes::loadAhead(const QStringList& paths)
{
    cache_->loadAhead(paths, boxes_[0]->devicePixelRatioF());
}

void DisplayBoxes::stop()
{
    cache_->stop();
}

} // namespace tavik
