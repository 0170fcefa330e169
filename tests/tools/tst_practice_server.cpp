// The practice server, in-process on loopback, driven by real sockets; and
// once as the built program.
#include "practice_server/Ansi.h"
#include "practice_server/Cp1252.h"
#include "practice_server/PracticeServer.h"
#include "practice_server/TelnetInput.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {
const QByteArray kWillEcho("\xff\xfb\x01", 3);
const QByteArray kWontEcho("\xff\xfc\x01", 3);
const QByteArray kNamePrompt("Come ti chiami, viandante? ");
const QByteArray kWillCharset("\xff\xfb\x2a", 3);
const QByteArray kDoCharset("\xff\xfd\x2a", 3);
const QByteArray kRequest("\xff\xfa\x2a\x01;UTF-8;WINDOWS-1252\xff\xf0");

QByteArray accepted(const QByteArray& name) {
    return "\xff\xfa\x2a\x02" + name + "\xff\xf0";
}

// What a line shows, colour sequences left out.
QString visible(QString line) {
    static const QRegularExpression sgr(QStringLiteral("\x1b\\[[0-9;]*m"));
    return line.remove(sgr);
}

const QByteArray kWillGmcp("\xff\xfb\xc9", 3);
const QByteArray kDoGmcp("\xff\xfd\xc9", 3);
const QByteArray kDontGmcp("\xff\xfe\xc9", 3);
const QByteArray kRested("HP:500/500 MP:300/300 MV:200/200");

QByteArray prompt(const QByteArray& name, const QByteArray& figures = kRested) {
    return "\x1b[1;32m<" + name + ' ' + figures + ">\x1b[0m ";
}

// A literal with NULs in it, all of it.
template <qsizetype N> QByteArray bytes(const char (&s)[N]) {
    return QByteArray(s, N - 1);
}

// One player's end of a connection: collects what the server sends.
class Client {
public:
    explicit Client(quint16 port) { socket.connectToHost(QHostAddress::LocalHost, port); }

    // Everything up to and including the next `needle`, taken off the buffer;
    // empty (and a test failure) when it does not come.
    QByteArray readUntil(const QByteArray& needle, int timeoutMs = 5000) {
        qsizetype at = -1;
        const bool ok = QTest::qWaitFor(
            [&] {
                buffer += socket.readAll();
                at = buffer.indexOf(needle);
                return at >= 0;
            },
            timeoutMs);
        if (!ok) {
            qWarning() << "did not receive" << needle << "buffer:" << buffer.right(300);
            return {};
        }
        const QByteArray chunk = buffer.left(at + needle.size());
        buffer.remove(0, at + needle.size());
        return chunk;
    }
    void send(const QByteArray& line) { socket.write(line + "\r\n"); }
    // Logs in and returns what came after the password, up to the first prompt.
    QByteArray login(const QByteArray& name, const QByteArray& password = "segreto",
                     const QByteArray& shownAs = {}) {
        readUntil(kNamePrompt);
        return loginGreeted(name, password, shownAs);
    }
    // The same once the name prompt has been read.
    QByteArray loginGreeted(const QByteArray& name, const QByteArray& password = "segreto",
                            const QByteArray& shownAs = {}) {
        send(name);
        readUntil(kWillEcho);
        send(password);
        return readUntil(prompt(shownAs.isEmpty() ? name : shownAs));
    }
    QByteArray command(const QByteArray& line, const QByteArray& name) {
        send(line);
        return readUntil(prompt(name));
    }
    bool waitClosed() {
        return QTest::qWaitFor(
            [&] {
                buffer += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            5000);
    }

    QTcpSocket socket;
    QByteArray buffer;
};
} // namespace

class TestPracticeServer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void greetingAndLoginFraming();
    void movementAndLook();
    void speechReachesOnlyTheRoom();
    void samePlayerReconnecting();
    void notesPostedAndRead();
    void noteErrorsAndPrivacy();
    void noteColourCodes();
    void floodSendsHundredsOfLines();
    void farewellClosesTheConnection();
    void garbageAndTelnetCommands();
    void limitsProtectTheServer();
    void inputLineAssembly();
    void codePage();
    void charsetAgreedOnUtf8();
    void charsetIgnoredRefusedOrCodePage();
    void vitalsInPromptAndData();
    void programListensOnLoopback();
    void programRejectsBadPort();

