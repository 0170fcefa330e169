#include "automation/PairTable.h"
#include "display/GameDisplay.h"
#include "session/GameSession.h"
#include "session/NoAnswer.h"
#include "support/ScriptedServer.h"
#include "support/automation/TriggerTable.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

namespace {
QByteArray bytes(std::initializer_list<int> list) {
    QByteArray out;
    for (int b : list)
        out += char(b);
    return out;
}

// The connection as the client uses it, under the text path: what the
// server's bytes become is read from the log, one piece per chunk.
class Wire {
public:
    Wire() {
        session.textPath().setLogHook([this](QStringView piece) { chunks << piece.toString(); });
    }
    bool connectToServer(const QString& host, quint16 port) { return session.open(host, port); }
    void close() { session.close(); }
    bool isConnected() const { return session.connection().isConnected(); }
    bool isConnecting() const { return session.connection().isConnecting(); }
    bool serverEchoes() const { return session.serverEchoes(); }
    TextEncoding encoding() const { return session.textPath().encoding(); }
    void setWindowSize(int cols, int rows) { session.textPath().setWindowSize(cols, rows); }
    void write(const QString& text) { session.sendCommand(text); }
    Connection* socket() { return &session.connection(); }

    QTemporaryDir folder; // the daily log's
    GameDisplay display;
    PairTable triggers;
    mutable GameSession session{display, triggers, folder.path()};
    QStringList chunks;
};

struct Client {
    Wire conn;
    QStringList& chunks = conn.chunks;
    QSignalSpy connected{conn.socket(), &Connection::connected};
    QSignalSpy failed{conn.socket(), &Connection::connectFailed};
    QSignalSpy lost{conn.socket(), &Connection::connectionLost};
    QSignalSpy echo{&conn.session, &GameSession::serverEchoChanged};

    QString text() const { return chunks.join(QString()); }
    bool waitForText(const QString& needle) {
        return QTest::qWaitFor([&] { return text().contains(needle); }, 5000);
    }
};

bool connectTo(Client& c, ScriptedServer& server) {
    return c.conn.connectToServer(QStringLiteral("127.0.0.1"), server.port()) &&
           QTest::qWaitFor([&] { return c.conn.isConnected(); }, 5000) && server.waitForClient();
}
} // namespace

class TstConnection : public QObject {
    Q_OBJECT
private slots:
    void triggersAndFarewellOverARealConnection() {
        ScriptedServer server;
        GameDisplay display;
        PairTable triggers =
            triggerTable({{"il tuo nome?", "Varendo§s<%>segreto"}, {"acervus", "grazie"}});
        GameSession session(display, triggers);
        const Connection& conn = session.connection();
        QSignalSpy connected(&conn, &Connection::connected);
        QVERIFY(session.open("127.0.0.1", server.port()));
        QVERIFY(connected.wait());
        QVERIFY(server.waitForClient());
        server.send("Benvenuto!\r\nIl tuo nome? ");
        QVERIFY(server.waitForReceived("Varendo's\r\nsegreto\r\n"));
        QVERIFY(display.buffer().text().contains("Il tuo nome? Varendo's\nsegreto"));
        // The farewell closes the socket before the trigger of the same chunk
        // writes: that write goes nowhere, and nothing breaks.
        server.send("Adde parvum parvo magnus acervus erit\r\n");
        QVERIFY(server.waitForClientGone());
        QVERIFY(!conn.isConnected());
        QVERIFY(display.buffer().text().contains("grazie"));
        QVERIFY(!server.received.contains("grazie"));
    }

    void requestsThatCannotBeIssued() {
        Client c;
        QVERIFY(!c.conn.connectToServer(QString(), 4000));
        QVERIFY(!c.conn.connectToServer(QStringLiteral("  "), 4000));
        QVERIFY(!c.conn.connectToServer(QStringLiteral("127.0.0.1"), 0));
        QVERIFY(!c.conn.isConnected());
        c.conn.write(QStringLiteral("look\r\n")); // harmless
        c.conn.close();
        QCOMPARE(c.failed.size(), 0);
    }

