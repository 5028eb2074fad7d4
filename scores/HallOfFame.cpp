#include "scores/HallOfFame.h"

#include "game/GameClock.h"
#include "game/NumberText.h"
#include "scores/HighScoreFile.h"
#include "scores/Score.h"

namespace tavik {

void fuelleListe(MainForm& form, const Liste& liste)
{
    for (int k = 1; k <= kListPlaces; ++k) {
        const Eintrag e = k <= liste.size() ? liste[k - 1] : Eintrag{};
        form.lblHighName[k]->setText(e.name);
        form.lblHighPunkte[k]->setText(e.vorhanden ? zahlText(e.punkte) : QString());
    }
}

int beendeSpiel(MessageBox& box, const QString& programFolder, int n, int versuche,
                const QString& zeitCaption, const QString& name)
{
    const int sekunden = sekundenAusZeitText(zeitCaption);
    const int punkte = punktzahl(n, versuche, sekunden);
    const Eintragung eintragung = trageEin(programFolder, name, punkte);
    if (eintragung.fehler)
        box.show(errorMessage(*eintragung.fehler), kTitel, MsgIcon::Critical, MsgButtons::Ok);
    box.show(ergebnisText(n * n / 2, zeitCaption.right(8), punkte, eintragung.platz), kTitel,
             MsgIcon::Information, MsgButtons::Ok);
    return eintragung.platz;
}

} // namespace tavik