private:
    std::unique_ptr<PracticeServer> server;
    quint16 port = 0;
};

void TestPracticeServer::init() {
    server = std::make_unique<PracticeServer>();
    QVERIFY(server->listen(0));
    port = server->port();
}

void TestPracticeServer::cleanup() {
    server.reset();
}

void TestPracticeServer::greetingAndLoginFraming() {
    Client a(port);
    const QByteArray greeting = a.readUntil(kNamePrompt);
    QVERIFY(greeting.contains("\x1b[1;32m"));
    QVERIFY(greeting.contains("\x1b[0m"));
    QVERIFY(greeting.contains("\r\n"));
    QVERIFY(greeting.contains("\n\r"));
    // The character set is offered first; the rest is plain text.
    QVERIFY(greeting.startsWith(kWillCharset + kWillGmcp));
    QVERIFY(!greeting.mid(kWillCharset.size() + kWillGmcp.size()).contains('\xff'));

    a.send("   ");
    QVERIFY(!a.readUntil("Come ti chiami? ").isEmpty());

    // The password prompt comes before WILL ECHO and nothing follows it until
    // the password is sent.
    a.send("ale");
    const QByteArray toPassword = a.readUntil(kWillEcho);
    QVERIFY(toPassword.contains("parola d'ordine: "));
    QVERIFY(toPassword.endsWith("parola d'ordine: " + kWillEcho));
    QTest::qWait(50);
    QVERIFY(a.buffer.isEmpty() && a.socket.bytesAvailable() == 0);

    a.send("segreto");
    const QByteArray entered = a.readUntil(prompt("Ale"));
    QVERIFY(entered.startsWith(kWontEcho));
    QCOMPARE(entered.count('\xff'), 1);
    QVERIFY(!entered.contains("segreto")); // the password is never echoed
    QVERIFY(entered.contains("Ale"));
    QVERIFY(entered.contains("creato"));
    QVERIFY(entered.contains("Piazza del Pozzo"));

    // A known name is welcomed back, whatever the password.
    a.send("fine");
    QVERIFY(a.waitClosed());
    Client b(port);
    const QByteArray back = b.login("ALE", "altra", "Ale");
    QVERIFY(back.contains("Bentornato, Ale!"));
    QVERIFY(!back.contains("creato"));
}

void TestPracticeServer::movementAndLook() {
    Client a(port);
    a.login("Esploratore");
    const QByteArray nome = "Esploratore";
    const struct {
        const char* command;
        const char* room;
    } walk[] = {{"n", "Taverna del Cinghiale"},   {"su", "Soffitta della taverna"},
                {"giu", "Taverna del Cinghiale"}, {"sud", "Piazza del Pozzo"},
                {"e", "Bottega del fabbro"},      {"ovest", "Piazza del Pozzo"},
                {"o", "Tempio della Fiamma"},     {"giù", "Cripta"},
                {"su", "Tempio della Fiamma"},    {"est", "Piazza del Pozzo"},
                {"s", "Porta del borgo"},         {"SUD", "Sentiero nel bosco"},
                {"nord", "Porta del borgo"},      {"guarda", "Porta del borgo"}};
    for (const auto& step : walk) {
        const QByteArray answer = a.command(Cp1252::encode(QString::fromUtf8(step.command)), nome);
        QVERIFY2(answer.contains(step.room), step.command);
        QVERIFY(answer.contains("[Uscite: "));
    }
    QVERIFY(a.command("ovest", nome).contains("Non puoi andare da quella parte."));
    QVERIFY(a.command("guarda", nome).contains("Porta del borgo"));
    QVERIFY(a.command("ballo", nome).contains("Non capisco"));
    QVERIFY(a.command("", nome) == "\r\n" + prompt(nome));

    // Accented letters travel as single Windows-1252 bytes.
    a.command("n", nome);
    a.command("o", nome);
    const QByteArray crypt = a.command("giu", nome);
    QVERIFY(crypt.contains("citt\xe0"));
    QVERIFY(!crypt.contains("\xc3\xa0"));
}