    void sendsTheGamesCodePage() {
        ScriptedServer server;
        Client c;
        QVERIFY(connectTo(c, server));
        QCOMPARE(c.connected.size(), 1);
        c.conn.write(QStringLiteral("dì é ÿ “€” 日\r\n"));
        const QByteArray expected = QByteArray("d\xEC \xE9 \xFF\xFF \x93\x80\x94 ?\r\n");
        QVERIFY(server.waitForReceived(expected));
        QCOMPARE(server.received, expected);
    }

    void receivesCleanDecodedText() {
        ScriptedServer server;
        Client c;
        QVERIFY(connectTo(c, server));
        server.send("caf\xE9 \x93ok\x94 " + bytes({255, 255}) +
                    "\r\nPassword: " + bytes({255, 251, 1}));
        QVERIFY(QTest::qWaitFor([&] { return c.echo.size() == 1; }, 5000));
        QCOMPARE(c.text(), QStringLiteral("café “ok” ÿ\r\nPassword: "));
        QVERIFY(c.conn.serverEchoes());
        QCOMPARE(c.echo.at(0).at(0).toBool(), true);
        QVERIFY(server.waitForReceived(bytes({255, 253, 1})));

        server.send(bytes({255, 252, 1}) + "\r\nHP 10> " + bytes({255, 249}));
        QVERIFY(c.waitForText(QStringLiteral("HP 10> ")));
        QVERIFY(!c.conn.serverEchoes());
        QVERIFY(c.text().endsWith(QStringLiteral("HP 10> ")));
        for (const QString& chunk : std::as_const(c.chunks))
            QVERIFY(!chunk.isEmpty());
    }

    void negotiatesWindowSizeAndTerminalType() {
        ScriptedServer server;
        Client c;
        c.conn.setWindowSize(132, 50);
        QVERIFY(connectTo(c, server));
        server.send(bytes({255, 253, 31, 255, 253, 24, 255, 250, 24, 1, 255, 240}));
        const QByteArray answer = bytes({255, 251, 31, 255, 250, 31, 0, 132, 0, 50, 255, 240, 255,
                                         251, 24, 255, 250, 24, 0}) +
                                  "VARENDOR" + bytes({255, 240});
        QVERIFY(server.waitForReceived(answer));
        c.conn.setWindowSize(100, 40);
        QVERIFY(server.waitForReceived(bytes({255, 250, 31, 0, 100, 0, 40, 255, 240})));
        QVERIFY(c.chunks.isEmpty()); // negotiation alone is no text
    }

    // The server offers UTF-8: the text after its request and everything
    // written afterwards are UTF-8, a character cut between two reads
    // included; the next connection starts in the game's code page again.
    void negotiatedUtf8BothWays() {
        ScriptedServer server;
        Client c;
        QVERIFY(connectTo(c, server));
        server.send("caf\xE9 " + bytes({255, 251, 42}));
        QVERIFY(server.waitForReceived(bytes({255, 253, 42})));
        const QByteArray utf8 = QStringLiteral("città €").toUtf8();
        server.send(bytes({255, 250, 42, 1}) + ";UTF-8" + bytes({255, 240}) + utf8.chopped(2));
        QVERIFY(server.waitForReceived(bytes({255, 250, 42, 2}) + "UTF-8" + bytes({255, 240})));
        QVERIFY(c.waitForText(QStringLiteral("città")));
        server.send(utf8.right(2) + "\r\n");
        QVERIFY(c.waitForText(QStringLiteral("\r\n")));
        QCOMPARE(c.text(), QStringLiteral("café città €\r\n"));
        QCOMPARE(c.conn.encoding(), TextEncoding::Utf8);
        c.conn.write(QStringLiteral("di perché €\r\n"));
        QVERIFY(server.waitForReceived(QStringLiteral("di perché €\r\n").toUtf8()));

        c.conn.close();
        ScriptedServer next;
        QVERIFY(connectTo(c, next));
        QCOMPARE(c.conn.encoding(), TextEncoding::Cp1252);
        c.conn.write(QStringLiteral("è\r\n"));
        QVERIFY(next.waitForReceived("\xE8\r\n"));
    }

