#include "protocol/TelnetLayer.h"

#include <QRegularExpression>
#include <QTest>

#include <functional>
#include <zlib.h>

namespace {
// Telnet bytes written as in the protocol's documents.
constexpr char IAC = char(255), DONT = char(254), DO = char(253), WONT = char(252),
               WILL = char(251), SB = char(250), GA = char(249), SE = char(240),
               EOR_CMD = char(239);
constexpr char ECHO = 1, SGA = 3, TTYPE = 24, EOR = 25, NAWS = 31, NEW_ENVIRON = 39, CHARSET = 42,
               MCCP2 = 86;

QByteArray bytes(std::initializer_list<char> list) {
    return QByteArray(list.begin(), qsizetype(list.size()));
}

QByteArray charsetSub(const QByteArray& payload) {
    QByteArray escaped = payload;
    escaped.replace("\xFF", "\xFF\xFF");
    return bytes({IAC, SB, CHARSET}) + escaped + bytes({IAC, SE});
}

QByteArray ttypeIs(const QByteArray& name) {
    return bytes({IAC, SB, TTYPE, 0}) + name + bytes({IAC, SE});
}

// The protocol parser leaves the error code of its warnings unset: the field
// holds whatever its stack slot held. This fills the stack below the caller
// with one value, so the next feed's warnings carry it.
Q_NEVER_INLINE void fillStackWith(int value) {
    volatile int area[16 * 1024];
    for (volatile int& v : area)
        v = value;
}

QByteArray deflated(const QByteArray& plain) {
    uLongf size = compressBound(uLong(plain.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(plain.constData()), uLong(plain.size()));
    out.truncate(qsizetype(size));
    return out;
}

// Records what the layer hands on, with a log that shows the order; react
// runs after each event with its letter in the log.
struct Recorder : TelnetEvents {
    TelnetLayer layer{*this};
    QByteArray text;
    QByteArray sent;
    QList<bool> echoes;
    int prompts = 0;
    QStringList errors;
    QList<TextEncoding> encodings;
    int modern = 0;
    QList<QByteArray> messages; // option 201
    QString order;
    std::function<void(QChar)> react;

    explicit Recorder(const TextSettings& settings = {}) { layer.setSettings(settings); }
    void log(QChar event) {
        order += event;
        if (react)
            react(event);
    }
    void data(QByteArrayView b) override {
        text += b;
        log(u'D');
    }
    void send(QByteArrayView b) override { sent += b; }
    void serverEchoChanged(bool on) override {
        echoes << on;
        log(on ? u'E' : u'e');
    }
    void promptMark() override {
        ++prompts;
        log(u'P');
    }
    void error(const QString& m) override { errors << m; }
    void encodingChanged(TextEncoding e) override {
        encodings << e;
        log(u'U');
    }
    void todaysServer() override {
        ++modern;
        log(u'M');
    }
    void gmcp(QByteArrayView payload) override {
        messages << payload.toByteArray();
        log(u'G');
    }
    void feedBytewise(const QByteArray& b) {
        for (char c : b)
            layer.feed(&c, 1);
    }
};
} // namespace

class TstTelnetLayer : public QObject {
    Q_OBJECT
private slots:
    // Option 201: agreed once, with our introduction; messages handed on in
    // order with the text, and only while agreed; refused when the settings
    // say so. Ours go out framed, IAC doubled, only while agreed.
    void characterDataBesideTheText() {
        constexpr char GMCP = char(201);
        const auto sub = [](QByteArray payload) {
            payload.replace("\xFF", "\xFF\xFF");
            return bytes({IAC, SB, GMCP}) + payload + bytes({IAC, SE});
        };
        const QByteArray will = bytes({IAC, WILL, GMCP}), wont = bytes({IAC, WONT, GMCP});
        const QByteArray stream = sub("Early 1") + "a" + will + "b" +
                                  sub(R"(Char.Vitals {"hp":1})") + "c" + will + sub("X \"\xFF\"") +
                                  wont + sub("Late 2") + "d";
        const QByteArray introduction =
            sub(R"(Core.Hello {"client":"Varendor","version":"1.0"})") +
            sub(R"(Core.Supports.Set ["Char 1","Char.Vitals 1","Room 1","Comm.Channel 1"])");
        for (const bool agreed : {true, false}) {
            for (const bool bytewise : {false, true}) {
                TextSettings settings;
                settings.gmcp = agreed;
                Recorder r(settings);
                QVERIFY(!r.layer.sendGmcp("A 1"));
                bytewise ? r.feedBytewise(stream) : r.layer.feed(stream);
                QCOMPARE(r.text, QByteArray("abcd"));
                // The offer, taken or refused, shows a server of today (M).
                QCOMPARE(r.order, agreed ? QString("DMDGDGD") : QString("DMDDD"));
                const QList<QByteArray> messages = {R"(Char.Vitals {"hp":1})", "X \"\xFF\""};
                QCOMPARE(r.messages, agreed ? messages : QList<QByteArray>());
                const QByteArray dont = bytes({IAC, DONT, GMCP});
                QCOMPARE(r.sent.toHex(' '),
                         (agreed ? bytes({IAC, DO, GMCP}) + introduction + dont : dont + dont)
                             .toHex(' '));
                QVERIFY(!r.layer.gmcpEnabled() && !r.layer.sendGmcp("A 1"));
                r.layer.feed(will);
                r.sent.clear();
                QCOMPARE(r.layer.sendGmcp("A \"\xFF\""), agreed);
                QCOMPARE(r.sent.toHex(' '), (agreed ? sub("A \"\xFF\"") : QByteArray()).toHex(' '));
                r.layer.reset(); // a new connection starts unagreed
                QVERIFY(!r.layer.gmcpEnabled());
            }
        }
    }