void TestPracticeServer::speechReachesOnlyTheRoom() {
    Client a(port), b(port);
    a.login("Ale");
    b.login("Bea");
    QVERIFY(!a.readUntil("Bea entra nel mondo di prova.").isEmpty());
    a.readUntil(prompt("Ale"));
    QVERIFY(a.command("guarda", "Ale").contains("Bea \xe8 qui."));

    QVERIFY(a.command("di ciao a tutti", "Ale").contains("Dici 'ciao a tutti'"));
    const QByteArray heard = b.readUntil(prompt("Bea"));
    QVERIFY(heard.contains("Ale dice 'ciao a tutti'"));
    QVERIFY(heard.startsWith("\r\n")); // off the prompt's line
    QVERIFY(a.command("di   ", "Ale").contains("Cosa vuoi dire?"));

    const QByteArray who = b.command("chi", "Bea");
    QVERIFY(who.contains("Ale"));
    QVERIFY(who.contains("Bea"));
    QVERIFY(who.contains("2 giocatori in tutto."));

    b.command("n", "Bea");
    QVERIFY(a.readUntil(prompt("Ale")).contains("Bea va a nord."));
    a.command("di segreto", "Ale");
    QVERIFY(!b.command("guarda", "Bea").contains("segreto"));

    // Leaving is seen by the room left.
    b.send("fine");
    QVERIFY(b.waitClosed());
    b.socket.abort();
    a.command("n", "Ale");
    QVERIFY(!a.command("guarda", "Ale").contains("Bea"));
}

void TestPracticeServer::samePlayerReconnecting() {
    Client old(port);
    old.login("Ale");
    Client again(port);
    QVERIFY(again.login("Ale").contains("Bentornato"));
    QVERIFY(old.waitClosed());
    QVERIFY(old.buffer.contains("Qualcuno"));
    QVERIFY(QTest::qWaitFor([&] { return server->connectionCount() == 1; }, 5000));
    QVERIFY(again.command("chi", "Ale").contains("Un giocatore in tutto."));
}

void TestPracticeServer::notesPostedAndRead() {
    Client a(port), b(port);
    a.login("Ale");
    b.login("Bea");
    a.readUntil(prompt("Ale")); // Bea's arrival

    // The whole note in one write, as a client posts it.
    a.socket.write("nota a TUTTI\r\nnota soggetto {{Rprova\r\nnota + {{Runo\r\nnota + \r\n"
                   "nota +   rientro {{vverde\r\nnota spedisci\r\n");
    QByteArray answers;
    for (int i = 0; i < 6; ++i)
        answers += a.readUntil(prompt("Ale"));
    QVERIFY(answers.contains("Destinatari della nota: \x1b[0mTUTTI"));
    QVERIFY(answers.contains("Riga 3 aggiunta"));
    QVERIFY(answers.contains("numero 1"));
    QVERIFY(b.readUntil(prompt("Bea")).contains("nota leggi 1"));

    const QByteArray list = b.command("nota leggi", "Bea");
    QVERIFY(list.contains("1) "));
    QVERIFY(list.contains("Ale a TUTTI"));
    QVERIFY(list.contains("\x1b[1;31mprova\x1b[0m"));

    const QByteArray note = b.command("nota leggi 1", "Bea");
    QVERIFY(note.contains("\x1b[1;31muno\x1b[0m\r\n\r\n  rientro \x1b[0;32mverde\x1b[0m\r\n"));
    QVERIFY(!note.contains("{{"));

    // The draft was emptied by posting.
    QVERIFY(a.command("nota mostra", "Ale").contains("Non stai scrivendo"));
    a.command("nota a Bea", "Ale");
    QVERIFY(a.command("nota mostra", "Ale").contains("Bea"));
    a.command("nota annulla", "Ale");
    QVERIFY(a.command("nota spedisci", "Ale").contains("non ha destinatari"));
}

