#include "rules/Deal.h"

#include <algorithm>
#include <cmath>

namespace tavik {

void legePaare(KartenBildTable& kartenBild, const QStringList& bilder)
{
    int k = 1;
    for (const QString& bild : bilder) {
        if (k + 1 >= static_cast<int>(kartenBild.size()))
            break; // the table has room for 50 pictures
        kartenBild[k] = bild;
        kartenBild[k + 1] = bild;
        k += 2;
    }
}

int partnerSlot(float r, int bildanzahl)
{
    return 1 + static_cast<int>(std::floor(r * 2.0f * static_cast<float>(bildanzahl - 1)));
}

void mische(KartenBildTable& kartenBild, int n, int bildanzahl, RandomSource& random)
{
    const int last = std::min(n * n, static_cast<int>(kartenBild.size()) - 1);
    for (int pass = 0; pass < 10; ++pass) {
        for (int j = 1; j <= last; ++j) {
            const int m = std::clamp(partnerSlot(random.next(), bildanzahl), 1, last);
            std::swap(kartenBild[m], kartenBild[j]);
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
