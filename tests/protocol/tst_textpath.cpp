// One server chunk at a time through the text path, into the real game
// display, with the trigger writes and the farewell recorded.
#include "display/GameDisplay.h"
#include "protocol/TextPath.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <memory>

#include "support/EscapeSequence.h"
#include "support/automation/TriggerTable.h"

class TstTextPath : public QObject {
    Q_OBJECT

    std::unique_ptr<GameDisplay> display;
    PairTable triggers;
    std::unique_ptr<TextPath> path;
    QStringList written;
    QStringList logged;
    int disconnects = 0;

    // One read's text; after a farewell the next connection begins.
    void feed(const QString& chunk) {
        const TextPath::Outcome outcome = path->receiveText(chunk);
        written << outcome.replies;
        if (outcome.farewell) {
            ++disconnects;
            path->beginSession();
        }
    }
    QString shown() const { return display->buffer().text(); }
    int lines() const { return display->buffer().lineCount(); }

private slots:
    void init() {
        display = std::make_unique<GameDisplay>();
        triggers = PairTable();
        written.clear();
        logged.clear();
        disconnects = 0;
        path = std::make_unique<TextPath>(*display, triggers);
        path->setLogHook([this](QStringView piece) { logged << piece.toString(); });
    }
    void cleanup() {
        path.reset();
        display.reset();
    }

    void lineBreakPairs() {
        feed("one\r\ntwo");
        QCOMPARE(shown(), QString("one\ntwo"));
        feed("\n\rthree\n\r\n\rfour");
        QCOMPARE(shown(), QString("one\ntwo\nthree\n\nfour"));
        // CR LF CR LF: the LF CR in the middle pairs first; the lone CR and
        // LF around it reach the display, which drops the CR: one blank line.
        feed("$\r\n\r\n$");
        QCOMPARE(shown().count('\n'), 4 + 2);
    }

    void pairSplitBetweenReadsIsOneBreak() {
        feed("one\r");
        QCOMPARE(shown(), QString("one"));
        QCOMPARE(path->heldBreak().toString(), QString("\r"));
        feed("\ntwo\n");
        feed("\rthree");
        QCOMPARE(shown(), QString("one\ntwo\nthree"));
        QVERIFY(path->heldBreak().isEmpty());
        // A lone break is only delayed, never lost.
        feed("\r\nfour\n");
        feed("five");
        QCOMPARE(shown(), QString("one\ntwo\nthree\nfour\nfive"));
    }

    // The display drops every CR, so it cannot tell how breaks were paired:
    // the trigger search (the marked text) and the log can.
    void breakPairsAsTriggersAndTheLogSeeThem() {
        triggers = triggerTable({{"uno\r$0$\ndue", "a"},   // CR LF CR LF: the LF CR pairs
                                 {"tre$0$\nquattro", "b"}, // LF CR LF: the LF CR first
                                 {"$0$cinque", "c"}});     // LF ending a read, CR next
        feed("uno\r\n\r\ndue ");
        feed("tre\n\r\nquattro ");
        feed("sei\n");
        QCOMPARE(path->heldBreak().toString(), QString("\n"));
        feed("\rcinque");
        QCOMPARE(written, QStringList({"a\r\n", "b\r\n", "c\r\n"}));
        QCOMPARE(logged.join(""), QString("uno\r\r\n\ndue tre\r\n\nquattro sei\r\ncinque"));
        QCOMPARE(shown(), QString("uno\n\ndue a\ntre\n\nquattro b\nsei\ncinquec\n"));
    }

    // A break held when the connection ends is written as it came, before
    // the notice: a lone LF is a line of its own, a lone CR reaches the log.
    void breakHeldAtTheEndIsWritten() {
        feed("fine\n");
        path->endSession();
        QVERIFY(shown().endsWith("fine\n\n\nDisconnesso da Varendor"));
        QCOMPARE(logged.join(""), QString("fine\n"));
        path->beginSession();
        feed("ancora\r");
        path->endSession();
        QCOMPARE(logged.join(""), QString("fine\nancora\r"));
    }

    // The notice ends its line before whatever comes next: own text typed
    // while disconnected, or the next session's first text.
    void noticeEndsItsLine() {
        for (const bool ownFirst : {true, false}) {
            init();
            feed("uno\r\n");
            path->endSession();
            QVERIFY(shown().endsWith("\nDisconnesso da Varendor"));
            if (ownFirst)
                path->ownText().insertText(u"guarda");
            path->beginSession();
            feed("=====");
            QVERIFY2(shown().endsWith(ownFirst ? "Disconnesso da Varendor\nguarda====="
                                               : "Disconnesso da Varendor\n====="),
                     qPrintable(shown()));
            QCOMPARE(shown().count("Disconnesso da Varendor\n"), 1);
        }
    }

