// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few things of the outside world that the windows ask for, behind small interfaces so
// that tests can script them: the time of day and the program folder; and the one clock for
// elapsed time below the windows. The modal message box is in MessageBox.h; chance, which
// only the deal asks for, in rules/RandomSource.h.
//
// Failures in platform: a call that can fail returns std::optional. A question gives its
// answer or nothing when the system has none (a folder that cannot be read, a file that
// cannot be measured, a disk job given up at its deadline); a file action whose reason the
// player is told (AtomicFile.h) gives nothing when it was done, or the FileFailure with the
// system's error number. The words for the player are made above, never here.

#include <QString>

#include <cstdint>

namespace tavik {

// Milliseconds of a monotonic clock from an arbitrary start: every deadline, wait and age
// below the windows is measured with it. It never jumps with the time of day, which only
// the game clock reads (TimeOfDay).
std::int64_t monotonicMs();

// The local time of day in whole seconds since midnight (0 .. 86399).
class TimeOfDay {
public:
    virtual ~TimeOfDay() = default;
    virtual int secondsSinceMidnight() const = 0;
};

// The folder that holds the program, without a trailing separator (except "/" itself).
class ProgramFolder {
public:
    virtual ~ProgramFolder() = default;
    virtual QString path() const = 0;
};

class SystemTimeOfDay final : public TimeOfDay {
public:
    int secondsSinceMidnight() const override;
};

// The folder of the running executable, found once when the program starts: asked later,
// a program folder on a share that stopped answering could hold up the window.
class ExecutableFolder final : public ProgramFolder {
public:
    ExecutableFolder();
    QString path() const override { return path_; }

private:
    QString path_;
};

} // namespace tavik
