#include "automation/ServerSettings.h"
#include "session/CertificatePrompt.h"
#include "session/Connection.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"
#include "support/TlsTunnel.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <zlib.h>

// The connection over TLS against a real TLS server: stunnel4 with a
// self-signed certificate made for the test, in front of a scripted game
// server on loopback. Certificates accepted for good go to a config.ini in a
// temporary folder, as in the program.
namespace {
QByteArray bytes(std::initializer_list<int> list) {
    QByteArray out;
    for (int b : list)
        out += char(b);
    return out;
}

constexpr int kGiveUp = 2, kAcceptOnce = 0, kAcceptAlways = 1;

struct Client {
    QTemporaryDir dir;
    Api api{dir.path()};
    Connection conn;
    ScriptedDialogs dialogs;
    QList<CertificateQuestion> questions;
    bool answerAtOnce = true; // as the window does, with a modal question
    QString text;
    QSignalSpy connected{&conn, &Connection::connected};
    QSignalSpy failed{&conn, &Connection::connectFailed};

    Client() {
        conn.trust().recall = [this](const QString& host, quint16 port) {
            return rememberedCertificate(api, host, port);
        };
        conn.trust().remember = [this](const QString& host, quint16 port, const QByteArray& fp) {
            return rememberCertificate(api, host, port, fp);
        };
        QObject::connect(&conn, &Connection::certificateQuestion, &conn,
                         [this](const CertificateQuestion& q) {
                             questions << q;
                             if (answerAtOnce)
                                 conn.answerCertificate(askAboutCertificate(nullptr, q));
                         });
        QObject::connect(&conn, &Connection::textReceived, &conn,
                         [this](const QString& t) { text += t; });
    }
    bool connectTls(quint16 port, Codifica codifica = Codifica::Auto) {
        return conn.connectToServer(QStringLiteral("127.0.0.1"), port, {codifica, true});
    }
    bool waitOutcome() {
        return QTest::qWaitFor([&] { return !connected.isEmpty() || !failed.isEmpty(); }, 10000);
    }
    QString failure() const {
        return failed.isEmpty() ? QString() : failed.last().at(0).toString();
    }
};
} // namespace

class TstConnectionTls : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedServer> game;
    std::unique_ptr<TlsTunnel> tunnel;

