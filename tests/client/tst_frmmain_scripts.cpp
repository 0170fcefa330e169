// The player's scripts in the whole client, against a loopback server: a
// trigger answers with what it captured, a gag hides a line from the display
// but not from the log, a highlight colours only its part, a repeating timer
// stops when killed, a script alias takes a typed line.
#include "client/ScriptBridge.h"
#include "support/client/MainWindowRig.h"

#include <QCheckBox>

class TstFrmMainScripts : public QObject {
    Q_OBJECT
private slots:
    void scriptsPlayAlong() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        QVERIFY(QDir(c.folder).mkpath("script"));
        put(c.path("script/a.lua"),
            "trigger('Ti restano (\\\\d+) punti ferita', 'cura %1')\n"
            "gag('^\\\\[spam\\\\]')\n"
            "highlight('rosso', 'Rosso')\n"
            "alias('^k (\\\\w+)$', 'kill %1')\n"
            "local n = 0\n"
            "on('connect', function()\n"
            "  giro = timer(0.02, function() n = n + 1; send('ping ' .. n)\n"
            "    if n == 3 then kill(giro) end end, true)\n"
            "end)\n");
        c.load();
        c.window->logSwitch()->click();
        QVERIFY(c.connectTo(server));
        QVERIFY(server.waitForReceived("ping 3\r\n"));

        server.send("Ti restano 37 punti ferita\r\n[spam] compra ora\r\nun drago rosso\r\n");
        QVERIFY(server.waitForReceived("cura 37\r\n"));
        QVERIFY(c.waitShown("un drago rosso"));
        QVERIFY(!c.shown().contains("compra ora"));
        QCOMPARE(c.colourOf("rosso"), qRgb(240, 0, 0));
        QCOMPARE(c.colourOf("rosso", 4), qRgb(240, 0, 0));
        QVERIFY(c.colourOf("drago") != qRgb(240, 0, 0));
        QTRY_VERIFY(c.todaysLog().contains("[spam] compra ora"));

        c.type("k orco");
        QVERIFY(server.waitForReceived("kill orco\r\n"));
        QTest::qWait(60);
        QVERIFY(!server.received.contains("ping 4"));
        QVERIFY(c.window->scripts()->engine().lastErrors().isEmpty());
        c.action("mnuDisconnetti")->trigger();
    }
};

QTEST_MAIN(TstFrmMainScripts)
#include "tst_frmmain_scripts.moc"