    void plainBytesPassThroughUnchanged() {
        Recorder r;
        QByteArray all;
        for (int i = 0; i < 255; ++i)
            all += char(i);
        all += QByteArray("line\r\nnext\n\rcr\0nul\r", 19);
        r.layer.feed(all.left(100));
        r.layer.feed(all.mid(100));
        QCOMPARE(r.text, all);
        QVERIFY(r.sent.isEmpty());
        QVERIFY(r.echoes.isEmpty());
        QCOMPARE(r.prompts, 0);
    }

    void answersTheGameServersOpening() {
        Recorder r;
        const QByteArray opening =
            bytes({IAC, WILL, EOR,  IAC, DO, EOR,         IAC, DO,   SGA,     IAC, DO, TTYPE,
                   IAC, DO,   NAWS, IAC, DO, NEW_ENVIRON, IAC, WILL, CHARSET, IAC, DO, CHARSET}) +
            "Welcome\r\n";
        r.layer.feed(opening);
        QCOMPARE(r.text, QByteArray("Welcome\r\n"));
        const QByteArray expected =
            bytes({IAC,   DO,  EOR,  IAC,  WONT,        EOR, IAC,  WONT,    SGA, IAC,  WILL,
                   TTYPE, IAC, WILL, NAWS, IAC,         SB,  NAWS, 0,       80,  0,    24,
                   IAC,   SE,  IAC,  WONT, NEW_ENVIRON, IAC, DO,   CHARSET, IAC, WILL, CHARSET});
        QCOMPARE(r.sent.toHex(' '), expected.toHex(' '));
        QVERIFY(r.layer.windowSizeAgreed());

        // The server asks for the terminal type, then for the next one.
        r.sent.clear();
        r.layer.feed(bytes({IAC, SB, TTYPE, 1, IAC, SE}));
        const QByteArray ttype = bytes({IAC, SB, TTYPE, 0}) + "VARENDOR" + bytes({IAC, SE});
        QCOMPARE(r.sent, ttype);
        r.layer.feed(bytes({IAC, SB, TTYPE, 1, IAC, SE}));
        QCOMPARE(r.sent, ttype + bytes({IAC, SB, TTYPE, 0}) + "XTERM-256COLOR" + bytes({IAC, SE}));

        // Options we know nothing of are refused both ways, once.
        r.sent.clear();
        // (69 and 70 are two more ways of sending the game's state.)
        r.layer.feed(bytes({IAC, WILL, 69, IAC, DO, 69, IAC, WILL, 70, IAC, WILL, EOR}));
        QCOMPARE(r.sent, bytes({IAC, DONT, 69, IAC, WONT, 69, IAC, DONT, 70}));
        QVERIFY(r.text == "Welcome\r\n");
    }

