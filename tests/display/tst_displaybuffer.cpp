#include "display/DisplayBuffer.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
const QRgb red = qRgb(120, 0, 0);
const QRgb green = qRgb(0, 240, 0);
const QRgb white = qRgb(255, 255, 255);

// A naive model of the buffer: the joined text and one colour per character.
struct Model {
    QString text;
    QList<QRgb> colours;
    QList<bool> bold;

    void append(const QString& t, QRgb c, bool b) {
        for (qsizetype i = 0; i < t.size(); ++i) {
            const QChar ch = t[i];
            if (ch == u'\r' || ch == u'\a')
                continue;      // carriage returns and bells are dropped
            if (ch == u'\b') { // takes back a character of the line
                if (!text.isEmpty() && text.back() != u'\n') {
                    text.chop(1);
                    colours.removeLast();
                    bold.removeLast();
                }
                continue;
            }
            if (ch == u'\t') { // spaces to the next tab stop
                const qsizetype column = text.size() - text.lastIndexOf(u'\n') - 1;
                append(QString(8 - column % 8, u' '), c, b);
                continue;
            }
            text.append(ch);
            colours.append(c);
            bold.append(b);
        }
    }
    void removeChars(int n) {
        text.remove(0, n);
        colours.remove(0, n);
        bold.remove(0, n);
    }
    void removeLines(int n) {
        int pos = 0;
        for (int i = 0; i < n; ++i) {
            const int nl = int(text.indexOf(u'\n', pos));
            if (nl < 0)
                return;
            pos = nl + 1;
        }
        removeChars(pos);
    }
    QStringList lines() const { return text.split(u'\n'); }
};
} // namespace

class TstDisplayBuffer : public QObject {
    Q_OBJECT
private slots:
    void lineBreaks_data();
    void lineBreaks();
    void breaksDoNotMergeAcrossAppends();
    void positionsAndLineFromChar();
    void runsMergeAndColoursReadBack();
    void longLineContinuesOnTheNext();
    void removeLeadingLines();
    void wrapRows();
    void randomAgainstModel();
};

void TstDisplayBuffer::lineBreaks_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << "ab\r\ncd" << QStringList{"ab", "cd"};
    QTest::newRow("lone cr dropped") << "ab\rcd" << QStringList{"abcd"};
    QTest::newRow("lone lf") << "ab\ncd" << QStringList{"ab", "cd"};
    QTest::newRow("lf cr is one") << "ab\n\rcd" << QStringList{"ab", "cd"};
    QTest::newRow("crlf crlf") << "\r\n\r\n" << QStringList{"", "", ""};
    QTest::newRow("cr cr lf") << "a\r\r\nb" << QStringList{"a", "b"};
    QTest::newRow("empty") << "" << QStringList{""};
    QTest::newRow("tab stops") << "a\tb\r\n12345678\tx\n\t\t|"
                               << QStringList{"a       b", "12345678        x",
                                              "                |"};
    QTest::newRow("bell dropped") << "a\ab\a" << QStringList{"ab"};
    QTest::newRow("backspace") << "abc\b\bd\tx\b" << QStringList{"ad      "};
    QTest::newRow("backspace stops at the line") << "a\n\b\bb" << QStringList{"a", "b"};
    QTest::newRow("backspace takes a pair")
        << QString::fromUtf8("a\xF0\x9F\x98\x80\b!") << QStringList{"a!"};
}

void TstDisplayBuffer::lineBreaks() {
    QFETCH(QString, input);
    QFETCH(QStringList, lines);
    DisplayBuffer b;
    b.append(input, white, false);
    QCOMPARE(b.lineCount(), lines.size());
    QCOMPARE(b.lastLine(), lines.size() - 1);
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(b.lineText(i), lines[i]);
    QCOMPARE(b.text(), lines.join(u'\n'));
    QCOMPARE(b.length(), b.text().size());
    QCOMPARE(b.bells(), input.count(u'\a'));
}

void TstDisplayBuffer::longLineContinuesOnTheNext() {
    DisplayBuffer b;
    const QString big(DisplayBuffer::kMaxLineLength * 2 + 5, u'x');
    b.append(QStringView(big).left(10), white, false);
    b.append(QStringView(big).mid(10), red, false);
    QCOMPARE(b.lineCount(), 3);
    QCOMPARE(b.lineText(0).size(), DisplayBuffer::kMaxLineLength);
    QCOMPARE(b.lineText(2).size(), 5);
    QCOMPARE(b.colourAt(5), white);
    QCOMPARE(b.colourAt(int(DisplayBuffer::kMaxLineLength) + 3), red);
    QCOMPARE(b.length(), int(big.size()) + 2);
}

