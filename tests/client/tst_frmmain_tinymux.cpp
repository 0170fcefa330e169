#include "session/Connection.h"
#include "support/RecordingRelay.h"
#include "support/TinyMuxGame.h"
#include "support/TlsTunnel.h"
#include "support/client/MainWindowRig.h"

#include <QTest>
#include <algorithm>
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
    std::unique_ptr<MainWindowRig> rig;

    void connectAndLogIn() {
        rig->action("mnuConnetti")->trigger();
        QVERIFY(rig->connectedState());
        QVERIFY2(rig->waitShown("Welcome to TinyMUX"), qPrintable(rig->shown()));
        rig->type("connect wizard potrzebie");
        rig->type("think login [add(40,2)]");
        QVERIFY2(rig->waitShown("login 42"), qPrintable(rig->shown()));
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
        rig = std::make_unique<MainWindowRig>(relay->port());
        put(rig->path("trigger.txt"), "allarme rosso<!>think [mul(6,7)] ricevuto\r\n");
        rig->load();
    }

    void cleanup() {
        rig.reset();
        relay.reset();
        if (game)
            QVERIFY2(game->stop(), "the server did not exit on SIGTERM");
        game.reset();
    }

    // Every option the server raises is answered exactly once, agreed or
    // refused; what the client agrees to it then supplies; none of the
    // negotiation reaches the display.
    void openingNegotiation() {
        rig->action("mnuConnetti")->trigger();
        QVERIFY2(rig->waitShown("Welcome to TinyMUX"), qPrintable(rig->shown()));
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

        for (QChar c : rig->shown())
            QVERIFY2(c.unicode() < 0xF0 || c.unicode() > 0xFF, "telnet bytes on the display");
        QVERIFY(rig->connectedState());
    }

    // Log in as the wizard, colour on, colours read back as the server sent
    // them, and a trigger answering the server's own text.
    void playWithColoursAndTrigger() {
        connectAndLogIn();
        rig->type("@set me=ANSI");
        QVERIFY(rig->waitShown("Set."));

        rig->type("think [ansi(hr,[ucstr(rosso)])] normale");
        QVERIFY(rig->waitShown("ROSSO normale"));
        QVERIFY(relay->fromServer.contains("\x1b[1m\x1b[31mROSSO\x1b[0m normale\r\n"));
        QCOMPARE(rig->colourOf("ROSSO"), qRgb(255, 0, 0)); // xterm's colours, bold brightens
        QCOMPARE(rig->colourOf(" normale"), qRgb(240, 240, 240));

        rig->type("think [ansi(c,[ucstr(ciano)])] e [ansi(hy,[ucstr(oro)])] fine");
        QVERIFY(rig->waitShown("CIANO e ORO fine"));
        QVERIFY(relay->fromServer.contains("\x1b[36mCIANO\x1b[0m e \x1b[1m\x1b[33mORO\x1b[0m"));
        QCOMPARE(rig->colourOf("CIANO"), qRgb(0, 205, 205));
        QCOMPARE(rig->colourOf("CIANO", 4), qRgb(0, 205, 205));
        QCOMPARE(rig->colourOf(" e ORO"), qRgb(240, 240, 240));
        QCOMPARE(rig->colourOf("ORO fine"), qRgb(255, 255, 0));
        QCOMPARE(rig->colourOf(" fine"), qRgb(240, 240, 240));
        QCOMPARE(rig->window->CurrentColor(), qRgb(240, 240, 240));

        rig->type("think [ansi(g,[ucstr(verde)])]");
        QVERIFY(rig->waitShown("VERDE"));
        QCOMPARE(rig->colourOf("VERDE"), qRgb(0, 205, 0));

        // The server's upper-case text fires the lower-case trigger once; the
        // server evaluates what the trigger sent.
        rig->type("think Segnale di ALLARME [ucstr(rosso)]!");
        QVERIFY(rig->waitShown("42 ricevuto"));
        QCOMPARE(relay->fromClient.count("think [mul(6,7)] ricevuto\r\n"), 1);
        QVERIFY(rig->shown().contains("think [mul(6,7)] ricevuto\n"));
        QVERIFY(rig->connectedState());
    }

    // Once UTF-8 is agreed, Italian letters and the euro sign travel both
    // ways as UTF-8 and show as they were typed.
    void utf8BothWays() {
        connectAndLogIn();
        rig->type(QStringLiteral("think [add(40,2)] città perché più € fine"));
        const QString evaluated = QStringLiteral("42 città perché più € fine");
        QVERIFY2(rig->waitShown(evaluated), qPrintable(rig->shown()));
        QVERIFY(relay->fromClient.contains(
            QStringLiteral("think [add(40,2)] città perché più € fine\r\n").toUtf8()));
        QVERIFY(relay->fromServer.contains(evaluated.toUtf8()));
        QVERIFY(!rig->shown().contains(QStringLiteral("Ã")));
    }

    // A server of today: the terminal's colour rules, where they differ from
    // the game's (bold ends at a reset; a reset in a read does not brighten
    // what follows), xterm's sixteen and 256 colours, and a background.
    void coloursOfAServerOfToday() {
        connectAndLogIn();
        rig->type("@set me=ANSI");
        QVERIFY(rig->waitShown("Set."));
        rig->type("@set me=COLOR256");
        rig->type("think [ansi(hb,BLU)] [ansi(y,GIALLO)] [ansi(h,ACCESO)] [ansi(r,ROSSO)] "
                  "[ansi(<#ff0000>,VIVO)] [ansi(<#00ff00>/<#0000ff>,PRATO)] [ucstr(fine)]");
        QVERIFY(rig->waitShown("FINE"));
        QVERIFY(relay->fromServer.contains("\x1b[1m\x1b[34mBLU\x1b[0m \x1b[33mGIALLO\x1b[0m"));
        QVERIFY(relay->fromServer.contains(
            "\x1b[38;5;196mVIVO\x1b[0m \x1b[38;5;46m\x1b[48;5;21mPRATO"));
        QCOMPARE(rig->colourOf("BLU"), qRgb(92, 92, 255));
        QCOMPARE(rig->colourOf("GIALLO"), qRgb(205, 205, 0)); // bright under the game's rules
        QCOMPARE(rig->colourOf("ACCESO"), qRgb(255, 255, 255));
        QCOMPARE(rig->colourOf("ROSSO"), qRgb(205, 0, 0)); // bright under the game's rules
        QCOMPARE(rig->colourOf("VIVO"), qRgb(255, 0, 0));
        QCOMPARE(rig->colourOf("PRATO"), qRgb(0, 255, 0));
        const DisplayBuffer& buffer = rig->buffer();
        const int prato = int(rig->shown().lastIndexOf("PRATO"));
        const auto& runs = buffer.runsOf(buffer.lineFromChar(prato));
        const int at = prato - buffer.lineStart(buffer.lineFromChar(prato));
        const auto run = std::find_if(runs.begin(), runs.end(), [at](const DisplayBuffer::Run& r) {
            return r.start <= at && at < r.start + r.length;
        });
        QVERIFY(run != runs.end() && (run->flags & TextStyle::Background));
        QCOMPARE(run->background, qRgb(0, 0, 255));
        QCOMPARE(rig->colourOf(" FINE"), qRgb(240, 240, 240));
        QVERIFY(!rig->shown().contains("8;5;"));
    }

    // The same game behind TLS (stunnel4 with a certificate made now): the
    // player accepts the certificate this time, and UTF-8 and colours work
    // inside the encryption as without it.
    void throughTls() {
        if (const QString missing = TlsTunnel::missingTools(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        TlsTunnel tunnel;
        QVERIFY2(tunnel.start(game->port()), qPrintable(tunnel.error()));
        rig.reset(); // its dialog host goes first: hosts nest
        rig = std::make_unique<MainWindowRig>(tunnel.port(), "TLS=1\r\n");
        rig->load();
        rig->dialogs.choices << 0; // accept this time
        connectAndLogIn();
        QCOMPARE(rig->dialogs.choiceButtons.size(), 1);
        QVERIFY(rig->window->connection()->isEncrypted());
        rig->type("@set me=ANSI");
        QVERIFY(rig->waitShown("Set."));
        rig->type(QStringLiteral("think [ansi(hg,[ucstr(città)])] è perché €"));
        QVERIFY2(rig->waitShown(QStringLiteral("CITTÀ è perché €")), qPrintable(rig->shown()));
        QCOMPARE(rig->colourOf(QStringLiteral("CITTÀ")), qRgb(0, 255, 0));
        rig->type(QStringLiteral("say città è perché €"));
        // In UTF-8 the server quotes with typographic marks.
        QVERIFY2(rig->waitShown(QStringLiteral("You say, “città è perché €”")),
                 qPrintable(rig->shown().right(300)));
        QVERIFY(!rig->shown().contains(QStringLiteral("Ã")));
        rig->type("QUIT");
        QVERIFY(QTest::qWaitFor([&] { return rig->disconnectedState(); }, 10000));
    }

    // QUIT: the server says goodbye and closes; the client is disconnected.
    void quitEndsTheSession() {
        connectAndLogIn();
        rig->type("QUIT");
        QVERIFY(QTest::qWaitFor([&] { return rig->disconnectedState(); }, 10000));
        QVERIFY(rig->shown().contains("*** TinyMUX Disconnected ***"));
        QVERIFY(rig->shown().endsWith("Disconnesso da Varendor"));
        QVERIFY(QTest::qWaitFor([&] { return relay->closed(); }));
        QVERIFY(rig->dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestFrmMainTinyMux)
#include "tst_frmmain_tinymux.moc"
