// "Trova" in the main window while a loopback server goes on sending: found
// text highlighted and kept in view, back and forth by keys, the bar's keys
// still working from the window, and a plain answer when nothing is there.
#include "client/FrmMain.h"
#include "client/FrmTrova.h"
#include "commands/CommandInput.h"
#include "display/GameDisplay.h"
#include "support/ScriptedServer.h"
#include "support/client/MainWindowRig.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

class TestFrmTrova : public QObject {
    Q_OBJECT

    static void send(ScriptedServer& server, int from, int to, const QList<int>& dragons) {
        QByteArray bytes;
        for (int i = from; i < to; ++i) {
            bytes += dragons.contains(i) ? "il DRAGO dorme " : "riga ";
            bytes += QByteArray::number(i) + "\r\n";
        }
        server.send(bytes);
    }

    // The line of the display's selection.
    static QString selectedLine(const GameDisplay* d) {
        const DisplayBuffer& b = d->buffer();
        return b.lineText(b.lineFromChar(d->selectionStart()));
    }

private slots:
    void findsBackAndForthWhileTextArrives() {
        ScriptedServer server;
        MainWindowRig c(server.port(),
                        "[BOTTONE 2]\r\nCAPTION=Nord\r\nAZIONE=nord\r\nSTATO=Attivo\r\n");
        c.load();
        c.action("mnuConnetti")->trigger();
        GameDisplay* display = c.window->display();
        QVERIFY(server.waitForClient());
        send(server, 0, 300, {150, 200});
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("riga 299"); }));
        QVERIFY(QTest::qWaitForWindowActive(c.window.get()));

        // Ctrl+F from the input line opens Trova beside the game, not modal.
        QTest::keyClick(c.window->commandInput(), Qt::Key_F, Qt::ControlModifier);
        auto* trova = c.window->findChild<FrmTrova*>();
        QVERIFY(trova && trova->isVisible());
        QVERIFY(!trova->isModal());
        QCOMPARE(trova->windowTitle(), QString("Trova"));
        QTRY_COMPARE(QApplication::focusWidget(), trova->textBox());

        // From the view (the newest lines) forward: round to the first dragon.
        QTest::keyClicks(trova->textBox(), "drago");
        QTest::keyClick(trova->textBox(), Qt::Key_Return);
        QCOMPARE(display->selectedText(), QString("DRAGO"));
        QCOMPARE(selectedLine(display), QString("il DRAGO dorme 150"));
        QVERIFY(trova->result()->text().contains("ripartendo dall'inizio"));
        QTest::keyClick(trova->textBox(), Qt::Key_Return);
        QCOMPARE(selectedLine(display), QString("il DRAGO dorme 200"));
        QTest::keyClick(trova->textBox(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(selectedLine(display), QString("il DRAGO dorme 150"));
        QTest::keyClick(trova->textBox(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(selectedLine(display), QString("il DRAGO dorme 200"));
        QTest::keyClick(trova->textBox(), Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(selectedLine(display), QString("il DRAGO dorme 150"));

        // The game goes on: new lines arrive, the oldest are trimmed, and the
        // dragon stays highlighted where the player is reading.
        send(server, 300, 600, {550});
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("riga 599"); }));
        QVERIFY(!c.shown().startsWith("riga 0\n"));
        QCOMPARE(selectedLine(display), QString("il DRAGO dorme 150"));
        QTest::keyClick(trova->textBox(), Qt::Key_Return);
        QTest::keyClick(trova->textBox(), Qt::Key_Return);
        QCOMPARE(selectedLine(display), QString("il DRAGO dorme 550"));

        // The bar's keys stay the bar's while Trova has the focus.
        QTest::keyClick(trova->textBox(), Qt::Key_F2);
        QVERIFY(server.waitForReceived("nord\r\n"));

        // Nothing there: said plainly, and nothing left highlighted.
        trova->textBox()->selectAll();
        QTest::keyClicks(trova->textBox(), "unicorno");
        QTest::keyClick(trova->textBox(), Qt::Key_Return);
        QCOMPARE(trova->result()->text(), QString("Testo non trovato"));
        QVERIFY(!display->hasSelection());

        // Esc closes it and the view follows the newest text again.
        QVERIFY(!display->followsBottom());
        QTest::keyClick(trova->textBox(), Qt::Key_Escape);
        QVERIFY(!trova->isVisible());
        QVERIFY(display->followsBottom());
        // Opened again from the menu: the same window, its text ready.
        c.window->findChild<QAction*>("mnuTrova")->trigger();
        QVERIFY(trova->isVisible());
        QCOMPARE(trova->textBox()->selectedText(), QString("unicorno"));
    }
};

QTEST_MAIN(TestFrmTrova)
#include "tst_frmtrova.moc"
