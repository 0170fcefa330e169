// The whole client with the keyboard alone, against a loopback server: the
// start-up window, connecting from the menu, playing, the bar's keys, the
// editors and the note composer, and disconnecting with a drawn button.
#include "automation/Stores.h"
#include "client/FrmMain.h"
#include "client/FrmTasti.h"
#include "commands/CommandInput.h"
#include "display/GameDisplay.h"
#include "support/ScriptedServer.h"
#include "support/client/MainWindowRig.h"
#include "ui/ClickLabel.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

QWidget* focused() {
    return QApplication::focusWidget();
}

void type(const QString& text) {
    QTest::keyClicks(focused(), text);
}

void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(focused(), k, mods);
}

// Tab (or Shift+Tab) until target has the focus; false if it never comes.
bool tabTo(QWidget* target, Qt::KeyboardModifiers mods = {}) {
    for (int i = 0; i < 30 && focused() != target; ++i)
        key(Qt::Key_Tab, mods);
    return focused() == target;
}

// Alt with the menu's letter, then the item's letter, as a player picks it.
void pickFromMenu(QWidget* window, Qt::Key menu, Qt::Key item) {
    QTest::keyClick(window, menu, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), item);
    // The offscreen platform leaves the closed menu (or window) active, where
    // a desktop gives the main window back its activation: do it here.
    window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), window);
}

// Takes the focus away from the input line, as a player would.
using Away = std::function<void(FrmMain&, ScriptedDialogs&)>;

} // namespace

Q_DECLARE_METATYPE(Away)

class TestFrmMainKeyboard : public QObject {
    Q_OBJECT

private slots:
    void playWithTheKeyboardAlone() {
        ScriptedServer server;
        MainWindowRig rig(server.port(),
                          "[BOTTONE 1]\r\nCAPTION=Guarda\r\nAZIONE=guarda\r\nSTATO=Attivo\r\n");
        ScriptedDialogs& dialogs = rig.dialogs;
        FrmMain& window = rig.make();

        // The start-up window: "Chiudi" has the focus, Space closes it.
        dialogs.onModal = [](QDialog* about) {
            QTRY_COMPARE(QApplication::activeWindow(), about);
            key(Qt::Key_Space);
            QVERIFY(!about->isVisible());
        };
        window.Form_Load();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(window.commandInput()->hasFocus());

        // Collegamento > Connetti; the server's text arrives and the input
        // line keeps the focus.
        dialogs.onModal = nullptr;
        pickFromMenu(&window, Qt::Key_C, Qt::Key_C);
        QVERIFY(server.waitForClient());
        QVERIFY(window.isConnected());
        server.send("Sei in una piazza.\r\n");
        QTRY_VERIFY(window.display()->buffer().text().contains("piazza"));
        QVERIFY(window.commandInput()->hasFocus());

        // A command, and the bar's first button by F1.
        type("nord");
        key(Qt::Key_Return);
        QVERIFY(server.waitForReceived("nord\r\n"));
        key(Qt::Key_F1);
        QVERIFY(server.waitForReceived("guarda\r\n"));

        // Configura > Trigger: Nuovo, its text and action, Conferma, Esci.
        dialogs.onModal = [](QDialog* editor) {
            QCOMPARE(editor->objectName(), QString("frmTrigger"));
            QTRY_COMPARE(QApplication::activeWindow(), editor);
            QTest::keyClick(editor, Qt::Key_N, Qt::AltModifier);
            type("un drago");
            key(Qt::Key_Tab);
            type("fuggi");
            QTest::keyClick(editor, Qt::Key_C, Qt::AltModifier);
            QTest::keyClick(editor, Qt::Key_S, Qt::AltModifier);
            QVERIFY(!editor->isVisible());
        };
        pickFromMenu(&window, Qt::Key_O, Qt::Key_T);
        server.send("Arriva un drago!\r\n");
        QVERIFY(server.waitForReceived("fuggi\r\n"));

        // Configura > Bottoni: the second button gets a caption, a colour and
        // an action; Shift+Tab walks back round to the colour box.
        dialogs.onModal = [](QDialog* editor) {
            QCOMPARE(editor->objectName(), QString("frmBottoni"));
            QTRY_COMPARE(QApplication::activeWindow(), editor);
            auto* list = editor->findChild<QListWidget*>("lstBottoni");
            list->setFocus();
            key(Qt::Key_Home);
            key(Qt::Key_Down);
            QCOMPARE(list->currentRow(), 1);
            QTest::keyClick(editor, Qt::Key_M, Qt::AltModifier);
            QCOMPARE(focused(), editor->findChild<QLineEdit*>("txtTesto"));
            key(Qt::Key_A, Qt::ControlModifier);
            type("Sud");
            QVERIFY(tabTo(editor->findChild<QWidget*>("cmbColore"), Qt::ShiftModifier));
            key(Qt::Key_Down);
            QVERIFY(tabTo(editor->findChild<QWidget*>("txtAzione"), Qt::ShiftModifier));
            type("sud");
            QTest::keyClick(editor, Qt::Key_C, Qt::AltModifier);
            QTest::keyClick(editor, Qt::Key_S, Qt::AltModifier);
        };
        pickFromMenu(&window, Qt::Key_O, Qt::Key_B);
        QCOMPARE(window.buttonBar()[1].Caption(), QString("Sud"));
        key(Qt::Key_F2);
        QVERIFY(server.waitForReceived("sud\r\n"));

        // Configura > Nota: fields by Tab, a colour by Space, Invia.
        dialogs.onModal = [](QDialog* composer) {
            QTRY_COMPARE(QApplication::activeWindow(), composer);
            QTest::keyClick(composer, Qt::Key_N, Qt::AltModifier);
            type("tutti");
            key(Qt::Key_Tab);
            type("saluti");
            key(Qt::Key_Tab);
            type("ciao ");
            key(Qt::Key_Tab); // the first colour swatch
            key(Qt::Key_Tab);
            key(Qt::Key_Tab);
            key(Qt::Key_Tab);
            QCOMPARE(qobject_cast<ClickLabel*>(focused())->buttonName(), QString("Rosso"));
            key(Qt::Key_Space);
            QTest::keyClick(composer, Qt::Key_I, Qt::AltModifier); // asks, answered yes
            QTest::keyClick(composer, Qt::Key_E, Qt::AltModifier);
        };
        pickFromMenu(&window, Qt::Key_O, Qt::Key_N);
        QVERIFY(server.waitForReceived("nota + ciao {{R\r\n"));

        // Tab from the input line to "Disconnetti"; Space disconnects.
        window.commandInput()->setFocus();
        QVERIFY(tabTo(window.findChild<ClickLabel*>("lblShp_10")));
        key(Qt::Key_Space);
        QVERIFY(!window.isConnected());
        QVERIFY(server.waitForClientGone());
    }

