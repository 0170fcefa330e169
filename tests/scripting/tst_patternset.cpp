// Patterns and their prefilter: the literal each pattern must contain, and
// that filtering never loses a line a pattern matches.
#include "scripting/PatternSet.h"

#include <QTest>

class TestPatternSet : public QObject {
    Q_OBJECT
private slots:
    void requiredLiteral_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("literal");
        QTest::newRow("plain") << "punti ferita"
                               << "punti ferita";
        QTest::newRow("longest run") << "^Ti restano (\\d+) punti ferita"
                                     << " punti ferita";
        QTest::newRow("escaped metacharacters") << "\\[spam\\] \\w+"
                                                << "[spam] ";
        QTest::newRow("optional characters dropped") << "colpit?o*"
                                                     << "colpi";
        QTest::newRow("counted repeat") << "abc{2}de"
                                        << "ab";
        QTest::newRow("plus keeps one") << "ahi+a"
                                        << "ahi";
        QTest::newRow("class and group skipped") << "x[)(|]yy(a|b)zzz"
                                                 << "zzz";
        QTest::newRow("class starting with ]") << "[]abc]dd"
                                               << "dd";
        QTest::newRow("escape with braces") << "\\p{L}ab\\x{41}c"
                                            << "ab";
        QTest::newRow("non-BMP optional") << QString("ab\U0001F600?") << "ab";
        QTest::newRow("top-level alternation") << "orco|troll"
                                               << "";
        QTest::newRow("caseless flag") << "(?i)orco"
                                       << "";
        QTest::newRow("extended flag") << "(?x) o r c o"
                                       << "";
        QTest::newRow("quoting") << "\\Qa.b\\E"
                                 << "";
        QTest::newRow("verb") << "(*UCP)orco"
                              << "";
        QTest::newRow("nothing literal") << "^\\d+$"
                                         << "";
        QTest::newRow("non-capturing group ok") << "(?:a|b)orco"
                                                << "orco";
    }
    void requiredLiteral() {
        QFETCH(QString, pattern);
        QTEST(RegexPattern::requiredLiteral(pattern), "literal");
    }

    // Every pattern that matches a line is among the candidates, in order;
    // a pattern whose literal is absent is not.
    void candidatesNeverMissAMatch() {
        const QStringList patterns{"punti ferita (\\d+)", "^Ti dice", "(?i)ORCO",
                                   "orco|troll",          "città\\b", "\\d+",
                                   "ti (dice|urla)",      "^$"};
        const QStringList lines{"Ti dice ciao",    "un Orco arriva", "la città è grande",
                                "punti ferita 12", "troll",          "",
                                "nulla qui",       "PUNTI FERITA x"};
        PatternSet set;
        QString error;
        std::vector<std::shared_ptr<RegexPattern>> compiled;
        for (int i = 0; i < patterns.size(); ++i) {
            compiled.push_back(RegexPattern::compile(patterns[i], error));
            QVERIFY2(compiled.back(), qPrintable(error));
            set.add(10 + i, compiled.back());
        }
        set.remove(10 + 5); // "\d+" gone
        QCOMPARE(set.unfiltered(), 3);
        int skipped = 0;
        for (const QString& line : lines) {
            QList<int> ids, matching;
            for (const auto& c : set.candidates(line))
                ids << c.id;
            RegexPattern::Match m;
            for (int i = 0; i < patterns.size(); ++i)
                if (i != 5 && compiled[size_t(i)]->match(line, m))
                    matching << 10 + i;
            for (int id : matching)
                QVERIFY2(ids.contains(id), qPrintable(line));
            QVERIFY(std::is_sorted(ids.begin(), ids.end()));
            skipped += int(patterns.size() - 1 - ids.size());
        }
        QVERIFY(skipped >= 25); // the filter does leave patterns out
    }

    void matchesReportGroupsInUtf16Units() {
        QString error;
        auto p = RegexPattern::compile("(?<chi>\\w+) (x)?(dice)", error);
        QVERIFY(p);
        QCOMPARE(p->groupCount(), 3);
        QCOMPARE(p->names().size(), size_t(1));
        QCOMPARE(p->names()[0].first, QString("chi"));
        RegexPattern::Match m;
        const QString line = QString("\U0001F600 Città dice");
        QVERIFY(p->match(line, m));
        QCOMPARE(m.text(line, 0), QString("Città dice"));
        QCOMPARE(m.groups[0].first, 3);
        QCOMPARE(m.groups[2].first, -1);
        QCOMPARE(m.text(line, 2), QString());
        QVERIFY(p->match(line, m, 4));
        QCOMPARE(m.text(line, 1), QString("ittà"));
        QVERIFY(!p->match(line, m, 9));
        // A broken surrogate does not stop the match.
        const QString broken = QString(QChar(0xD800)) + " orco dice";
        QVERIFY(p->match(broken, m));
        QCOMPARE(m.text(broken, 1), QString("orco"));
        QVERIFY(!RegexPattern::compile("a(", error));
        QVERIFY(error.startsWith("espressione non valida alla posizione 2"));
        // Runaway backtracking ends as no match.
        auto slow = RegexPattern::compile("(a+)+$", error);
        QVERIFY(!slow->match(QString(40, 'a') + "b", m));
    }
};

QTEST_MAIN(TestPatternSet)
#include "tst_patternset.moc"
