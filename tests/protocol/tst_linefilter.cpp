// The text path with a line filter: what the filter is asked, and what the
// display then receives, piece by piece with its colour.
#include "protocol/TextPath.h"
#include "support/EscapeSequence.h"
#include "support/RecordingDisplay.h"
#include "support/automation/TriggerTable.h"

#include <QTest>

namespace {
constexpr QRgb kRed = qRgb(240, 0, 0);

// Gags lines holding "gag", writes "sost" as "SOST", colours every "rosso"
// red; remembers each question ("L:" a line, "P:" a prompt).
struct TableFilter : LineFilter {
    QStringList asked;
    bool on = true;
    bool active() const override { return on; }
    Shown filterLine(const QString& text, bool prompt) override {
        asked << (prompt ? "P:" : "L:") + text;
        Shown s;
        s.text = text;
        s.gagged = text.contains("gag");
        s.text.replace("sost", "SOST");
        for (qsizetype at = s.text.indexOf("rosso"); at >= 0; at = s.text.indexOf("rosso", at + 1))
            s.spans.append({at, 5, kRed, false, 0});
        return s;
    }
};

// Each piece as text, with "@rrggbb" after it when not the plain grey or white.
QString pieces(const RecordingDisplay& d) {
    QStringList out;
    for (const auto& p : d.pieces)
        out << p.text + (p.colour == qRgb(255, 255, 255) || p.colour == qRgb(240, 240, 240)
                             ? QString()
                             : "@" + QString::number(p.colour & 0xFFFFFF, 16));
    return out.join('|');
}
} // namespace

class TstLineFilter : public QObject {
    Q_OBJECT
private slots:
    void linesGoThroughTheFilter_data() {
        QTest::addColumn<QStringList>("reads"); // "<prompt>" releases, "<own>x" writes own text
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("shown");
        const QString red = esc("31m"), reset = esc("0m");
        QTest::newRow("colours kept") << QStringList{red + "ab" + reset + " cd\r\n"} << "L:ab cd"
                                      << "ab@780000| cd\r\n";
        QTest::newRow("gag takes the break too")
            << QStringList{"uno\r\ngag due\r\ntre\r\n"} << "L:uno L:gag due L:tre"
            << "uno\r\n|tre\r\n";
        QTest::newRow("a line across reads waits for its end")
            << QStringList{"par", "te sost\r\n"} << "L:parte sost"
            << "parte SOST|\r\n";
        QTest::newRow("span over the server's colours")
            << QStringList{red + "il rosso" + reset + " qui\r\n"} << "L:il rosso qui"
            << "il @780000|rosso@f00000| qui|\r\n";
        QTest::newRow("prompt marked by the server")
            << QStringList{"x\r\n<Io> " + QString::fromLatin1("\xFF\xF9", 2)} << "L:x P:<Io> "
            << "x\r\n|<Io> ";
        QTest::newRow("prompt after waiting, not asked again as a line")
            << QStringList{"<Io> ", "<prompt>", "\r\ngag\r\n"} << "P:<Io>  L:gag"
            << "<Io> |\r\n";
        QTest::newRow("own text shows what waits first; its line is asked once whole")
            << QStringList{"<Io> ", "<own>guarda\r\n", "gag\r\n"} << "L:<Io> gag"
            << "<Io> |guarda\r\n";
        QTest::newRow("trigger echo follows its line")
            << QStringList{"ciao a te\r\nresto"} << "L:ciao a te"
            << "ciao a te\r\n|resto|saluti\r\n";
    }
    void linesGoThroughTheFilter() {
        QFETCH(QStringList, reads);
        RecordingDisplay display;
        PairTable triggers = triggerTable({{"ciao", "saluti"}});
        TextPath path(display, triggers);
        TableFilter filter;
        path.setLineFilter(&filter);
        for (const QString& read : reads) {
            if (read == "<prompt>")
                path.releasePrompt();
            else if (read.startsWith("<own>"))
                path.ownText().insertText(read.mid(5));
            else
                path.receive(read.toLatin1());
        }
        QTEST(filter.asked.join(' '), "asked");
        QTEST(pieces(display), "shown");
    }

    // However a read cuts the text (inside a line, a colour sequence, a line
    // break), the filter is asked the same lines and every character reaches
    // the display once, in the same colour, as when it comes in one read.
    void readBoundariesChangeNothing() {
        const QByteArray text =
            (esc("31m") + "il rosso" + esc("0m") + " qui\r\ngag riga\r\n" + "uno sost " +
             esc("32m") + "due\r\nre" + esc("1;33m") + "sto di riga\r\ncoda")
                .toLatin1();
        const auto run = [&](qsizetype cut) {
            RecordingDisplay display;
            PairTable triggers;
            TextPath path(display, triggers);
            TableFilter filter;
            path.setLineFilter(&filter);
            path.receive(text.first(cut));
            path.receive(text.sliced(cut));
            path.releasePrompt();
            QString coloured; // each character with its colour
            for (const auto& p : display.pieces)
                for (QChar c : p.text)
                    coloured += c + QString::number(p.colour & 0xFFFFFF, 16) + u' ';
            return std::pair{filter.asked.join(u'|'), coloured};
        };
        const auto whole = run(text.size());
        QCOMPARE(whole.first, "L:il rosso qui|L:gag riga|L:uno sost due|L:resto di riga|P:coda");
        QVERIFY(whole.second.startsWith("i780000 l780000  780000 rf00000 "));
        for (qsizetype cut = 0; cut < text.size(); ++cut)
            QCOMPARE(run(cut), whole);
    }

    // Without an active filter every call reaches the display as it came.
    void inactiveFilterPassesThrough() {
        RecordingDisplay plain, filtered;
        PairTable t1 = triggerTable({{"ciao", "saluti"}}), t2 = t1;
        TextPath a(plain, t1), b(filtered, t2);
        TableFilter filter;
        filter.on = false;
        b.setLineFilter(&filter);
        for (const char* read : {"\x1b[31mciao\r", "\n<gag> ", "x\x1b[1;3", "2mz\r\n"}) {
            a.receive(read);
            b.receive(read);
        }
        QCOMPARE(pieces(filtered), pieces(plain));
        QCOMPARE(filtered.boldCalls, plain.boldCalls);
        QVERIFY(filter.asked.isEmpty());
        // Switched on while text waits, off again: nothing is lost.
        filter.on = true;
        b.receive("mezza");
        filter.on = false;
        b.receive(" riga\r\n");
        QVERIFY(pieces(filtered).endsWith("mezza@f000| riga\r\n@f000"));
    }
};

QTEST_MAIN(TstLineFilter)
#include "tst_linefilter.moc"
