#pragma once
#include <QString>

namespace tavik {

// A number as labels and messages write it: one blank before a number of zero or more,
// a minus sign before a negative one, no trailing blank (" 8", "-12").
inline QString numberText(long long n)
{
    return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}

} // namespace tavik