void TestPracticeServer::noteErrorsAndPrivacy() {
    Client a(port), b(port), c(port);
    a.login("Ale");
    b.login("Bea");
    c.login("Cid");
    a.readUntil("Cid entra");
    a.readUntil(prompt("Ale"));
    b.readUntil("Cid entra");
    b.readUntil(prompt("Bea"));

    QVERIFY(a.command("nota spedisci", "Ale").contains("non ha destinatari"));
    QVERIFY(a.command("nota a", "Ale").contains("A chi vuoi scrivere?"));
    a.command("nota a bea", "Ale");
    QVERIFY(a.command("nota spedisci", "Ale").contains("non ha soggetto"));
    a.command("nota soggetto solo per te", "Ale");
    a.command("nota + ciao", "Ale");
    QVERIFY(a.command("nota spedisci", "Ale").contains("numero 1"));

    QVERIFY(b.readUntil(prompt("Bea")).contains("Una nuova nota di Ale"));
    const QByteArray notForCid = c.command("nota leggi", "Cid");
    QVERIFY(notForCid.contains("Non ci sono note per te"));
    QVERIFY(!notForCid.contains("Una nuova nota"));
    QVERIFY(c.command("nota leggi 1", "Cid").contains("nessuna nota 1"));
    QVERIFY(b.command("nota leggi 1", "Bea").contains("ciao"));
    QVERIFY(a.command("nota leggi 1", "Ale").contains("ciao"));
    QVERIFY(b.command("nota leggi 99", "Bea").contains("nessuna nota 99"));
    QVERIFY(b.command("nota leggi -1", "Bea").contains("nessuna nota -1"));
    QVERIFY(b.command("nota leggi due", "Bea").contains("nessuna nota due"));
    QVERIFY(b.command("nota", "Bea").contains("Comandi delle note"));

    // A note cannot grow without bound.
    QByteArray many;
    for (int i = 0; i < PracticeServer::kMaxNoteLines; ++i)
        many += "nota + riga\r\n";
    c.socket.write(many);
    for (int i = 0; i < PracticeServer::kMaxNoteLines; ++i)
        c.readUntil(prompt("Cid"));
    QVERIFY(c.command("nota + una di troppo", "Cid").contains("troppo lunga"));
}

void TestPracticeServer::noteColourCodes() {
    const struct {
        char letter;
        const char* seq;
    } codes[] = {
        {'g', "\x1b[0;30m"}, {'G', "\x1b[1;30m"}, {'r', "\x1b[0;31m"}, {'R', "\x1b[1;31m"},
        {'v', "\x1b[0;32m"}, {'V', "\x1b[1;32m"}, {'t', "\x1b[0;33m"}, {'T', "\x1b[1;33m"},
        {'b', "\x1b[0;34m"}, {'B', "\x1b[1;34m"}, {'m', "\x1b[0;35m"}, {'M', "\x1b[1;35m"},
        {'c', "\x1b[0;36m"}, {'C', "\x1b[1;36m"}, {'Z', "\x1b[0;37m"}, {'p', "\x1b[0;37m"}};
    for (const auto& code : codes) {
        const QString in = QStringLiteral("a{{") + QLatin1Char(code.letter) + QStringLiteral("b");
        QCOMPARE(Ansi::noteColoursToAnsi(in),
                 QStringLiteral("a") + QLatin1String(code.seq) + QStringLiteral("b\x1b[0m"));
    }
    QCOMPARE(Ansi::noteColoursToAnsi(QStringLiteral("senza codici")),
             QStringLiteral("senza codici"));
    QCOMPARE(Ansi::noteColoursToAnsi(QStringLiteral("{{x e {{")), QStringLiteral("{{x e {{"));
    QCOMPARE(Ansi::noteColoursToAnsi(QStringLiteral("{{{{R!")),
             QStringLiteral("{{\x1b[1;31m!\x1b[0m"));
    QCOMPARE(Ansi::noteColoursToAnsi(QStringLiteral("{R{{")), QStringLiteral("{R{{"));
}

