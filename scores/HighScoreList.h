#pragma once
// The ten-place high-score list and its text form: a name line, then a score line,
// per entry, in Windows-1252 with CR LF line ends; score lines read " 1475 " or "-12 ".

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>

namespace tavik {

constexpr int kListPlaces = 10;

struct ListEntry {
    QString name;
    int score = 0;
    bool present = false; // the file had a line for this entry
};

using ScoreList = QList<ListEntry>;

// Reads the first ten entries by the reading rule: the name without leading blanks and
// tabs; the score by the leading-number rule. A missing line reads as an empty one.
// Accepts CR LF, LF or CR line ends; reads only as far as the ten entries go, and at most
// kMaxLineBytes of any line, so a huge file costs no memory.
ScoreList readList(QIODevice& device);
constexpr qint64 kMaxLineBytes = 4096;

// The place for a new score: the first entry with a strictly lower score, or 0.
int placeFor(const ScoreList& entries, int score);

// A score as its line holds it: " 1475 ", "-12 ".
QByteArray scoreLine(int score);

// The new file's bytes: the ten old entries with the new one at `place` (none when 0),
// so that after an insertion the old tenth entry stands behind as an eleventh.
QByteArray listAsText(const ScoreList& old, const QString& name, int score, int place);

} // namespace tavik
