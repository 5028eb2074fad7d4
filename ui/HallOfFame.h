#pragma once
// The scores' side of the game screen: the list shown over the board and the game end.

#include "scores/HighScoreFile.h"
#include "ui/MainForm.h"
#include "platform/MessageBox.h"

namespace tavik {

// Names and scores of the ten entries into the list labels; an entry missing from the
// file shows as empty.
void fillList(MainForm& form, const ScoreList& entries);

// The score of a finished game of board size `n`, from the clock's caption.
int scoreFor(int n, int attempts, const QString& timeCaption);

// Tells the player how the game ended: first what went wrong with the list file, if
// anything, then the result with the place (0 when not entered or when the file was left
// as it was).
void reportResult(MessageBox& box, int n, const QString& timeCaption, int score, const Entering& entering);

} // namespace tavik
