#include "automation/PairTable.h"
#include "commands/CommandInput.h"
#include "display/GameDisplay.h"
#include "support/AccessibleTexts.h"
#include "support/RecordingDisplay.h"
#include "ui/DisplayFont.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class TestCommandInput : public QObject {
    Q_OBJECT

    struct Rig {
        CommandInput combo;
        RecordingDisplay display;
        PairTable aliases;
        QStringList written;
        SgrColours server;
        const QRgb current = qRgb(10, 200, 30);

        Rig() {
            combo.setDisplay(&display);
            combo.setAliases(&aliases);
            QObject::connect(&combo, &CommandInput::commandEntered,
                             [this](const QString& s) { written.append(s); });
            server.setCurrent(current);
            combo.setServerColours(&server);
            combo.show();
        }
        // Types text into the empty line and presses Enter.
        void send(const QString& text) {
            combo.setEditText(QString());
            QTest::keyClicks(&combo, text);
            QTest::keyClick(&combo, Qt::Key_Return);
        }
        void setAliases(const QStringList& names, const QStringList& actions) {
            // After a load the table holds one spare element past the count.
            aliases.texts = names + QStringList{QString()};
            aliases.actions = actions + QStringList{QString()};
            aliases.count = qint32(names.size());
        }
    };

private slots:
    void design() {
        Rig r;
        QCOMPARE(r.combo.objectName(), QString("Combo1"));
        QCOMPARE(r.combo.font().family(), DisplayFont::make().family());
        QCOMPARE(r.combo.font().pointSizeF(), 9.75);
        QVERIFY(r.combo.isEditable());
    }

    void blankLinesGoOutAsTyped() {
        Rig r;
        r.send(QString());
        QCOMPARE(r.written, QStringList{"\r\n"});
        QCOMPARE(r.display.pieces.size(), 1);
        QCOMPARE(r.display.pieces[0].text, QString("\r\n"));
        QCOMPARE(r.display.pieces[0].colour, EchoGrey);
        // The colour goes back to the server text's colour.
        QCOMPARE(r.display.colour, r.current);
        QVERIFY(r.combo.history().isEmpty());
        QCOMPARE(r.combo.lineEdit()->cursorPosition(), 0);

        r.send("   ");
        QCOMPARE(r.written.last(), QString("   \r\n"));
        QCOMPARE(r.combo.history(), QStringList{"   "});
        QCOMPARE(r.combo.count(), 1);
    }

    void wordsKeepInnerSpacingAndGetOneLeadingSpace() {
        Rig r;
        r.send("  look   north ");
        QCOMPARE(r.written, QStringList{" look   north\r\n"});
        QCOMPARE(r.display.all(), QString(" look   north\r\n"));
        // The history holds the text as typed.
        QCOMPARE(r.combo.history(), QStringList{"  look   north "});
        QCOMPARE(r.combo.currentText(), QString("  look   north "));
        // Tabs are not padding.
        r.combo.setEditText("\tx");
        QTest::keyClick(&r.combo, Qt::Key_Return);
        QCOMPARE(r.written.last(), QString(" \tx\r\n"));
    }

    void singleCharacterStaysSelected() {
        Rig r;
        r.send("n");
        QCOMPARE(r.written, QStringList{" n\r\n"});
        QVERIFY(r.combo.history().isEmpty());
        QCOMPARE(r.combo.LastCommand(), QString());
        QLineEdit* edit = r.combo.lineEdit();
        QCOMPARE(edit->text(), QString("n"));
        QCOMPARE(edit->selectedText(), QString("n"));
        QCOMPARE(edit->cursorPosition(), 0);
        // Enter again sends it again; typing replaces it.
        QTest::keyClick(&r.combo, Qt::Key_Return);
        QCOMPARE(r.written.size(), 2);
        QCOMPARE(r.written.last(), QString(" n\r\n"));
        QTest::keyClicks(&r.combo, "s");
        QCOMPARE(edit->text(), QString("s"));
    }

    void historyWithPromptKept() {
        Rig r;
        r.send("look");
        QCOMPARE(r.combo.currentText(), QString("look"));
        QCOMPARE(r.combo.LastCommand(), QString("look"));
        // The recorded command is shown selected: typing starts a new one.
        QTest::keyClicks(&r.combo, "n");
        QCOMPARE(r.combo.currentText(), QString("n"));
        r.combo.setEditText("look");
        // Enter on the command still shown sends it without a second entry,
        // and selects it all.
        QTest::keyClick(&r.combo, Qt::Key_Return);
        QCOMPARE(r.written, (QStringList{" look\r\n", " look\r\n"}));
        QCOMPARE(r.combo.history(), QStringList{"look"});
        QCOMPARE(r.combo.lineEdit()->selectedText(), QString("look"));
        // Letter case counts.
        r.send("LOOK");
        QCOMPARE(r.combo.history(), (QStringList{"LOOK", "look"}));
        // An older command picked from the list is recorded again on top.
        r.combo.setCurrentIndex(1);
        QTest::keyClick(&r.combo, Qt::Key_Return);
        QCOMPARE(r.combo.history(), (QStringList{"look", "LOOK", "look"}));
        QCOMPARE(r.combo.count(), 3);
        QCOMPARE(r.combo.itemText(0), QString("look"));
    }

    void historyWithPromptCleared() {
        Rig r;
        r.combo.setCancellaPrompt(true);
        r.send("look");
        QCOMPARE(r.combo.currentText(), QString());
        QCOMPARE(r.combo.LastCommand(), QString());
        r.send("look");
        QCOMPARE(r.combo.history(), (QStringList{"look", "look"}));

        // Down walks from the newest entry, Up back towards it.
        r.send("north");
        QTest::keyClick(&r.combo, Qt::Key_Down);
        QCOMPARE(r.combo.currentText(), QString("north"));
        QTest::keyClick(&r.combo, Qt::Key_Down);
        QCOMPARE(r.combo.currentText(), QString("look"));
        QTest::keyClick(&r.combo, Qt::Key_Up);
        QCOMPARE(r.combo.currentText(), QString("north"));
        // Walking the list sends nothing.
        QCOMPARE(r.written.size(), 3);
    }

    void historyKeepsFifteenNewest() {
        Rig r;
        r.combo.setCancellaPrompt(true);
        for (int i = 1; i <= 16; ++i)
            r.send(QString("cmd%1").arg(i));
        QCOMPARE(r.combo.history().size(), 15);
        QCOMPARE(r.combo.count(), 15);
        QCOMPARE(r.combo.itemText(0), QString("cmd16"));
        QCOMPARE(r.combo.itemText(14), QString("cmd2"));
    }

    void aliasesExpandTheFirstWordOnly() {
        Rig r;
        r.setAliases({"kk", "gg", "ss", "2cmd", "a b"},
                     {"kill§s goblin", "get gold<%>", "say hi", "north<%>east", "nope"});
        const quint64 before = r.aliases.revision;

        r.send("KK now");
        QCOMPARE(r.written.last(), QString(" kill's goblin now\r\n"));
        r.send("say kk");
        QCOMPARE(r.written.last(), QString(" say kk\r\n"));

        // A trailing separator is dropped from the table itself, once.
        r.send("gg");
        QCOMPARE(r.written.last(), QString(" get gold\r\n"));
        QCOMPARE(r.aliases.actions[1], QString("get gold"));
        QVERIFY(r.aliases.revision > before);

        // The words after the first follow the last expanded command.
        r.send("2cmd quickly");
        QCOMPARE(r.written.last(), QString(" north\r\neast quickly\r\n"));
        // A name with a space never matches a typed word.
        r.send("a b");
        QCOMPARE(r.written.last(), QString(" a b\r\n"));
        // The history keeps what was typed.
        QCOMPARE(r.combo.history().first(), QString("a b"));
        QCOMPARE(r.combo.history()[1], QString("2cmd quickly"));
    }

    void aliasWalkDoesNotStop() {
        Rig r;
        // The second alias matches the first one's expansion; the spare last
        // element is never walked.
        r.setAliases({"x", "go north", "X"}, {"go north", "run<%>", "first"});
        r.aliases.texts.last() = "x";
        r.aliases.actions.last() = "spare";
        r.send("x");
        QCOMPARE(r.written.last(), QString(" run\r\n"));
        // Without a count nothing is expanded.
        r.aliases.count = 0;
        r.send("x 1");
        QCOMPARE(r.written.last(), QString(" x 1\r\n"));
    }

    void passwordStaysSecret() {
        Rig r;
        r.send("look");
        r.combo.setServerEchoes(true);
        QCOMPARE(r.combo.lineEdit()->echoMode(), QLineEdit::Password);
        r.display.pieces.clear();

        r.send(" my secret");
        QCOMPARE(r.written.last(), QString(" my secret\r\n"));
        QCOMPARE(r.display.all(), QString("\r\n"));
        QCOMPARE(r.display.colour, r.current);
        QCOMPARE(r.combo.history(), QStringList{"look"});
        QCOMPARE(r.combo.LastCommand(), QString("look"));
        QCOMPARE(r.combo.currentText(), QString());
        // Aliases never see it.
        r.setAliases({"pw"}, {"expanded"});
        r.send("pw");
        QCOMPARE(r.written.last(), QString("pw\r\n"));

        r.combo.setServerEchoes(false);
        QCOMPARE(r.combo.lineEdit()->echoMode(), QLineEdit::Normal);
        r.send("pw x");
        QCOMPARE(r.written.last(), QString(" expanded x\r\n"));
        QCOMPARE(r.display.all(), QString("\r\n\r\n expanded x\r\n"));
        QCOMPARE(r.combo.history().first(), QString("pw x"));
    }

    // However the secret is entered, it reaches the server and nothing a
    // screen reader can learn: the line (whose every change Qt announces)
    // only ever holds the mask, and the input box's name, value, text and
    // selection never hold it.
    void secretNeverReachesAssistiveTechnology_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("typed into the combo box") << "combo";
        QTest::newRow("typed into its line") << "line";
        QTest::newRow("typed, one mistake taken back") << "backspace";
        QTest::newRow("pasted, second line dropped") << "paste";
        QTest::newRow("from an input method") << "im";
        QTest::newRow("half typed before the prompt") << "before";
        QTest::newRow("typed over the last command") << "after command";
    }
    void secretNeverReachesAssistiveTechnology() {
        QFETCH(QString, how);
        Rig r;
        QLineEdit* line = r.combo.lineEdit();
        if (how == "before")
            QTest::keyClicks(line, "rosa");
        if (how == "after command")
            r.send("Aldo"); // left selected in the line
        QStringList held;   // every text and selection the line had
        connect(line, &QLineEdit::textChanged, [&](const QString& t) { held << t; });
        connect(line, &QLineEdit::selectionChanged, [&] { held << line->selectedText(); });
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&r.combo);
        r.combo.setServerEchoes(true);
        if (how == "combo") {
            QTest::keyClicks(&r.combo, "rosa77");
        } else if (how == "line") {
            QTest::keyClicks(line, "rosa77");
        } else if (how == "backspace") {
            QTest::keyClicks(line, "rosx");
            QTest::keyClick(line, Qt::Key_Left); // the caret cannot leave the end
            QTest::keyClick(line, Qt::Key_Backspace);
            QTest::keyClicks(line, "a77");
        } else if (how == "paste") {
            QGuiApplication::clipboard()->setText("rosa77\naltro");
            QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
        } else if (how == "im") {
            QInputMethodEvent im;
            im.setCommitString("rosa77");
            QCoreApplication::sendEvent(&r.combo, &im);
        } else if (how == "before") {
            QTest::keyClicks(line, "77");
        } else if (how == "after command") {
            QTest::keyClicks(line, "rosa77");
        }
        held << accessibleTexts(iface);
        QCOMPARE(line->text(), QString("******"));
        QCOMPARE(iface->text(QAccessible::Name), QString("Comando"));
        QVERIFY(iface->state().passwordEdit);
        QTest::keyClick(line, Qt::Key_Return);
        QCOMPARE(r.written.last(), QString("rosa77\r\n"));
        for (const char* piece : {"rosa", "osa", "77", "a7"})
            QVERIFY2(!held.join('|').contains(piece), qPrintable(held.join('|')));
        QVERIFY(!r.combo.history().contains("rosa77"));

        // Echo back: the line is named, not read out by its text.
        r.combo.setServerEchoes(false);
        QTest::keyClicks(line, "guarda");
        QCOMPARE(iface->text(QAccessible::Name), QString("Comando"));
        QCOMPARE(iface->text(QAccessible::Value), QString("guarda"));
        QVERIFY(!iface->state().passwordEdit);
    }

    void secretHalfTypedIsDroppedWhenTheEchoComesBack() {
        Rig r;
        r.combo.setServerEchoes(true);
        QTest::keyClicks(&r.combo, "segr");
        r.combo.setServerEchoes(false);
        QCOMPARE(r.combo.currentText(), QString());
        QTest::keyClick(&r.combo, Qt::Key_Return);
        QVERIFY(!r.written.join("").contains("segr"));
    }

    void echoInTheGameDisplay() {
        // Server text, then a command, then server text again: the command is
        // grey and the display goes back to the server's colour.
        CommandInput combo;
        GameDisplay display;
        const QRgb server = qRgb(0, 170, 0);
        combo.setDisplay(&display);
        QSignalSpy entered(&combo, &CommandInput::commandEntered);
        SgrColours colours;
        colours.setCurrent(server);
        combo.setServerColours(&colours);
        display.setSelColor(server);
        display.insertText(u"Sei in piazza.\r\n");
        combo.setEditText("guarda  statua");
        QTest::keyClick(&combo, Qt::Key_Return);
        display.insertText(u"Una statua.");

        const DisplayBuffer& buf = display.buffer();
        QCOMPARE(buf.lineText(1), QString(" guarda  statua"));
        QCOMPARE(buf.colourAt(buf.lineStart(1) + 3), EchoGrey);
        QCOMPARE(buf.lineText(2), QString("Una statua."));
        QCOMPARE(buf.colourAt(buf.lineStart(2)), server);
        QCOMPARE(buf.colourAt(0), server);
        QCOMPARE(entered.size(), 1);
        QCOMPARE(entered[0][0].toString(), QString(" guarda  statua\r\n"));
    }

    void otherKeys() {
        Rig r;
        QSignalSpy scroll(&r.combo, &CommandInput::scrollRequested);
        QTest::keyClick(&r.combo, Qt::Key_PageUp);
        QTest::keyClick(r.combo.lineEdit(), Qt::Key_PageDown);
        QCOMPARE(scroll.size(), 2);
        QCOMPARE(scroll[0][0].toInt(), -1);
        QCOMPARE(scroll[1][0].toInt(), 1);

        QTest::keyClicks(&r.combo, "abc");
        QTest::keyClick(&r.combo, Qt::Key_Escape);
        QCOMPARE(r.combo.currentText(), QString());
        QVERIFY(r.written.isEmpty());

        // Enter reaching the edit field directly is handled the same way, and
        // the keypad Enter too; the combo box adds nothing by itself.
        QTest::keyClicks(r.combo.lineEdit(), "west");
        QTest::keyClick(r.combo.lineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(r.written, QStringList{" west\r\n"});
        QCOMPARE(r.combo.count(), 1);
        // No completion from the history while typing.
        r.combo.setCancellaPrompt(true);
        r.send("wes");
        QCOMPARE(r.written.last(), QString(" wes\r\n"));
    }
};

QTEST_MAIN(TestCommandInput)
#include "tst_commandinput.moc"
