// Colour rendering of server text, read back from the real game display.
#include "display/GameDisplay.h"
#include "protocol/ColourRenderer.h"
#include "support/EscapeSequence.h"
#include "support/RecordingDisplay.h"

#include <QStringList>
#include <QTest>
#include <memory>

class TstColourRenderer : public QObject {
    Q_OBJECT

    GameDisplay* display = nullptr;
    std::unique_ptr<ColourRenderer> renderer;
    QStringList logged;

    // Renders one chunk (after what the last one left); returns what it kept.
    QString render(const QString& chunk) {
        renderer->render(chunk);
        return renderer->kept().toString();
    }
    QRgb current() const { return renderer->colours().current(); }
    QString shown() const { return display->buffer().text(); }
    // Colour of the first character of the first occurrence of needle.
    QRgb colourOf(const QString& needle) const {
        const int pos = int(shown().indexOf(needle));
        if (pos < 0)
            return qRgb(1, 2, 3); // never a palette colour
        return display->buffer().colourAt(pos);
    }

private slots:
    void init() {
        display = new GameDisplay;
        renderer = std::make_unique<ColourRenderer>(*display);
        logged.clear();
        renderer->setLogHook([this](QStringView piece) { logged.append(piece.toString()); });
    }
    void cleanup() {
        renderer.reset();
        delete display;
    }

    void brightGreenThenReset() {
        renderer->colours().setCurrent(qRgb(0, 0, 120));
        render("abc" + esc("1;32m") + "def" + esc("0m") + "ghi");
        QCOMPARE(shown(), QString("abcdefghi"));
        QCOMPARE(colourOf("abc"), qRgb(0, 0, 120));
        QCOMPARE(colourOf("def"), qRgb(0, 240, 0));
        QCOMPARE(colourOf("ghi"), qRgb(240, 240, 240));
        QCOMPARE(current(), qRgb(240, 240, 240));
        QCOMPARE(logged, QStringList({"abc", "def", "ghi"}));
    }

    void emptySequenceReappliesLastCodeOfChunk() {
        render(esc("31m") + "a" + esc("0m") + "b" + esc("m") + "c");
        QCOMPARE(colourOf("a"), qRgb(120, 0, 0));
        QCOMPARE(colourOf("b"), qRgb(240, 240, 240));
        QCOMPARE(colourOf("c"), qRgb(120, 0, 0));
        QCOMPARE(current(), qRgb(120, 0, 0));
    }

    void paletteAndBrightness() {
        // Brightness persists within a chunk; 40-47 are the bright colours;
        // with the offset they fall off the palette and change nothing.
        render(esc("1;31m") + "A" + esc("32m") + "B" + esc("1;30m") + "C" + esc("0;30m") + "D" +
               esc("44m") + "F" + esc("1;44m") + "G" + esc("38m") + "H" + esc("39m") + "I" +
               esc("0;37m") + "J");
        QCOMPARE(colourOf("A"), qRgb(240, 0, 0));
        QCOMPARE(colourOf("B"), qRgb(0, 240, 0));
        QCOMPARE(colourOf("C"), qRgb(200, 200, 200));
        QCOMPARE(colourOf("D"), qRgb(120, 120, 120));
        QCOMPARE(colourOf("F"), qRgb(0, 0, 240));
        QCOMPARE(colourOf("G"), qRgb(0, 0, 240)); // 54: no colour
        QCOMPARE(colourOf("H"), qRgb(0, 0, 240)); // 38 and 39 change nothing
        QCOMPARE(colourOf("I"), qRgb(0, 0, 240));
        QCOMPARE(colourOf("J"), qRgb(240, 240, 240));
        QCOMPARE(current(), qRgb(240, 240, 240));
        QCOMPARE(SgrColours::palette(-1, current()), current());
        QCOMPARE(SgrColours::palette(36, current()), qRgb(0, 120, 120));
    }

    void stateGoesOnAcrossCallsUntilANewChunk() {
        render(esc("1;31m") + "x");
        render(esc("32m") + "y"); // as in one call: still bright
        QCOMPARE(colourOf("y"), qRgb(0, 240, 0));
        renderer->colours().beginChunk(); // offset starts at 0 again: normal green
        render(esc("32m") + "v");
        QCOMPARE(colourOf("v"), qRgb(0, 120, 0));
        render(esc("31m") + "z");
        render(esc("1m") + "w"); // [1m alone sets no code: colour kept
        QCOMPARE(colourOf("w"), qRgb(120, 0, 0));
    }

