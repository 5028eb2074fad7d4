#include "ui/HallOfFame.h"

#include "rules/GameClock.h"
#include "rules/NumberText.h"
#include "rules/Score.h"

namespace tavik {

void fillList(MainForm& form, const ScoreList& entries)
{
    for (int k = 1; k <= kListPlaces; ++k) {
        const ListEntry e = k <= entries.size() ? entries[k - 1] : ListEntry{};
        form.lblHighName[k]->setText(e.name);
        form.lblHighPunkte[k]->setText(e.present ? numberText(e.score) : QString());
    }
}

int scoreFor(int n, int attempts, const QString& timeCaption)
{
    return points(n, attempts, secondsFromTimeText(timeCaption));
}

void reportResult(MessageBox& box, int n, const QString& timeCaption, int score, const Entering& entering)
{
    if (entering.error)
        box.show(errorMessage(*entering.error), kTitel, MsgIcon::Critical, MsgButtons::Ok);
    box.show(resultText(n * n / 2, timeCaption.right(8), score, entering.place), kTitel,
             MsgIcon::Information, MsgButtons::Ok);
}

} // namespace tavik
