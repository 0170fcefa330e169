// What scripts reach beyond the text: messages of the data channel (handlers
// and the `gmcp` table, JSON both ways), the gauges and the game's voice.
// Everything the engine tells its host is logged in order; an expected entry
// starting with "~" only needs to be contained in the logged one.
#include "protocol/GmcpMessage.h"
#include "scripting/ScriptEngine.h"
#include "support/TestFiles.h"
#include "support/scripting/RecordingHost.h"

#include <QDir>
#include <QTest>

namespace {
struct TellingHost : RecordingHost {
    QStringList log;
    bool gmcpOn = true;
    QStringList gauges{"Salute", "Mana", "Movimento"}; // a fourth name may join

    void showLine(const QString& text, QRgb colour) override {
        log << (colour == ScriptEngine::kErrorColour ? "error:" : "echo:") + text;
    }
    bool sendGmcp(const QString& package, const QJsonValue& data) override {
        if (gmcpOn)
            log << "gmcp:" + QString::fromUtf8(GmcpMessage::encode(package, data));
        return gmcpOn;
    }
    bool setGauge(const QString& name, qint64 now, qint64 max, std::optional<QRgb> c) override {
        if (!gauges.contains(name, Qt::CaseInsensitive)) {
            if (gauges.size() == 4)
                return false;
            gauges << name;
        }
        log << QString("gauge:%1 %2/%3 %4").arg(name).arg(now).arg(max).arg(c ? *c : 0, 0, 16);
        return true;
    }
    void speak(const QString& text) override { log << "speak:" + text; }
    void keepQuiet(const QString& line) override { log << "quiet:" + line; }
};
} // namespace

