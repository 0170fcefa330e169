#include "automation/FrmPairEditor.h"
#include "client/FrmMain.h"
#include "commands/CommandInput.h"
#include "display/GameDisplay.h"
#include "notes/FrmNota.h"
#include "session/Connection.h"
#include "session/GameSession.h"
#include "support/ReadOnlyFolder.h"
#include "support/ScriptedServer.h"
#include "support/TlsTunnel.h"
#include "support/client/MainWindowRig.h"
#include "ui/DisplayFont.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The main window as a player meets it: start-up, the connection buttons and
// menus against a loopback server, and leaving the program.
class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void startUpShowsAboutFirstAndMakesFolders() {
        MainWindowRig c;
        bool mainVisibleDuringAbout = true;
        c.dialogs.onModal = [&](QDialog* d) {
            QCOMPARE(d->objectName(), QString("frmAbout"));
            mainVisibleDuringAbout = c.window->isVisible();
        };
        c.load();
        QCOMPARE(c.dialogs.modalShown.size(), 1);
        QVERIFY(!mainVisibleDuringAbout);
        QVERIFY(c.window->isVisible());
        QCOMPARE(c.window->windowTitle(), QString("Telnet"));
        QVERIFY(QDir(c.path("Log")).exists());
        QVERIFY(QDir(c.path("Note")).exists());
        QVERIFY(QFile::exists(c.path("trigger.txt")));
        QVERIFY(QFile::exists(c.path("alias.txt")));
        QVERIFY(c.disconnectedState());
        QVERIFY(!c.action("mnuCancPromp")->isChecked());
        for (const char* name : {"mnuAlias", "mnuTrigger", "mnuBottoni", "mnuNota"})
            QVERIFY2(!c.action(name)->icon().isNull(), name);
        QCOMPARE(c.window->CurrentColor(), qRgb(240, 240, 240));
        QVERIFY(c.dialogs.messages.isEmpty());
        // Without a configuration the bar holds eight inactive "Vuoto" buttons.
        for (const CButton& b : c.window->buttonBar()) {
            QCOMPARE(b.Caption(), QString("Vuoto"));
            QVERIFY(!b.Attivo());
        }
    }

    void folderThatCannotBeMadeIsReported() {
        MainWindowRig c;
        QFile blocker(c.path("Log"));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        c.load();
        QCOMPARE(c.dialogs.messages.size(), 1);
        QVERIFY(c.dialogs.lastText().contains("Log"));
        QVERIFY(QDir(c.path("Note")).exists());
        QVERIFY(c.window->isVisible());
    }

    void connectReceiveAndDisconnect() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        c.action("mnuConnetti")->trigger();
        QVERIFY(c.connectedState());
        QVERIFY(server.waitForClient());
        server.send("\x1b[1;32mBenvenuto\x1b[0m a Varendor\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("a Varendor"); }));
        const int at = int(c.shown().indexOf("Benvenuto"));
        QCOMPARE(c.window->display()->buffer().colourAt(at), qRgb(0, 240, 0));

        c.action("mnuDisconnetti")->trigger();
        QVERIFY(c.disconnectedState());
        QVERIFY(c.shown().endsWith("a Varendor\n\n\nDisconnesso da Varendor"));
        const int notice = int(c.shown().lastIndexOf("Disconnesso"));
        QCOMPARE(c.window->display()->buffer().colourAt(notice), qRgb(255, 255, 255));
        QVERIFY(c.window->display()->buffer().boldAt(notice));
        QVERIFY(server.waitForClientGone());

        // Server text afterwards is written in the current colour again.
        c.clickCell(9);
        QVERIFY(c.connectedState());
        QVERIFY(server.waitForClient());
        QTest::qWait(0);
        server.send("dopo\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("dopo"); }));
        QCOMPARE(c.window->display()->buffer().colourAt(int(c.shown().lastIndexOf("dopo"))),
                 qRgb(240, 240, 240));
        QVERIFY(!c.window->display()->buffer().boldAt(int(c.shown().lastIndexOf("dopo"))));
    }

    void echoAfterABareLineEndGoesOnItsOwnLine() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        QVERIFY(c.connectTo(server));
        server.send("L'orco ti colpisce.\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("colpisce."); }));
        CommandInput* input = c.window->commandInput();
        QTest::keyClicks(input->lineEdit(), "fuggi");
        QTest::keyClick(input->lineEdit(), Qt::Key_Return);
        QVERIFY(server.waitForReceived("fuggi\r\n"));
        // The line keeps the command, or with "Cancella prompt" is emptied.
        QCOMPARE(input->currentText(), QString("fuggi"));
        c.action("mnuCancPromp")->trigger();
        c.type("resta");
        QVERIFY(server.waitForReceived("resta\r\n"));
        QCOMPARE(input->currentText(), QString());
        c.action("mnuCancPromp")->trigger();
        server.send("\rSei fuggito.\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("fuggito"); }));
        const QStringList lines = c.shown().split('\n');
        const qsizetype at = lines.indexOf("L'orco ti colpisce.");
        QVERIFY(at >= 0);
        QCOMPARE(lines.value(at + 1).trimmed(), QString("fuggi"));
        QCOMPARE(lines.value(at + 2).trimmed(), QString("resta"));
        QCOMPARE(lines.value(at + 3), QString("Sei fuggito."));
    }

    void xtermColoursShowExactlyOnScreen() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        QVERIFY(c.connectTo(server));
        server.send("\x1b[38;5;196mMMMM\x1b[38;2;10;200;90mMMMM\x1b[38:5:226mMMMM\x1b[0m.\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("."); }));
        GameDisplay* display = c.window->display();
        QVERIFY(c.shown().startsWith("MMMMMMMMMMMM.")); // no parameter shown as text
        display->scrollToBottom();
        display->refresh();
        QCoreApplication::processEvents();
        const QImage shot =
            display->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // A stem of a letter covers whole pixels: some pixel of each group
        // has exactly the colour chosen.
        const auto has = [&](int from, QRgb colour) {
            QRect cells = display->characterRect(from).united(display->characterRect(from + 3));
            cells = cells.intersected(shot.rect());
            for (int y = cells.top(); y <= cells.bottom(); ++y)
                for (int x = cells.left(); x <= cells.right(); ++x)
                    if ((shot.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                        return true;
            return false;
        };
        QVERIFY(has(0, qRgb(255, 0, 0)));
        QVERIFY(has(4, qRgb(10, 200, 90)));
        QVERIFY(has(8, qRgb(255, 255, 0)));
        QVERIFY(!has(0, qRgb(10, 200, 90)));
    }

    // Backgrounds fill their cells in exactly the colour chosen under the
    // terminal rules, and not at all under the classic ones; a title names
    // the window, a bell lightens the view, a backspace takes a character.
    void todaysSequencesOnScreen() {
        for (const bool terminal : {true, false}) {
            ScriptedServer server;
            MainWindowRig c(server.port(), terminal ? "COLORI=ANSI\r\n" : "COLORI=CLASSICO\r\n");
            c.load();
            QVERIFY(c.connectTo(server));
            server.send("\x1b]0;La Piazza\x07\x1b[41m    \x1b[0m \x1b[48;2;10;200;90m    \x1b[0m "
                        "\x1b[7m    \x1b[0m \x1b[105m    \x1b[0m abc\b\bd.\r\n");
            QVERIFY(c.waitShown("."));
            QVERIFY(c.shown().startsWith("                    ad.\n"));
            QCOMPARE(c.window->windowTitle(), QString("Telnet - La Piazza"));
            GameDisplay* display = c.window->display();
            display->scrollToBottom();
            display->refresh();
            QCoreApplication::processEvents();
            const QImage shot =
                display->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const auto fill = [&](int pos) {
                return shot.pixel(display->characterRect(pos).center());
            };
            const QList<QRgb> wanted = {qRgb(205, 0, 0), qRgb(10, 200, 90), qRgb(240, 240, 240),
                                        qRgb(255, 0, 255), qRgb(0, 0, 0)};
            const int at[] = {1, 6, 11, 16, 4}; // inside each run of spaces, then between two
            for (int i = 0; i < wanted.size(); ++i)
                QCOMPARE(fill(at[i]), terminal || i == 4 ? wanted[i] : qRgb(0, 0, 0));
            server.send("\x07");
            QTRY_VERIFY(display->isFlashing());
            const QImage lit = display->viewport()->grab().toImage();
            QVERIFY(lit.pixelColor(lit.width() - 3, lit.height() - 3) != QColor(Qt::black));
            QTRY_VERIFY(!display->isFlashing());
            server.closeClient();
            QTRY_COMPARE(c.window->windowTitle(), QString("Telnet"));
        }
    }

    // A server that sends UTF-8 without negotiating it: read and written in
    // UTF-8 from its first such character on, said once, logged in UTF-8.
    void utf8WithoutNegotiation() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        c.window->logSwitch()->click();
        QVERIFY(c.connectTo(server));
        server.send("Benvenuto nella citt\xc3\xa0 \xe2\x82\xac\r\n");
        QVERIFY(c.waitShown(QStringLiteral("città €\n") + TextPath::kUtf8Notice));
        server.send("perch\xc3\xa9\r\n");
        c.type(QStringLiteral("di più"));
        QVERIFY(server.waitForReceived("di pi\xc3\xb9\r\n"));
        QVERIFY(c.waitShown(QStringLiteral("perché")));
        QCOMPARE(c.shown().count(TextPath::kUtf8Notice), 1);
        c.window->logSwitch()->click();
        const QString day = QDate::currentDate().toString("dd-MM-yyyy");
        QVERIFY(
            get(c.path("Log/" + day + "-utf8.txt")).contains("citt\xc3\xa0 \xe2\x82\xac\r\nperch"));
    }

    void refusedConnectionReturnsToDisconnected() {
        quint16 deadPort;
        {
            ScriptedServer gone;
            deadPort = gone.port();
        }
        MainWindowRig c(deadPort);
        c.load();
        c.clickCell(9);
        QVERIFY(QTest::qWaitFor([&] { return !c.dialogs.messages.isEmpty(); }, 20000));
        // The game's own words, then why and where in Italian.
        const QStringList lines = c.dialogs.lastText().split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString("Unable to connect to remote host"));
        QVERIFY2(lines[1].startsWith(
                     QStringLiteral("Connessione rifiutata da 127.0.0.1 porta %1").arg(deadPort)),
                 qPrintable(lines[1]));
        QVERIFY(c.disconnectedState());
        QVERIFY(!c.shown().contains("Disconnesso"));
    }

    // The note composer's dialogs open in the player's own Note/ folder
    // (here a folder of its own, as --cartella gives), where a note saved
    // under a bare name lands.
    void noteDialogsOpenInThePlayersNoteFolder() {
        MainWindowRig c;
        c.load();
        c.dialogs.filePaths << QString() << c.path("Note/saluti");
        c.open("mnuNota", [](QDialog* d) {
            auto* composer = qobject_cast<FrmNota*>(d);
            QVERIFY(composer);
            composer->lblShape_Click(FrmNota::Apri);
            composer->lblShape_Click(FrmNota::Nuovo);
            composer->findChild<QLineEdit*>("txtDest")->setText("tutti");
            composer->findChild<QLineEdit*>("txtSogg")->setText("saluti");
            composer->findChild<QPlainTextEdit*>("txtNota")->setPlainText("ciao");
            composer->lblShape_Click(FrmNota::Salva);
        });
        QCOMPARE(c.dialogs.fileRequests.size(), 2);
        for (const FileDialogRequest& r : std::as_const(c.dialogs.fileRequests))
            QCOMPARE(r.folder, c.path("Note"));
        QVERIFY(QFile::exists(c.path("Note/saluti.not")));
    }

    // "Accetta sempre" where config.ini cannot keep it: the game goes on and
    // the player is told the certificate holds for this session only.
    void certificateAcceptedForGoodButNotStored() {
        if (const QString missing = TlsTunnel::missingTools(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        ScriptedServer server;
        TlsTunnel tunnel;
        QVERIFY2(tunnel.start(server.port()), qPrintable(tunnel.error()));
        MainWindowRig c(tunnel.port(), "TLS=1\r\n");
        c.load();
        ReadOnlyFolder locked(c.folder);
        if (!locked.ok())
            QSKIP("the folder cannot be made read-only here");
        c.dialogs.choices << 1; // Accetta sempre
        c.action("mnuConnetti")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(c.window->connection()->isEncrypted(), 10000);
        QCOMPARE(c.dialogs.choiceButtons.size(), 1);
        QCOMPARE(c.dialogs.messages.size(), 2); // the question, then the failure
        QVERIFY(c.dialogs.lastText().contains("config.ini"));
        QVERIFY(c.dialogs.lastText().endsWith("accettato solo per questa sessione."));
        QVERIFY(c.connectedState());
    }

    void serverHangUpRunsTheDisconnect() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        QVERIFY(c.connectTo(server));
        server.closeClient();
        QVERIFY(QTest::qWaitFor([&] { return c.disconnectedState(); }));
        QVERIFY(c.shown().endsWith("Disconnesso da Varendor"));
    }

    void farewellPhraseDisconnects() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        QVERIFY(c.connectTo(server));
        server.send("Adde parvum parvo magnus acervus erit\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.disconnectedState(); }));
        QVERIFY(c.shown().contains("erit\n\n\nDisconnesso da Varendor"));
    }

    void exitQuestion() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        // Disconnected: nothing is asked.
        {
            MainWindowRig idle;
            idle.load();
            idle.action("mnuEsci")->trigger();
            QVERIFY(idle.dialogs.messages.isEmpty());
            QCOMPARE(idle.ended, 1);
        }
        QVERIFY(c.connectTo(server));

        c.dialogs.answers = {Msg::No};
        c.window->close();
        QCOMPARE(c.dialogs.lastText(), QString("Sei sicuro di voler uscire?"));
        QCOMPARE(c.dialogs.messages.last().title, QString("Esci"));
        QCOMPARE(c.dialogs.messages.last().flags, 20);
        QCOMPARE(c.ended, 0);
        QVERIFY(c.window->isVisible());
        QVERIFY(c.connectedState());
        server.send("ancora qui\r\n");
        QVERIFY(QTest::qWaitFor([&] { return c.shown().contains("ancora qui"); }));

        c.dialogs.answers = {Msg::Yes};
        c.window->close();
        QCOMPARE(c.ended, 1);
        QVERIFY(c.shown().endsWith("Disconnesso da Varendor"));
        QVERIFY(server.waitForClientGone());
    }

    void textKeepsArrivingWhileAnEditorIsOpen() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        QFile triggers(c.path("trigger.txt"));
        QVERIFY(triggers.open(QIODevice::WriteOnly));
        triggers.write("ti attacca<!>fuggi<%>\r\n");
        triggers.close();
        c.load();
        QVERIFY(c.connectTo(server));
        bool sawEditor = false;
        c.dialogs.onModal = [&](QDialog* d) {
            sawEditor = d->objectName() == "frmTrigger";
            server.send("Un orco TI ATTACCA!\r\n");
            QVERIFY(server.waitForReceived("fuggi\r\n"));
        };
        c.action("mnuTrigger")->trigger();
        QVERIFY(sawEditor);
        QVERIFY(c.shown().contains("Un orco TI ATTACCA!"));
    }

    void barButtonSendsItsAction() {
        ScriptedServer server;
        MainWindowRig c(server.port(),
                        "[BOTTONE 2]\r\nCAPTION=Guarda\r\nAZIONE=guarda<%>di ciao\r\n"
                        "STATO=Attivo\r\nCOLORE=&HFF&\r\n");
        c.load();
        QCOMPARE(c.window->buttonBar()[1].Caption(), QString("Guarda"));
        QVERIFY(c.connectTo(server));
        c.clickCell(2);
        QVERIFY(server.waitForReceived("guarda\r\ndi ciao\r\n"));
        c.clickCell(3); // inactive: sends nothing
        c.window->commandInput()->lineEdit()->setText("nord");
        QTest::keyClick(c.window->commandInput()->lineEdit(), Qt::Key_Return);
        QVERIFY(server.waitForReceived(" nord\r\n"));
        QCOMPARE(server.received, QByteArray("guarda\r\ndi ciao\r\n nord\r\n"));
    }

    void passwordIsNeitherShownNorRemembered() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        QVERIFY(c.connectTo(server));
        server.send("Parola d'ordine: \xff\xfb\x01");
        CommandInput* input = c.window->commandInput();
        QVERIFY(QTest::qWaitFor([&] { return input->serverEchoes(); }));
        QCOMPARE(input->lineEdit()->echoMode(), QLineEdit::Password);
        QTest::keyClicks(input->lineEdit(), "segreto");
        QTest::keyClick(input->lineEdit(), Qt::Key_Return);
        QVERIFY(server.waitForReceived("segreto\r\n"));
        QVERIFY(!c.shown().contains("segreto"));
        QVERIFY(input->history().isEmpty());
        QVERIFY(input->currentText().isEmpty());

        server.send("\xff\xfc\x01\r\nBenvenuto\r\n");
        QVERIFY(QTest::qWaitFor([&] { return !input->serverEchoes(); }));
        QCOMPARE(input->lineEdit()->echoMode(), QLineEdit::Normal);
        QTest::keyClicks(input->lineEdit(), "guarda");
        QTest::keyClick(input->lineEdit(), Qt::Key_Return);
        QVERIFY(server.waitForReceived(" guarda\r\n"));
        QCOMPARE(input->history(), QStringList{"guarda"});
    }

    void menuItemsOpenTheirWindowsModally() {
        MainWindowRig c;
        c.load();
        QStringList opened;
        c.dialogs.onModal = [&](QDialog* d) {
            opened << d->objectName();
            QVERIFY(d->isModal());
            if (d->objectName() == "frmBottoni") {
                // The editor writes the file; the bar follows when it closes.
                QFile ini(c.path("config.ini"));
                QVERIFY(ini.open(QIODevice::Append));
                ini.write("[BOTTONE 4]\r\nCAPTION=Fuggi\r\nSTATO=Attivo\r\n");
            }
        };
        for (const char* item : {"mnuTrigger", "mnuAlias", "mnuBottoni", "mnuNota", "mnuAbout"})
            c.action(item)->trigger();
        QCOMPARE(opened,
                 (QStringList{"frmTrigger", "frmAlias", "frmBottoni", "frmNota", "frmAbout"}));
        QCOMPARE(c.window->buttonBar()[3].Caption(), QString("Fuggi"));
        QVERIFY(c.window->buttonBar()[3].Attivo());
    }

    // Configura > Carattere: face and size reach the display and the input
    // line, and come back with the next start; a cancelled dialog changes
    // nothing; a hand-edited size out of range gives the default.
    void fontChosenUnderConfiguraPersists() {
        const QFont chosen = DisplayFont::make("DejaVu Sans Mono", 13);
        {
            MainWindowRig c;
            c.load();
            const QSizeF cell = c.window->display()->cellSize();
            c.action("mnuCarattere")->trigger(); // cancelled
            QCOMPARE(c.dialogs.fontsOffered.value(0).pointSizeF(), 9.75);
            QCOMPARE(c.window->display()->cellSize(), cell);
            c.dialogs.fonts = {QFont("DejaVu Sans Mono", 13)};
            c.action("mnuCarattere")->trigger();
            QCOMPARE(c.window->display()->font().family(), chosen.family());
            QCOMPARE(c.window->display()->font().pointSizeF(), 13.0);
            QVERIFY(c.window->display()->cellSize().height() > cell.height());
            QCOMPARE(c.window->commandInput()->font().pointSizeF(), 13.0);
            QVERIFY(get(c.path("config.ini"))
                        .contains("[CARATTERE]\r\nNOME=" + chosen.family().toLatin1() +
                                  "\r\nDIMENSIONE=13"));
            c.window->close();
            MainWindowRig again;
            QVERIFY(QFile::copy(c.path("config.ini"), again.path("config.ini")));
            again.load();
            QCOMPARE(again.window->commandInput()->font().family(), chosen.family());
        }
        MainWindowRig odd;
        put(odd.path("config.ini"), "[CARATTERE]\r\nNOME=Courier\r\nDIMENSIONE=0,5\r\n");
        odd.load();
        QCOMPARE(odd.window->display()->font(), DisplayFont::make());
    }

    void backgroundPictureFromSfondo() {
        MainWindowRig c;
        c.load();
        const QPixmap before = c.window->backgroundPicture();
        c.dialogs.filePaths = {QString()}; // cancelled: nothing changes
        c.action("mnuSfondo")->trigger();
        QCOMPARE(c.dialogs.fileRequests.last().title, QString("Carica Sfondo"));
        QVERIFY(c.dialogs.fileRequests.last().mustExist);
        QCOMPARE(c.window->backgroundPicture().cacheKey(), before.cacheKey());

        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QString path = c.path("rosso.png");
        QVERIFY(red.save(path));
        c.dialogs.filePaths = {path};
        c.action("mnuSfondo")->trigger();
        QCOMPARE(c.window->backgroundPicture().toImage().pixelColor(3, 3), QColor(Qt::red));
        QWidget* surface = c.window->centralWidget();
        const QImage shown = surface->grab().toImage();
        QCOMPARE(shown.pixelColor(shown.width() - 2, shown.height() - 2), QColor(Qt::red));

        // A file that is no picture is reported and changes nothing.
        const QString bogus = c.path("rotto.png");
        QFile f(bogus);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("non un'immagine");
        f.close();
        c.dialogs.filePaths = {bogus};
        const int shownBefore = int(c.dialogs.messages.size());
        c.action("mnuSfondo")->trigger();
        QCOMPARE(c.dialogs.messages.size(), shownBefore + 1);
        QCOMPARE(c.window->backgroundPicture().toImage().pixelColor(3, 3), QColor(Qt::red));
    }

    void chosenBackgroundIsBackAtTheNextStart() {
        QImage green(16, 16, QImage::Format_RGB32);
        green.fill(Qt::green);
        QTemporaryDir elsewhere;
        const QString picture = elsewhere.filePath("prato.png");
        QVERIFY(green.save(picture));
        QString top, folder;
        {
            MainWindowRig c;
            c.top.setAutoRemove(false);
            top = c.top.path();
            folder = c.folder;
            c.load();
            c.dialogs.filePaths = {picture};
            c.action("mnuSfondo")->trigger();
            QVERIFY(c.dialogs.messages.isEmpty());
        }
        QVERIFY(QFile::remove(picture)); // the copy in the player's folder is what counts
        ScriptedDialogs dialogs;
        FrmMain again(folder);
        again.endProcess = [] {};
        again.Form_Load();
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(again.backgroundPicture().toImage().pixelColor(3, 3), QColor(Qt::green));
        const QImage shown = again.centralWidget()->grab().toImage();
        QCOMPARE(shown.pixelColor(shown.width() - 2, shown.height() - 2), QColor(Qt::green));
        QDir(top).removeRecursively();
    }

    void logSwitchWritesBanners() {
        MainWindowRig c;
        c.load();
        c.window->logSwitch()->click();
        c.window->logSwitch()->click();
        const QStringList logs = QDir(c.path("Log")).entryList(QDir::Files);
        QCOMPARE(logs.size(), 1);
        QFile f(c.path("Log/" + logs.first()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("[ inizio log ]"));
        QVERIFY(text.contains("[ fine log ]"));
    }

    // The log cannot be written: the window tells the player once per run of
    // failures, after the event that failed, and the session goes on.
    // A read's lines are in the log file once they are shown, without the
    // colour sequences; an unfinished line follows with its line end.
    void readIsLoggedOnceShown() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        c.window->logSwitch()->click();
        QVERIFY(c.connectTo(server));
        const QString day = QDate::currentDate().toString("dd-MM-yyyy");
        const struct {
            QByteArray sent;
            QString shown;
            QByteArray logged;
        } reads[] = {
            {"\x1b[31mrosso\x1b[0m e \x1b[1;32mverde\r\nsecondo\r\n", "secondo\n",
             "rosso e verde\r\nsecondo\r\n"},
            {"\x1b[33mPrompt> ", "Prompt> ", "rosso e verde\r\nsecondo\r\n"},
            {"fine\r\n", "fine\n", "Prompt> fine\r\n"},
        };
        for (const auto& r : reads) {
            server.send(r.sent);
            QVERIFY(c.waitShown(r.shown));
            QVERIFY2(get(c.path("Log/" + day + ".txt")).endsWith(r.logged), r.logged);
        }
    }

    void unwritableLogToldOncePerStreak() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        c.load();
        QVERIFY(c.connectTo(server));
        auto receive = [&](const QByteArray& line) {
            server.send(line + "\r\n");
            QVERIFY(QTest::qWaitFor([&] { return c.shown().contains(QString(line)); }));
        };
        QVERIFY(QDir(c.path("Log")).removeRecursively()); // nowhere to write
        auto& dialogs = c.dialogs;
        c.window->logSwitch()->click();
        // Told after the event that failed, not in the middle of it.
        QCOMPARE(dialogs.messages.size(), 0);
        QTRY_COMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.lastText(),
                 "Impossibile scrivere nel file di log " +
                     QDir::toNativeSeparators(
                         c.path("Log/") + QDate::currentDate().toString("dd-MM-yyyy") + ".txt"));
        QCOMPARE(dialogs.messages.last().flags, int(Msg::Critical));
        QCOMPARE(dialogs.messages.last().title, QString("Errore"));
        receive("a");
        receive("b");
        c.window->logSwitch()->click(); // the switch still works
        QVERIFY(!c.window->logSwitch()->isChecked());

        QVERIFY(QDir(c.folder).mkpath("Log"));
        c.window->logSwitch()->click();
        receive("c");
        QVERIFY(QDir(c.path("Log")).removeRecursively()); // a new streak
        receive("d");
        receive("e");
        QTRY_COMPARE(dialogs.messages.size(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(dialogs.messages.size(), 2);
        c.action("mnuDisconnetti")->trigger();
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
