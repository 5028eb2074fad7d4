#pragma once
// The score of a finished game and the message that tells it.

#include <QString>

namespace tavik {

// 100 points per card, 3 less per attempt and 1 less per second; no lower bound.
int points(int n, int attempts, int secondsTaken);

// The result message, lines broken by the character 13. `timeShown` is "hh:mm:ss";
// the place line only for a place above 0.
QString resultText(int pairs, const QString& timeShown, int score, int place);

} // namespace tavik