class TestScriptApi : public QObject {
    Q_OBJECT
private slots:
    void scriptsReachBeyondTheText_data() {
        QTest::addColumn<QByteArray>("script");
        // "L:" a line, "G:" a message's payload, "T:" a typed line, "R" a
        // reload, "C" a new connection, "X" the server refusing the channel.
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("told");

        QTest::newRow("messages as Lua values, in order with the lines")
            << QByteArray("on('line', function(t) echo('riga ' .. t) end)\n"
                          "on('gmcp', function(p, d) echo(table.concat({p, math.type(d.hp),\n"
                          "  d.nome, tostring(d.vivo), tostring(d.x), #d.l, d.l[2], d.l[3],\n"
                          "  math.type(d.l[3]), d.sotto.z}, ' ')) end)")
            << QStringList{"L:prima",
                           "G:Char.Vitals {\"hp\":151,\"nome\":\"Aldo\",\"vivo\":false,\"x\":null,"
                           "\"l\":[1,\"a\",2.5],\"sotto\":{\"z\":\"è\"}}",
                           "L:dopo"}
            << QStringList{"echo:riga prima",
                           "echo:Char.Vitals integer Aldo false nil 3 a 2.5 float è",
                           "echo:riga dopo"};
        QTest::newRow(
            "the gmcp table: last per package, nested, kept on reload, new per connection")
            << QByteArray("on('gmcp', function(p, d) echo(p .. '=' .. type(d)) end)\n"
                          "alias('^mostra$', function() echo(gmcp.Char.Vitals.hp .. ' ' ..\n"
                          "  gmcp.Char.Status.livello .. ' ' .. gmcp.core.goodbye) end)\n"
                          "alias('^vuoto$', function() echo(tostring(gmcp.Char)) end)")
            << QStringList{"G:Char.Vitals {\"hp\":1}",
                           "G:Char.Status {\"livello\":7}",
                           "G:Char.Vitals {\"hp\":2}",
                           "G:core.goodbye \"Addio\"",
                           "G:Core.Ping",
                           "T:mostra",
                           "R",
                           "T:mostra",
                           "C",
                           "T:vuoto"}
            << QStringList{"echo:Char.Vitals=table", "echo:Char.Status=table",
                           "echo:Char.Vitals=table", "echo:core.goodbye=string",
                           "echo:Core.Ping=nil",     "echo:2 7 Addio",
                           "echo:2 7 Addio",         "echo:nil"};
        QTest::newRow("a failing handler is reported, the others and the game go on")
            << QByteArray("on('gmcp', function(p) error('rotto ' .. p) end)\n"
                          "on('gmcp', function(p, d) echo('dopo ' .. p .. ' ' .. d) end)")
            << QStringList{"G:A.B 1", "G:A.C 2"}
            << QStringList{"error:Errore nello script a.lua, riga 1: rotto A.B", "echo:dopo A.B 1",
                           "error:Errore nello script a.lua, riga 1: rotto A.C", "echo:dopo A.C 2"};
        QTest::newRow("sendGMCP turns Lua values into JSON or refuses, sending nothing")
            << QByteArray("sendGMCP('Core.Supports.Set', {'Char 1', 'Room 1'})\n"
                          "sendGMCP('Char.Login', {n = 3, ok = true, dati = {x = 1.5, l = {}}})\n"
                          "sendGMCP('Comm.Say', 'ciao \"tu\"')\n"
                          "local t = {}; t.t = {t}\n"
                          "for _, d in ipairs({{f = print}, {1, x = 2}, {[1] = 1, [3] = 3}, t})\n"
                          "  do echo(select(2, pcall(sendGMCP, 'A.B', d))) end\n"
                          "echo(select(2, pcall(sendGMCP, 'A B', 1)))\n"
                          "alias('^prova$', function() echo(tostring(sendGMCP('Core.Ping'))) end)")
            << QStringList{"T:prova", "X", "T:prova"}
            << QStringList{"gmcp:Core.Supports.Set [\"Char 1\",\"Room 1\"]",
                           "gmcp:Char.Login {\"dati\":{\"l\":{},\"x\":1.5},\"n\":3,\"ok\":true}",
                           "gmcp:Comm.Say \"ciao \\\"tu\\\"\"",
                           "~sendGMCP: i dati possono contenere solo tabelle",
                           "~sendGMCP: una tabella dev'avere o solo chiavi di testo",
                           "~sendGMCP: una tabella dev'avere o solo chiavi di testo",
                           "~sendGMCP: una tabella contiene se stessa; non è stato mandato nulla",
                           "~sendGMCP: il nome del pacchetto",
                           "gmcp:Core.Ping",
                           "echo:true",
                           "echo:false"};
        QTest::newRow("gauges, and what they refuse")
            << QByteArray("gauge('Salute', 10, 20)\n"
                          "gauge('mana', '5', 9.6, 'Rosso')\n"
                          "gauge('Fame', -3, 0, '#c08040')\n"
                          "for _, a in ipairs({{' ', 1, 2}, {'X', 'tanto', 2}, {'X', 1, -1},\n"
                          "    {'X', 1, 2, 'Violetto'}, {'Sete', 1, 2}}) do\n"
                          "  echo(select(2, pcall(gauge, table.unpack(a)))) end")
            << QStringList{}
            << QStringList{"gauge:Salute 10/20 0",
                           "gauge:mana 5/10 fff00000",
                           "gauge:Fame -3/0 ffc08040",
                           "~gauge: il nome dev'essere un testo",
                           "~gauge: il valore e il massimo devono essere numeri",
                           "~gauge: il massimo non può essere negativo",
                           "~gauge: colore sconosciuto \"Violetto\"",
                           "~gauge: non c'è posto per \"Sete\": le barre sono al massimo quattro"};
        QTest::newRow("speak, and silent triggers keep the shown line quiet")
            << QByteArray("trigger('vento', function() end, {silent = true})\n"
                          "trigger('drago', function(m) speak('Attenzione: ' .. m[0]) end)\n"
                          "substitute('vento', 'VENTO')\n"
                          "gag('^nascosto')")
            << QStringList{"L:Il vento soffia", "L:Un drago", "L:nascosto vento", "L:altro"}
            << QStringList{"quiet:Il VENTO soffia", "speak:Attenzione: drago"};
    }
    void scriptsReachBeyondTheText() {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, events);
        QFETCH(QStringList, told);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("script"));
        put(dir.filePath("script/a.lua"), script);
        TellingHost host;
        ScriptEngine engine(host, dir.filePath("script"));
        engine.reload();
        for (const QString& e : events) {
            if (e.startsWith("L:"))
                engine.filterLine(e.mid(2), false);
            else if (e.startsWith("T:"))
                engine.filterInput(e.mid(2));
            else if (e.startsWith("G:"))
                engine.gmcpArrived(GmcpMessage::parse(e.mid(2).toUtf8()).value());
            else if (e == "R")
                engine.reload();
            else if (e == "C")
                engine.connected();
            else
                host.gmcpOn = false;
        }
        QCOMPARE(host.log.size(), told.size());
        for (int i = 0; i < told.size(); ++i) {
            const bool ok = told[i].startsWith('~') ? host.log[i].contains(told[i].mid(1))
                                                    : host.log[i] == told[i];
            QVERIFY2(ok, qPrintable(host.log[i] + " / " + told[i]));
        }
    }
};

QTEST_MAIN(TestScriptApi)
#include "tst_scriptapi.moc"