void TestPracticeServer::floodSendsHundredsOfLines() {
    Client a(port);
    a.login("Ale");
    for (const char* word : {"inonda", "flood"}) {
        const QByteArray burst = a.command(word, "Ale");
        QVERIFY(burst.count("\r\n") >= PracticeServer::kFloodLines);
        QVERIFY(burst.contains("Riga 001"));
        QVERIFY(burst.contains("Riga 300"));
        QVERIFY(burst.count("\x1b[") >= 3 * PracticeServer::kFloodLines);
        QVERIFY(!burst.contains('\xff'));
    }
}

void TestPracticeServer::farewellClosesTheConnection() {
    Client a(port), b(port);
    a.login("Ale");
    b.login("Bea");
    a.readUntil(prompt("Ale"));
    a.send("fine");
    QVERIFY(a.waitClosed());
    QVERIFY(a.buffer.contains(PracticeServer::farewellPhrase() + "\r\n"));
    QVERIFY(b.readUntil(prompt("Bea")).contains("Ale lascia il mondo di prova."));

    b.send("QUIT");
    QVERIFY(b.waitClosed());
    QVERIFY(b.buffer.contains(PracticeServer::farewellPhrase()));

    // Leaving is possible at the name prompt, and a player who just drops
    // the line is removed too.
    Client c(port), d(port);
    c.readUntil(kNamePrompt);
    c.send("quit");
    QVERIFY(c.waitClosed());
    QVERIFY(c.buffer.contains(PracticeServer::farewellPhrase()));
    d.login("Dan");
    d.socket.abort();
    QVERIFY(QTest::qWaitFor([&] { return server->connectionCount() == 0; }, 5000));
}

void TestPracticeServer::garbageAndTelnetCommands() {
    Client a(port);
    a.readUntil(kNamePrompt);
    // Negotiation, a subnegotiation, an escaped 0xFF, NULs and controls
    // around the name; an IAC cut between two writes.
    a.socket.write(bytes("\xff\xfd\x18\xff\xfb\x1f\xff\xfa\x18\x00xterm\xff\xf0"
                         "\x01\x02Gi\x00o\x07\xff"));
    QVERIFY(a.socket.waitForBytesWritten(1000));
    QTest::qWait(20);
    a.socket.write("\xf1\r\n");
    const QByteArray toPassword = a.readUntil(kWillEcho);
    QVERIFY(toPassword.contains("parola d'ordine"));
    QCOMPARE(toPassword.count('\xff'), 1); // nothing answered to the client's commands
    a.send("pw\xff\xfe\x01");
    QVERIFY(a.readUntil(prompt("Gio")).contains("Piazza del Pozzo"));

    QVERIFY(a.command("gu\x08\x08guar\x7f\x7f"
                      "arda",
                      "Gio")
                .contains("Piazza del Pozzo"));
    const QByteArray tooLong = a.command(QByteArray(5000, 'x'), "Gio");
    QVERIFY(tooLong.contains("Riga troppo lunga"));
    QVERIFY(a.command("guarda", "Gio").contains("Piazza del Pozzo"));

    // Random bytes on a second connection leave the server serving the
    // first one.
    Client noise(port);
    noise.readUntil(kNamePrompt);
    QByteArray junk(64 * 1024, '\0');
    QRandomGenerator rng(20261207); // the same noise on every run
    for (char& ch : junk)
        ch = char(rng.bounded(256));
    noise.socket.write(junk);
    QVERIFY(noise.socket.waitForBytesWritten(2000));
    // The noise may well log in and leave, so its notices can come first.
    a.send("chi");
    QVERIFY(!a.readUntil("in tutto.").isEmpty());
    QCOMPARE(server->connectionCount(), 2);
    noise.socket.abort();
    QVERIFY(QTest::qWaitFor([&] { return server->connectionCount() == 1; }, 5000));
    a.send("guarda");
    QVERIFY(!a.readUntil("[Uscite: nord sud est ovest]").isEmpty());
}