private slots:
    void initTestCase() {
        if (const QString missing = TlsTunnel::missingTools(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
    }

    void init() {
        game = std::make_unique<ScriptedServer>();
        tunnel = std::make_unique<TlsTunnel>();
        QVERIFY2(tunnel->start(game->port()), qPrintable(tunnel->error()));
    }

    void cleanup() {
        tunnel.reset();
        game.reset();
    }

    // Giving up ends the attempt like a failed connection, with its reason.
    void selfSignedGiveUp() {
        Client c;
        c.dialogs.choices << kGiveUp;
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(c.waitOutcome());
        QCOMPARE(c.failure(), TlsTrust::refusedMessage());
        QVERIFY(c.connected.isEmpty());
        QVERIFY(!c.conn.isConnected() && !c.conn.isConnecting());
        QCOMPARE(c.questions.size(), 1);
        const CertificateQuestion& q = c.questions.first();
        QCOMPARE(q.fingerprint, tunnel->fingerprint());
        QVERIFY(!q.changed());
        QCOMPARE(q.reasons, QStringList{TlsTrust::reason(
                                QSslError(QSslError::SelfSignedCertificate), QString())});
        // What the player saw: the reason, the fingerprint, three answers.
        QCOMPARE(c.dialogs.messages.size(), 1);
        QVERIFY(c.dialogs.lastText().contains(q.reasons.first()));
        QVERIFY(c.dialogs.lastText().contains(fingerprintText(tunnel->fingerprint())));
        QCOMPARE(c.dialogs.choiceButtons.first(), CertificateQuestion::buttons());
        QVERIFY(!QFile::exists(c.api.pathOf("config.ini")));
        QVERIFY(game->received.isEmpty());
    }

    // Accepting this time: nothing reaches the server or the text until the
    // answer, everything does after it; the next connection asks again.
    void selfSignedAcceptOnce() {
        Client c;
        c.answerAtOnce = false;
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(QTest::qWaitFor([&] { return !c.questions.isEmpty(); }, 10000));
        QVERIFY(game->waitForClient());
        game->send("Benvenuto" + bytes({255, 253, 31}));
        QTest::qWait(100);
        QVERIFY(c.text.isEmpty() && game->received.isEmpty());
        c.conn.answerCertificate(CertificateAnswer::AcceptOnce);
        QCOMPARE(c.connected.size(), 1);
        QVERIFY(c.conn.isEncrypted());
        QVERIFY(QTest::qWaitFor([&] { return c.text == QStringLiteral("Benvenuto"); }));
        QVERIFY(game->waitForReceived(bytes({255, 251, 31})));
        c.conn.answerCertificate(CertificateAnswer::GiveUp); // no question open: ignored
        QVERIFY(c.conn.isConnected());
        QVERIFY(rememberedCertificate(c.api, "127.0.0.1", tunnel->port()).isEmpty());

        c.conn.close();
        c.answerAtOnce = true;
        c.dialogs.choices << kAcceptOnce;
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(QTest::qWaitFor([&] { return c.connected.size() == 2; }, 10000));
        QCOMPARE(c.questions.size(), 2);
    }

    // Accepting always: remembered per host and port, no question next time;
    // a different certificate on the same server then asks with a warning.
    void acceptAlwaysThenChangedCertificate() {
        Client c;
        c.dialogs.choices << kAcceptAlways;
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(c.waitOutcome());
        QCOMPARE(c.connected.size(), 1);
        const QByteArray first = tunnel->fingerprint();
        QCOMPARE(rememberedCertificate(c.api, "127.0.0.1", tunnel->port()), first);

        c.conn.close();
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(QTest::qWaitFor([&] { return c.connected.size() == 2; }, 10000));
        QCOMPARE(c.questions.size(), 1);

        c.conn.close();
        QVERIFY(tunnel->makeCertificate());
        QVERIFY2(tunnel->start(game->port(), tunnel->port()), qPrintable(tunnel->error()));
        c.dialogs.choices << kGiveUp;
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(QTest::qWaitFor([&] { return !c.failed.isEmpty(); }, 10000));
        QCOMPARE(c.questions.size(), 2);
        const CertificateQuestion& q = c.questions.last();
        QVERIFY(q.changed());
        QCOMPARE(q.remembered, first);
        QCOMPARE(q.fingerprint, tunnel->fingerprint());
        const RecordedMessage& shown = c.dialogs.messages.last();
        QVERIFY(shown.text.startsWith(QStringLiteral("ATTENZIONE")));
        QVERIFY(shown.text.contains(fingerprintText(first)));
        QVERIFY(shown.text.contains(fingerprintText(tunnel->fingerprint())));
        QCOMPARE(shown.flags, int(Msg::Exclamation));
        // Giving up keeps the certificate accepted before.
        QCOMPARE(rememberedCertificate(c.api, "127.0.0.1", tunnel->port()), first);
    }

    // A certificate for another name: both problems are told.
    void wrongHostName() {
        QVERIFY(tunnel->makeCertificate(QStringLiteral("gioco.example"), false));
        QVERIFY(tunnel->start(game->port(), tunnel->port()));
        Client c;
        c.dialogs.choices << kGiveUp;
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(c.waitOutcome());
        QVERIFY(c.dialogs.lastText().contains(QStringLiteral("non è intestato a «127.0.0.1»")));
        QVERIFY(c.dialogs.lastText().contains(QStringLiteral("autofirmato")));
    }

    // With nobody to ask, an unverified certificate is never accepted.
    void nobodyToAsk() {
        Connection conn;
        QSignalSpy failed(&conn, &Connection::connectFailed);
        QVERIFY(conn.connectToServer(QStringLiteral("127.0.0.1"), tunnel->port(), {{}, true}));
        QVERIFY(failed.wait(10000));
        QCOMPARE(failed.first().at(0).toString(), TlsTrust::refusedMessage());
        QVERIFY(!conn.isConnected());
    }

    // TLS to a port without it: a plain server that speaks first fails the
    // handshake at once; a silent one runs into the time limit.
    void plainServerFailsTheHandshake() {
        ScriptedServer plain;
        QObject::connect(&plain, &ScriptedServer::clientConnected, &plain,
                         [&] { plain.send("Benvenuto a Varendor!\r\nCome ti chiami? "); });
        Client c;
        QVERIFY(c.connectTls(plain.port()));
        QVERIFY(c.waitOutcome());
        QVERIFY(c.failure().startsWith(TlsTrust::handshakeFailedMessage(QString())));
        QVERIFY(c.connected.isEmpty() && c.questions.isEmpty());
        QVERIFY(!c.conn.isConnected() && !c.conn.isConnecting());

        ScriptedServer silent;
        Client s;
        s.conn.setConnectTimeout(300);
        QVERIFY(s.connectTls(silent.port()));
        QVERIFY(s.waitOutcome());
        QCOMPARE(s.failure(), TlsTrust::handshakeTimedOutMessage());
        QVERIFY(!s.conn.isConnecting());

        // Nobody listening at all: the plain failure, no TLS reason.
        quint16 closedPort = 0;
        {
            ScriptedServer closed;
            closedPort = closed.port();
        }
        Client n;
        QVERIFY(n.connectTls(closedPort));
        QVERIFY(n.waitOutcome());
        QCOMPARE(n.failure(), QString());
    }

    // Inside TLS the telnet layer works as ever: terminal types (with the
    // encryption bit), the character set, a compressed stream.
    void telnetInsideTls() {
        Client c;
        QVERIFY(rememberCertificate(c.api, "127.0.0.1", tunnel->port(), tunnel->fingerprint()));
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(c.waitOutcome());
        QVERIFY(c.conn.isEncrypted());
        QVERIFY(c.questions.isEmpty());
        QVERIFY(game->waitForClient());
        const QByteArray send = bytes({255, 250, 24, 1, 255, 240});
        game->send(bytes({255, 253, 24}) + send + send + send + bytes({255, 251, 42}));
        QVERIFY(game->waitForReceived(bytes({255, 250, 24, 0}) + "MTTS 2317" + bytes({255, 240})));
        QVERIFY(game->received.contains("XTERM-256COLOR"));
        QVERIFY(game->waitForReceived(bytes({255, 253, 42})));

        QByteArray inner = QStringLiteral("città € più\r\n").toUtf8().repeated(50);
        uLongf size = compressBound(uLong(inner.size()));
        QByteArray packed(qsizetype(size), Qt::Uninitialized);
        compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(inner.constData()), uLong(inner.size()));
        packed.truncate(qsizetype(size));
        game->send(bytes({255, 250, 42, 1}) + " UTF-8" + bytes({255, 240, 255, 251, 86}));
        QVERIFY(game->waitForReceived(bytes({255, 253, 86})));
        game->send(bytes({255, 250, 86, 255, 240}) + packed);
        QVERIFY(QTest::qWaitFor([&] { return c.text.size() >= 12 * 50; }, 10000));
        QCOMPARE(c.text, QString::fromUtf8(inner));
        c.conn.write(QStringLiteral("di perché\r\n"));
        QVERIFY(game->waitForReceived(QStringLiteral("di perché\r\n").toUtf8()));
    }
};

QTEST_MAIN(TstConnectionTls)
#include "tst_connection_tls.moc"
