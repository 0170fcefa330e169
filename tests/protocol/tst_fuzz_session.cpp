// Server text from the fuzzer: however the server's bytes fall into reads, the
// display and the log get the same text in the same colour. Only how much of
// the end still waits behind a cut sequence may differ, and the character's
// data beside the text comes out the same, in the same order.
#include "automation/PairTable.h"
#include "display/GameDisplay.h"
#include "files/CodePage.h"
#include "protocol/ColourRenderer.h"
#include "protocol/TextPath.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

struct Shown {
    QString logged;    // plus what is still waiting
    QString displayed; // plus what is still waiting
    QRgb colour = 0;
    // Of every character in the display (not the waiting ones): see
    // sameColours.
    QList<QRgb> colours;
    QStringList gmcp; // package and body of each message
    bool operator==(const Shown& o) const {
        return logged == o.logged && displayed == o.displayed && colour == o.colour &&
               gmcp == o.gmcp;
    }
};

// Where both displays show text, it has the same colours.
bool sameColours(const Shown& a, const Shown& b) {
    const qsizetype n = qMin(a.colours.size(), b.colours.size());
    return a.colours.first(n) == b.colours.first(n);
}

// Feeds the reads one by one into a fresh display: text, or the server's
// bytes.
template <typename Reads = QStringList> Shown play(const Reads& reads) {
    GameDisplay display;
    Shown out;
    PairTable triggers;
    TextPath path(display, triggers);
    path.setLogHook([&](QStringView piece) { out.logged += piece; });
    for (const auto& r : reads) {
        if constexpr (std::is_same_v<Reads, QStringList>)
            path.receiveText(r);
        else
            for (const GmcpAt& g : path.receive(r).gmcp)
                out.gmcp
                    << g.message.package + u' ' +
                           QJsonDocument(QJsonArray{g.message.data}).toJson(QJsonDocument::Compact);
    }
    QString waiting = path.keptText().toString() + path.heldBreak().toString();
    waiting.replace(LineBreaks::kMarker, QStringLiteral("\r\n"));
    out.logged += waiting;
    out.displayed = display.buffer().text() + waiting;
    out.displayed.remove(QLatin1Char('\r'));
    for (int pos = 0; pos < display.buffer().length(); ++pos)
        out.colours << display.buffer().colourAt(pos);
    out.colour = path.currentColour();
    return out;
}

} // namespace