void TestPracticeServer::limitsProtectTheServer() {
    Client a(port);
    a.login("Ale");
    // A player cannot slip colour sequences of his own into others' screens.
    QVERIFY(a.command("di \x1b[31mrosso", "Ale").contains("Dici '[31mrosso'"));

    // The board keeps the latest notes under their own numbers.
    NoteBoard board;
    for (int i = 1; i <= NoteBoard::kMaxNotes + 1; ++i)
        QCOMPARE(board.post({"Ale", "TUTTI", QString::number(i), {}}), i);
    QCOMPARE(board.firstNumber(), 2);
    QVERIFY(!board.note(1));
    QCOMPARE(board.note(2)->subject, QStringLiteral("2"));
    QCOMPARE(board.note(NoteBoard::kMaxNotes + 1)->subject,
             QString::number(NoteBoard::kMaxNotes + 1));
    QVERIFY(!board.note(NoteBoard::kMaxNotes + 2));

    // Connections beyond the limit are told and closed.
    std::vector<std::unique_ptr<Client>> others;
    for (int i = 1; i < PracticeServer::kMaxConnections; ++i)
        others.push_back(std::make_unique<Client>(port));
    for (auto& c : others)
        c->readUntil(kNamePrompt);
    Client extra(port);
    QVERIFY(extra.waitClosed());
    QVERIFY(extra.buffer.contains("pieno"));
    others.clear();
    QVERIFY(QTest::qWaitFor([&] { return server->connectionCount() == 1; }, 5000));

    // A client that never reads is dropped before its output fills memory.
    Client stuck(port);
    stuck.socket.setReadBufferSize(1024);
    stuck.login("Fermo");
    QByteArray floods;
    for (int i = 0; i < 600; ++i)
        floods += "inonda\r\n";
    stuck.socket.write(floods);
    QVERIFY(QTest::qWaitFor([&] { return server->connectionCount() == 1; }, 20000));
    a.send("chi");
    QVERIFY(a.readUntil("in tutto.").endsWith("Un giocatore in tutto."));
}

void TestPracticeServer::inputLineAssembly() {
    auto texts = [](const QList<TelnetInput::Line>& lines) {
        QStringList out;
        for (const auto& l : lines)
            out << l.text;
        return out;
    };
    {
        TelnetInput in;
        QCOMPARE(texts(in.feed(bytes("a\r\nb\n\rc\rd\ne\r\0f\r\n\r\n"))),
                 QStringList({"a", "b", "c", "d", "e", "f", ""}));
    }
    { // pairs and IACs cut between two reads
        TelnetInput in;
        QCOMPARE(texts(in.feed("uno\r")), QStringList({"uno"}));
        QCOMPARE(texts(in.feed("\ndue\xff")), QStringList());
        QCOMPARE(texts(in.feed("\xfb")), QStringList());
        QCOMPARE(texts(in.feed("\x01tre\xff\xff\r\n")),
                 QStringList({QStringLiteral("duetre\u00ff")}));
    }
    { // a subnegotiation that never ends does not swallow the session
        TelnetInput in;
        const QByteArray endless =
            QByteArray("\xff\xfa", 2) + QByteArray(TelnetInput::kMaxSubnegotiation + 50, 'z');
        const auto lines = in.feed(endless + "ok\r\n");
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].text.endsWith("ok"));
        QCOMPARE(lines[0].text.size(), 50 - 1 + 2);
    }
    { // an overlong line is cut and marked; the next one is whole
        TelnetInput in;
        const auto lines = in.feed(QByteArray(1500, 'a') + "\r\nbreve\r\n");
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].tooLong);
        QCOMPARE(lines[0].text.size(), TelnetInput::kMaxLineBytes);
        QVERIFY(!lines[1].tooLong);
        QCOMPARE(lines[1].text, QStringLiteral("breve"));
    }
    { // tabs are spaces, backspace never reaches before the line
        TelnetInput in;
        QCOMPARE(texts(in.feed("\x08\x08"
                               "a\tb\x7f"
                               "c\r\n")),
                 QStringList({"a c"}));
    }
}

void TestPracticeServer::codePage() {
    QCOMPARE(Cp1252::encode(QStringLiteral("città € “x” ✓")),
             QByteArray("citt\xe0 \x80 \x93x\x94 ?"));
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString decoded = Cp1252::decode(all);
    QCOMPARE(decoded.size(), 256);
    QCOMPARE(decoded[0x80], QChar(0x20AC));
    QCOMPARE(decoded[0x81], QChar(0x81));
    QCOMPARE(Cp1252::encode(decoded), all);
}

