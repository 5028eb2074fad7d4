#include "scores/HighScoreList.h"

#include "rules/GameClock.h"
#include "scores/Cp1252.h"

namespace tavik {

namespace {

// Reads one line of at most kMaxLineBytes; the rest of a longer line is skipped.
// False when the device is at its end before the line starts.
bool readLine(QIODevice& device, QByteArray& line)
{
    line.clear();
    char c = 0;
    if (!device.getChar(&c))
        return false;
    for (;;) {
        if (c == '\n')
            return true;
        if (c == '\r') {
            char next = 0;
            if (device.peek(&next, 1) == 1 && next == '\n')
                device.getChar(&next);
            return true;
        }
        if (line.size() < kMaxLineBytes)
            line.append(c);
        if (!device.getChar(&c))
            return true;
    }
}

QString withoutLeadingBlanks(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    return text.mid(i);
}

} // namespace

ScoreList readList(QIODevice& device)
{
    ScoreList entries;
    QByteArray nameLine;
    QByteArray scoreLine;
    for (int k = 0; k < kListPlaces; ++k) {
        ListEntry e;
        e.present = readLine(device, nameLine);
        if (k == 0 && nameLine.startsWith("\xEF\xBB\xBF"))
            nameLine.remove(0, 3); // a byte-order mark left by an editor
        readLine(device, scoreLine);
        e.name = withoutLeadingBlanks(fromCp1252(nameLine));
        e.score = leadingNumber(fromCp1252(scoreLine));
        entries.append(e);
    }
    return entries;
}

int placeFor(const ScoreList& entries, int score)
{
    for (int k = 0; k < entries.size() && k < kListPlaces; ++k)
        if (score > entries[k].score)
            return k + 1;
    return 0;
}

QByteArray scoreLine(int score)
{
    QByteArray line = QByteArray::number(score);
    if (score >= 0)
        line.prepend(' ');
    return line + ' ';
}

QByteArray listAsText(const ScoreList& old, const QString& name, int score, int place)
{
    QByteArray text;
    auto write = [&text](const QString& n, int p) {
        text += toCp1252(n) + "\r\n" + scoreLine(p) + "\r\n";
    };
    for (int k = 1; k <= kListPlaces; ++k) {
        if (k == place)
            write(name, score);
        const ListEntry e = k <= old.size() ? old[k - 1] : ListEntry{};
        write(e.name, e.score);
    }
    return text;
}

} // namespace tavik
