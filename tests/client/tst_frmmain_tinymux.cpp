#include "client/FrmMain.h"
#include "commands/CommandInput.h"
#include "session/Connection.h"
#include "session/GameDisplay.h"
#include "support/RecordingRelay.h"
#include "support/ScriptedDialogs.h"
#include "support/TinyMuxGame.h"
#include "support/TlsTunnel.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The whole client against a real game server: a TinyMUX game started for
// each test, reached through a relay that records both directions.
namespace {

constexpr uchar IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uchar TTYPE = 24, NAWS = 31;

struct Telnet {
    uchar cmd;
    uchar opt;
    QByteArray data; // subnegotiation payload, IAC IAC undone
};

// The telnet commands in a byte stream, in order; text is skipped.
QList<Telnet> telnetCommands(const QByteArray& bytes) {
    QList<Telnet> out;
    const auto at = [&](qsizetype i) -> uchar { return i < bytes.size() ? uchar(bytes[i]) : 0; };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (at(i) != IAC)
            continue;
        const uchar cmd = at(i + 1);
        if (cmd >= WILL && cmd <= DONT) {
            out.append({cmd, at(i + 2), {}});
            i += 2;
        } else if (cmd == SB) {
            Telnet sb{SB, at(i + 2), {}};
            for (i += 3; i < bytes.size() && !(at(i) == IAC && at(i + 1) == SE); ++i) {
                if (at(i) == IAC)
                    ++i; // IAC IAC is one data byte
                sb.data += char(at(i));
            }
            ++i;
            out.append(sb);
        } else {
            ++i;
        }
    }
    return out;
}

int count(const QList<Telnet>& cmds, uchar opt, std::initializer_list<uchar> kinds) {
    int n = 0;
    for (const Telnet& t : cmds)
        n += t.opt == opt && std::find(kinds.begin(), kinds.end(), t.cmd) != kinds.end();
    return n;
}

const Telnet* find(const QList<Telnet>& cmds, uchar cmd, uchar opt) {
    for (const Telnet& t : cmds)
        if (t.cmd == cmd && t.opt == opt)
            return &t;
    return nullptr;
}

} // namespace

class TestFrmMainTinyMux : public QObject {
    Q_OBJECT

    std::unique_ptr<TinyMuxGame> game;
    std::unique_ptr<RecordingRelay> relay;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<FrmMain> window;