// Accepting UTF-8: what the server had to say meanwhile waits for the
// answer (the client reads UTF-8 from the request on); then text and lines
// are UTF-8 both ways, a backspace taking a whole letter. The colour chart
// draws with blocks and fits 80 columns, as the help does.
void TestPracticeServer::charsetAgreedOnUtf8() {
    Client a(port);
    a.readUntil(kNamePrompt);
    a.socket.write(kDoCharset + "Nicol\xf2\r\n");
    a.readUntil(kRequest);
    QTest::qWait(50);
    QVERIFY(a.buffer.isEmpty() && a.socket.bytesAvailable() == 0);
    a.socket.write(accepted("utf-8"));
    a.readUntil(kWillEcho);
    a.send("pw");
    const QByteArray name = QStringLiteral("Nicolò").toUtf8();
    QVERIFY(a.readUntil(prompt(name)).contains(QStringLiteral("è stato creato").toUtf8()));
    QVERIFY(a.command(QStringLiteral("di città € perchè\x7fé").toUtf8(), name)
                .contains(QStringLiteral("Dici 'città € perché'").toUtf8()));

    const QString chart = QString::fromUtf8(a.command("colori", name));
    for (int n = 16; n <= 255; ++n)
        QVERIFY(chart.contains(QStringLiteral("\x1b[38;5;%1m\u2588\u2588").arg(n)));
    QVERIFY(chart.count(QStringLiteral("\x1b[38;2;")) >= 4 * 36);
    QVERIFY(chart.contains(QStringLiteral("\x1b[38;2;255;255;255m")));
    const QString help = QString::fromUtf8(a.command("aiuto", name));
    QVERIFY(help.contains(QStringLiteral("colori")));
    // Every description starts in one column, at least two blanks after the name.
    static const QRegularExpression entry(QStringLiteral("^  (\\S.*\\S)  +\\S"));
    QSet<qsizetype> columns;
    for (const QString& line : (chart + help).split(QStringLiteral("\r\n"))) {
        QVERIFY2(visible(line).size() <= 80, qPrintable(visible(line)));
        if (help.contains(line) && line.startsWith(QStringLiteral("  \x1b"))) {
            const QRegularExpressionMatch m = entry.match(visible(line));
            QVERIFY2(m.hasMatch(), qPrintable(visible(line)));
            columns << m.capturedEnd(0);
        }
    }
    QCOMPARE(columns.size(), 1);
}

// A client that ignores the offer, refuses it, or accepts the code page
// gets the game's bytes of always: Windows-1252, no other telnet command.
void TestPracticeServer::charsetIgnoredRefusedOrCodePage() {
    const QByteArray replies[] = {QByteArray(), QByteArray("\xff\xfe\x2a", 3), kDoCharset};
    for (const QByteArray& reply : replies) {
        Client a(port);
        a.readUntil(kNamePrompt);
        a.socket.write(reply);
        if (reply == kDoCharset) {
            a.readUntil(kRequest);
            a.socket.write(accepted("WINDOWS-1252"));
        }
        const QByteArray name = "Ugo" + QByteArray::number(&reply - replies);
        const QByteArray entered = a.loginGreeted(name);
        QVERIFY(entered.contains("\xe8 stato creato"));
        QVERIFY(a.command("di citt\xe0 \x80", name).contains("Dici 'citt\xe0 \x80'"));
        QVERIFY(a.command("colori", name).contains("\x1b[38;5;231m##\x1b[0m"));
        QCOMPARE(entered.count('\xff') + a.buffer.count('\xff'), 1); // WONT ECHO only
        a.send("fine");
        QVERIFY(a.waitClosed());
        QVERIFY(!a.buffer.contains('\xff'));
    }
}

