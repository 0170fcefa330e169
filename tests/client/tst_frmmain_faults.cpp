#include "automation/FrmBottoni.h"
#include "automation/FrmPairEditor.h"
#include "automation/Stores.h"
#include "client/FrmMain.h"
#include "commands/CommandInput.h"
#include "display/GameDisplay.h"
#include "notes/FrmNota.h"
#include "session/Connection.h"
#include "support/ReadOnlyFolder.h"
#include "support/ScriptedServer.h"
#include "support/client/MainWindowRig.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <sys/socket.h>

namespace {

QByteArray garbage(quint32 seed, int size) {
    QRandomGenerator gen(seed);
    QByteArray out(size, '\0');
    for (char& c : out)
        c = char(gen.bounded(256));
    // Plenty of the bytes the readers look at.
    for (int i = 0; i < size; i += 37)
        out[i] = "\r\n\x1b[<!>%=]\xff\x01"[gen.bounded(13)];
    return out;
}

// A bitmap header that claims a picture of 60000 x 60000 pixels.
QByteArray hugeBitmapHeader() {
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("BM", 2);
    s << quint32(54 + 64) << quint32(0) << quint32(54);
    s << quint32(40) << qint32(60000) << qint32(60000) << quint16(1) << quint16(32) << quint32(0)
      << quint32(0) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    out += garbage(6, 64);
    return out;
}

// The server's side goes away with a reset instead of a farewell.
void resetConnection(ScriptedServer& server) {
    QTcpSocket* s = server.client();
    QVERIFY(s);
    s->flush();
    const linger hard{1, 0};
    ::setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    s->abort();
}

// Connects the window and waits for the server to take the connection (a
// new one each time, also after the last was reset).
bool connectWindow(MainWindowRig& c, ScriptedServer& server) {
    QSignalSpy arrivals(&server, &ScriptedServer::clientConnected);
    return c.window->ConnettiServer() && arrivals.wait();
}

void click(QWidget* window, int index) {
    QWidget* label = window->findChild<QWidget*>(QStringLiteral("lblShape_%1").arg(index));
    QVERIFY(label);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
}

} // namespace