void TstDisplayBuffer::breaksDoNotMergeAcrossAppends() {
    DisplayBuffer b;
    b.append(u"a\n", white, false);
    b.append(u"\nb", white, false);
    QCOMPARE(b.lineCount(), 3);
    QCOMPARE(b.text(), QStringLiteral("a\n\nb"));
    // Pieces of one line join without a break.
    DisplayBuffer c;
    c.append(u"ab", white, false);
    c.append(u"cd", red, false);
    QCOMPARE(c.lineCount(), 1);
    QCOMPARE(c.lineText(0), QStringLiteral("abcd"));
}

void TstDisplayBuffer::positionsAndLineFromChar() {
    DisplayBuffer b;
    b.append(u"ab\r\ncde\r\n\r\nf", white, false); // "ab\ncde\n\nf"
    QCOMPARE(b.length(), 9);
    QCOMPARE(b.lineStart(0), 0);
    QCOMPARE(b.lineStart(1), 3);
    QCOMPARE(b.lineStart(2), 7);
    QCOMPARE(b.lineStart(3), 8);
    const int expected[] = {0, 0, 0, 1, 1, 1, 1, 2, 3, 3};
    for (int pos = 0; pos <= 9; ++pos)
        QCOMPARE(b.lineFromChar(pos), expected[pos]);
    // Out of range clamps; the end of the text lies on the last line.
    QCOMPARE(b.lineFromChar(-5), 0);
    QCOMPARE(b.lineFromChar(9), 3);
    QCOMPARE(b.lineFromChar(1000), 3);
    QCOMPARE(b.mid(1, 4), QStringLiteral("b\ncd"));
    QCOMPARE(b.mid(6, 100), QStringLiteral("\n\nf"));
    QCOMPARE(b.mid(-3, 2), QStringLiteral("ab"));

    DisplayBuffer empty;
    QCOMPARE(empty.lineCount(), 1);
    QCOMPARE(empty.length(), 0);
    QCOMPARE(empty.lineFromChar(0), 0);
    QCOMPARE(empty.text(), QString());
}

void TstDisplayBuffer::runsMergeAndColoursReadBack() {
    DisplayBuffer b;
    b.append(u"ab", red, false);
    b.append(u"cd", red, false); // merges
    b.append(u"ef", red, true);  // bold differs
    b.append(u"gh\r\nij", green, true);
    b.append(u"kl", green, true); // merges across the piece on the new line
    const QList<DisplayBuffer::Run> first = b.lineRuns(0);
    QCOMPARE(first.size(), 3);
    QCOMPARE(first[0], (DisplayBuffer::Run{0, 4, red, false}));
    QCOMPARE(first[1], (DisplayBuffer::Run{4, 2, red, true}));
    QCOMPARE(first[2], (DisplayBuffer::Run{6, 2, green, true}));
    QCOMPARE(b.lineRuns(1), (QList<DisplayBuffer::Run>{{0, 4, green, true}}));

    QCOMPARE(b.colourAt(0), red);
    QCOMPARE(b.boldAt(3), false);
    QCOMPARE(b.boldAt(4), true);
    QCOMPARE(b.colourAt(6), green);
    QCOMPARE(b.colourAt(9), green);
    // The break after "gh" takes the colour of the character before it.
    QCOMPARE(b.colourAt(8), green);
    b.append(u"\r\n", red, false);
    QCOMPARE(b.colourAt(b.length()), white); // empty last line
    QCOMPARE(b.boldAt(b.length()), false);
}

void TstDisplayBuffer::removeLeadingLines() {
    DisplayBuffer b;
    for (int i = 0; i < 10; ++i)
        b.append(QStringLiteral("line %1\r\n").arg(i), i % 2 ? red : green, false);
    QCOMPARE(b.lineCount(), 11);
    b.removeLeadingLines(3);
    QCOMPARE(b.lineCount(), 8);
    QCOMPARE(b.lineText(0), QStringLiteral("line 3"));
    QCOMPARE(b.lineStart(0), 0);
    QCOMPARE(b.lineStart(1), 7);
    QCOMPARE(b.length(), b.text().size());
    QVERIFY(b.text().startsWith(QStringLiteral("line 3\nline 4")));
    QCOMPARE(b.colourAt(0), red);
    QCOMPARE(b.lineFromChar(7), 1);
    QCOMPARE(b.removedChars(), 21);

    b.removeLeadingLines(0);
    QCOMPARE(b.lineCount(), 8);
    // Asking for more than there is keeps the last line.
    b.removeLeadingLines(100);
    QCOMPARE(b.lineCount(), 1);
    QCOMPARE(b.length(), 0);
    b.append(u"after", red, false);
    QCOMPARE(b.text(), QStringLiteral("after"));

    // Many trims, as a long session makes them: positions stay right after
    // the dead front is compacted away.
    DisplayBuffer s;
    for (int i = 0; i < 3000; ++i) {
        s.append(QStringLiteral("%1\n").arg(i), white, false);
        if (s.lastLine() >= 50)
            s.removeLeadingLines(s.lastLine() - 50);
    }
    QCOMPARE(s.lineCount(), 51);
    QCOMPARE(s.lineText(0), QStringLiteral("2950"));
    QCOMPARE(s.lineText(49), QStringLiteral("2999"));
    QCOMPARE(s.lineFromChar(s.lineStart(20) + 1), 20);
    QCOMPARE(s.length(), s.text().size());
}

