// Finding text in the display's buffer: the cases a player meets while
// searching old output back and forth, trimmed lines included.
#include "display/DisplaySearch.h"

#include <QTest>

using DisplaySearch::Direction;
using DisplaySearch::find;

namespace {
DisplayBuffer bufferOf(const QString& text) {
    DisplayBuffer b;
    b.append(text, qRgb(255, 255, 255), false);
    return b;
}
} // namespace

class TstDisplaySearch : public QObject {
    Q_OBJECT
private slots:
    void forwardIgnoresCaseAndWraps() {
        // Positions: "Il drago" 0-8, "la Spada del DRAGO" 9-27, "fine" 28-32.
        const DisplayBuffer b = bufferOf("Il drago\nla Spada del DRAGO\nfine");
        auto m = find(b, "drago", 0, Direction::Forward);
        QCOMPARE(m.start, 3);
        QCOMPARE(m.length, 5);
        m = find(b, "drago", m.start + m.length, Direction::Forward);
        QCOMPARE(b.mid(m.start, m.length), QString("DRAGO"));
        QVERIFY(!m.wrapped);
        // Past the last one, the search starts again from the top.
        m = find(b, "drago", m.start + m.length, Direction::Forward);
        QCOMPARE(m.start, 3);
        QVERIFY(m.wrapped);
        QCOMPARE(find(bufferOf("CITTÀ"), "città", 0, Direction::Forward).start, 0);
    }

    void backwardFindsTheOneBefore() {
        const DisplayBuffer b = bufferOf("ab ab\nab\n\nxab");
        // From the end: the last one, then one by one towards the top.
        QList<int> starts;
        int from = b.length();
        for (int i = 0; i < 4; ++i) {
            const auto m = find(b, "AB", from, Direction::Backward);
            QVERIFY(!m.wrapped);
            starts << m.start;
            from = m.start;
        }
        QCOMPARE(starts, (QList<int>{11, 6, 3, 0}));
        // Before the first, round to the last; a match at the very start of a
        // line is found from the position just after it.
        const auto round = find(b, "ab", 0, Direction::Backward);
        QCOMPARE(round.start, 11);
        QVERIFY(round.wrapped);
        QCOMPARE(find(b, "ab", 7, Direction::Backward).start, 6);
        QCOMPARE(find(b, "ab", 6, Direction::Backward).start, 3);
    }

    void nothingToFind() {
        const DisplayBuffer b = bufferOf("solo testo\n");
        QVERIFY(!find(b, "drago", 5, Direction::Backward).found());
        QVERIFY(!find(b, "", 0, Direction::Forward).found());
        // A match never spans lines; positions out of range are clamped.
        QVERIFY(!find(b, "testo\nsolo", 0, Direction::Forward).found());
        QCOMPARE(find(b, "solo", -40, Direction::Forward).start, 0);
        QCOMPARE(find(b, "solo", 4000, Direction::Backward).start, 0);
        QVERIFY(!find(DisplayBuffer(), "x", 0, Direction::Backward).found());
    }

    void trimmedLinesAreGone() {
        DisplayBuffer b = bufferOf("drago uno\naltro\ndrago due\n");
        b.removeLeadingLines(1);
        const auto m = find(b, "drago", 0, Direction::Forward);
        QCOMPARE(b.mid(m.start, 9), QString("drago due"));
        QCOMPARE(find(b, "drago", m.start + 1, Direction::Forward).start, m.start);
    }
};

QTEST_MAIN(TstDisplaySearch)
#include "tst_displaysearch.moc"
