#pragma once
// The high-score list as the game screen uses it: read and rewritten through the disk work,
// so that a list on a share that stopped answering, or locked by another game for seconds,
// never holds up the window. Each answer comes on the GUI thread, exactly once.

#include <QObject>
#include <QString>
#include <functional>

#include "scores/HighScoreFile.h"
#include "platform/DiskWork.h"

namespace tavik {

// Enters the score into the list the game end writes for `programFolder` and answers with
// the place, or with what went wrong (FileError::Step::NoAnswer when the disk did not answer
// within the deadline; the list is then left as it was).
void enterScoreInBackground(QObject* context, const QString& programFolder, const QString& name, int score,
                           std::function<void(const Entering&)> answer,
                           std::chrono::milliseconds deadline = kDiskDeadline);

// Reads the list the trophy shows for `programFolder`.
void readListInBackground(QObject* context, const QString& programFolder,
                            std::function<void(const ListReading&)> answer,
                            std::chrono::milliseconds deadline = kDiskDeadline);

} // namespace tavik