    void heldBreakIsWrittenBeforeOwnText() {
        // A burst ending in a bare LF: the break waits for a partner, but an
        // echo written meanwhile goes on a line of its own.
        triggers = triggerTable({{"colpisce", "fuggi"}});
        feed("L'orco ti colpisce.\n");
        QCOMPARE(shown(), QString("L'orco ti colpisce.\nfuggi\n"));
        QCOMPARE(written, QStringList({"fuggi\r\n"}));
        // The CR that would have completed the pair is not a second break.
        feed("\rAltro");
        QCOMPARE(shown(), QString("L'orco ti colpisce.\nfuggi\nAltro"));
        QCOMPARE(logged.join(""), QString("L'orco ti colpisce.\r\nAltro"));

        // A held CR, and a typed command's echo through the own-text port.
        feed("\r\nprompt>\r");
        path->ownText().setSelColor(qRgb(160, 160, 160));
        path->ownText().insertText(u"guarda\r\n");
        feed("\nStanza");
        QVERIFY(shown().endsWith("Altro\nprompt>\nguarda\nStanza"));
        const int echo = int(shown().lastIndexOf("guarda"));
        QCOMPARE(display->buffer().colourAt(echo), qRgb(160, 160, 160));
        QVERIFY(path->heldBreak().isEmpty());

        // Own text that releases a held CR: only the very next character may
        // complete that break; later ones are text and breaks of their own.
        feed("a\r");
        path->ownText().insertText(u"x");
        feed("y");
        feed("\nz");
        QVERIFY2(shown().endsWith("Stanza"
                                  "a\nxy\nz"),
                 qPrintable(shown()));
    }

    // A CODIFICA that names the encoding decides the decoding when the
    // server negotiates nothing at all, both ways.
    void encodingWithoutNegotiation() {
        const QByteArray utf8 = QStringLiteral("città €").toUtf8();
        const QString asCodePage = QStringLiteral("citt\u00C3\u00A0 \u00E2\u201A\u00AC");
        const QList<std::tuple<EncodingChoice, QString, QByteArray>> cases = {
            {EncodingChoice::Cp1252, asCodePage, "\xE8"},
            {EncodingChoice::Utf8, QStringLiteral("città €"), "\xC3\xA8"},
        };
        for (const auto& [choice, shownText, sent] : cases) {
            init();
            QByteArray out;
            path->setSendHook([&](QByteArrayView b) { out += b; });
            path->beginSession({choice, false, ColourRules::Automatic});
            path->receive(utf8);
            QCOMPARE(shown(), shownText);
            path->sendCommand(u"è");
            QCOMPARE(out, sent);
        }
    }

    void promptMarksAndEchoChangesDoNotSplitARead() {
        // Brightness lasts to the end of a read: a prompt mark or an echo
        // change inside the read must not end it early.
        const QByteArray iacGa("\xFF\xF9", 2), willEcho("\xFF\xFB\x01", 3);
        const TextPath::Outcome outcome =
            path->receive("\x1b[1m" + iacGa + "\x1b[31mrosso " + willEcho + "\x1b[32mverde");
        QCOMPARE(outcome.promptMarks, 1);
        QVERIFY(outcome.echoChanged);
        QCOMPARE(shown(), QString("rosso verde"));
        QCOMPARE(display->buffer().colourAt(0), qRgb(240, 0, 0));
        QCOMPARE(display->buffer().colourAt(6), qRgb(0, 240, 0));
        QCOMPARE(logged, QStringList({"rosso ", "verde"}));
    }

    void todaysServersGetTerminalColourRules() {
        // The same text, bright under the game's rules (brightness outlives
        // a plain reset within a read), xterm's normal yellow under a terminal's.
        const QByteArray text = "\x1b[1m\x1b[34mblu\x1b[0m \x1b[33mgiallo\r\n";
        // Asked for its terminal type (DO TTYPE, then SEND), or offered CHARSET.
        const QByteArray doTtype("\xFF\xFD\x18\xFF\xFA\x18\x01\xFF\xF0", 9);
        const QByteArray willCharset("\xFF\xFB\x2A", 3);
        struct Case {
            QByteArray opening;
            ColourRules choice;
            QRgb giallo;
        };
        const QList<Case> cases = {
            {{}, ColourRules::Automatic, qRgb(240, 240, 0)},
            {doTtype, ColourRules::Automatic, qRgb(205, 205, 0)},
            {willCharset, ColourRules::Automatic, qRgb(205, 205, 0)},
            {doTtype, ColourRules::Classic, qRgb(240, 240, 0)},
            {{}, ColourRules::Terminal, qRgb(205, 205, 0)},
        };
        for (const Case& c : cases) {
            init();
            path->beginSession({EncodingChoice::Auto, false, c.choice});
            path->receive(c.opening + text);
            QCOMPARE(display->buffer().colourAt(int(shown().indexOf("giallo"))), c.giallo);
        }
    }

