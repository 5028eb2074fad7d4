// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of one game, without a display: grid, deal, mixing, judging, fit, clock, and where
// the keyboard focus goes on a board with holes.

#include <QtTest>

#include "rules/BoardFocus.h"
#include "rules/Deal.h"
#include "pictures/Fit.h"
#include "rules/GameClock.h"
#include "rules/Grid.h"
#include "rules/NumberText.h"
#include "rules/Game.h"
#include "tests/TestDoubles.h"

using namespace tavik;

namespace {
QStringList paths(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("/bilder/b%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
    return list;
}

// The holes of a 4 x 4 board on which only `left` remain.
QList<int> allBut(std::initializer_list<int> left)
{
    QList<int> holes;
    for (int i = 0; i < 16; ++i)
        if (std::find(left.begin(), left.end(), i) == left.end())
            holes << i;
    return holes;
}
} // namespace

class TestGameRules : public QObject {
    Q_OBJECT
private slots:
    void grid_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("lastLeft");
        QTest::addColumn<int>("lastTop");
        QTest::addColumn<int>("framePixels");
        QTest::newRow("4x4") << 4 << 2040 << 2160 << 195;
        QTest::newRow("6x6") << 6 << 3240 << 3360 << 277;
        QTest::newRow("8x8") << 8 << 4440 << 4560 << 359;
        QTest::newRow("10x10") << 10 << 5640 << 5760 << 441;
    }
    void grid()
    {
        QFETCH(int, n);
        QFETCH(int, lastLeft);
        QFETCH(int, lastTop);
        QFETCH(int, framePixels);
        const int last = n * n - 1;
        QCOMPARE(cardLeftTwips(last, n), lastLeft);
        QCOMPARE(cardTopTwips(last, n), lastTop);
        QCOMPARE(cardLeftTwips(n, n), 240); // first card of the second row
        QCOMPARE(cardTopTwips(n, n), 960);
        QCOMPARE(boardFramePixels(n), framePixels);
        QCOMPARE(boardFramePixels(n), 41 * n + 31);
    }

