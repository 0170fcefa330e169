// The eight-at-a-time searches must find what a plain loop finds, wherever
// the hit falls: in a full block, in the tail, at either end, or nowhere.
#include "files/CharScan.h"

#include <QRandomGenerator>
#include <QString>
#include <QTest>
#include <iterator>

class TstCharScan : public QObject {
    Q_OBJECT
private slots:
    void findsWhatAPlainLoopFinds() {
        QRandomGenerator rng(99);
        // 0xFF1B shares its low byte with ESC and 0x2400 its high byte with '$':
        // only whole units may match.
        // The searches' bounds and the units just below them are in it too.
        const char16_t alphabet[] = {u'a',   u'$', 0x1B, 0xFF1B, 0x2400, u'\r', u'\n',
                                     0xFFFF, 0x0E, 0x1C, 0x8000, 0x7FFF, 0x0D};
        for (int round = 0; round < 2000; ++round) {
            QString text;
            const int n = int(rng.bounded(40));
            for (int i = 0; i < n; ++i)
                text +=
                    QChar(rng.bounded(4) ? u'a' : alphabet[rng.bounded(int(std::size(alphabet)))]);
            const char16_t* s = QStringView(text).utf16();
            for (const auto& [a, b] : {std::pair{char16_t(0x1B), u'$'}, {u'\r', u'\n'}}) {
                for (int from = 0; from <= n; ++from) {
                    int expected = from;
                    while (expected < n && s[expected] != a && s[expected] != b)
                        ++expected;
                    QCOMPARE(int(CharScan::findEither(s + from, s + n, a, b) - s), expected);
                }
            }
            for (const auto& [a, b] : {std::pair{u'$', u'a'}, {char16_t(0x1B), u'$'}}) {
                for (int from = 0; from <= n; ++from) {
                    int expected = from;
                    while (expected + 1 < n && !(s[expected] == a && s[expected + 1] == b))
                        ++expected;
                    if (expected + 1 >= n)
                        expected = n;
                    QCOMPARE(int(CharScan::findPair(s + from, s + n, a, b) - s), expected);
                }
            }
            // Units are unsigned: 0xFFFF is not below a bound, 0x1B is.
            for (const char16_t bound : {char16_t(0x0E), char16_t(0x1C), char16_t(0x8000)}) {
                for (int from = 0; from <= n; ++from) {
                    int expected = from;
                    while (expected < n && s[expected] >= bound)
                        ++expected;
                    QCOMPARE(int(CharScan::findBelow(s + from, s + n, bound) - s), expected);
                }
            }
        }
    }
};

QTEST_MAIN(TstCharScan)
#include "tst_charscan.moc"