// The character's state shows in the prompt and, while the client agrees to
// option 201, goes out as Char.Vitals before the text that tells of it: a
// fight costs, rest restores, a worn-out character is refused.
void TestPracticeServer::vitalsInPromptAndData() {
    const auto vitals = [](int hp, int mp, int mv) {
        return QByteArray("\xff\xfa\xc9"
                          "Char.Vitals ") +
               QStringLiteral(R"({"hp":%1,"maxhp":500,"mp":%2,"maxmp":300,"mv":%3,"maxmv":200})")
                   .arg(hp)
                   .arg(mp)
                   .arg(mv)
                   .toLatin1() +
               "\xff\xf0";
    };
    const auto figures = [](int hp, int mp, int mv) {
        return QStringLiteral("HP:%1/500 MP:%2/300 MV:%3/200").arg(hp).arg(mp).arg(mv).toLatin1();
    };
    for (const bool agreed : {false, true}) {
        Client a(port);
        a.readUntil(kNamePrompt);
        if (agreed)
            a.socket.write(kDoGmcp);
        const QByteArray entered = a.loginGreeted("Ale");
        QCOMPARE(entered.contains(vitals(500, 300, 200) + "\r\n\x1b[1;32m<Ale"), agreed);

        struct Step {
            const char* command;
            int hp, mp, mv;
            const char* says;
            bool sends;
        };
        QList<Step> steps = {{"combatti", 440, 270, 180, "perdi 60 punti di salute", true},
                             {"riposa", 500, 300, 200, "di nuovo in forze", true},
                             {"riposa", 500, 300, 200, "riposato", false}};
        for (int hp = 440; hp >= 20; hp -= 60) {
            const int fights = (500 - hp) / 60;
            steps.append({"combatti", hp, 300 - 30 * fights, 200 - 20 * fights, "perdi", true});
        }
        steps.append({"combatti", 20, 60, 40, "troppo stanco", false});
        for (const Step& step : steps) {
            a.send(step.command);
            const QByteArray answer =
                a.readUntil(prompt("Ale", figures(step.hp, step.mp, step.mv)));
            QVERIFY2(answer.contains(QByteArray(step.says)), step.command);
            QCOMPARE(answer.contains("\xff"), agreed && step.sends);
            if (agreed && step.sends)
                QVERIFY(answer.startsWith(vitals(step.hp, step.mp, step.mv)));
        }
        if (agreed) { // refused later: the state shows in the prompt only
            a.socket.write(kDontGmcp);
            a.send("riposa");
            QVERIFY(!a.readUntil(prompt("Ale")).contains('\xff'));
        }
    }
}

void TestPracticeServer::programListensOnLoopback() {
    QProcess proc;
    proc.start(QStringLiteral(PRACTICE_SERVER_PATH),
               {QStringLiteral("--port"), QStringLiteral("0")});
    QVERIFY(proc.waitForStarted(5000));
    QVERIFY(QTest::qWaitFor([&] { return proc.canReadLine(); }, 10000));
    const QString line = QString::fromLocal8Bit(proc.readLine()).trimmed();
    QVERIFY2(line.startsWith(QStringLiteral("In ascolto su 127.0.0.1 porta ")), qPrintable(line));
    const quint16 procPort = line.section(u' ', -1).toUShort();
    QVERIFY(procPort > 0);

    Client a(procPort);
    QVERIFY(a.login("Ale").contains("Piazza del Pozzo"));
    a.send("fine");
    QVERIFY(a.waitClosed());
    proc.kill();
    QVERIFY(proc.waitForFinished(5000));
}

void TestPracticeServer::programRejectsBadPort() {
    QProcess proc;
    proc.start(QStringLiteral(PRACTICE_SERVER_PATH),
               {QStringLiteral("--port"), QStringLiteral("porta")});
    QVERIFY(proc.waitForFinished(10000));
    QCOMPARE(proc.exitCode(), 2);
    QVERIFY(proc.readAllStandardError().contains("Porta non valida"));

    // A port already taken is reported, not ignored.
    QProcess busy;
    busy.start(QStringLiteral(PRACTICE_SERVER_PATH),
               {QStringLiteral("--port"), QString::number(port)});
    QVERIFY(busy.waitForFinished(10000));
    QCOMPARE(busy.exitCode(), 1);
    QVERIFY(busy.readAllStandardError().contains("Impossibile ascoltare"));
}

QTEST_MAIN(TestPracticeServer)
#include "tst_practice_server.moc"