    void cutSequenceIsHeldBack() {
        for (const QString& tail : {QString(kEsc), esc(""), esc("3"), esc("1;3")}) {
            renderer->dropKept();
            const QString chunk = "seen" + esc("32m") + "held " + tail;
            const QString left = render(chunk);
            QCOMPARE(renderer->kept(), "held " + tail);
            QCOMPARE(left, renderer->kept());
            QVERIFY(!shown().contains("held"));
            QVERIFY(!logged.join("").contains("held"));
        }
        // Completed by the next chunk: written then, in the colour it selects.
        render("3mnext"); // the kept text leads
        QVERIFY(renderer->kept().isEmpty());
        QVERIFY(shown().endsWith("held next"));
        QCOMPARE(colourOf("next"), qRgb(240, 240, 0)); // 1;33
    }

    void markerBecomesLineBreak() {
        render("one$0$two" + esc("31m") + "three$0$");
        QCOMPARE(display->buffer().lineCount(), 3);
        QCOMPARE(display->buffer().lineText(1), QString("twothree"));
        QCOMPARE(logged, QStringList({"one\r\ntwo", "three\r\n"}));
    }

    void markersAreFoundWithinEachPiece() {
        // Found left to right without overlapping, never across a sequence,
        // wherever they fall (a literal "$0$" from the server included).
        RecordingDisplay sink;
        ColourRenderer r(sink);
        QStringList logged;
        r.setLogHook([&](QStringView piece) { logged << piece.toString(); });
        r.render(u"$0$0$|$$0$|a$0$b$0$c|x$0");
        r.render(QString("a$0" + esc("31m") + "$0$" + esc("m") + "0$" + kEsc + "x$0$"));
        QCOMPARE(sink.texts(),
                 QStringList({"\r\n0$|$\r\n|a\r\nb\r\nc|x$0", "a$0", "\r\n", "0$", "\r\n"}));
        QCOMPARE(logged, sink.texts());
        // A marker in front of a cut sequence waits with it.
        r.render(QString("y$0$" + esc("3")));
        QCOMPARE(sink.pieces.size(), 5);
        r.render(u"1mz$0$");
        QCOMPARE(sink.texts().mid(5), QStringList({"y\r\n", "z\r\n"}));
    }

    void oddParametersAndOtherSequences() {
        // An empty or non-numeric field is ignored; the rest still counts.
        render(esc(";31m") + "a" + esc("3:1;32m") + "b" + esc("?25;33m") + "c");
        QCOMPARE(colourOf("a"), qRgb(120, 0, 0));
        QCOMPARE(colourOf("b"), qRgb(0, 120, 0));
        QCOMPARE(colourOf("c"), qRgb(120, 120, 0)); // "?25" is no number; 33 counts
    }

    void otherControlSequencesAreDroppedWhole() {
        renderer->colours().setCurrent(qRgb(0, 120, 0));
        render(esc("2J") + esc("H") + "top" + esc("K") + esc("10;5H") + " room: a smelly map" +
               esc("31m") + "red");
        QCOMPARE(shown(), QString("top room: a smelly mapred"));
        QCOMPARE(colourOf("top"), qRgb(0, 120, 0));
        QCOMPARE(colourOf("room"), qRgb(0, 120, 0));
        QCOMPARE(colourOf("red"), qRgb(120, 0, 0));
    }

    // Escapes that are no colour leave no character of their own, however
    // the text is cut; a window title is kept from OSC 0 and 2 only.
    void escapesOfOtherKindsLeaveNothing() {
        const QString e(kEsc);
        const struct {
            QString text, shown, title;
        } cases[] = {
            {"a" + e +
                 "]0;Window Title\x07"
                 "b",
             "ab", "Window Title"},                                          // BEL ends it
            {"a" + e + "]2;T\x01x" + e + "\\b", "ab", "Tx"},                 // ST ends it
            {e + "]8;;http://x.it/a\x07qui" + e + "]8;;\x07.", "qui.", "-"}, // a link
            {e + "]4;1;?\x07z", "z", "-"},
            {"a" + e + "Pq#0\x07" + e + "\\b", "ab", "-"}, // a device control string
            {"a" + e + "(B" + e + "=" + e + "7b" + e + "c", "ab", "-"},
            {esc("2J") + esc("?25l") + "a" + esc("1;1H"), "a", "-"},
            {"a" + e +
                 "\x01"
                 "b" +
                 e + "\xe9",
             "a\x01"
             "b\xe9",
             "-"}, // ESC alone dropped
            {"a" + esc("\x01") + "c",
             "a[\x01"
             "c",
             "-"},
        };
        for (const auto& c : cases) {
            for (int cut = 0; cut <= c.text.size(); ++cut) {
                cleanup();
                init();
                render(c.text.first(cut));
                render(c.text.sliced(cut));
                QCOMPARE(shown(), c.shown);
                QCOMPARE(renderer->takeTitle().value_or("-"), c.title);
                QVERIFY(renderer->kept().isEmpty());
            }
        }
    }

