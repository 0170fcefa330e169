// The one-pass trigger search must agree with a plain substring search.
#include "protocol/TriggerMatcher.h"
#include "support/automation/TriggerTable.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
// The texts as a trigger table whose spare element would match "quid" if
// it were walked.
PairTable tableOf(const QStringList& texts) {
    PairTable t = matchTextTable(texts);
    t.texts.last() = "quid";
    return t;
}

QList<int> naive(const PairTable& t, const QString& text) {
    QList<int> out;
    const QString lower = text.toLower();
    for (int i = 0; i < t.walkEnd(); ++i)
        if (!t.texts[i].isEmpty() && lower.contains(t.texts[i].toLower()))
            out << i;
    return out;
}
// The automaton's table: 0 narrow cells, 1 wide cells, 2 none (fail links);
// 3 and 4 narrow and wide with rows for the root and a state or two (20
// cells), so the deeper states step by the rows they share.
void shape(TriggerMatcher& m, int table) {
    if (table == 1 || table == 4)
        m.setMaxNarrowRows(0);
    if (table == 2)
        m.setMaxDenseCells(0);
    if (table >= 3)
        m.setShallowRowCells(20);
}
void shapes() {
    QTest::addColumn<int>("table");
    QTest::newRow("16-bit table") << 0;
    QTest::newRow("32-bit table") << 1;
    QTest::newRow("fail links") << 2;
    QTest::newRow("16-bit, few shallow rows") << 3;
    QTest::newRow("32-bit, few shallow rows") << 4;
}
} // namespace

class TstTriggerMatcher : public QObject {
    Q_OBJECT
private slots:
    void overlappingAndRepeatedTexts() {
        const PairTable t =
            tableOf({"hers", "he", "she", "his", "s", "", "HE", "xyz", "Città", "èl"});
        TriggerMatcher m;
        m.sync(t);
        QCOMPARE(m.patternCount(), 9);
        const QString text = "uSHErs CITTÀ ÈL sheshe";
        QCOMPARE(m.findAll(TriggerMatcher::lowered(text)), QList<int>({0, 1, 2, 4, 6, 8, 9}));
        QCOMPARE(m.findAll(TriggerMatcher::lowered(u"hi")), QList<int>());
        QCOMPARE(m.findAll(TriggerMatcher::lowered(u"this")), QList<int>({3, 4}));
        // The spare element after the walked entries never matches.
        QCOMPARE(m.findAll(u"quid"), QList<int>());
        QCOMPARE(TriggerMatcher::lowered(u"ÀÉÌ AbZ").size(), 7);
    }

    void caseIsFoldedOneUnitAtATime_data() { shapes(); }
    void caseIsFoldedOneUnitAtATime() {
        QFETCH(int, table);
        const QString upperDeseret = QString::fromUcs4(U"\U00010400");
        const QString lowerDeseret = QString::fromUcs4(U"\U00010428");
        const PairTable t =
            tableOf({"zàσ", "ΣΟΦΊΑ", lowerDeseret, upperDeseret + "x", "σ", "z", "à"});
        TriggerMatcher m;
        shape(m, table);
        m.sync(t);
        QCOMPARE(m.findAll(u"ZÀΣ"), QList<int>({0, 4, 5, 6}));
        QCOMPARE(m.findAll(u"σοφία"), QList<int>({1, 4}));
        QCOMPARE(m.findAll(u"ς"), QList<int>()); // the final sigma is a letter of its own
        // A surrogate half has no case: the pair matches only itself.
        QCOMPARE(m.findAll(upperDeseret + "X"), QList<int>({3}));
        QCOMPARE(m.findAll(upperDeseret), QList<int>());
        QCOMPARE(m.findAll(lowerDeseret), QList<int>({2}));
        // Every UTF-16 unit is folded as QChar::toLower folds it.
        for (char32_t u = 0; u < 0x10000; ++u) {
            const char16_t unit = char16_t(u);
            const char16_t lower = char16_t(QChar::toLower(u));
            const bool expected = lower == u'z' || lower == u'à' || lower == u'σ';
            if (m.findAll(QStringView(&unit, 1)).isEmpty() == expected)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(uint(u), 4, 16, QChar(u'0'))));
        }
    }

    void findsAMatchAnywhereInALongText() {
        // Long texts are walked in four parts at once; a match may fall at
        // any place across the borders between them.
        const PairTable t = tableOf({"abcdef", "x", "ef"});
        TriggerMatcher m;
        m.sync(t);
        for (int length : {100, 101, 300}) {
            for (int at = 0; at + 6 <= length; ++at) {
                QString text(length, u'.');
                text.replace(at, 6, QStringLiteral("AbCdEf"));
                QCOMPARE(m.findAll(text), QList<int>({0, 2}));
            }
        }
    }

    // Capitals fold to small letters at both ends of the ASCII range and
    // beyond it, in the text searched and in the match texts alike.
    void everyCapitalFolds() {
        TriggerMatcher m;
        m.sync(matchTextTable({"zona", "AZZURRO", "ärger", "ÉTÉ", "ωμέγα", "ёж", "`{"}));
        const auto search = [&](QStringView text) {
            return m.findAll(TriggerMatcher::lowered(text));
        };
        QCOMPARE(search(u"LA ZONA"), QList<int>({0}));
        QCOMPARE(search(u"cielo azzurro"), QList<int>({1}));
        QCOMPARE(search(u"ÄRGER été"), QList<int>({2, 3}));
        QCOMPARE(search(u"ΩΜΈΓΑ ЁЖ"), QList<int>({4, 5}));
        // The neighbours of A and Z are no capitals.
        QCOMPARE(search(u"@["), QList<int>());
        QCOMPARE(search(u"`{"), QList<int>({6}));
    }

    void agreesWithPlainSearch_data() { shapes(); }
    void agreesWithPlainSearch() {
        QFETCH(int, table);
        QRandomGenerator rng(1234);
        // A small alphabet makes overlaps and shared prefixes common.
        const QString alphabet = "abAB c$";
        auto word = [&](int minLen, int maxLen) {
            QString s;
            const int n = minLen + int(rng.bounded(maxLen - minLen + 1));
            for (int i = 0; i < n; ++i)
                s += alphabet[int(rng.bounded(int(alphabet.size())))];
            return s;
        };
        for (int round = 0; round < 40; ++round) {
            QStringList texts;
            const int n = 1 + int(rng.bounded(60));
            for (int i = 0; i < n; ++i)
                texts << word(0, 6);
            const PairTable t = tableOf(texts);
            TriggerMatcher m;
            shape(m, table);
            m.sync(t);
            QCOMPARE(m.usesDenseTable(), table != 2);
            for (int k = 0; k < 20; ++k) {
                const QString text = word(0, 80);
                QCOMPARE(m.findAll(TriggerMatcher::lowered(text)), naive(t, text));
            }
        }
    }
};

QTEST_MAIN(TstTriggerMatcher)
#include "tst_triggermatcher.moc"