    void windowSizeFollowsTheDisplay() {
        Recorder r;
        r.layer.setWindowSize(120, 40); // not agreed yet: kept for later
        QVERIFY(r.sent.isEmpty());
        r.layer.feed(bytes({IAC, DO, NAWS}));
        QCOMPARE(r.sent, bytes({IAC, WILL, NAWS, IAC, SB, NAWS, 0, 120, 0, 40, IAC, SE}));

        r.sent.clear();
        r.layer.setWindowSize(120, 40);
        QVERIFY(r.sent.isEmpty());
        // 255 columns: the byte 0xFF inside the size is doubled.
        r.layer.setWindowSize(255, 300);
        QCOMPARE(r.sent, bytes({IAC, SB, NAWS, 0, IAC, IAC, 1, 44, IAC, SE}));
        r.sent.clear();
        r.layer.setWindowSize(-5, 70000);
        QCOMPARE(r.sent, bytes({IAC, SB, NAWS, 0, 0, IAC, IAC, IAC, IAC, IAC, SE}));

        // After the server withdraws its request nothing more is sent.
        r.layer.feed(bytes({IAC, DONT, NAWS}));
        r.sent.clear();
        r.layer.setWindowSize(90, 30);
        QVERIFY(r.sent.isEmpty());
        QVERIFY(!r.layer.windowSizeAgreed());
    }

    void commandsSplitAcrossFeeds() {
        const QByteArray stream = "ab" + bytes({IAC, IAC}) + "c" + bytes({IAC, WILL, ECHO}) + "pw" +
                                  bytes({IAC, SB, TTYPE, 1, IAC, SE}) + "d" + bytes({IAC, GA}) +
                                  "e" + bytes({IAC});
        Recorder whole;
        whole.layer.feed(stream);
        Recorder split;
        split.feedBytewise(stream);
        for (Recorder* r : {&whole, &split}) {
            QCOMPARE(r->text, QByteArray("ab\xFF") + "cpwde");
            QCOMPARE(r->echoes, QList<bool>{true});
            QCOMPARE(r->prompts, 1);
        }
        QCOMPARE(split.sent, whole.sent);
        // The trailing IAC waits for its command byte.
        split.layer.feed(bytes({IAC}));
        QCOMPARE(split.text, QByteArray("ab\xFF") + "cpwde\xFF");
    }

    void dataBetweenEveryKindOfCommand() {
        // Text between commands bypasses the protocol parser; each command
        // must end where the parser ends it, wherever the reads are cut.
        const char NOP = char(241);
        const QByteArray stream = "a" + bytes({IAC, DONT, NAWS}) + "b" + bytes({IAC, NOP}) + "c" +
                                  bytes({IAC, SB, TTYPE, 'x', IAC, IAC, 'y', IAC, SE}) + "d" +
                                  bytes({IAC, SB, TTYPE, 'z', IAC, 'q'}) + "e" +
                                  bytes({IAC, WILL, ECHO}) + "f" + bytes({IAC, IAC}) + "g";
        for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
            Recorder r;
            r.layer.feed(stream.first(cut));
            r.layer.feed(stream.sliced(cut));
            QCOMPARE(r.text, QByteArray("abcdef\xFFg"));
            QCOMPARE(r.echoes, QList<bool>{true});
        }
    }

    void serverEchoOnAndOff() {
        Recorder r;
        r.layer.feed("Password: " + bytes({IAC, WILL, ECHO}));
        QCOMPARE(r.sent, bytes({IAC, DO, ECHO}));
        QVERIFY(r.layer.serverEchoes());
        r.layer.feed(bytes({IAC, WILL, ECHO})); // already on: no answer, no signal
        QCOMPARE(r.sent, bytes({IAC, DO, ECHO}));
        r.layer.feed(bytes({IAC, WONT, ECHO}) + "\r\nOk\r\n");
        QCOMPARE(r.sent, bytes({IAC, DO, ECHO, IAC, DONT, ECHO}));
        QVERIFY(!r.layer.serverEchoes());
        QCOMPARE(r.echoes, (QList<bool>{true, false}));
        // The prompt text comes before the echo change, the rest after it.
        QCOMPARE(r.order, QStringLiteral("DEeD"));
        QCOMPARE(r.text, QByteArray("Password: \r\nOk\r\n"));
        // A WONT for an echo never switched on changes nothing.
        Recorder fresh;
        fresh.layer.feed(bytes({IAC, WONT, ECHO}));
        QVERIFY(fresh.echoes.isEmpty());
    }

