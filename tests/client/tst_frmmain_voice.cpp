#include "automation/ButtonConfig.h"
#include "client/FrmMain.h"
#include "commands/CommandInput.h"
#include "display/GameDisplay.h"
#include "speech/GameVoice.h"
#include "support/ReadOnlyFolder.h"
#include "support/ScriptedServer.h"
#include "support/client/MainWindowRig.h"
#include "support/speech/RecordingSpeech.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

// The game spoken with "Voce" on and no screen reader: new text as it comes,
// a typed command cutting it and not said back, the review keys, silence,
// and the switch kept in config.ini.
class TestFrmMainVoice : public QObject {
    Q_OBJECT

private slots:
    void heardWhileTyping() {
        RecordingSpeech speech;
        ScriptedServer server;
        MainWindowRig c(server.port(), "[SCHERMO]\r\nVOCE=1\r\n");
        c.load();
        c.window->voice().setSpeech(&speech);
        QApplication::setActiveWindow(c.window.get());
        QVERIFY(c.action("mnuVoce")->isChecked());
        QVERIFY(c.connectTo(server));
        server.send("Benvenuto\r\nCome ti chiami? ");
        QTRY_VERIFY(speech.spoken().join('\n').contains("Come ti chiami?"));
        QCOMPARE(speech.spoken().first(), QString("Connessione in corso"));
        QVERIFY(speech.spoken().join('\n').contains("Benvenuto\n"));

        speech.calls.clear();
        c.type("nord");
        QVERIFY(server.waitForReceived(" nord\r\n"));
        server.send("Sei in taverna.\r\n");
        QTRY_COMPARE(speech.calls, (QStringList{"stop", "speak: Sei in taverna."}));
        QCOMPARE(QApplication::focusWidget(), c.window->commandInput());

        // Alt+1 the newest line, Alt+2 the one before; the focus stays.
        struct Review {
            Qt::Key key;
            Qt::KeyboardModifiers mods;
            QStringList calls;
        };
        const QList<Review> reviews = {
            {Qt::Key_1, Qt::AltModifier, {"stop", "speak: Sei in taverna."}},
            {Qt::Key_2, Qt::AltModifier, {"stop", "speak: Come ti chiami?  nord"}},
            {Qt::Key_3, Qt::AltModifier, {"stop", "speak: Benvenuto"}},
            {Qt::Key_9, Qt::AltModifier, {"stop", "speak: Riga vuota"}},
            {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, {"stop"}},
        };
        for (const Review& r : reviews) {
            speech.calls.clear();
            QTest::keyClick(c.window->commandInput(), r.key, r.mods);
            QCOMPARE(speech.calls, r.calls);
            QCOMPARE(QApplication::focusWidget(), c.window->commandInput());
        }

        // Off: kept in config.ini, and nothing more is said.
        c.action("mnuVoce")->trigger();
        QCOMPARE(ReadConfigValue(c.window->api(), "SCHERMO", "VOCE"), QString("0"));
        speech.calls.clear();
        server.send("Un topo passa.\r\n");
        QVERIFY(c.waitShown("Un topo passa."));
        QCoreApplication::processEvents();
        QVERIFY(speech.spoken().isEmpty());
    }

    // A switch config.ini cannot keep still works for this run, and the
    // player is told it is not saved.
    void switchNotSavedIsTold() {
        RecordingSpeech speech;
        MainWindowRig c;
        c.load();
        c.window->voice().setSpeech(&speech);
        ReadOnlyFolder locked(c.folder);
        if (!locked.ok())
            QSKIP("the folder cannot be made read-only here");
        c.action("mnuVoce")->trigger();
        QVERIFY(c.action("mnuVoce")->isChecked());
        QVERIFY(c.window->voiceWanted());
        QCOMPARE(c.dialogs.messages.size(), 1);
        QVERIFY(
            c.dialogs.lastText().startsWith("Impossibile salvare VOCE nel file \"config.ini\""));
        QVERIFY(c.dialogs.lastText().contains("fino alla chiusura"));
        QCOMPARE(speech.spoken(), QStringList{"Voce attiva"});
    }

    // A screen reader ticks "Scrivi Log.txt" through its toggle action: the
    // log starts and stops as with a click.
    void logSwitchByItsAccessibleAction() {
        MainWindowRig c;
        c.load();
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(c.window->logSwitch());
        box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(c.window->logSwitch()->isChecked());
        box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(QDir(c.path("Log")).entryList(QDir::Files).size(), 1);
        const QByteArray text = c.todaysLog();
        QVERIFY(text.contains("[ inizio log ]"));
        QVERIFY(text.contains("[ fine log ]"));
    }
};

QTEST_MAIN(TestFrmMainVoice)
#include "tst_frmmain_voice.moc"
