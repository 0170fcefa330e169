#include "automation/PairTable.h"
#include "automation/ServerSettings.h"
#include "client/CertificatePrompt.h"
#include "display/GameDisplay.h"
#include "session/GameSession.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"
#include "support/TlsTunnel.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <zlib.h>

// The connection over TLS against a real TLS server: stunnel4 with a
// self-signed certificate made for the test, in front of a scripted game
// server. Certificates accepted for good go to a config.ini in a temporary
// folder, and questions are answered through the dialog layer, as in the
// program.
namespace {
const QByteArray kIac("\xFF");
constexpr int kAcceptOnce = 0, kAcceptAlways = 1, kGiveUp = 2;

struct Client {
    QTemporaryDir dir;
    Api api{dir.path()};
    GameDisplay display;
    PairTable triggers;
    GameSession session{display, triggers};
    Connection& conn = session.connection();
    ScriptedDialogs dialogs;
    QList<CertificateQuestion> questions;
    bool answerAtOnce = true; // as the window does, with a modal question
    QString text;
    QSignalSpy connected{&conn, &Connection::connected};
    QSignalSpy failed{&conn, &Connection::connectFailed};

    Client() {
        conn.trust().recall = [this](const QString& h, quint16 p) {
            return rememberedCertificate(api, h, p);
        };
        conn.trust().remember = [this](const QString& h, quint16 p, const QByteArray& fp) {
            return rememberCertificate(api, h, p, fp).ok();
        };
        QObject::connect(&conn, &Connection::certificateQuestion, &conn,
                         [this](const CertificateQuestion& q) {
                             questions << q;
                             if (answerAtOnce)
                                 conn.answerCertificate(askAboutCertificate(nullptr, q));
                         });
        session.textPath().setLogHook([this](QStringView t) { text += t; });
    }
    // Starts a secure connection through the session, as the window does.
    bool open(quint16 port) {
        ServerSettings server;
        server.host = QStringLiteral("127.0.0.1");
        server.port = port;
        server.tls = true;
        return session.open(server);
    }
    // Connects and waits for the outcome: true when connected.
    bool connectTls(quint16 port) {
        const qsizetype before = connected.size() + failed.size();
        return open(port) &&
               QTest::qWaitFor([&] { return connected.size() + failed.size() > before; }, 10000) &&
               conn.isConnected();
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
    }
    void cleanup() {
        tunnel.reset();
        game.reset();
    }

    // The same problem found twice (once per certificate of a chain) is one
    // reason for the player; each different one is told.
    void reasonsAreToldOnce() {
        const QList<QSslError> errors = {QSslError(QSslError::SelfSignedCertificate),
                                         QSslError(QSslError::CertificateExpired),
                                         QSslError(QSslError::SelfSignedCertificate)};
        CertificateQuestion question;
        QCOMPARE(TlsTrust().check("gioco", 4000, errors, "fp", &question), TlsTrust::Verdict::Ask);
        QCOMPARE(question.reasons, (QStringList{TlsTrust::reason(errors[0], "gioco"),
                                                TlsTrust::reason(errors[1], "gioco")}));
        QVERIFY(question.reasons[0] != question.reasons[1]);
    }