    void promptMarks() {
        Recorder r;
        r.layer.feed(bytes({IAC, WILL, EOR}) + "HP 10> " + bytes({IAC, EOR_CMD}) + "x" +
                     bytes({IAC, GA}));
        QCOMPARE(r.prompts, 2);
        QCOMPARE(r.order, QStringLiteral("MDPDP")); // EOR offered: a server of today
        QCOMPARE(r.text, QByteArray("HP 10> x"));
    }

    void inflatesACompressedStream() {
        Recorder r;
        r.layer.feed("before" + bytes({IAC, WILL, MCCP2}));
        QCOMPARE(r.sent, bytes({IAC, DO, MCCP2}));
        QByteArray inner;
        for (int i = 0; i < 400; ++i)
            inner += "L" + QByteArray::number(i) + " compressed \xE9 text\r\n";
        inner += bytes({IAC, IAC, IAC, WILL, ECHO}) + "end";
        const QByteArray packed = deflated(inner);
        QVERIFY(packed.size() < inner.size() / 4);
        const QByteArray stream =
            bytes({IAC, SB, MCCP2, IAC, SE}) + packed + "after the stream ends";
        const QByteArray expected =
            "before" + inner.left(inner.size() - 8) + "\xFF" + "end" + "after the stream ends";
        // In one piece, and in uneven pieces with the start sequence itself cut:
        // the text after the end of the compressed stream must not be lost.
        Recorder whole;
        whole.layer.feed("before" + bytes({IAC, WILL, MCCP2}) + stream);
        QCOMPARE(whole.text, expected);
        QVERIFY(!whole.layer.compressed());
        for (qsizetype at = 0; at < stream.size(); at += 7) {
            r.layer.feed(stream.mid(at, 7));
            if (at == 7)
                QVERIFY(r.layer.compressed());
        }
        QCOMPARE(r.text, expected);
        QCOMPARE(r.echoes, QList<bool>{true});
        QVERIFY(r.errors.isEmpty());
    }

    // A second compressed stream after the first has ended, the reads cut
    // at every byte, between the IAC and the SE that start it too: nothing
    // after either stream is lost.
    void everyCutOfTwoCompressedStreamsReadsTheSame() {
        const QByteArray start = bytes({IAC, SB, MCCP2, IAC, SE});
        const QByteArray stream = "a" + bytes({IAC, WILL, MCCP2}) + start + deflated("uno\r\n") +
                                  "mid\r\n" + start + deflated("due\r\n") + "end\r\n";
        Recorder whole;
        whole.layer.feed(stream);
        QCOMPARE(whole.text, QByteArray("auno\r\nmid\r\ndue\r\nend\r\n"));
        for (qsizetype cut = 1; cut < stream.size(); ++cut) {
            Recorder r;
            r.layer.feed(stream.left(cut));
            r.layer.feed(stream.mid(cut));
            if (r.text != whole.text)
                QFAIL(qPrintable(QStringLiteral("reads cut at byte %1").arg(cut)));
        }
    }

    void brokenCompressedStreamIsReported() {
        Recorder r;
        r.layer.feed(bytes({IAC, WILL, MCCP2, IAC, SB, MCCP2, IAC, SE}) + "not deflate data");
        QVERIFY(!r.errors.isEmpty());
        QVERIFY(r.layer.failed());
        r.layer.feed(QByteArrayView("more garbage"));
        QVERIFY(r.text.isEmpty());
        QCOMPARE(r.errors.size(), 1);
        // A new connection starts clean.
        r.layer.reset();
        r.layer.feed(QByteArrayView("clean"));
        QCOMPARE(r.text, QByteArray("clean"));
    }

