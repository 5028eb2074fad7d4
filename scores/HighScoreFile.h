#pragma once
// The high-score file "HSTavik" and what the game does with it: where it starts from, and
// what becomes of a missing, unreadable or read-only list. The safe rewrite through
// "HSTavikt" under the folder's lock is platform/AtomicFile.h.
//
// Failures in scores: an answer that can fail carries, beside its result, the FileError of
// what went wrong (`error`); when it is set the list was left as it was and the result is
// the harmless one (place 0, ten empty entries). The window puts a FileError into German
// words (FileError.h).

#include <QString>

#include <chrono>
#include <optional>

#include "platform/AtomicFile.h"
#include "scores/FileError.h"
#include "scores/HighScoreList.h"

namespace tavik {

QString listFileIn(const QString& folder);     // <folder>/HSTavik
QString temporaryFileIn(const QString& folder);  // <folder>/HSTavikt

// The most a reader takes from the file: ten entries of two lines of at most kMaxLineBytes
// each, with their line ends. What lies beyond is ignored and dropped by the next rewrite.
constexpr qint64 kMaxListBytes = 2 * kListPlaces * (kMaxLineBytes + 2);

// How long a game end waits for another game that is writing the list.
constexpr std::chrono::milliseconds kLockPatience{5000};

// The list as stored, for the display; a missing or unreadable file reads as ten empty entries.
ScoreList readListFile(const QString& path);

struct ListReading {
    ScoreList entries;                     // ten empty entries when the file is missing or unreadable
    std::optional<FileError> error; // set: the list exists but could not be read
};

// The list the trophy shows: the one at `path` (the one the game end writes, see
// highScorePath), or, before its first rewrite, the program folder's list it starts from.
ListReading readListFor(const QString& programFolder, const QString& path);

struct Entering {
    int place = 0;                   // 1..10; 0 when not entered or when nothing was written
    std::optional<FileError> error; // set: the list file was left as it was
};

// Enters the score into the list at `listPath` and rewrites it whole (AtomicFile), keeping
// its permissions (0644 for a new list). A list that exists but cannot be read, or that
// carries no write permission, is left alone. When `listPath` is missing, the list starts
// from `seedPath` (if given and readable).
Entering enterScoreInFile(const QString& listPath, const QString& seedPath, const QString& name, int score,
                           std::chrono::milliseconds patience = kLockPatience);

// The game end's insertion into the list at `path`, the one highScorePath() picks for the
// program folder; a list in the player's data folder starts as a copy of the program
// folder's list.
Entering enterScore(const QString& programFolder, const QString& path, const QString& name, int score);

} // namespace tavik