    // The same bytes give the same runs (text, colours, attributes) however
    // the network cuts them, under either rules.
    void colourDoesNotDependOnTheCuts() {
        const QByteArray eorEcho("\xFF\xFB\x19\xFF\xFB\x01", 6); // a server of today
        const QList<QByteArray> texts = {
            "\x1b[0m\x1b[33m\x1b[0m\x1b[33m\x1b[1mWhite Room\r\n",
            "\x1b[32mfoo\x1b[0m \x1b[1mhp\x1b[0m",
            "a\x1b[1;31mb\x1b[32mc\x1b[0md\x1b[mE\x1b]0;T\x07"
            "f\x1b[4;44mg\x1b[7mh\x1b(Bi",
        };
        const auto runsOf = [this] {
            QList<DisplayBuffer::Run> runs;
            for (int i = 0; i < display->buffer().lineCount(); ++i)
                runs << display->buffer().lineRuns(i);
            return std::pair{shown(), runs};
        };
        for (const ColourRules rules : {ColourRules::Classic, ColourRules::Terminal}) {
            for (const QByteArray& text : texts) {
                init();
                path->beginSession({EncodingChoice::Auto, false, rules});
                path->receive(text);
                const auto whole = runsOf();
                for (qsizetype cut = 1; cut < text.size(); ++cut) {
                    for (qsizetype second = cut; second < text.size(); second += 7) {
                        init();
                        path->beginSession({EncodingChoice::Auto, false, rules});
                        path->receive(text.first(cut));
                        path->receive(text.sliced(cut, second - cut));
                        path->receive(text.sliced(second));
                        QCOMPARE(runsOf(), whole);
                    }
                }
            }
        }
        // A server offering EOR draws by the terminal's rules: bold yellow.
        init();
        path->beginSession();
        path->receive(eorEcho + texts[0]);
        QCOMPARE(display->buffer().colourAt(0), qRgb(255, 255, 0));
        // The player's command starts the classic rules' brightness afresh,
        // as when each answer came in a read of its own.
        init();
        path->receive("\x1b[1;31mA");
        path->sendCommand(u"guarda\r\n");
        path->receive("\x1b[32mB");
        QCOMPARE(display->buffer().colourAt(int(shown().indexOf('B'))), qRgb(0, 120, 0));
    }

    void echoNegotiationRemoved() {
        const QString willEcho = QString::fromLatin1("\xFF\xFB\x01", 3);
        const QString wontEcho = QString::fromLatin1("\xFF\xFC\x01", 3);
        feed("Password:" + willEcho + " \x01 [x" + wontEcho + QString::fromLatin1("\xFF\xFB") +
             "y");
        QCOMPARE(shown(), QString("Password: x") + QString::fromLatin1("\xFF\xFB") + "y");
        // Removal runs in table order: a later sequence does not rebuild an earlier one.
        QCOMPARE(
            TextPath::removeEchoNegotiation(QString::fromLatin1("\xFF\x01\x20\x5B\xFB\x01", 6)),
            QString::fromLatin1("\xFF\xFB\x01", 3));
    }

    void triggerFiringRules() {
        triggers = triggerTable({{"ti ha colpito", "fuggi"},
                                 {"FAME", "mangia pane<%>bevi"},
                                 {"sete", "bevi acqua<%>di§ah"},
                                 {"nessuno", "x"},
                                 {"colpito", "para<%>xy"}});
        path->setCurrentColour(qRgb(0, 120, 120));
        feed("Il troll TI HA COLPITO! Ti ha colpito ancora.$hai fame");
        // Each matching trigger once, in list order, with its terminator rule.
        QCOMPARE(written, QStringList({"fuggi\r\n", "mangia pane\r\nbevi\r\n", "para\r\nxy"}));
        QCOMPARE(triggers.actions[0], QString("fuggi<%>"));
        QCOMPARE(triggers.actions[1], QString("mangia pane<%>bevi<%>"));
        QCOMPARE(triggers.actions[4], QString("para<%>xy")); // marker within the last five
        // The echo follows the chunk's text, in the server's current colour.
        const int echo = int(shown().indexOf("fuggi"));
        QVERIFY(echo > shown().indexOf("hai fame"));
        QCOMPARE(display->buffer().colourAt(echo), qRgb(0, 120, 120));
        QVERIFY(shown().endsWith("fuggi\nmangia pane\nbevi\npara\nxy"));
        QCOMPARE(logged, QStringList({"Il troll TI HA COLPITO! Ti ha colpito ancora.$hai fame"}));

        written.clear();
        feed("ti ha colpito"); // second firing leaves the entry as it is
        QCOMPARE(written, QStringList({"fuggi\r\n", "para\r\nxy"}));
        QCOMPARE(triggers.actions[0], QString("fuggi<%>"));

        written.clear();
        feed("SETE");
        QCOMPARE(written, QStringList({"bevi acqua\r\ndi'ah\r\n"}));
        QCOMPARE(triggers.actions[2], QString("bevi acqua<%>di§ah<%>")); // § kept in the table
    }