    void sendDoublesIac() {
        Recorder r;
        r.layer.send(QByteArray("say \xFF\xFFy\r\n"));
        QCOMPARE(r.sent, QByteArray("say \xFF\xFF\xFF\xFFy\r\n"));
        r.layer.send(QByteArray());
        QCOMPARE(r.sent.size(), 11);
    }

    void eventsMayFeedSendOrReset() {
        // An event that feeds more bytes: they come after the rest of the first feed.
        Recorder r;
        r.react = [&](QChar e) {
            if (e == u'D' && r.text == "one")
                r.layer.feed(QByteArrayView("[later]"));
        };
        r.layer.feed("one" + bytes({IAC, GA}) + "two");
        QCOMPARE(r.text, QByteArray("onetwo[later]"));

        // An event that resets the layer drops what was left of that feed,
        // whether the parser sent it (a prompt mark) or it went round it
        // (text); what the event feeds or sends next belongs to the new
        // connection.
        struct Case {
            QChar at;
            QByteArray fedThen, sentThen, text, sent;
            QList<bool> echoes;
        };
        const QByteArray stream =
            "a" + bytes({IAC, WILL, ECHO, IAC, GA}) + "b" + bytes({IAC, WILL, ECHO});
        const QList<Case> cases = {
            {u'P', {}, {}, "a", bytes({IAC, DO, ECHO}), {true}},
            {u'E', "new", "hi", "anew", bytes({IAC, DO, ECHO}) + "hi", {true}},
            {u'D', "x" + bytes({IAC, GA}), {}, "ax", {}, {}},
        };
        for (const Case& c : cases) {
            Recorder s;
            s.react = [&](QChar e) {
                if (e != c.at || !s.order.endsWith(e) || s.order.count(e) > 1)
                    return;
                s.layer.reset();
                s.layer.feed(c.fedThen);
                s.layer.send(c.sentThen);
            };
            s.layer.feed(stream);
            QCOMPARE(s.text, c.text);
            QCOMPARE(s.sent, c.sent);
            QCOMPARE(s.echoes, c.echoes);
            QVERIFY(!s.layer.serverEchoes());
            QCOMPARE(s.prompts, c.at == u'D' ? 1 : int(c.at == u'P'));
            // The parser in use afterwards is a fresh one.
            s.sent.clear();
            s.layer.feed("fresh" + bytes({IAC, WILL, ECHO}));
            QCOMPARE(s.text, c.text + "fresh");
            QCOMPARE(s.sent, bytes({IAC, DO, ECHO}));
        }
    }

    // TinyMUX's offer: the encoding switches exactly after the REQUEST, for
    // the data and for what the client sends next, however the bytes arrive.
    void charsetSwitchesToUtf8AtTheRequestsEnd() {
        const QByteArray stream = bytes({IAC, WILL, CHARSET, IAC, DO, CHARSET}) + "prima " +
                                  charsetSub("\x01;UTF-8;ISO-8859-1;ISO-8859-2;US-ASCII;CP437") +
                                  "dopo";
        Recorder whole;
        whole.layer.feed(stream);
        Recorder split;
        split.feedBytewise(stream);
        for (Recorder* r : {&whole, &split}) {
            QCOMPARE(r->sent,
                     bytes({IAC, DO, CHARSET, IAC, WILL, CHARSET}) + charsetSub("\x02UTF-8"));
            QCOMPARE(r->encodings, QList<TextEncoding>{TextEncoding::Utf8});
            QCOMPARE(r->order.replace(QRegularExpression("D+"), "D"), QStringLiteral("MDUD"));
            QCOMPARE(r->text, QByteArray("prima dopo"));
            QCOMPARE(r->layer.encoding(), TextEncoding::Utf8);
            QCOMPARE(r->modern, 1);
        }
        // A new connection starts over in the game's code page.
        whole.layer.reset();
        QCOMPARE(whole.layer.encoding(), TextEncoding::Cp1252);
        QVERIFY(!whole.layer.modernServer());
    }

