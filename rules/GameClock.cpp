#include "rules/GameClock.h"

#include <cmath>
#include <limits>

namespace tavik {

float fractionOfDay(int secondsSinceMidnight)
{
    return static_cast<float>(secondsSinceMidnight) / static_cast<float>(kSecondsPerDay);
}

int elapsedSeconds(float now, float start)
{
    const float elapsed = now - start;
    int seconds = static_cast<int>(std::lround(static_cast<double>(elapsed) * kSecondsPerDay));
    if (seconds < 0)
        seconds += kSecondsPerDay;
    return seconds % kSecondsPerDay;
}

QString hhmmss(int seconds)
{
    seconds = ((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString timeText(int seconds)
{
    return QStringLiteral("Zeit: ") + hhmmss(seconds);
}

int leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && text[i] == QLatin1Char('-')) {
        negative = true;
        ++i;
    }
    long long value = 0;
    constexpr long long cap = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > cap)
            value = cap;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        value = std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

int secondsFromTimeText(const QString& caption)
{
    const QStringView view(caption);
    const int seconds = leadingNumber(view.right(2));
    const int minutes = leadingNumber(view.mid(9, 2));
    const int hours = leadingNumber(view.mid(6, 2));
    return seconds + minutes * 60 + hours * 3600;
}

float afterPause(float startTime, float pauseTime, float now)
{
    float pause = now - pauseTime;
    if (pause < 0.0f)
        pause += 1.0f; // the pause went past midnight
    return startTime + pause;
}

} // namespace tavik