    void interruptedTextDoesNotFire() {
        triggers = triggerTable({{"ti ha colpito", "fuggi"}});
        feed("ti ha " + esc("31m") + "colpito");
        feed("ti ha\r\ncolpito");
        QVERIFY(written.isEmpty());
    }

    void emptyMatchTextNeverFires() {
        triggers = triggerTable({{"", "saluta"}, {"ciao", ""}});
        feed("ciao a tutti");
        // The empty trigger would answer every chunk; only the real one fires,
        // and with an empty action it sends an empty line.
        QCOMPARE(written, QStringList({"\r\n"}));
        QCOMPARE(triggers.actions[1], QString("<%>"));
        QCOMPARE(triggers.actions[0], QString("saluta"));
    }

    void halfEntryBeforeSpareTakesPart() {
        // A load that stopped at a line without "<!>": the half entry sits just
        // before the spare element and is walked.
        triggers = triggerTable({{"alfa", "a<%>"}});
        triggers.texts.insert(1, "beta");
        triggers.actions.insert(1, QString());
        feed("beta");
        QCOMPARE(written, QStringList({"\r\n"}));
        feed("nothing");
        QCOMPARE(written.size(), 1);
        triggers.count = 0; // an empty table fires nothing
        feed("alfa beta");
        QCOMPARE(written.size(), 1);
    }

    void heldBackTextIsSearchedOnce() {
        triggers = triggerTable({{"drago", "scappa"}});
        feed("un drago " + esc("3"));
        QVERIFY(written.isEmpty()); // not yet written, not yet searched
        QVERIFY(!shown().contains("drago"));
        feed("1marriva");
        QCOMPARE(written, QStringList({"scappa\r\n"}));
        QVERIFY(shown().startsWith("un drago arriva"));
    }

    void triggersSeeTableChanges() {
        triggers = triggerTable({{"alfa", "a"}});
        feed("alfa");
        QCOMPARE(written.size(), 1);
        triggers.texts[0] = "gamma";
        triggers.touch();
        feed("alfa gamma");
        QCOMPARE(written.size(), 2);
        // Changed without the revision bump (an editor forgetting it): still seen.
        triggers.texts[0] = "delta";
        feed("gamma delta");
        QCOMPARE(written.size(), 3);
    }

    void farewellDisconnectsThenTriggersFire() {
        triggers = triggerTable({{"acervus", "addio"}});
        feed("Adde parvum parvo magnus acervus erit\r\n");
        QCOMPARE(disconnects, 1);
        QCOMPARE(written, QStringList({"addio\r\n"}));
        // The notice follows the chunk's text and precedes the echo.
        const QString text = shown();
        QVERIFY(text.indexOf("erit") < text.indexOf("Disconnesso"));
        QVERIFY(text.indexOf("Disconnesso") < text.indexOf("addio"));
        feed("adde parvum parvo magnus acervus erit"); // case matters
        QCOMPARE(disconnects, 1);
        feed("Adde parvum parvo " + esc("1"));
        feed("mmagnus acervus erit"); // a sequence inside the phrase breaks it
        QCOMPARE(disconnects, 1);
        // Held back whole: recognised once, when it is written.
        feed("Adde parvum parvo magnus acervus erit" + esc(""));
        QCOMPARE(disconnects, 1);
        feed("m");
        QCOMPARE(disconnects, 2);
    }

    void displayKeepsItsLineLimit() {
        path->beginSession(); // watching for UTF-8
        QString chunk;
        for (int i = 0; i < 500; ++i)
            chunk += QString("line %1\r\n").arg(i);
        feed(chunk);
        QCOMPARE(lines(), 501); // line 500 is the empty last line: nothing removed
        QCOMPARE(display->buffer().lineText(0), QString("line 0"));
        chunk.clear();
        for (int i = 500; i < 600; ++i)
            chunk += QString("line %1\r\n").arg(i);
        feed(chunk);
        QCOMPARE(lines(), 501);
        QCOMPARE(display->buffer().lineText(0), QString("line 100"));
        QCOMPARE(display->buffer().lineText(499), QString("line 599"));
        // The notice that the server writes UTF-8, on a line of its own after
        // the read's text, keeps the limit too.
        path->receive(QByteArrayView("a met\xc3\xa0"));
        QVERIFY(shown().endsWith("a metà\n" + TextPath::kUtf8Notice));
        QCOMPARE(lines(), 501);
    }
};

QTEST_MAIN(TstTextPath)
#include "tst_textpath.moc"
