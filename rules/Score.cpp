#include "rules/Score.h"

#include "rules/NumberText.h"

#include <climits>

namespace tavik {

int points(int n, int attempts, int secondsTaken)
{
    long long score = static_cast<long long>(n) * n * 50 - static_cast<long long>(attempts) * 3;
    score = score + static_cast<long long>(n) * n * 50 - secondsTaken;
    if (score < INT_MIN)
        score = INT_MIN;
    return static_cast<int>(score);
}

QString resultText(int pairs, const QString& timeShown, int score, int place)
{
    const QChar cr(13);
    QString text = QStringLiteral("Sie haben alle") + numberText(pairs) + QStringLiteral(" Paare gefunden !")
                   + cr + QStringLiteral("Die benötigte Zeit war: ") + timeShown
                   + cr + cr + QStringLiteral("Dieses entspricht einer Punktzahl von:") + numberText(score);
    if (place > 0)
        text += cr + QStringLiteral("und dem Platz") + numberText(place) + QStringLiteral(" in der Highscoreliste.");
    return text;
}

} // namespace tavik