    void tooltipsAndSizes()
    {
        QCOMPARE(cardTooltip(0), QStringLiteral("Bild Nummer 0...Klicke um umzudrehen"));
        QCOMPARE(cardTooltip(57), QStringLiteral("Bild Nummer 57...Klicke um umzudrehen"));
        const int sizes[4] = {4, 6, 8, 10};
        const int pairs[4] = {8, 18, 32, 50};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(boardSizeForIndex(i), sizes[i]);
            QCOMPARE(pairsFor(sizes[i]), pairs[i]);
        }
    }

    void numberTexts_data()
    {
        QTest::addColumn<long long>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0LL << " 0";
        QTest::newRow("eight") << 8LL << " 8";
        QTest::newRow("negative") << -12LL << "-12";
        QTest::newRow("large") << 1475LL << " 1475";
    }
    void numberTexts()
    {
        QFETCH(long long, n);
        QFETCH(QString, text);
        QCOMPARE(numberText(n), text);
    }

    void legePaarePutsEachEntryOnTwoNeighbouringSlots()
    {
        KartenBildTable table;
        layPairs(table, paths(8));
        QVERIFY(table[0].isEmpty());
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(table[2 * i + 1], paths(8)[i]);
            QCOMPARE(table[2 * i + 2], paths(8)[i]);
        }
        QVERIFY(table[17].isEmpty());
    }

    void partnerSlotRange_data()
    {
        QTest::addColumn<int>("pictureCount");
        QTest::addColumn<int>("highest");
        QTest::newRow("4x4") << 8 << 14;
        QTest::newRow("10x10") << 50 << 98;
    }
    void partnerSlotRange()
    {
        QFETCH(int, pictureCount);
        QFETCH(int, highest);
        QCOMPARE(partnerSlot(0.0f, pictureCount), 1);
        QCOMPARE(partnerSlot(std::nextafter(1.0f, 0.0f), pictureCount), highest);
        QCOMPARE(partnerSlot(0.5f, pictureCount), 1 + (pictureCount - 1));
    }

    void mixingKeepsEveryPictureOnExactlyTwoCards_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("4x4") << 4;
        QTest::newRow("6x6") << 6;
        QTest::newRow("8x8") << 8;
        QTest::newRow("10x10") << 10;
    }
    void mixingKeepsEveryPictureOnExactlyTwoCards()
    {
        QFETCH(int, n);
        const int b = n * n / 2;
        KartenBildTable table;
        layPairs(table, paths(b));
        MersenneRandom random;
        random.seed(36000);
        shuffle(table, n, b, random);
        QHash<QString, int> count;
        for (int slot = 1; slot <= n * n; ++slot)
            ++count[table[slot]];
        QCOMPARE(count.size(), b);
        for (auto it = count.cbegin(); it != count.cend(); ++it)
            QCOMPARE(it.value(), 2);
        for (int slot = n * n + 1; slot <= 100; ++slot)
            QVERIFY(table[slot].isEmpty());
    }

    void mixingExchangesWithTheDrawnPartner()
    {
        // All draws 0: every slot j is exchanged with slot 1, so after one pass slot 1 holds
        // what slot 16 held and every other picture moved one slot up.
        KartenBildTable table;
        const QStringList list = paths(8);
        layPairs(table, list);
        KartenBildTable expected = table;
        test::ScriptedRandom random;
        random.draws = {0.0f};
        shuffle(table, 4, 8, random);
        // Ten passes of that rotation over 16 slots.
        for (int pass = 0; pass < 10; ++pass) {
            const QString last = expected[16];
            for (int slot = 16; slot > 1; --slot)
                expected[slot] = expected[slot - 1];
            expected[1] = last;
        }
        QCOMPARE(table, expected);
        QCOMPARE(random.position, qsizetype(160)); // 10 x N x N draws
    }

    void seededMixingIsRepeatable()
    {
        KartenBildTable a, b;
        layPairs(a, paths(50));
        layPairs(b, paths(50));
        MersenneRandom r1, r2;
        r1.seed(4711);
        r2.seed(4711);
        shuffle(a, 10, 50, r1);
        shuffle(b, 10, 50, r2);
        QCOMPARE(a, b);
        KartenBildTable unmixed;
        layPairs(unmixed, paths(50));
        QVERIFY(a != unmixed);
    }

    void randomStaysBelowOne()
    {
        MersenneRandom random;
        random.seed(1);
        for (int i = 0; i < 100000; ++i) {
            const float r = random.next();
            QVERIFY(r >= 0.0f && r < 1.0f);
        }
    }

    void sortedListIgnoresCase()
    {
        QStringList list;
        for (const QString& p : {QStringLiteral("/x/Banane.jpg"), QStringLiteral("/x/apfel.jpg"),
                                 QStringLiteral("/x/Clown.bmp"), QStringLiteral("/x/aal.jpg")})
            list.insert(sortedPosition(list, p), p);
        QCOMPARE(list, QStringList({"/x/aal.jpg", "/x/apfel.jpg", "/x/Banane.jpg", "/x/Clown.bmp"}));
        // An equal entry (also one differing only in case) goes behind the ones there.
        QCOMPARE(sortedPosition(list, QStringLiteral("/x/APFEL.jpg")), 2);
    }

    // Where each arrow key leads from `from` on an n x n board whose `holes` have vanished.
    void arrowKeys_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("holes");
        QTest::addColumn<int>("from");
        QTest::addColumn<QList<int>>("leftRightUpDown");
        auto row = [](const char* name, int n, QList<int> holes, int from, QList<int> to) {
            QTest::newRow(name) << n << holes << from << to;
        };
        row("corner top left: stays left and up", 4, {}, 0, {0, 1, 0, 4});
        row("corner top right", 4, {}, 3, {2, 3, 3, 7});
        row("corner bottom left", 4, {}, 12, {12, 13, 8, 12});
        row("corner bottom right", 4, {}, 15, {14, 15, 11, 15});
        row("top edge", 4, {}, 1, {0, 2, 1, 5});
        row("middle", 4, {}, 5, {4, 6, 1, 9});
        row("10x10, one short of the far corner", 10, {}, 88, {87, 89, 78, 98});
        row("10x10, far corner", 10, {}, 99, {98, 99, 89, 99});
        row("a hole ahead is jumped, right and down", 4, {6, 9}, 5, {4, 7, 1, 13});
        row("holes ahead are jumped, left", 4, {5, 6}, 7, {4, 7, 3, 11});
        row("holes ahead are jumped, up", 4, {5, 9}, 13, {12, 14, 1, 13});
        row("holes up to the edge: the next column, nearest row", 4, {1, 2, 3}, 0, {0, 5, 0, 4});
        row("holes up to the edge: the next row, nearest column", 4, {4, 8, 12}, 0, {0, 1, 0, 5});
        row("the next column empty: the one after", 4, {1, 2, 3, 5, 9, 13}, 0, {0, 6, 0, 4});
        row("the next column's farthest card", 4, {1, 2, 3, 5, 9}, 0, {0, 13, 0, 4});
        row("ties to the lower index, right and down", 4, {6, 7, 9, 13}, 5, {4, 2, 1, 8});
        row("ties to the lower index, left and up", 4, {2, 6, 8, 9}, 10, {5, 11, 5, 14});
        row("no tie: the one card beside the line", 4, {2, 6, 7}, 5, {4, 10, 1, 9});
        row("nothing else left", 4, allBut({5}), 5, {5, 5, 5, 5});
    }
    void arrowKeys()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, holes);
        QFETCH(int, from);
        QFETCH(QList<int>, leftRightUpDown);
        const auto onBoard = [&](int card) { return !holes.contains(card); };
        const QPoint directions[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (int d = 0; d < 4; ++d)
            QCOMPARE(cardInDirection(from, n, directions[d].x(), directions[d].y(), onBoard), leftRightUpDown[d]);
    }

    // The card that takes the focus over when the focused one vanishes with its pair.
    void focusAfterAPair_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("holes");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("next");
        QTest::newRow("the next index") << 4 << QList<int>{} << 0 << 1;
        QTest::newRow("over holes") << 4 << QList<int>{1, 2} << 0 << 3;
        QTest::newRow("past the last card, the first") << 4 << QList<int>{} << 15 << 0;
        QTest::newRow("10x10, the last card") << 10 << QList<int>{} << 98 << 99;
        QTest::newRow("10x10, past the last card") << 10 << QList<int>{} << 99 << 0;
        QTest::newRow("round to the card before") << 4 << allBut({4, 5}) << 5 << 4;
        QTest::newRow("nothing else left") << 4 << allBut({5}) << 5 << -1;
    }
    void focusAfterAPair()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, holes);
        QFETCH(int, from);
        QFETCH(int, next);
        QCOMPARE(nextCardOnBoard(from, n, [&](int card) { return !holes.contains(card); }), next);
    }

    void attemptStateMachine()
    {
        Game p;
        p.start(4, 0.5f);
        test::ScriptedRandom random;
        QVERIFY(!p.deal(paths(7), random)); // too short: nothing dealt
        QVERIFY(p.pictureOf(0).isEmpty());
        QVERIFY(p.deal(paths(8), random));
        QCOMPARE(p.Bildanzahl, 8);

        // Find a matching and a non-matching partner for card 0.
        int match = -1, other = -1;
        for (int i = 1; i < 16; ++i)
            (p.pictureOf(i) == p.pictureOf(0) ? match : other) = i;

        CardClick k = p.click(0);
        QCOMPARE(k.kind, CardClick::Kind::FirstCard);
        QCOMPARE(k.box, 0);
        QCOMPARE(p.KlickKarteNr, 1);
        QCOMPARE(p.KartenNr1, 0);

        k = p.click(0); // the open card again
        QCOMPARE(k.kind, CardClick::Kind::Ignored);
        QCOMPARE(p.Versuche, 0);

        k = p.click(other);
        QCOMPARE(k.kind, CardClick::Kind::SecondCard);
        QCOMPARE(k.box, 1);
        QVERIFY(!k.pair);
        QCOMPARE(p.Versuche, 1);
        QCOMPARE(p.KlickKarteNr, 0);
        p.endAttempt();
        QCOMPARE(p.KartenNr1, -1);

        p.click(match);
        k = p.click(0);
        QVERIFY(k.pair);
        QCOMPARE(k.firstCard, match);
        QCOMPARE(p.Gefunden, 1);
        QVERIFY(!k.gameEnd);

        QCOMPARE(p.click(16).kind, CardClick::Kind::Ignored); // not on a 4 x 4 board
    }

    void pathsAreComparedExactly()
    {
        Game p;
        p.start(4, 0.0f);
        p.KartenBild[1] = QStringLiteral("/b/Bild.jpg");
        p.KartenBild[2] = QStringLiteral("/b/bild.jpg");
        p.click(0);
        QVERIFY(!p.click(1).pair);
    }

    void fit_data()
    {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QSize>("box");
        QTest::newRow("300x200") << QSize(300, 200) << QSize(169, 112);
        QTest::newRow("200x300") << QSize(200, 300) << QSize(112, 169);
        QTest::newRow("640x480") << QSize(640, 480) << QSize(169, 126);
        QTest::newRow("480x640") << QSize(480, 640) << QSize(126, 169);
        QTest::newRow("100x100") << QSize(100, 100) << QSize(169, 169);
        QTest::newRow("1000x10") << QSize(1000, 10) << QSize(169, 1);
        QTest::newRow("2000x10") << QSize(2000, 10) << QSize(169, 0);
    }
    void fit()
    {
        QFETCH(QSize, natural);
        QFETCH(QSize, box);
        QCOMPARE(fitToSquare(natural.width(), natural.height(), 169), box);
    }

    void clockText_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("now");
        QTest::addColumn<QString>("text");
        QTest::newRow("65 s") << 36000 << 36065 << "Zeit: 00:01:05";
        QTest::newRow("one hour") << 36000 << 39600 << "Zeit: 01:00:00";
        QTest::newRow("at once") << 50000 << 50000 << "Zeit: 00:00:00";
        QTest::newRow("across midnight") << 86390 << 15 << "Zeit: 00:00:25";
        QTest::newRow("late evening") << 0 << 86399 << "Zeit: 23:59:59";
    }
    void clockText()
    {
        QFETCH(int, start);
        QFETCH(int, now);
        QFETCH(QString, text);
        const QString shown = timeText(elapsedSeconds(fractionOfDay(now), fractionOfDay(start)));
        QCOMPARE(shown, text);
        QCOMPARE(shown.size(), 14);
        QCOMPARE(secondsFromTimeText(shown), (now - start + 86400) % 86400);
    }

    void leadingNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "05" << 5;
        QTest::newRow("blanks") << "  1475 " << 1475;
        QTest::newRow("negative") << "-12 " << -12;
        QTest::newRow("trailing letters") << "12abc" << 12;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("minus only") << "-" << 0;
        QTest::newRow("letters") << "ab" << 0;
        QTest::newRow("too large") << "99999999999" << std::numeric_limits<int>::max();
        QTest::newRow("too small") << "-99999999999" << std::numeric_limits<int>::min();
    }
    void leadingNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(leadingNumber(text), value);
    }

    void pauseMovesTheStart()
    {
        const float start = fractionOfDay(36000);
        const float pause = fractionOfDay(36065);
        const float moved = afterPause(start, pause, fractionOfDay(36095)); // 30 s shown
        QCOMPARE(elapsedSeconds(fractionOfDay(36095), moved), 65);
        // A pause across midnight.
        const float lateStart = fractionOfDay(86300);
        const float movedLate = afterPause(lateStart, fractionOfDay(86390), fractionOfDay(20));
        QCOMPARE(elapsedSeconds(fractionOfDay(20), movedLate), 90);
    }
};

QTEST_APPLESS_MAIN(TestGameRules)
#include "tst_game_rules.moc"
