#include "ui/HallOfFame.h"

#include "rules/GameClock.h"
#include "rules/NumberText.h"
#include "rules/Score.h"

namespace tavik {

void fuelleListe(MainForm& form, const Liste& liste)
{
    for (int k = 1; k <= kListPlaces; ++k) {
        const Eintrag e = k <= liste.size() ? liste[k - 1] : Eintrag{};
        form.lblHighName[k]->setText(e.name);
        form.lblHighPunkte[k]->setText(e.vorhanden ? zahlText(e.punkte) : QString());
    }
}

int punkteFuer(int n, int versuche, const QString& zeitCaption)
{
    return punktzahl(n, versuche, sekundenAusZeitText(zeitCaption));
}

void meldeErgebnis(MessageBox& box, int n, const QString& zeitCaption, int punkte, const Eintragung& eintragung)
{
    if (eintragung.fehler)
        box.show(errorMessage(*eintragung.fehler), kTitel, MsgIcon::Critical, MsgButtons::Ok);
    box.show(ergebnisText(n * n / 2, zeitCaption.right(8), punkte, eintragung.platz), kTitel,
             MsgIcon::Information, MsgButtons::Ok);
}

} // namespace tavik