    QAction* action(const char* name) { return window->findChild<QAction*>(name); }
    QString shown() const { return window->display()->buffer().text(); }
    QRgb colourOf(const QString& text, int offset = 0) const {
        return window->display()->buffer().colourAt(int(shown().lastIndexOf(text)) + offset);
    }
    bool connectedState() {
        return window->disconnectButton().Attivo() && !window->connectButton().Attivo() &&
               action("mnuDisconnetti")->isEnabled() && !action("mnuConnetti")->isEnabled();
    }
    bool disconnectedState() {
        return !window->disconnectButton().Attivo() && window->connectButton().Attivo() &&
               !action("mnuDisconnetti")->isEnabled() && action("mnuConnetti")->isEnabled();
    }
    void type(const QString& command) {
        QLineEdit* line = window->commandInput()->lineEdit();
        line->setText(command);
        QTest::keyClick(line, Qt::Key_Return);
    }
    // Server output, not our own echo: tests ask for evaluated text.
    bool waitShown(const QString& text, int ms = 10000) {
        return QTest::qWaitFor([&] { return shown().contains(text); }, ms);
    }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(dir->filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void connectAndLogIn() {
        action("mnuConnetti")->trigger();
        QVERIFY(connectedState());
        QVERIFY2(waitShown("Welcome to TinyMUX"), qPrintable(shown()));
        type("connect wizard potrzebie");
        type("think login [add(40,2)]");
        QVERIFY2(waitShown("login 42"), qPrintable(shown()));
    }

private slots:
    void initTestCase() {
        if (!TinyMuxGame::installed())
            QSKIP("TinyMUX is not installed (/usr/games/tinymux-install missing): "
                  "the real-server test is skipped; apt-get install tinymux enables it");
    }

    void init() {
        game = std::make_unique<TinyMuxGame>();
        QVERIFY2(game->start(), qPrintable(game->error()));
        relay = std::make_unique<RecordingRelay>(game->port());
        dir = std::make_unique<QTemporaryDir>();
        dialogs = std::make_unique<ScriptedDialogs>();
        writeFile("config.ini", "[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=" +
                                    QByteArray::number(relay->port()) + "\r\n");
        writeFile("trigger.txt", "allarme rosso<!>think [mul(6,7)] ricevuto\r\n");
        window = std::make_unique<FrmMain>(dir->path());
        window->endProcess = [] {};
        window->Form_Load();
    }

    void cleanup() {
        window.reset();
        dialogs.reset();
        relay.reset();
        if (game)
            QVERIFY2(game->stop(), "the server did not exit on SIGTERM");
        game.reset();
    }

    // Every option the server raises is answered exactly once, agreed or
    // refused; what the client agrees to it then supplies; none of the
    // negotiation reaches the display.
    void openingNegotiation() {
        action("mnuConnetti")->trigger();
        QVERIFY2(waitShown("Welcome to TinyMUX"), qPrintable(shown()));
        const QList<Telnet> asked = telnetCommands(relay->fromServer);
        QVERIFY(find(asked, DO, NAWS) && find(asked, DO, TTYPE));
        if (find(asked, SB, TTYPE))
            QVERIFY(QTest::qWaitFor([&] {
                const QList<Telnet> sent = telnetCommands(relay->fromClient);
                return find(sent, SB, TTYPE) && find(sent, SB, NAWS);
            }));
        else
            QVERIFY(
                QTest::qWaitFor([&] { return find(telnetCommands(relay->fromClient), SB, NAWS); }));

        const QList<Telnet> sent = telnetCommands(relay->fromClient);
        for (const Telnet& t : asked) {
            if (t.cmd == DO || t.cmd == DONT)
                QVERIFY2(count(sent, t.opt, {WILL, WONT}) == 1, qPrintable(QString::number(t.opt)));
            if (t.cmd == WILL || t.cmd == WONT)
                QVERIFY2(count(sent, t.opt, {DO, DONT}) == 1, qPrintable(QString::number(t.opt)));
        }
        QVERIFY(find(sent, WILL, NAWS));
        QVERIFY(find(sent, WILL, TTYPE));
        const Telnet* size = find(sent, SB, NAWS);
        QCOMPARE(size->data.size(), 4);
        QVERIFY(uchar(size->data[0]) * 256 + uchar(size->data[1]) > 0);
        if (const Telnet* ask = find(asked, SB, TTYPE)) {
            QCOMPARE(ask->data, QByteArray(1, '\x01'));                           // SEND
            QCOMPARE(find(sent, SB, TTYPE)->data, QByteArray("\x00VARENDOR", 9)); // IS
        }
        // Options this client has no use for are refused.
        QVERIFY(find(sent, WONT, 39)); // NEW-ENVIRON
        // The character set is agreed on: of the server's offer, UTF-8.
        QVERIFY(find(sent, DO, 42) && find(sent, WILL, 42)); // CHARSET
        QVERIFY(QTest::qWaitFor([&] { return find(telnetCommands(relay->fromClient), SB, 42); }));
        QCOMPARE(find(telnetCommands(relay->fromServer), SB, 42)->data.left(7),
                 QByteArray("\x01;UTF-8"));
        QCOMPARE(find(telnetCommands(relay->fromClient), SB, 42)->data, QByteArray("\x02UTF-8"));

        for (QChar c : shown())
            QVERIFY2(c.unicode() < 0xF0 || c.unicode() > 0xFF, "telnet bytes on the display");
        QVERIFY(connectedState());
    }

    // Log in as the wizard, colour on, colours read back as the server sent
    // them, and a trigger answering the server's own text.
    void playWithColoursAndTrigger() {
        connectAndLogIn();
        type("@set me=ANSI");
        QVERIFY(waitShown("Set."));

        type("think [ansi(hr,[ucstr(rosso)])] normale");
        QVERIFY(waitShown("ROSSO normale"));
        QVERIFY(relay->fromServer.contains("\x1b[1m\x1b[31mROSSO\x1b[0m normale\r\n"));
        QCOMPARE(colourOf("ROSSO"), qRgb(240, 0, 0));
        QCOMPARE(colourOf(" normale"), qRgb(240, 240, 240));

        type("think [ansi(c,[ucstr(ciano)])] e [ansi(hy,[ucstr(oro)])] fine");
        QVERIFY(waitShown("CIANO e ORO fine"));
        QVERIFY(relay->fromServer.contains("\x1b[36mCIANO\x1b[0m e \x1b[1m\x1b[33mORO\x1b[0m"));
        QCOMPARE(colourOf("CIANO"), qRgb(0, 120, 120));
        QCOMPARE(colourOf("CIANO", 4), qRgb(0, 120, 120));
        QCOMPARE(colourOf(" e ORO"), qRgb(240, 240, 240));
        QCOMPARE(colourOf("ORO fine"), qRgb(240, 240, 0));
        QCOMPARE(colourOf(" fine"), qRgb(240, 240, 240));
        QCOMPARE(window->CurrentColor(), qRgb(240, 240, 240));

        type("think [ansi(g,[ucstr(verde)])]");
        QVERIFY(waitShown("VERDE"));
        QCOMPARE(colourOf("VERDE"), qRgb(0, 120, 0));

        // The server's upper-case text fires the lower-case trigger once; the
        // server evaluates what the trigger sent.
        type("think Segnale di ALLARME [ucstr(rosso)]!");
        QVERIFY(waitShown("42 ricevuto"));
        QCOMPARE(relay->fromClient.count("think [mul(6,7)] ricevuto\r\n"), 1);
        QVERIFY(shown().contains("think [mul(6,7)] ricevuto\n"));
        QVERIFY(connectedState());
    }

    // Once UTF-8 is agreed, Italian letters and the euro sign travel both
    // ways as UTF-8 and show as they were typed.
    void utf8BothWays() {
        connectAndLogIn();
        type(QStringLiteral("think [add(40,2)] città perché più € fine"));
        const QString evaluated = QStringLiteral("42 città perché più € fine");
        QVERIFY2(waitShown(evaluated), qPrintable(shown()));
        QVERIFY(relay->fromClient.contains(
            QStringLiteral("think [add(40,2)] città perché più € fine\r\n").toUtf8()));
        QVERIFY(relay->fromServer.contains(evaluated.toUtf8()));
        QVERIFY(!shown().contains(QStringLiteral("Ã")));
    }

    // A server of today: the terminal's colour rules, where they differ from
    // the game's (bold ends at a reset; a reset in a read does not brighten
    // what follows), and xterm's 256 colours with a background left aside.
    void coloursOfAServerOfToday() {
        connectAndLogIn();
        type("@set me=ANSI");
        QVERIFY(waitShown("Set."));
        type("@set me=COLOR256");
        type("think [ansi(hb,BLU)] [ansi(y,GIALLO)] [ansi(h,ACCESO)] [ansi(r,ROSSO)] "
             "[ansi(<#ff0000>,VIVO)] [ansi(<#00ff00>/<#0000ff>,PRATO)] [ucstr(fine)]");
        QVERIFY(waitShown("FINE"));
        QVERIFY(relay->fromServer.contains("\x1b[1m\x1b[34mBLU\x1b[0m \x1b[33mGIALLO\x1b[0m"));
        QVERIFY(relay->fromServer.contains(
            "\x1b[38;5;196mVIVO\x1b[0m \x1b[38;5;46m\x1b[48;5;21mPRATO"));
        QCOMPARE(colourOf("BLU"), qRgb(0, 0, 240));
        QCOMPARE(colourOf("GIALLO"), qRgb(120, 120, 0)); // bright under the game's rules
        QCOMPARE(colourOf("ACCESO"), qRgb(240, 240, 240));
        QCOMPARE(colourOf("ROSSO"), qRgb(120, 0, 0)); // bright under the game's rules
        QCOMPARE(colourOf("VIVO"), qRgb(255, 0, 0));
        QCOMPARE(colourOf("PRATO"), qRgb(0, 255, 0));
        QCOMPARE(colourOf(" FINE"), qRgb(240, 240, 240));
        QVERIFY(!shown().contains("8;5;"));
    }

    // The same game behind TLS (stunnel4 with a certificate made now): the
    // player accepts the certificate this time, and UTF-8 and colours work
    // inside the encryption as without it.
    void throughTls() {
        if (const QString missing = TlsTunnel::missingTools(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        TlsTunnel tunnel;
        QVERIFY2(tunnel.start(game->port()), qPrintable(tunnel.error()));
        window.reset();
        writeFile("config.ini", "[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=" +
                                    QByteArray::number(tunnel.port()) + "\r\nTLS=1\r\n");
        window = std::make_unique<FrmMain>(dir->path());
        window->endProcess = [] {};
        window->Form_Load();
        dialogs->choices << 0; // accept this time
        connectAndLogIn();
        QCOMPARE(dialogs->choiceButtons.size(), 1);
        QVERIFY(window->connection()->isEncrypted());
        type("@set me=ANSI");
        QVERIFY(waitShown("Set."));
        type(QStringLiteral("think [ansi(hg,[ucstr(città)])] è perché €"));
        QVERIFY2(waitShown(QStringLiteral("CITTÀ è perché €")), qPrintable(shown()));
        QCOMPARE(colourOf(QStringLiteral("CITTÀ")), qRgb(0, 240, 0));
        type(QStringLiteral("say città è perché €"));
        // In UTF-8 the server quotes with typographic marks.
        QVERIFY2(waitShown(QStringLiteral("You say, “città è perché €”")),
                 qPrintable(shown().right(300)));
        QVERIFY(!shown().contains(QStringLiteral("Ã")));
        type("QUIT");
        QVERIFY(QTest::qWaitFor([&] { return disconnectedState(); }, 10000));
    }

    // QUIT: the server says goodbye and closes; the client is disconnected.
    void quitEndsTheSession() {
        connectAndLogIn();
        type("QUIT");
        QVERIFY(QTest::qWaitFor([&] { return disconnectedState(); }, 10000));
        QVERIFY(shown().contains("*** TinyMUX Disconnected ***"));
        QVERIFY(shown().endsWith("Disconnesso da Varendor"));
        QVERIFY(QTest::qWaitFor([&] { return relay->closed(); }));
        QVERIFY(dialogs->messages.isEmpty());
    }
};

QTEST_MAIN(TestFrmMainTinyMux)
#include "tst_frmmain_tinymux.moc"
