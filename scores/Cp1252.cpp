// SPDX-License-Identifier: GPL-3.0-or-later
#include "scores/Cp1252.h"

#include <QList>
#include <array>

namespace tavik {

namespace {

// 0x80..0x9F; the five unassigned bytes map to the C1 control of the same number.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t decodeByte(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F)
        return kHigh[b - 0x80];
    return b;
}

bool isControl(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

} // namespace

QString fromCp1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text.append(QChar(decodeByte(static_cast<unsigned char>(c))));
    return text;
}

QByteArray toCp1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (char32_t c : text.toUcs4()) {
        if (isControl(c)) {
            bytes.append(' ');
        } else if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes.append(static_cast<char>(c));
        } else {
            char out = '?';
            for (size_t i = 0; i < kHigh.size(); ++i)
                if (kHigh[i] == c)
                    out = static_cast<char>(0x80 + i);
            bytes.append(out);
        }
    }
    return bytes;
}

} // namespace tavik