    // Under the terminal rules each attribute and background shows as xterm
    // draws it; the classic rules keep the game's palette and nothing more.
    void terminalAttributes() {
        const QRgb none = 1, plain = qRgb(240, 240, 240), black = qRgb(0, 0, 0);
        const int B = TextStyle::Bold, I = TextStyle::Italic, U = TextStyle::Underline,
                  S = TextStyle::Strike;
        const struct {
            QString params;
            QRgb colour, background;
            int flags;
        } cases[] = {
            {"34", qRgb(0, 0, 238), none, 0},
            {"1;30", qRgb(127, 127, 127), none, B},
            {"1", qRgb(255, 255, 255), none, B},
            {"1m\x1b[32", qRgb(0, 255, 0), none, B},
            {"2;31", qRgb(102, 0, 0), none, 0},
            {"2;37;44", qRgb(114, 114, 233), qRgb(0, 0, 238), 0},
            {"1;2;31;22", qRgb(205, 0, 0), none, 0},
            {"3", plain, none, I},
            {"4", plain, none, U},
            {"4:3;21", plain, none, U},
            {"9", plain, none, S},
            {"3;4;9;23;24;29", plain, none, 0},
            {"4:0", plain, none, 0},
            {"7", black, plain, 0},
            {"33;44;7", qRgb(0, 0, 238), qRgb(205, 205, 0), 0},
            {"7;27", plain, none, 0},
            {"41", plain, qRgb(205, 0, 0), 0},
            {"101", plain, qRgb(255, 0, 0), 0},
            {"1;43", qRgb(255, 255, 255), qRgb(205, 205, 0), B},
            {"48;5;21", plain, qRgb(0, 0, 255), 0},
            {"48;5;9", plain, qRgb(255, 0, 0), 0},
            {"48;2;1;2;3", plain, qRgb(1, 2, 3), 0},
            {"48:2::4:5:6", plain, qRgb(4, 5, 6), 0},
            {"48:5:232;38:5:1", qRgb(205, 0, 0), qRgb(8, 8, 8), 0},
            {"44;49", plain, none, 0},
            {"92", qRgb(0, 255, 0), none, 0},
            {"1;3;4;9;33;44;0", plain, none, 0},
            {"1;41m\x1b[", plain, none, 0},
        };
        for (const auto& c : cases) {
            cleanup();
            init();
            renderer->colours().setRules(SgrColours::Rules::Terminal);
            render("a" + esc(c.params + "m") + "x");
            const DisplayBuffer::Run run = display->buffer().runsOf(0).back();
            QCOMPARE(shown(), QString("ax"));
            QCOMPARE(display->buffer().runsOf(0).front().flags, 0); // "a" before it, plain
            QCOMPARE(run.colour, c.colour);
            QCOMPARE(run.bold, bool(c.flags & B));
            QCOMPARE(run.flags & ~TextStyle::Background, c.flags);
            QCOMPARE(run.flags & TextStyle::Background ? run.background : none, c.background);
            // The classic rules: the game's palette, no attribute at all.
            cleanup();
            init();
            render(esc(c.params + "m") + "x");
            QCOMPARE(display->buffer().runsOf(0).back().flags, 0);
            QVERIFY(!display->buffer().runsOf(0).back().bold);
        }
    }

    void unfinishedSequenceCannotHoldTextForever() {
        // ESC[ followed by kilobytes that never end it: shown, not held.
        const QString flood = QString("1;").repeated(4000);
        render("before" + esc("") + flood);
        QVERIFY(renderer->kept().isEmpty());
        QVERIFY(shown().startsWith("before"));
        QVERIFY(shown().endsWith(flood));
        // Held only while it could still be a sequence, and then bounded.
        render(esc("1;1;1;1;1;1"));
        QVERIFY(!renderer->kept().isEmpty());
        QVERIFY(renderer->kept().size() < ColourRenderer::kMaxSequenceLength);
        render(QString("1;").repeated(40) + "more");
        QVERIFY(renderer->kept().isEmpty());
        QVERIFY(shown().endsWith("more"));
    }

    void heldTextStaysBounded() {
        // Every read ends in an ESC that the next read shows to be no sequence:
        // text must still reach the display and the held text must not grow.
        const QString line = QString("x").repeated(1000);
        for (int i = 0; i < 20; ++i)
            render(QString::fromUtf8("é") + line + kEsc);
        QVERIFY(renderer->kept().size() <=
                ColourRenderer::kMaxHeldText + ColourRenderer::kMaxSequenceLength);
        QVERIFY(shown().size() > 15 * 1000);
        QVERIFY(shown().startsWith(QString::fromUtf8("é") + "xxx"));
    }

