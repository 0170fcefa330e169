// What scripts reach beyond the text, in the whole client: the shipped gauge
// example against the practice world with the data channel switched off, and
// against a scripted server the channel's messages among the lines,
// sendGMCP, the scripts' voice, and where the focus and the voice go when
// the player connects and disconnects.
#include "client/ScriptBridge.h"
#include "session/GameSession.h"
#include "speech/GameVoice.h"
#include "support/client/MainWindowRig.h"
#include "support/speech/RecordingSpeech.h"

#include <QApplication>
#include <QCoreApplication>

namespace {
const QByteArray kWillGmcp("\xff\xfb\xc9", 3);
const QByteArray kDoGmcp("\xff\xfd\xc9", 3);
const QByteArray kDontGmcp("\xff\xfe\xc9", 3);

QByteArray message(const QByteArray& payload) {
    return "\xff\xfa\xc9" + payload + "\xff\xf0";
}
} // namespace

class TestFrmMainScriptApi : public QObject {
    Q_OBJECT
private slots:
    void promptDrivesTheGaugesWithoutGmcp() {
        const QString program = PracticeWorld::findProgram(QCoreApplication::applicationDirPath());
        QVERIFY2(!program.isEmpty(), "the practice server is built beside the tests");
        quint16 port;
        {
            ScriptedServer gone; // a port nothing listens on
            port = gone.port();
        }
        MainWindowRig rig;
        put(rig.path("config.ini"),
            "[SERVER]\r\nHOST=localhost\r\nPORTA=" + QByteArray::number(port) + "\r\nGMCP=0\r\n");
        QVERIFY(QDir(rig.folder).mkpath("script"));
        const QString example = QFINDTESTDATA("../../docs/examples/barre.lua");
        QVERIFY(!example.isEmpty());
        QVERIFY(QFile::copy(example, rig.path("script/barre.lua")));
        rig.load();
        rig.window->practiceWorld().setProgram(program);
        rig.action("mnuConnetti")->trigger();
        QVERIFY(rig.waitShown("Come ti chiami, viandante?"));
        rig.type("Aldo");
        QVERIFY2(rig.waitShown("parola d'ordine: "), qPrintable(rig.shown()));
        rig.type("segreta");
        QTRY_COMPARE_WITH_TIMEOUT(rig.gaugeFigures(), QString("500/500 300/300 200/200"), 10000);
        QVERIFY(!rig.window->session()->gmcpEnabled());
        rig.type("combatti");
        QTRY_COMPARE_WITH_TIMEOUT(rig.gaugeFigures(), QString("440/500 270/300 180/200"), 10000);
        rig.type("combatti");
        QTRY_COMPARE_WITH_TIMEOUT(rig.gaugeFigures(), QString("380/500 240/300 160/200"), 10000);
        rig.type("riposa");
        QTRY_COMPARE_WITH_TIMEOUT(rig.gaugeFigures(), QString("500/500 300/300 200/200"), 10000);
        QVERIFY(rig.window->scripts()->engine().lastErrors().isEmpty());
    }

    // Agreed or switched off: the handler's echo comes between the lines
    // around its message, sendGMCP sends or says false, the silent trigger's
    // line is not spoken while the script's words are; Connetti and
    // Disconnetti leave the focus in the input line and are spoken.
    void gmcpAndVoiceAgainstAServer() {
        const struct {
            QByteArray config, answer;
            const char* shown;
        } cases[] = {
            {"", kDoGmcp, "prima\ngmcp Char.Vitals 42\nIl vento soffia\nmandato true"},
            {"GMCP=0\r\n", kDontGmcp, "prima\nIl vento soffia\nmandato false"},
        };
        for (const auto& c : cases) {
            RecordingSpeech speech;
            ScriptedServer server;
            MainWindowRig rig(server.port(), c.config + "[SCHERMO]\r\nVOCE=1\r\n");
            QVERIFY(QDir(rig.folder).mkpath("script"));
            put(rig.path("script/a.lua"),
                "on('gmcp', function(p) echo('gmcp ' .. p .. ' ' .. gmcp.Char.Vitals.hp) end)\n"
                "alias('^manda$', function()\n"
                "  echo('mandato ' .. tostring(sendGMCP('Char.Skills.Get', {group = 'magia'})))\n"
                "end)\n"
                "trigger('vento', function() speak('Che vento!') end, {silent = true})\n");
            rig.load();
            rig.window->voice().setSpeech(&speech);
            QApplication::setActiveWindow(rig.window.get());
            rig.window->display()->setFocus();
            rig.clickCell(9);
            QVERIFY(server.waitForClient());
            QTRY_VERIFY(speech.spoken().contains("Connesso a Varendor"));
            QCOMPARE(QApplication::focusWidget(), rig.window->commandInput());

            server.send(kWillGmcp);
            QVERIFY(server.waitForReceived(c.answer));
            server.send("prima\r\n" + message(R"(Char.Vitals {"hp":42})") + "Il vento soffia\r\n");
            QVERIFY(rig.waitShown("soffia"));
            rig.type("manda");
            QVERIFY(rig.waitShown("mandato"));
            QVERIFY2(rig.shown().contains(c.shown), qPrintable(rig.shown()));
            const QByteArray sent = message(R"(Char.Skills.Get {"group":"magia"})");
            QCOMPARE(server.waitForReceived(sent, c.answer == kDoGmcp ? 5000 : 50),
                     c.answer == kDoGmcp);
            QTRY_VERIFY(speech.spoken().contains("Che vento!"));
            const QString said = speech.spoken().join('\n');
            QVERIFY2(said.contains("prima") && !said.contains("soffia"), qPrintable(said));

            rig.window->display()->setFocus();
            rig.clickCell(10);
            QCOMPARE(QApplication::focusWidget(), rig.window->commandInput());
            QVERIFY(rig.window->scripts()->engine().lastErrors().isEmpty());
        }
    }
};

QTEST_MAIN(TestFrmMainScriptApi)
#include "tst_frmmain_scriptapi.moc"