void TstDisplayBuffer::wrapRows() {
    DisplayBuffer b;
    b.setWrapColumns(10);
    b.append(u"\r\n", white, false);                    // empty line: one row
    b.append(QString(10, u'x') + "\r\n", white, false); // exactly one row
    b.append(QString(25, u'y'), white, false);          // three rows, growing
    QCOMPARE(b.rowCount(), 5);
    QCOMPARE(b.lineFirstRow(2), 2);
    QCOMPARE(b.lineFromRow(4), 2);
    QCOMPARE(b.lineFromRow(1), 1);
    b.append(QString(6, u'y'), white, false); // 31 characters: four rows
    QCOMPARE(b.rowCount(), 6);
    b.setWrapColumns(4);
    QCOMPARE(b.lineRows(1), 3);
    QCOMPARE(b.rowCount(), 1 + 3 + 8);
    QCOMPARE(b.lineFromRow(4), 2);
    QCOMPARE(b.lineFromRow(99), 2);
    b.removeLeadingLines(1);
    QCOMPARE(b.rowCount(), 11);
    QCOMPARE(b.lineFirstRow(1), 3);
    // A wrapped line goes with all its rows; the next one starts at the top.
    b.removeLeadingLines(1);
    QCOMPARE(b.rowCount(), 8);
    QCOMPARE(b.lineFirstRow(0), 0);
    QCOMPARE(b.lineFromRow(7), 0);
    b.setWrapColumns(0); // never below one column
    QCOMPARE(b.wrapColumns(), 1);
}

void TstDisplayBuffer::randomAgainstModel() {
    QRandomGenerator rng(1234);
    const QString alphabet = QStringLiteral("ab c\r\n\t\b\a");
    const QRgb palette[] = {red, green, white};
    for (int round = 0; round < 20; ++round) {
        DisplayBuffer b;
        Model m;
        b.setWrapColumns(1 + rng.bounded(7));
        for (int step = 0; step < 200; ++step) {
            const int what = rng.bounded(10);
            if (what < 7) {
                QString piece;
                for (int k = rng.bounded(8); k > 0; --k)
                    piece.append(alphabet[rng.bounded(alphabet.size())]);
                const QRgb c = palette[rng.bounded(3)];
                const bool bold = rng.bounded(2);
                b.append(piece, c, bold);
                m.append(piece, c, bold);
            } else if (what < 8) {
                const int n = rng.bounded(b.lineCount() + 1);
                b.removeLeadingLines(n);
                m.removeLines(std::min(n, int(m.lines().size()) - 1));
            } else {
                b.setWrapColumns(1 + rng.bounded(7));
            }
            QCOMPARE(b.text(), m.text);
            QCOMPARE(b.length(), m.text.size());
            const QStringList lines = m.lines();
            QCOMPARE(b.lineCount(), lines.size());
            int start = 0, row = 0;
            for (int i = 0; i < lines.size(); ++i) {
                QCOMPARE(b.lineStart(i), start);
                QCOMPARE(b.lineFirstRow(i), row);
                for (int p = start; p <= start + lines[i].size(); ++p)
                    QCOMPARE(b.lineFromChar(p), i);
                start += int(lines[i].size()) + 1;
                row += std::max<int>(
                    1, int((lines[i].size() + b.wrapColumns() - 1) / b.wrapColumns()));
            }
            QCOMPARE(b.rowCount(), row);
            for (int p = 0; p < m.text.size(); ++p) {
                if (m.text[p] == u'\n')
                    continue;
                QCOMPARE(b.colourAt(p), m.colours[p]);
                QCOMPARE(b.boldAt(p), m.bold[p]);
            }
        }
    }
}

QTEST_GUILESS_MAIN(TstDisplayBuffer)
#include "tst_displaybuffer.moc"