    void chunksStayWithinOneRead() {
        ScriptedServer server;
        Client c;
        QVERIFY(connectTo(c, server));
        QByteArray plain;
        for (int i = 0; i < 700; ++i)
            plain += "line " + QByteArray::number(i) + " \xE8 of the burst\r\n";
        server.send(plain + "END");
        QVERIFY(c.waitForText(QStringLiteral("END")));
        QCOMPARE(c.text().toLatin1(), plain + "END");
        QVERIFY(c.chunks.size() >= plain.size() / 2048);

        // A compressed stream inflates beyond one read: still at most 2048 each.
        c.chunks.clear();
        uLongf size = compressBound(uLong(plain.size()));
        QByteArray packed(qsizetype(size), Qt::Uninitialized);
        compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(plain.constData()), uLong(plain.size()));
        packed.truncate(qsizetype(size));
        server.send(bytes({255, 251, 86}));
        QVERIFY(server.waitForReceived(bytes({255, 253, 86})));
        server.send(bytes({255, 250, 86, 255, 240}) + packed + "DONE");
        QVERIFY(c.waitForText(QStringLiteral("DONE")));
        QCOMPARE(c.text().toLatin1(), plain + "DONE");
        for (const QString& chunk : std::as_const(c.chunks))
            QVERIFY(chunk.size() <= 2048 && !chunk.isEmpty());
    }

    void refusedConnectionFails() {
        quint16 port = 0;
        {
            ScriptedServer closed;
            port = closed.port();
            closed.stopListening();
        }
        Client c;
        QVERIFY(c.conn.connectToServer(QStringLiteral("127.0.0.1"), port));
        QVERIFY(c.conn.isConnecting());
        QVERIFY(c.failed.wait(5000));
        QCOMPARE(c.failed.size(), 1);
        QCOMPARE(c.connected.size(), 0);
        QCOMPARE(c.lost.size(), 0);
        QVERIFY(!c.conn.isConnected() && !c.conn.isConnecting());
        // Why and where, for the player to fix.
        const QString why = c.conn.socket()->noAnswer();
        QVERIFY2(why.contains("rifiutata") &&
                     why.contains(QStringLiteral("127.0.0.1 porta %1").arg(port)),
                 qPrintable(why));
        c.conn.write(QStringLiteral("look\r\n"));
        // The same connection object can try again.
        ScriptedServer server;
        QVERIFY(connectTo(c, server));
    }

    void noAnswerSaysWhyAndWhere() {
        using S = QAbstractSocket;
        const QString to = "gioco.it porta 4000";
        const QList<std::tuple<S::SocketError, bool, QString, QString>> cases = {
            {S::ConnectionRefusedError, false, "x",
             "Connessione rifiutata da " + to + ": lì non c'è un server in ascolto."},
            {S::HostNotFoundError, false, "x",
             "Host non trovato: gioco.it (porta 4000). Controllare il nome del server."},
            {S::UnknownSocketError, true, "x", "Nessuna risposta in tempo da " + to + "."},
            {S::SocketTimeoutError, false, "x", "Nessuna risposta in tempo da " + to + "."},
            {S::NetworkError, false, "x", "Rete non raggiungibile verso " + to + "."},
            {S::SocketAccessError, false, "negato",
             "Collegamento a " + to + " non riuscito: negato."},
            {S::SocketAccessError, false, "", "Collegamento a " + to + " non riuscito."}};
        for (const auto& [error, timedOut, detail, expected] : cases)
            QCOMPARE(noAnswerLine(error, timedOut, "gioco.it", 4000, detail), expected);
    }

    void serverHangUpIsReportedAfterItsLastText() {
        ScriptedServer server;
        Client c;
        QVERIFY(connectTo(c, server));
        QStringList order;
        c.conn.session.textPath().setLogHook([&](QStringView piece) {
            c.chunks << piece.toString();
            order << QStringLiteral("text");
        });
        QObject::connect(c.conn.socket(), &Connection::connectionLost, c.conn.socket(),
                         [&] { order << QStringLiteral("lost"); });
        server.send("*** Disconnected ***\r\n");
        server.closeClient();
        QVERIFY(QTest::qWaitFor([&] { return c.lost.size() == 1; }, 5000));
        QCOMPARE(c.text(), QStringLiteral("*** Disconnected ***\r\n"));
        QCOMPARE(order.last(), QStringLiteral("lost"));
        QVERIFY(!c.conn.isConnected());
        c.conn.write(QStringLiteral("look\r\n"));
        c.conn.close();
        QTest::qWait(20);
        QCOMPARE(c.lost.size(), 1);
    }

    void ourCloseSendsTheLastCommandAndIsSilent() {
        ScriptedServer server;
        Client c;
        QVERIFY(connectTo(c, server));
        server.send(bytes({255, 251, 1}));
        QVERIFY(QTest::qWaitFor([&] { return c.conn.serverEchoes(); }, 5000));
        c.conn.write(QStringLiteral("quit\r\n"));
        c.conn.close();
        QVERIFY(!c.conn.isConnected());
        QCOMPARE(c.echo.last().at(0).toBool(), false); // the input line stops hiding
        c.conn.write(QStringLiteral("after\r\n"));
        QVERIFY(server.waitForClientGone());
        QVERIFY(server.received.endsWith("quit\r\n"));
        QVERIFY(!server.received.contains("after"));
        QCOMPARE(c.lost.size(), 0);
        QCOMPARE(c.failed.size(), 0);
    }

    void handlersMayCloseOrReconnect() {
        ScriptedServer server;
        Client c;
        QVERIFY(connectTo(c, server));
        // The farewell closes while the burst is being read; later text of the
        // same burst is not delivered and nothing breaks.
        QByteArray burst = "Adde parvum parvo magnus acervus erit\r\n";
        burst += QByteArray(5000, 'x');
        server.send(burst + bytes({255, 249}));
        QVERIFY(server.waitForClientGone());
        QCOMPARE(c.chunks.size(), 1);
        QCOMPARE(c.lost.size(), 0);

        // Closing while still connecting is just as silent.
        ScriptedServer other;
        QVERIFY(c.conn.connectToServer(QStringLiteral("127.0.0.1"), other.port()));
        c.conn.close();
        QVERIFY(!c.conn.isConnecting());
        QTest::qWait(50);
        QCOMPARE(c.connected.size(), 1);
        QCOMPARE(c.failed.size(), 0);

        QVERIFY(connectTo(c, other));
        other.send("again");
        QVERIFY(c.waitForText(QStringLiteral("again")));
    }

    void unreadableStreamDropsTheConnection() {
        ScriptedServer server;
        Client c;
        QVERIFY(connectTo(c, server));
        server.send("ok " + bytes({255, 251, 86}));
        QVERIFY(server.waitForReceived(bytes({255, 253, 86})));
        QVERIFY(QDir(c.conn.folder.path()).mkpath("Log"));
        QVERIFY(c.conn.session.setLogging(true));
        server.send(bytes({255, 250, 86, 255, 240}) + "this is not a deflate stream");
        QVERIFY(QTest::qWaitFor([&] { return c.lost.size() == 1; }, 5000));
        QCOMPARE(c.text(), QStringLiteral("ok "));
        QVERIFY(server.waitForClientGone());
        // The player is told why, before the disconnect notice, and so is the log.
        const QString why = "I dati ricevuti dal server non sono più leggibili (inflate() failed: "
                            "data error): la connessione viene chiusa.";
        QCOMPARE(c.conn.display.buffer().text(), "ok \n" + why + "\n\nDisconnesso da Varendor");
        c.conn.session.setLogging(false);
        QFile log(c.conn.session.log().currentPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains(("\r\n" + why + "\r\n").toLatin1()));
    }
};

QTEST_MAIN(TstConnection)
#include "tst_connection.moc"
