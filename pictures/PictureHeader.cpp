// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureHeader.h"

namespace tavik {

QSize PictureHeader::upright() const
{
    return orientation >= 5 && orientation <= 8 ? stored.transposed() : stored;
}

bool looksLikePicture(QByteArrayView head)
{
    if (head.size() < kMagicBytes)
        return false;
    const auto b = [&](int i) { return static_cast<unsigned char>(head[i]); };
    return (b(0) == 0xFF && b(1) == 0xD8 && b(2) == 0xFF) || (b(0) == 'B' && b(1) == 'M');
}

std::optional<PictureHeader> inspectPicture(QByteArrayView bytes)
{
    if (!looksLikePicture(bytes))
        return std::nullopt;
    return bytes[0] == 'B' ? inspectBmp(bytes) : inspectJpeg(bytes);
}

} // namespace tavik