    // Giving up ends the attempt like a failed connection, with its reason;
    // the player saw every problem, the fingerprint and three answers.
    void giveUp() {
        QVERIFY(tunnel->makeCertificate(QStringLiteral("gioco.example"), false));
        QVERIFY2(tunnel->start(game->port()), qPrintable(tunnel->error()));
        Client c;
        c.dialogs.choices << kGiveUp;
        QVERIFY(!c.connectTls(tunnel->port()));
        QCOMPARE(c.failure(), TlsTrust::refusedMessage());
        QVERIFY(!c.conn.isConnecting());
        const QString shown = c.dialogs.lastText();
        QVERIFY(shown.contains(QStringLiteral("autofirmato")));
        QVERIFY(shown.contains(QStringLiteral("non è intestato a «127.0.0.1»")));
        QVERIFY(shown.contains(fingerprintText(tunnel->fingerprint())));
        QCOMPARE(c.dialogs.choiceButtons, QList<QStringList>{CertificateQuestion::buttons()});
        QVERIFY(!QFile::exists(c.api.pathOf("config.ini")));
        QVERIFY(game->received.isEmpty());

        // With nobody to ask, an unverified certificate is never accepted.
        Connection alone;
        QSignalSpy failed(&alone, &Connection::connectFailed);
        QVERIFY(alone.connectToServer(QStringLiteral("127.0.0.1"), tunnel->port(), true));
        QVERIFY(failed.wait(10000));
        QCOMPARE(failed.first().at(0).toString(), TlsTrust::refusedMessage());
    }

    // Accepting this time: nothing reaches the server or the text until the
    // answer, all of it after; the next connection asks again.
    void acceptOnce() {
        QVERIFY2(tunnel->start(game->port()), qPrintable(tunnel->error()));
        Client c;
        c.answerAtOnce = false;
        c.open(tunnel->port());
        QVERIFY(QTest::qWaitFor([&] { return !c.questions.isEmpty(); }, 10000));
        QVERIFY(game->waitForClient());
        game->send("Benvenuto" + kIac + "\xFD\x1F"); // DO NAWS
        QTest::qWait(100);
        QVERIFY(c.text.isEmpty() && game->received.isEmpty());
        c.conn.answerCertificate(CertificateAnswer::AcceptOnce);
        QVERIFY(c.conn.isEncrypted());
        QVERIFY(QTest::qWaitFor([&] { return c.text == QStringLiteral("Benvenuto"); }));
        QVERIFY(game->waitForReceived(kIac + "\xFB\x1F")); // WILL NAWS
        QVERIFY(rememberedCertificate(c.api, "127.0.0.1", tunnel->port()).isEmpty());

        c.conn.close();
        c.answerAtOnce = true;
        c.dialogs.choices << kAcceptOnce;
        QVERIFY(c.connectTls(tunnel->port()));
        QCOMPARE(c.questions.size(), 2);

        // The server goes while the player thinks: the attempt fails, and
        // the late answer accepts nothing.
        c.conn.close();
        c.answerAtOnce = false;
        c.open(tunnel->port());
        QVERIFY(QTest::qWaitFor([&] { return c.questions.size() == 3; }, 10000));
        tunnel->stop();
        QVERIFY(QTest::qWaitFor([&] { return !c.conn.isConnecting(); }, 10000));
        QCOMPARE(c.failure(), TlsTrust::closedWhileAskingMessage());
        c.conn.answerCertificate(CertificateAnswer::AcceptAlways);
        QVERIFY(!c.conn.isConnected());
        QVERIFY(rememberedCertificate(c.api, "127.0.0.1", tunnel->port()).isEmpty());
    }

    // Accepting always: remembered per host and port, no question next time;
    // a different certificate on that server asks again with a warning.
    void acceptAlwaysThenChangedCertificate() {
        QVERIFY2(tunnel->start(game->port()), qPrintable(tunnel->error()));
        Client c;
        c.dialogs.choices << kAcceptAlways;
        QVERIFY(c.connectTls(tunnel->port()));
        const QByteArray first = tunnel->fingerprint();
        QCOMPARE(rememberedCertificate(c.api, "127.0.0.1", tunnel->port()), first);
        c.conn.close();
        QVERIFY(c.connectTls(tunnel->port()));
        QCOMPARE(c.questions.size(), 1);

        c.conn.close();
        QVERIFY(tunnel->makeCertificate());
        QVERIFY2(tunnel->start(game->port(), tunnel->port()), qPrintable(tunnel->error()));
        c.dialogs.choices << kGiveUp;
        QVERIFY(!c.connectTls(tunnel->port()));
        QCOMPARE(c.questions.size(), 2);
        QCOMPARE(c.questions.last().remembered, first);
        const RecordedMessage& shown = c.dialogs.messages.last();
        QVERIFY(shown.text.startsWith(QStringLiteral("ATTENZIONE")));
        QVERIFY(shown.text.contains(fingerprintText(first)));
        QVERIFY(shown.text.contains(fingerprintText(tunnel->fingerprint())));
        QCOMPARE(shown.flags, int(Msg::Exclamation));
        QCOMPARE(rememberedCertificate(c.api, "127.0.0.1", tunnel->port()), first);
    }

