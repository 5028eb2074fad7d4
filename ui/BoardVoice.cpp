// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BoardVoice.h"

#include <utility>

#include "rules/Game.h"
#include "scores/HighScoreList.h"
#include "ui/MainForm.h"
#include "ui/ScreenReader.h"
#include "ui/SpokenText.h"

namespace tavik {

namespace {
const QString kShut = QStringLiteral("Verdeckt");
}

BoardVoice::BoardVoice(MainForm& form, const Game& game, QObject* parent)
    : QObject(parent)
    , form_(form)
    , game_(game)
    , announcer_(new Announcer(&form))
{
}

void BoardVoice::nameCards()
{
    const int n = game_.Spielfeldgroesse;
    for (int i = 0; i < n * n; ++i) {
        form_.cmdBild[i]->setAccessibleName(cardPlace(i, n));
        form_.cmdBild[i]->setAccessibleDescription(kShut); // not the tooltip, which Qt would give
    }
}

void BoardVoice::cardTurned(const CardClick& klick)
{
    const QString turned = QStringLiteral("Aufgedeckt: ") + pictureName(game_.pictureOf(klick.card));
    form_.cmdBild[klick.card]->setAccessibleDescription(turned);
    turned_ << klick.card;
    if (klick.kind == CardClick::Kind::FirstCard)
        announcer_->say(turned);
    else if (klick.pair)
        announcer_->say(turned + QStringLiteral(". Paar gefunden, %1 von %2").arg(game_.Gefunden).arg(game_.pairCount()));
    else
        announcer_->say(turned + QStringLiteral(". Kein Paar"));
}

void BoardVoice::attemptClosed()
{
    for (int card : std::exchange(turned_, {}))
        form_.cmdBild[card]->setAccessibleDescription(kShut);
}

void BoardVoice::refused()
{
    announcer_->say(QStringLiteral("Bitte warten"));
}

void BoardVoice::listShown()
{
    // What the labels show, so that the ear gets what the eye gets.
    QStringList rows;
    for (int k = 1; k <= kListPlaces; ++k) {
        const QString score = form_.lblHighPunkte[k]->text().trimmed();
        if (!score.isEmpty()) // a place the list does not fill
            rows << QStringLiteral("Platz %1: %2, %3 Punkte").arg(k).arg(form_.lblHighName[k]->text(), score);
    }
    if (rows.isEmpty())
        rows << QStringLiteral("Keine Einträge");
    announcer_->say(QStringLiteral("Highscoretabelle. ") + rows.join(QStringLiteral(". ")) + QStringLiteral(". ")
                    + form_.Label1->text());
}

void BoardVoice::listHidden()
{
    announcer_->say(QStringLiteral("Zurück zum Spiel"));
}

} // namespace tavik
