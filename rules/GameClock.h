#pragma once
// The game clock: times of day as single-precision fractions of a day, and the clock text.

#include <QString>

namespace tavik {

constexpr int kSecondsPerDay = 24 * 3600;

// Whole seconds since midnight as a fraction of a day.
float fractionOfDay(int secondsSinceMidnight);

// Whole seconds from `start` to `now` (both fractions of a day), to the nearest second.
// A negative difference means the day has turned in between: one day is added.
int elapsedSeconds(float now, float start);

// "hh:mm:ss" of a time below one day.
QString hhmmss(int seconds);

// The caption of the clock label, always 14 characters: "Zeit: 00:01:05".
QString timeText(int seconds);

// Seconds read back from a clock caption: the hours, minutes and seconds fields,
// each by the leading-number rule.
int secondsFromTimeText(const QString& caption);

// Leading-number rule: blanks skipped, an optional minus, then digits up to the first
// other character; nothing gives 0; values beyond 32 bits are clamped.
int leadingNumber(QStringView text);

// StartZeit moved later by the length of a pause, kept in single precision.
float afterPause(float startTime, float pauseTime, float now);

} // namespace tavik