    void xtermColourForms() {
        // 256 colours: the palette, the cube, the grey ramp; 24-bit; and
        // the colon forms. Their numbers are never colour codes of their own.
        render(esc("38;5;196m") + "a" + esc("38;5;9m") + "b" + esc("38;5;4m") + "c" +
               esc("38;5;244m") + "d" + esc("38;2;12;34;56m") + "e" + esc("38:5:46m") + "f" +
               esc("38:2::1:2:3m") + "g" + esc("38:2:4:5:6m") + "h" + esc("1;38;5;31m") + "i");
        QCOMPARE(shown(), QString("abcdefghi"));
        QCOMPARE(colourOf("a"), qRgb(255, 0, 0));
        QCOMPARE(colourOf("b"), qRgb(240, 0, 0));
        QCOMPARE(colourOf("c"), qRgb(0, 0, 120));
        QCOMPARE(colourOf("d"), qRgb(128, 128, 128));
        QCOMPARE(colourOf("e"), qRgb(12, 34, 56));
        QCOMPARE(colourOf("f"), qRgb(0, 255, 0));
        QCOMPARE(colourOf("g"), qRgb(1, 2, 3));
        QCOMPARE(colourOf("h"), qRgb(4, 5, 6));
        QCOMPARE(colourOf("i"), qRgb(0, 135, 175)); // cube 31, not red
        // A parameterless sequence re-applies the last colour, whatever form.
        render(esc("38;2;7;8;9m") + "j" + esc("1m") + "k");
        QCOMPARE(colourOf("k"), qRgb(7, 8, 9));
    }

    // The ends of each range are exact; one past the end changes nothing.
    void xtermColourBounds() {
        const QRgb before = qRgb(1, 2, 3);
        const QList<std::pair<const char*, QRgb>> cases = {
            {"38;5;15", qRgb(240, 240, 240)},  {"38;5;16", qRgb(0, 0, 0)},
            {"38;5;231", qRgb(255, 255, 255)}, {"38;5;232", qRgb(8, 8, 8)},
            {"38;5;255", qRgb(238, 238, 238)}, {"38;5;256", before},
            {"38;2;255;0;0", qRgb(255, 0, 0)}, {"38;2;0;255;256", before},
        };
        for (const auto& [params, colour] : cases) {
            cleanup();
            init();
            renderer->colours().setCurrent(before);
            render(esc(QString(params) + "m"));
            QVERIFY2(current() == colour, params);
        }
    }

    void brokenAndBackgroundFormsChangeNothing() {
        renderer->colours().setCurrent(qRgb(0, 120, 0));
        render(esc("38;5;999m") + "a" + esc("38;2;300;0m") + "b" + esc("38;5m") + "c" +
               esc("48;5;196m") + "d" + esc("48;2;1;2;3;31m") + "e" + esc("48:5:1m") + "f");
        QCOMPARE(shown(), QString("abcdef"));
        for (const char* s : {"a", "b", "c", "d"})
            QCOMPARE(colourOf(s), qRgb(0, 120, 0));
        QCOMPARE(colourOf("e"), qRgb(120, 0, 0)); // the background took its own five
        QCOMPARE(colourOf("f"), qRgb(120, 0, 0));
    }

    void terminalRules() {
        // Bold and colour last across chunks; 0 resets both; 22 and 39 undo
        // them; xterm's sixteen colours, bold brightening the normal eight.
        renderer->colours().setRules(SgrColours::Rules::Terminal);
        render(esc("1m") + esc("34m") + "blu" + esc("0m") + " " + esc("33m") + "giallo");
        QCOMPARE(colourOf("blu"), qRgb(92, 92, 255));
        QCOMPARE(colourOf("giallo"), qRgb(205, 205, 0));
        render(esc("1m"));
        render(esc("31m") + "rosso" + esc("22m") + "scuro" + esc("41m") + "fondo" + esc("39m") +
               "chiaro" + esc("95m") + "viola" + esc("m") + "piano");
        QCOMPARE(colourOf("rosso"), qRgb(255, 0, 0));
        QCOMPARE(colourOf("scuro"), qRgb(205, 0, 0));
        QCOMPARE(colourOf("fondo"), qRgb(205, 0, 0));
        QCOMPARE(colourOf("chiaro"), qRgb(240, 240, 240));
        QCOMPARE(colourOf("viola"), qRgb(255, 0, 255));
        QCOMPARE(colourOf("piano"), qRgb(240, 240, 240));
    }

    void onePiecePerDisplayInsert() {
        RecordingDisplay sink; // each piece must be one insert
        ColourRenderer counted(sink);
        counted.render(QString("a$0$b" + esc("0;31m") + "c" + esc("m") + esc("32m") + "d"));
        QCOMPARE(sink.texts(), QStringList({"a\r\nb", "c", "d"}));
        QCOMPARE(sink.boldCalls, QList<bool>({false}));
        QVERIFY(counted.kept().isEmpty());
    }
};

QTEST_MAIN(TstColourRenderer)
#include "tst_colourrenderer.moc"
