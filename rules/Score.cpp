#include "rules/Score.h"

#include "rules/NumberText.h"

#include <climits>

namespace tavik {

int punktzahl(int n, int versuche, int sekunden)
{
    long long score = static_cast<long long>(n) * n * 50 - static_cast<long long>(versuche) * 3;
    score = score + static_cast<long long>(n) * n * 50 - sekunden;
    if (score < INT_MIN)
        score = INT_MIN;
    return static_cast<int>(score);
}

QString ergebnisText(int paare, const QString& zeit, int punkte, int platz)
{
    const QChar cr(13);
    QString text = QStringLiteral("Sie haben alle") + zahlText(paare) + QStringLiteral(" Paare gefunden !")
                   + cr + QStringLiteral("Die benötigte Zeit war: ") + zeit
                   + cr + cr + QStringLiteral("Dieses entspricht einer Punktzahl von:") + zahlText(punkte);
    if (platz > 0)
        text += cr + QStringLiteral("und dem Platz") + zahlText(platz) + QStringLiteral(" in der Highscoreliste.");
    return text;
}

} // namespace tavik