    // TLS to a port without it: a plain server that speaks first fails the
    // handshake at once, a silent one runs into the time limit, and with
    // nobody listening it is the plain failure.
    void noTlsOnThatPort() {
        ScriptedServer plain;
        QObject::connect(&plain, &ScriptedServer::clientConnected, &plain,
                         [&] { plain.send("Benvenuto a Varendor!\r\nCome ti chiami? "); });
        Client c;
        QVERIFY(!c.connectTls(plain.port()));
        QVERIFY(c.failure().startsWith(TlsTrust::handshakeFailedMessage(QString())));
        QVERIFY(c.questions.isEmpty() && !c.conn.isConnecting());

        ScriptedServer silent;
        c.conn.setConnectTimeout(300);
        QVERIFY(!c.connectTls(silent.port()));
        QCOMPARE(c.failure(), TlsTrust::handshakeTimedOutMessage());
        const quint16 gone = silent.port();
        silent.stopListening();
        QVERIFY(!c.connectTls(gone));
        QCOMPARE(c.failure(), QString());
    }

    // A certificate the system's authorities vouch for (here the test's own,
    // made one of them) connects without a question; inside TLS the telnet
    // layer works as ever: terminal types (with the encryption bit), the
    // character set, a compressed stream.
    void telnetInsideTls() {
        QVERIFY2(tunnel->start(game->port()), qPrintable(tunnel->error()));
        const QSslConfiguration system = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = system;
        trusting.addCaCertificates(tunnel->certificatePath());
        QSslConfiguration::setDefaultConfiguration(trusting);
        const auto restore =
            qScopeGuard([&] { QSslConfiguration::setDefaultConfiguration(system); });
        Client c;
        QVERIFY(c.connectTls(tunnel->port()));
        QVERIFY(c.questions.isEmpty());
        QVERIFY(game->waitForClient());
        const QByteArray send = kIac + "\xFA\x18\x01" + kIac + "\xF0";
        game->send(kIac + "\xFD\x18" + send + send + send + kIac + "\xFB\x2A"); // WILL CHARSET
        QVERIFY(game->waitForReceived(kIac + "\xFA\x18" + '\0' + "MTTS 2317" + kIac + "\xF0"));
        QVERIFY(game->waitForReceived(kIac + "\xFD\x2A"));

        const QByteArray inner = QStringLiteral("città € più\r\n").toUtf8().repeated(50);
        uLongf size = compressBound(uLong(inner.size()));
        QByteArray packed(qsizetype(size), Qt::Uninitialized);
        compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(inner.constData()), uLong(inner.size()));
        game->send(kIac + "\xFA\x2A\x01 UTF-8" + kIac + "\xF0" + kIac + "\xFB\x56"); // MCCP2
        QVERIFY(game->waitForReceived(kIac + "\xFD\x56"));
        game->send(kIac + "\xFA\x56" + kIac + "\xF0" + packed.left(qsizetype(size)));
        QVERIFY(QTest::qWaitFor([&] { return c.text.size() >= 12 * 50; }, 10000));
        QCOMPARE(c.text, QString::fromUtf8(inner));
        c.session.sendCommand(QStringLiteral("di perché\r\n"));
        QVERIFY(game->waitForReceived(QStringLiteral("di perché\r\n").toUtf8()));
    }
};

QTEST_MAIN(TstConnectionTls)
#include "tst_connection_tls.moc"