    // Whatever takes the focus away, the input line comes back as it was
    // left, the last command selected: the next command replaces it.
    void inputLineComesBackAsLeft_data() {
        QTest::addColumn<Away>("away");
        QTest::addColumn<bool>("connectAfter");
        QTest::newRow("about closed with Alt+C") << Away([](FrmMain& w, ScriptedDialogs& d) {
            // The real modal window, Alt held from the press of C to
            // its release over the main window, as a hand does it.
            setDialogHost(nullptr);
            QTimer::singleShot(0, &w, [&w] {
                QWidget* about = QApplication::activeModalWidget();
                QVERIFY(about);
                QTRY_COMPARE(QApplication::activeWindow(), about);
                QTest::keyPress(about, Qt::Key_Alt, Qt::AltModifier);
                QTest::keyPress(about, Qt::Key_C, Qt::AltModifier);
                QVERIFY(!about->isVisible());
                w.activateWindow();
                QTRY_COMPARE(QApplication::activeWindow(), &w);
                QTest::keyRelease(focused(), Qt::Key_C, Qt::AltModifier);
                QTest::keyRelease(focused(), Qt::Key_Alt);
            });
            w.findChild<QAction*>("mnuAbout")->trigger();
            setDialogHost(&d);
        }) << false;
        QTest::newRow("menu opened and left with Escape") << Away([](FrmMain& w, ScriptedDialogs&) {
            QTest::keyClick(&w, Qt::Key_O, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget());
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
            key(Qt::Key_Escape); // and the menu bar
        }) << false;
        QTest::newRow("Connetti from the menu")
            << Away([](FrmMain& w, ScriptedDialogs&) { pickFromMenu(&w, Qt::Key_C, Qt::Key_C); })
            << true;
        QTest::newRow("Connetti by Tab and Space") << Away([](FrmMain& w, ScriptedDialogs&) {
            QVERIFY(tabTo(w.findChild<ClickLabel*>("lblShp_9")));
            key(Qt::Key_Space);
        }) << true;
    }
    void inputLineComesBackAsLeft() {
        QFETCH(Away, away);
        QFETCH(bool, connectAfter);
        ScriptedServer server;
        MainWindowRig rig(server.port());
        FrmMain& window = rig.make();
        window.Form_Load();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        if (!connectAfter)
            QVERIFY(rig.connectTo(server));
        type("guarda");
        key(Qt::Key_Return);

        away(window, rig.dialogs);
        rig.dialogs.onModal = nullptr;
        window.activateWindow(); // what a desktop does once the window closes
        QTRY_VERIFY(window.commandInput()->hasFocus());
        if (connectAfter)
            QVERIFY(server.waitForClient());
        type("nord");
        key(Qt::Key_Return);
        QVERIFY(server.waitForReceived("nord\r\n"));
        // Each command goes out as the game always sent it, behind a space.
        QCOMPARE(server.received, QByteArray(connectAfter ? " nord\r\n" : " guarda\r\n nord\r\n"));
    }

    void keysListTellsTheKeys() {
        MainWindowRig rig;
        ScriptedDialogs& dialogs = rig.dialogs;
        FrmMain& window = rig.make();
        QString title, shown;
        dialogs.onModal = [&](QDialog* d) {
            title = d->windowTitle();
            if (auto* keys = qobject_cast<FrmTasti*>(d))
                shown = keys->text()->toPlainText();
        };
        window.findChild<QAction*>("mnuTasti")->trigger();
        QCOMPARE(title, QString("Tasti"));
        // Every key the main window answers to is in the list.
        QVERIFY(shown.contains("F1 ... F8"));
        QCOMPARE(window.findChildren<QShortcut*>().size(), 8);
        for (const QAction* a : window.findChildren<QAction*>())
            if (!a->shortcut().isEmpty())
                QVERIFY2(shown.contains(a->shortcut().toString()), qPrintable(a->text()));
        for (const char* name : {"Ctrl+G", "Alt+C", "Maiusc+Invio", "Esc"})
            QVERIFY2(shown.contains(name), name);
    }
};

QTEST_MAIN(TestFrmMainKeyboard)
#include "tst_frmmain_keyboard.moc"
