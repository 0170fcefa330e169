// The character's data beside the text (telnet option 201) reaching the
// window's gauges: from a scripted server, and from a real peer that offers
// it in server mode (Debian's tt++), run inside a loopback-only network
// namespace this test makes for itself, since it listens on every address.
#include "display/GaugeBar.h"
#include "session/GameSession.h"
#include "support/LoopbackNamespace.h"
#include "support/client/MainWindowRig.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

namespace {
const QByteArray kWillGmcp("\xff\xfb\xc9", 3);
const QByteArray kWontGmcp("\xff\xfc\xc9", 3);
const QByteArray kDoGmcp("\xff\xfd\xc9", 3);
const QByteArray kDontGmcp("\xff\xfe\xc9", 3);
const QByteArray kHello = "\xff\xfa\xc9"
                          R"(Core.Hello {"client":"Varendor","version":"1.0"})"
                          "\xff\xf0";
const QByteArray kSupports = "\xff\xfa\xc9"
                             R"(Core.Supports.Set ["Char 1","Char.Vitals 1",)"
                             R"("Room 1","Comm.Channel 1"])"
                             "\xff\xf0";

QByteArray message(const QByteArray& payload) {
    return "\xff\xfa\xc9" + payload + "\xff\xf0";
}

QString namespaceProblem; // why the real peer cannot run here; empty when it can
} // namespace

class TestFrmMainGmcp : public QObject {
    Q_OBJECT

private slots:
    // The answer to the offer, what reaches the gauges, and that the text
    // around every message, taken or ignored, is shown whole.
    void negotiationAndVitals() {
        struct Case {
            const char* name;
            QByteArray config;
            bool offer;
            QByteArray answer;
            const char* shows;
        };
        const Case cases[] = {
            {"agreed", {}, true, kDoGmcp + kHello + kSupports, "151/500 425/300 322/200"},
            {"switched off", "GMCP=0\r\n", true, kDontGmcp, "- - -"},
            {"never offered", {}, false, {}, "- - -"},
        };
        for (const Case& c : cases) {
            ScriptedServer server;
            MainWindowRig rig(server.port(), c.config);
            rig.load();
            QVERIFY(rig.connectTo(server));
            // A message before the offer is ignored.
            server.send(message(R"(Char.Vitals {"hp":1,"maxhp":2})") + "uno ");
            QVERIFY(rig.waitShown("uno "));
            if (c.offer) {
                server.send(kWillGmcp);
                QVERIFY2(server.waitForReceived(c.answer), c.name);
                QCOMPARE(server.received, c.answer); // nothing else, nothing twice
            }
            server.send("prima " +
                        message(R"(Char.Vitals {"hp":151,"maxhp":500,"mp":425,"maxmp":300,)"
                                R"("mv":322,"maxmv":200})") +
                        "dopo " + message(R"(Char.Vitals {"hp":)") + message("Char.Hp 120") +
                        "fine\r\n");
            QVERIFY2(rig.waitShown("uno prima dopo fine"), qPrintable(rig.shown()));
            QCOMPARE(rig.gaugeFigures(), QString::fromLatin1(c.shows));
            QCOMPARE(rig.window->gauges()->isVisible(), c.offer && c.answer.startsWith(kDoGmcp));
            if (rig.window->gauges()->isVisible()) {
                // Under the display, which made room for it.
                const QRect bar = rig.window->gauges()->geometry();
                QVERIFY(rig.window->display()->geometry().bottom() < bar.top());
                QCOMPARE(rig.window->display()->geometry().width(), bar.width());
            }
            // A server that withdraws is heard no more; a new connection
            // starts with no gauges.
            server.send(kWontGmcp + message(R"(Char.Vitals {"hp":7})") + "ritirato\r\n");
            QVERIFY(rig.waitShown("ritirato"));
            QCOMPARE(rig.gaugeFigures(), QString::fromLatin1(c.shows));
            rig.window->DisconnettiServer();
            rig.action("mnuConnetti")->trigger();
            QVERIFY(!rig.window->gauges()->isVisible());
        }
    }

    void realPeerOffersAndSends() {
        if (!namespaceProblem.isEmpty())
            QSKIP(qPrintable("The peer needs a network namespace of its own: " + namespaceProblem));
        const QString peerProgram =
            QStandardPaths::findExecutable(QStringLiteral("tt++"), {QStringLiteral("/usr/games")});
        if (peerProgram.isEmpty())
            QSKIP("The peer (tt++, an optional Debian package) is not installed");
        QTcpServer probe; // a free port of the namespace's loopback
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        // Each line the client sends is answered with text around a message.
        const QString script =
            QStringLiteral("#port init srv %1; #event {PORT RECEIVED MESSAGE} {#port send all "
                           "{Salve \\xFF\\xFA\\xC9Char.Vitals {\"hp\":50,\"maxhp\":100,\"mp\":20,"
                           "\"maxmp\":40}\\xFF\\xF0viandante\\r\\n}}")
                .arg(port);
        QProcess peer;
        peer.setStandardInputFile(QProcess::nullDevice());
        peer.setStandardOutputFile(QProcess::nullDevice());
        peer.setStandardErrorFile(QProcess::nullDevice());
        peer.start(peerProgram,
                   {QStringLiteral("-G"), QStringLiteral("-H"), QStringLiteral("-e"), script});
        QVERIFY(peer.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] {
                QTcpSocket s;
                s.connectToHost(QHostAddress::LocalHost, port);
                return s.waitForConnected(100);
            },
            10000));

        MainWindowRig rig(port);
        rig.load();
        rig.action("mnuConnetti")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(rig.window->session()->gmcpEnabled(), 10000);
        rig.type(QStringLiteral("ciao"));
        QVERIFY2(rig.waitShown("Salve viandante"), qPrintable(rig.shown()));
        QTRY_COMPARE(rig.gaugeFigures(), QStringLiteral("50/100 20/40 -"));
        rig.window->DisconnettiServer();
        peer.kill();
        peer.waitForFinished();
    }
};

int main(int argc, char** argv) {
    // Before any thread starts: the namespace of a process with threads
    // cannot change.
    namespaceProblem = enterLoopbackNamespace();
    QApplication app(argc, argv);
    TestFrmMainGmcp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmmain_gmcp.moc"