// The main window against what goes wrong outside it: connections that break
// at a bad moment, a program folder it may not write, huge and damaged files.
class TestFrmMainFaults : public QObject {
    Q_OBJECT

private slots:
    void resetInsideAColourSequence() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        QVERIFY(connectWindow(c, server));
        c.window->logSwitch()->click();
        server.send("\x1b[32mverde\x1b[0m abc\x1b[3");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("verde"); }));
        resetConnection(server);
        QVERIFY(QTest::qWaitFor([&] { return !c.window->isConnected(); }));
        // What the server sent before the cut sequence is still shown, before
        // the notice; the cut sequence itself is dropped.
        QVERIFY2(c.shown().endsWith("verde abc\n\nDisconnesso da Varendor"), qPrintable(c.shown()));
        c.window->logSwitch()->click();
        const QStringList logs = QDir(c.path("Log")).entryList(QDir::Files);
        QCOMPARE(logs.size(), 1);
        QVERIFY(get(c.path("Log/" + logs.first())).contains("\r\n\r\nverde abc\r\n****"));

        // A new connection starts clean: nothing of the old one leads it.
        QVERIFY(connectWindow(c, server));
        server.send("1mciao\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().endsWith("ciao\n"); }));
        QVERIFY(c.shown().endsWith("Disconnesso da Varendor\n1mciao\n"));
        QCOMPARE(c.window->display()->buffer().colourAt(c.shown().size() - 3), qRgb(240, 240, 240));
    }

    void resetInsideATelnetCommand() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        QVERIFY(connectWindow(c, server));
        // A subnegotiation that never ends, then the reset.
        server.send(QByteArray("prima\r\n\xff\xfa\x18\x01", 11));
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("prima"); }));
        resetConnection(server);
        QVERIFY(QTest::qWaitFor([&] { return !c.window->isConnected(); }));
        QVERIFY(c.shown().endsWith("prima\n\n\nDisconnesso da Varendor"));

        QVERIFY(connectWindow(c, server));
        server.send("di nuovo\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().endsWith("di nuovo\n"); }));
        // Commands still go out on the new connection.
        c.window->commandInput()->lineEdit()->setText("guarda");
        QTest::keyClick(c.window->commandInput()->lineEdit(), Qt::Key_Return);
        QVERIFY(server.waitForReceived("guarda\r\n"));
    }

    void readOnlyEmptyFolderStartsAndReportsEachOnce() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        ReadOnlyFolder ro(c.folder);
        if (!ro.ok())
            QSKIP("this file system cannot make a folder read-only");
        c.load();
        QVERIFY(c.window->isVisible());
        const QStringList told = c.messageTexts();
        QCOMPARE(told.size(), 4);
        QVERIFY(told[0].contains("Log") && told[1].contains("Note"));
        QVERIFY(told[2].contains("trigger.txt") && told[3].contains("alias.txt"));
        QCOMPARE(c.window->api().TriggerCount(), 0);

        // Logging into a folder that does not exist: told once, the session
        // goes on and the switch keeps working.
        QVERIFY(connectWindow(c, server));
        c.window->logSwitch()->click();
        for (int i = 0; i < 3; ++i) {
            server.send("riga " + QByteArray::number(i) + "\r\n");
            QVERIFY(QTest::qWaitFor([&] { return c.shown().contains(QString("riga %1").arg(i)); }));
        }
        QTest::qWait(0);
        QCOMPARE(c.dialogs.messages.size(), 5);
        QVERIFY(c.dialogs.lastText().startsWith("Impossibile scrivere nel file di log"));
        c.window->logSwitch()->click();
        QVERIFY(!c.window->logSwitch()->isChecked());
        QTest::qWait(0);
        QCOMPARE(c.dialogs.messages.size(), 5);
    }

    void readOnlyFolderKeepsWhatIsOnDisk() {
        MainWindowRig c;
        const QByteArray triggers = "orco<!>fuggi<%>\r\n";
        const QByteArray aliases = "gg<!>guarda<%>giu\r\n";
        const QByteArray config = "[BOTTONE 1]\r\nCAPTION=Uno\r\nAZIONE=nord\r\nSTATO=Attivo\r\n";
        const QByteArray note = "<DEST>TUTTI</DEST>\r\n<SOGG>vecchia</SOGG>\r\ntesto\r\n";
        put(c.path("trigger.txt"), triggers);
        put(c.path("alias.txt"), aliases);
        put(c.path("config.ini"), config);
        QDir().mkdir(c.path("Log"));
        QDir().mkdir(c.path("Note"));
        put(c.path("Note/vecchia.not"), note);
        const QString lostNote = c.path("Note/nuova.not");

        ReadOnlyFolder ro(c.folder);
        ReadOnlyFolder roNote(c.path("Note"));
        if (!ro.ok() || !roNote.ok())
            QSKIP("this file system cannot make a folder read-only");
        c.load();
        QVERIFY(c.dialogs.messages.isEmpty());
        QCOMPARE(c.window->api().TriggerCount(), 1);
        QCOMPARE(c.window->buttonBar()[0].Caption(), QString("Uno"));

        // Each editor reports its failed save once and the file stays.
        const auto addEntry = [&](const char* menu, const QString& text, const QString& action) {
            c.open(menu, [&](QDialog* d) {
                click(d, FrmPairEditor::Nuovo);
                d->findChild<QLineEdit*>("txtTesto")->setText(text);
                d->findChild<QPlainTextEdit*>("txtAzione")->setPlainText(action);
                click(d, FrmPairEditor::Conferma);
            });
        };
        addEntry("mnuTrigger", "drago", "scappa");
        QCOMPARE(c.dialogs.messages.size(), 1);
        QVERIFY(c.dialogs.lastText().contains("trigger.txt"));
        QCOMPARE(get(c.path("trigger.txt")), triggers);

        addEntry("mnuAlias", "ss", "sud");
        QCOMPARE(c.dialogs.messages.size(), 2);
        QVERIFY(c.dialogs.lastText().contains("alias.txt"));
        QCOMPARE(get(c.path("alias.txt")), aliases);

        c.open("mnuBottoni", [&](QDialog* d) {
            auto* list = d->findChild<QListWidget*>("lstBottoni");
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(0)).center());
            click(d, FrmBottoni::Modifica);
            d->findChild<QLineEdit*>("txtTesto")->setText("Due");
            d->findChild<QComboBox*>("cmbColore")->setCurrentIndex(3);
            click(d, FrmBottoni::Conferma);
        });
        QCOMPARE(c.dialogs.messages.size(), 3);
        QVERIFY(c.dialogs.lastText().contains("config.ini"));
        QCOMPARE(get(c.path("config.ini")), config);
        QCOMPARE(c.window->buttonBar()[0].Caption(), QString("Uno"));

        // A new note cannot be written; an old one asked to be replaced stays.
        c.dialogs.filePaths << c.path("Note/nuova") << c.path("Note/vecchia");
        c.open("mnuNota", [&](QDialog* d) {
            click(d, FrmNota::Nuovo);
            d->findChild<QLineEdit*>("txtDest")->setText("TUTTI");
            d->findChild<QLineEdit*>("txtSogg")->setText("prova");
            d->findChild<QPlainTextEdit*>("txtNota")->setPlainText("uno");
            click(d, FrmNota::Salva);
            click(d, FrmNota::Salva);
        });
        const QStringList told = c.messageTexts();
        QCOMPARE(told.size(), 6);
        QVERIFY(told[3].contains("nuova.not"));
        QVERIFY(told[4].contains("esiste")); // asked before replacing, and answered Yes
        QVERIFY(told[5].contains("vecchia.not"));
        QVERIFY(!QFile::exists(lostNote));
        QCOMPARE(get(c.path("Note/vecchia.not")), note);
        // What was typed still works for the rest of the run.
        QCOMPARE(c.window->api().TriggerCount(), 2);
    }

    void storeOfFortyThousandLines() {
        MainWindowRig c;
        QByteArray triggers, aliases;
        for (int i = 0; i < 40000; ++i) {
            triggers += "mostro" + QByteArray::number(i) + "!<!>colpisci " + QByteArray::number(i) +
                        "<%>\r\n";
            aliases += "a" + QByteArray::number(i) + "<!>dici " + QByteArray::number(i) + "\r\n";
        }
        put(c.path("trigger.txt"), triggers);
        put(c.path("alias.txt"), aliases);
        ScriptedServer server;
        put(c.path("config.ini"),
            "[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=" + QByteArray::number(server.port()) + "\r\n");
        c.load();
        QCOMPARE(c.window->api().TriggerCount(), 32767);
        QCOMPARE(c.window->api().AliasCount(), 32767);
        // The player is told, once per store, that the rest is kept but idle.
        QCOMPARE(c.dialogs.messages.size(), 2);
        QVERIFY(c.dialogs.messages.first().text.contains("7233"));

        QVERIFY(connectWindow(c, server));
        // The last loaded trigger fires; the first one left out does not.
        server.send("Un MOSTRO32766! e un mostro32767!\r\n");
        QVERIFY(server.waitForReceived("colpisci 32766\r\n"));
        c.window->commandInput()->lineEdit()->setText("a32766");
        QTest::keyClick(c.window->commandInput()->lineEdit(), Qt::Key_Return);
        QVERIFY(server.waitForReceived("dici 32766\r\n"));
        QVERIFY(!server.received.contains("colpisci 32767"));
        QCOMPARE(get(c.path("trigger.txt")), triggers);

        c.open("mnuTrigger", [&](QDialog* d) {
            QCOMPARE(d->findChild<QListWidget*>("lstTrigger")->count(), 32767);
        });
        QCOMPARE(c.dialogs.messages.size(), 2); // the editor does not tell it again
        // Saving keeps every line of the file, also those beyond the limit.
        QVERIFY(SaveTriggers(c.window->api()));
        QVERIFY(SaveAliases(c.window->api()));
        QCOMPARE(get(c.path("trigger.txt")), triggers);
        QCOMPARE(get(c.path("alias.txt")), aliases);
    }

    void binaryGarbageEverywhere() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        QByteArray config = garbage(1, 4096);
        config += "\r\n[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=" + QByteArray::number(server.port()) +
                  "\r\n[BOTTONE 1]\r\nCAPTION=" + garbage(2, 300).replace('\n', ' ') + "\r\n";
        put(c.path("config.ini"), config);
        put(c.path("trigger.txt"), garbage(3, 64 * 1024));
        put(c.path("alias.txt"), garbage(4, 64 * 1024));
        QDir().mkdir(c.path("Note"));
        put(c.path("Note/rotta.not"), garbage(5, 16 * 1024));
        c.load();
        QVERIFY(c.window->isVisible());
        QVERIFY(c.dialogs.messages.isEmpty());
        QCOMPARE(c.window->buttonBar()[1].Caption(), QString("Vuoto"));

        // Damaged files load without touching them.
        QCOMPARE(get(c.path("trigger.txt")), garbage(3, 64 * 1024));
        QCOMPARE(get(c.path("alias.txt")), garbage(4, 64 * 1024));

        c.dialogs.filePaths << c.path("Note/rotta.not");
        c.open("mnuNota", [&](QDialog* d) {
            click(d, FrmNota::Apri);
            QVERIFY(d->findChild<QLineEdit*>("txtDest")->text().size() <= 30);
            QVERIFY(d->findChild<QLineEdit*>("txtSogg")->text().size() <= 40);
        });

        // Pictures that are no pictures, or claim to be enormous: told, and
        // the background stays as it was.
        const QImage before = c.window->backgroundPicture().toImage();
        put(c.path("sfondo.jpg"), garbage(7, 8192));
        put(c.path("enorme.bmp"), hugeBitmapHeader());
        c.dialogs.filePaths << c.path("sfondo.jpg") << c.path("enorme.bmp");
        c.action("mnuSfondo")->trigger();
        c.action("mnuSfondo")->trigger();
        QCOMPARE(c.dialogs.messages.size(), 2);
        QVERIFY(c.dialogs.messages[0].text.contains("sfondo.jpg"));
        QVERIFY(c.dialogs.messages[1].text.contains("enorme.bmp"));
        QCOMPARE(c.window->backgroundPicture().toImage(), before);

        // Garbage from the server: shown, never a crash, the line limit holds.
        QVERIFY(connectWindow(c, server));
        c.window->logSwitch()->click();
        // Telnet commands are left out: a random one could switch on compression.
        for (quint32 seed = 10; seed < 18; ++seed)
            server.send(garbage(seed, 64 * 1024).replace('\xff', 'y'));
        server.send("\x1b[0m\r\nancora vivo\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().endsWith("ancora vivo\n"); }, 20000));
        QVERIFY(c.window->display()->buffer().lineCount() <= 501);
        QCOMPARE(c.window->display()->buffer().colourAt(c.shown().size() - 3), qRgb(240, 240, 240));
    }
};

QTEST_MAIN(TestFrmMainFaults)
#include "tst_frmmain_faults.moc"
