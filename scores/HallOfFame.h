#pragma once
// The scores' side of the game screen: the list shown over the board and the game end.

#include "scores/HighScoreList.h"
#include "shell/MainForm.h"
#include "shell/MessageBox.h"

namespace tavik {

// Names and scores of the ten entries into the list labels; an entry missing from the
// file shows as empty.
void fuelleListe(MainForm& form, const Liste& liste);

// Scores the finished game, enters it into the list file and tells the player: first what
// went wrong with the file, if anything, then the result. Returns the place (0 when not
// entered or when the file was left as it was).
int beendeSpiel(MessageBox& box, const QString& programFolder, int n, int versuche,
                const QString& zeitCaption, const QString& name);

} // namespace tavik
