// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What went wrong with the high-score list's files, as the storage reports it: which step,
// which file, and the system's error number. The window puts it into German words.

#include <QString>

#include "platform/AtomicFile.h"

namespace tavik {

struct FileError {
    enum class Step {
        Read,      // the list exists but could not be opened or read; it was left alone
        ReadOnly,  // the list carries no write permission: the player keeps it as it is
        Lock,      // another game kept the list locked for too long
        Write,     // creating, writing, flushing or renaming failed; the old list is intact
        NoAnswer,  // the disk did not answer in time (a share that stopped answering); untouched
    };
    Step step = Step::Write;
    QString path;   // the file the failure is about (the list or its temporary file)
    int number = 0; // errno, or kNotARegularFile
};

// The reason alone, in German: a sentence for the common error numbers, otherwise
// "Systemfehler N: <the system's text>".
QString reasonText(const FileError& error);

// The whole message for the player at a game end: which file, what happened, and what
// became of the list and of this game's result.
QString errorMessage(const FileError& error);

// The message when the list cannot be shown: which file, and why.
QString displayErrorMessage(const FileError& error);

} // namespace tavik