    void charsetRequestForms_data() {
        QTest::addColumn<int>("codifica");
        QTest::addColumn<QByteArray>("request");  // after REQUEST
        QTest::addColumn<QByteArray>("accepted"); // the name accepted; empty: REJECTED
        QTest::addColumn<int>("encoding");        // afterwards
        const auto row = [](const char* name, EncodingChoice c, const char* request,
                            const char* accepted, TextEncoding e) {
            QTest::newRow(name) << int(c) << QByteArray(request) << QByteArray(accepted) << int(e);
        };
        const EncodingChoice A = EncodingChoice::Auto;
        const TextEncoding U = TextEncoding::Utf8, W = TextEncoding::Cp1252;
        row("blank separator, any case", A, " latin1 utf-8", "utf-8", U);
        row("translation table offered", A, "[TTABLE]\x01;ISO-8859-1;UTF-8", "UTF-8", U);
        row("no UTF-8", A, ";ISO-8859-1;CP437", "", W);
        row("empty list", A, "", "", W);
        row("separator only", A, ";;;", "", W);
        row("table and nothing else", A, "[TTABLE]", "", W);
        row("no separator", A, "UTF-8", "UTF-8", U);
        row("no separator, a comma between", A, "ISO-8859-1,UTF-8", "UTF-8", U);
        row("code page wanted", EncodingChoice::Cp1252, ";UTF-8;Windows-1252", "Windows-1252", W);
        row("code page by its short name", EncodingChoice::Cp1252, ",CP1252", "CP1252", W);
        row("code page wanted, not offered", EncodingChoice::Cp1252, ";UTF-8", "", W);
        row("UTF-8 from the start", EncodingChoice::Utf8, ";ISO-8859-1", "", U);
    }

