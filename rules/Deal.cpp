#include "rules/Deal.h"

#include <algorithm>
#include <cmath>

namespace tavik {

void layPairs(KartenBildTable& cardPictures, const QStringList& pictures)
{
    int k = 1;
    for (const QString& picture : pictures) {
        if (k + 1 >= static_cast<int>(cardPictures.size()))
            break; // the table has room for 50 pictures
        cardPictures[k] = picture;
        cardPictures[k + 1] = picture;
        k += 2;
    }
}

int partnerSlot(float r, int pictureCount)
{
    return 1 + static_cast<int>(std::floor(r * 2.0f * static_cast<float>(pictureCount - 1)));
}

void shuffle(KartenBildTable& cardPictures, int n, int pictureCount, RandomSource& random)
{
    const int last = std::min(n * n, static_cast<int>(cardPictures.size()) - 1);
    for (int pass = 0; pass < 10; ++pass) {
        for (int j = 1; j <= last; ++j) {
            const int m = std::clamp(partnerSlot(random.next(), pictureCount), 1, last);
            std::swap(cardPictures[m], cardPictures[j]);
        }
    }
}

int sortedPosition(const QStringList& list, const QString& path)
{
    const auto it = std::upper_bound(list.begin(), list.end(), path, [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return static_cast<int>(it - list.begin());
}

} // namespace tavik