class TestFuzzSession : public QObject {
    Q_OBJECT

private slots:
    void everySplitShowsTheSame_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("run of escapes before a cut sequence")
            << QByteArray("\0[rso il mN10__cxxabi", 21) + QByteArray(43, '\x1b') + "[";
        QTest::newRow("colours and line breaks")
            << QByteArray("\x1b[31mRosso\x1b[0m\r\n\n\rx\x1b[2J\x1b[33;0mgiallo\r\n\x1b[3");
    }
    void everySplitShowsTheSame() {
        QFETCH(QByteArray, bytes);
        const QString text = CodePage::decode(bytes);
        const Shown whole = play({text});
        for (qsizetype cut = 1; cut < text.size(); ++cut) {
            const Shown split = play({text.left(cut), text.mid(cut)});
            if (!(split == whole))
                QFAIL(qPrintable(QStringLiteral("read cut at %1").arg(cut)));
        }
    }

    // Bold and colour as separate sequences (one attribute per sequence, as
    // some servers send them): a read ending between the two shows the
    // colour as bright as one read does.
    void brightnessSurvivesTheEndOfARead() {
        const QString text = CodePage::decode("\x1b[1m\x1b[31mrosso\x1b[0m");
        const Shown whole = play({text});
        QCOMPARE(whole.colour, qRgb(240, 240, 240));
        GameDisplay display;
        PairTable triggers;
        TextPath path(display, triggers);
        path.receiveText(text.left(4));
        path.receiveText(QStringLiteral("\x1b[31mrosso"));
        QCOMPARE(display.buffer().text(), QStringLiteral("rosso"));
        QCOMPARE(display.buffer().colourAt(0), qRgb(240, 0, 0));
    }

    // A colour sequence without a colour field (here underline) takes the
    // last colour code seen before it: after a reset the text turns grey
    // again, in one read or across two.
    void colourAfterResetIndependentOfReads() {
        const QString text = CodePage::decode("\x1b[30mgrigio\x1b[0mchiaro\x1b[4mpoi");
        const Shown whole = play({text});
        const Shown split = play({text.left(19), text.mid(19)});
        QCOMPARE(split.displayed, whole.displayed);
        QCOMPARE(split.colour, qRgb(120, 120, 120));
        QCOMPARE(whole.colour, qRgb(120, 120, 120));
    }

    // The server shows itself a server of today in the middle of a read:
    // the text before keeps the classic rules, however the reads fall.
    void colourRulesChangeWhereTheServerShowsItself() {
        const QByteArray before = "\x1b[0;31mprima ";
        const QByteArray after = "\xff\xfb\x2a\x1b[1mdopo"; // IAC WILL CHARSET
        const Shown whole = play(QList<QByteArray>{before + after});
        const Shown split = play(QList<QByteArray>{before, after});
        QCOMPARE(split, whole);
        // Bold under the terminal rules brightens the default colour to white.
        QCOMPARE(whole.colour, qRgb(255, 255, 255));
    }

    // The server's bytes cut anywhere: in the CHARSET offer, inside a UTF-8
    // character, before or after the encoding and the colour rules change.
    void everyByteSplitShowsTheSame() {
        const QByteArray bytes =
            "\x1b[0;32mprima \xff\xfb\x2a\xff\xfa\x2a\x01;UTF-8;ISO-8859-1\xff\xf0"
            "\x1b[1mCittà € perché\x1b[38;5;208m più\r\n";
        const Shown whole = play(QList<QByteArray>{bytes});
        QVERIFY(whole.displayed.contains(QStringLiteral("Città € perché più")));
        for (qsizetype cut = 1; cut < bytes.size(); ++cut) {
            const Shown split = play(QList<QByteArray>{bytes.left(cut), bytes.mid(cut)});
            if (!(split == whole) || !sameColours(split, whole))
                QFAIL(qPrintable(QStringLiteral("read cut at byte %1").arg(cut)));
        }
    }

    // Messages beside the text, read or ignored, cut anywhere: the same
    // messages, and the text around them whole.
    void characterDataSplitAnywhere() {
        const auto sub = [](const QByteArray& payload) {
            return "\xff\xfa\xc9" + payload + "\xff\xf0";
        };
        const QByteArray bytes = sub("Char.Vitals 1") + "\xff\xfb\xc9Salve " +
                                 sub(R"(Char.Vitals {"hp":151,"maxhp":500})") +
                                 "vian\xe8"
                                 "dante " +
                                 sub(R"(Room.Info {"name":)") + sub("Core.Goodbye \"Addio\"") +
                                 "\r\n";
        const Shown whole = play(QList<QByteArray>{bytes});
        QCOMPARE(whole.displayed, QStringLiteral("Salve vianèdante \n"));
        QCOMPARE(whole.gmcp, QStringList({R"(Char.Vitals [{"hp":151,"maxhp":500}])",
                                          R"(Core.Goodbye ["Addio"])"}));
        for (qsizetype cut = 1; cut < bytes.size(); ++cut) {
            const Shown split = play(QList<QByteArray>{bytes.left(cut), bytes.mid(cut)});
            if (!(split == whole))
                QFAIL(qPrintable(QStringLiteral("read cut at byte %1").arg(cut)));
        }
        // Where each came among the read's text.
        GameDisplay display;
        PairTable triggers;
        TextPath path(display, triggers);
        QList<qsizetype> at;
        for (const GmcpAt& g : path.receive(bytes).gmcp)
            at << g.at;
        QCOMPARE(at, QList<qsizetype>({6, 17}));
    }

    // A blank line sent as CR LF CR LF shows the same whether or not a read
    // ends between its two line breaks.
    void blankLineShownTheSameAcrossReads() {
        const Shown whole = play({"uno\r\n\r\ndue"});
        const Shown split = play({"uno\r\n", "\r\ndue"});
        QCOMPARE(split.displayed, whole.displayed);
        QCOMPARE(split.displayed, QStringLiteral("uno\n\ndue"));
    }
};

QTEST_MAIN(TestFuzzSession)
#include "tst_fuzz_session.moc"
