// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// High-score files as other programs, editors and older copies leave them: one table
// that the list's own tests read directly and the window tests read through the trophy.

#include <QByteArray>
#include <QList>
#include <QString>

namespace tavik::test {

struct BadList {
    const char* row;
    QByteArray bytes;
    QString firstName; // entry 1 as read
    int firstScore;
    int present;       // entries that were in the file
};

inline QByteArray numberedEntries(int count, int score)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "Name" + QByteArray::number(i) + "\r\n " + QByteArray::number(score) + " \r\n";
    return bytes;
}

inline QList<BadList> badLists()
{
    return {
        {"empty", {}, "", 0, 0},
        {"one line", "Solo", "Solo", 0, 1},
        {"LF only", "A\n 5 \nB\n 4 \n", "A", 5, 2},
        {"CR only", "A\r 5 \rB\r 4 \r", "A", 5, 2},
        {"byte-order mark", "\xEF\xBB\xBF" "A\r\n 7 \r\n", "A", 7, 1},
        {"score 12abc", "A\r\n12abc\r\n", "A", 12, 1},
        {"score empty", "A\r\n\r\n", "A", 0, 1},
        {"score -", "A\r\n-\r\n", "A", 0, 1},
        {"score beyond 32 bits", "A\r\n99999999999\r\n", "A", 2147483647, 1},
        {"eleven entries", numberedEntries(11, 7), "Name1", 7, 10},
        {"fifty entries", numberedEntries(50, 7), "Name1", 7, 10},
    };
}

} // namespace tavik::test