    void charsetRequestForms() {
        QFETCH(int, codifica);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, accepted);
        QFETCH(int, encoding);
        const TextSettings settings{EncodingChoice(codifica), false};
        Recorder r(settings);
        r.layer.feed(bytes({IAC, WILL, CHARSET}) + charsetSub("\x01" + request) + "x");
        const QByteArray answer = accepted.isEmpty() ? "\x03" : "\x02" + accepted;
        QCOMPARE(r.sent, bytes({IAC, DO, CHARSET}) + charsetSub(answer));
        QCOMPARE(int(r.layer.encoding()), encoding);
        QCOMPARE(r.text, QByteArray("x"));
        // Only a change is reported.
        QCOMPARE(r.encodings.size(),
                 encoding == int(TelnetLayer::initialEncoding(settings)) ? 0 : 1);
    }

    void charsetMessagesThatNeedNoSwitch() {
        Recorder r;
        // Empty, answers to a REQUEST we never sent, a translation table.
        r.layer.feed(charsetSub("") + charsetSub("\x02UTF-8") + charsetSub("\x03") +
                     charsetSub("\x04\x01;UTF-8;\x01\x02") + charsetSub("\x09junk") + "fine");
        QCOMPARE(r.sent, charsetSub("\x05"));
        QVERIFY(r.encodings.isEmpty());
        QCOMPARE(r.layer.encoding(), TextEncoding::Cp1252);
        QCOMPARE(r.text, QByteArray("fine"));
    }

    // A subnegotiation longer than the parser holds is skipped whole: none of
    // it reaches the text, all that follows does. One that never ends stops
    // being skipped after a while, so no text is lost for good.
    void overlongSubnegotiations() {
        QByteArray names = "\x01;";
        while (names.size() < 16000)
            names += "X-NAME-" + QByteArray::number(names.size()) + ";";
        Recorder fits;
        fits.layer.feed(charsetSub(names + "UTF-8") + "dopo");
        QCOMPARE(fits.sent, charsetSub("\x02UTF-8"));
        QCOMPARE(fits.text, QByteArray("dopo"));

        Recorder huge;
        huge.layer.feed("prima " + charsetSub(names + names + "UTF-8") + "dopo" + bytes({IAC, GA}) +
                        "ancora");
        QVERIFY(huge.sent.isEmpty());
        QCOMPARE(huge.text, QByteArray("prima dopoancora"));
        QCOMPARE(huge.prompts, 1);
        QVERIFY(huge.errors.isEmpty());

        Recorder endless;
        const QByteArray text(TelnetLayer::kMaxSkippedSubnegotiation, 't');
        endless.layer.feed(bytes({IAC, SB, CHARSET}) + names + names);
        for (int i = 0; i < 3; ++i)
            endless.layer.feed(text);
        QVERIFY(endless.text.size() >= text.size());
        QVERIFY(!endless.text.contains("X-NAME"));
    }

    // A warning about a malformed subnegotiation is no overflow, whatever its
    // unset error code happens to hold: the text after it is kept.
    void protocolWarningLosesNoText() {
        constexpr int kOverflowCode = 3; // the parser's "data exceeds buffer size"
        Recorder r;
        fillStackWith(kOverflowCode);
        r.layer.feed(bytes({IAC, SB, TTYPE, IAC, SE}) + "testo");
        QCOMPARE(r.text, QByteArray("testo"));
    }

    void terminalTypeCycle() {
        const QByteArray send = bytes({IAC, SB, TTYPE, 1, IAC, SE});
        const auto cycle = [&](const TextSettings& settings, int asks) {
            Recorder r(settings);
            r.layer.feed(bytes({IAC, DO, TTYPE}));
            r.sent.clear();
            for (int i = 0; i < asks; ++i)
                r.layer.feed(send);
            return r.sent;
        };
        QCOMPARE(cycle({}, 4), ttypeIs("VARENDOR") + ttypeIs("XTERM-256COLOR") +
                                   ttypeIs("MTTS 269") + ttypeIs("MTTS 269"));
        QCOMPARE(cycle({EncodingChoice::Auto, true}, 3).right(15), ttypeIs("MTTS 2317"));
        QCOMPARE(cycle({EncodingChoice::Cp1252, false}, 3).right(14), ttypeIs("MTTS 265"));
        QCOMPARE(cycle({EncodingChoice::Utf8, true}, 3).right(15), ttypeIs("MTTS 2317"));
        // A screen reader: set by the player, or found when the server asks.
        TextSettings reader;
        reader.screenReader = true;
        QCOMPARE(cycle(reader, 3).right(14), ttypeIs("MTTS 333"));
        reader.screenReader = false;
        reader.screenReaderActive = [] { return false; };
        QCOMPARE(cycle(reader, 3).right(14), ttypeIs("MTTS 269"));
        reader.screenReaderActive = [] { return true; };
        QCOMPARE(cycle(reader, 3).right(14), ttypeIs("MTTS 333"));

        // A new connection, or the server switching the option off and on,
        // starts the cycle over.
        Recorder r;
        r.layer.feed(bytes({IAC, DO, TTYPE}) + send + send);
        r.layer.reset();
        r.sent.clear();
        r.layer.feed(bytes({IAC, DO, TTYPE}) + send);
        QCOMPARE(r.sent, bytes({IAC, WILL, TTYPE}) + ttypeIs("VARENDOR"));
        r.layer.feed(send + bytes({IAC, DONT, TTYPE, IAC, DO, TTYPE}));
        r.sent.clear();
        r.layer.feed(send);
        QCOMPARE(r.sent, ttypeIs("VARENDOR"));
        QCOMPARE(r.modern, 2); // once for each connection
    }

    // The game's own server offers nothing but its password echo; any other
    // offer, known or refused, shows a server of today.
    void offersOtherThanEchoShowATodaysServer() {
        const QList<std::pair<QByteArray, int>> cases = {
            {bytes({IAC, WILL, ECHO, IAC, WONT, ECHO, IAC, WILL, ECHO}), 0},
            {bytes({IAC, DONT, ECHO, IAC, WONT, EOR}), 0},
            {bytes({IAC, WILL, EOR}), 1},
            {bytes({IAC, WILL, SGA}), 1},
            {bytes({IAC, DO, NAWS}), 1},
            {bytes({IAC, WILL, char(201)}), 1},                     // GMCP, refused
            {bytes({IAC, WILL, char(69), IAC, WILL, char(70)}), 1}, // MSDP, MSSP
            {bytes({IAC, DO, NEW_ENVIRON}), 1},
        };
        for (const auto& [stream, modern] : cases) {
            Recorder r;
            r.feedBytewise(stream);
            QCOMPARE(r.modern, modern);
            QCOMPARE(r.layer.modernServer(), modern > 0);
        }
    }
};

QTEST_MAIN(TstTelnetLayer)
#include "tst_telnetlayer.moc"
