#pragma once
// The high-score file "HSTavik" in the program folder, rewritten through "HSTavikt" so that
// it always holds either the old list or the new one, whole.

#include <QString>

#include "scores/HighScoreList.h"

namespace tavik {

QString listenPfad(const QString& programFolder);     // <folder>/HSTavik
QString temporaerPfad(const QString& programFolder);  // <folder>/HSTavikt

// The list as stored; a missing or unreadable file reads as ten empty entries.
Liste leseListeDatei(const QString& path);

struct Eintragung {
    int platz = 0;       // 1..10, or 0 when the score did not enter the list
    bool ok = true;      // false: the list file was left as it was
    QString fehler;      // what went wrong, for the player
};

// Enters the score into the list and rewrites the file: the new text is written to the
// temporary file completely, flushed to disk, then renamed over the list file in one step.
Eintragung trageEin(const QString& programFolder, const QString& name, int punkte);

// Writes `bytes` to `path` through `tmpPath` in that safe way. Empty on success, else the reason.
QString schreibeSicher(const QString& path, const QString& tmpPath, const QByteArray& bytes);

} // namespace tavik
