#pragma once
// The game screen's two display boxes (imgKarteOffen): each shows the picture of a turned
// card. Pictures are decoded on workers, ahead after the deal and at once for a click, so that
// turning a card never waits for a decoder: the box opens empty at once and the picture
// follows when it comes, if the box still waits for it.

#include <QObject>
#include <array>
#include <chrono>

#include "ui/PictureCache.h"

namespace tavik {

class ImageBox;

class DisplayBoxes : public QObject {
    Q_OBJECT
public:
    // An empty `decode` stands for the standard one.
    DisplayBoxes(std::array<ImageBox*, 2> boxes, PictureLoader::Decode decode, std::chrono::milliseconds deadline,
                 QObject* parent = nullptr);

    void show(int box, const QString& path);
    void clear(); // both boxes emptied and hidden
    // Decodes the pictures of a dealt game a few at a time, in this order.
    void loadAhead(const QStringList& paths);
    // No picture is decoded or shown any more.
    void stop();
    const PictureCache& cache() const { return *cache_; }

private:
    void showIn(int box, const PictureCache::CachedPicture& picture);
    void arrived(const QString& path);
    QSize inside() const; // the inside of a box, within its border

    std::array<ImageBox*, 2> boxes_;
    PictureCache* cache_ = nullptr;
    // The picture each box waits for; a late one shows only if still wanted.
    std::array<QString, 2> wanted_;
};

} // namespace tavik
