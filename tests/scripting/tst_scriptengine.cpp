// The script engine against real script files in a temporary folder: what a
// line sets off, what the display is told, escapes from the sandbox, vars on
// disk, timers on the event loop.
#include "scripting/ScriptEngine.h"
#include "support/TestFiles.h"
#include "support/scripting/RecordingHost.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

namespace {
// The script folder inside a temporary folder of its own.
struct Folder {
    QTemporaryDir dir;
    Folder() { QDir(dir.path()).mkdir("script"); }
    QString path() const { return dir.filePath("script"); }
    void script(const QString& name, const QByteArray& text) const {
        put(QDir(path()).filePath(name), text);
    }
};

// Hands every command straight back to the engine's aliases, as typing would.
struct LoopingHost : RecordingHost {
    ScriptEngine* engine = nullptr;
    void sendCommand(const QString& text, Send how) override {
        RecordingHost::sendCommand(text, how);
        engine->filterInput(text);
    }
};
} // namespace

class TestScriptEngine : public QObject {
    Q_OBJECT
private slots:
    void linesSetOffTriggersAndDisplayRules_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("lines"); // "P:" marks prompt text
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("shownLast"); // "<gag>" when hidden
        QTest::addColumn<QString>("spans");     // start+length#colour of the last line

        QTest::newRow("capture into a command")
            << QByteArray("trigger(\"Ti restano (\\\\d+) punti ferita\", \"cura %1 %%\")")
            << QStringList{"Ti restano 37 punti ferita"} << QStringList{"cura 37 %"}
            << "Ti restano 37 punti ferita"
            << "";
        QTest::newRow("function gets numbered and named captures, words in Unicode")
            << QByteArray(
                   "trigger(\"^(?<chi>\\\\w+) ti dice '(.*)'$\", function(m)\n"
                   "                   send(m.chi .. \"|\" .. m[2] .. \"|\" .. m[0], true) end)")
            << QStringList{"Città ti dice 'ciao'"} << QStringList{"Città|ciao|Città ti dice 'ciao'"}
            << "Città ti dice 'ciao'"
            << "";
        QTest::newRow("creation order, once, disabled")
            << QByteArray("trigger(\"orco\", \"b\")\n"
                          "                   trigger(\"orco\", \"a\", {once = true})\n"
                          "                   trigger(\"orco\", \"mai\", {enabled = false})")
            << QStringList{"un orco", "due orchi", "un orco"} << QStringList{"b", "a", "b"}
            << "un orco"
            << "";
        QTest::newRow("an action drops a later trigger of its line, which then never fires")
            << QByteArray("local dopo\n"
                          "                   trigger(\"orco\", function() kill(dopo) end)\n"
                          "                   dopo = trigger(\"(o)rco\", \"mai %1\")\n"
                          "                   trigger(\"orco\", \"c\")")
            << QStringList{"un orco", "un orco"} << QStringList{"c", "c"} << "un orco"
            << "";
        QTest::newRow("prompt triggers read prompts only")
            << QByteArray("trigger('PF:(\\\\d+)', 'p%1', {prompt = true}); trigger('PF', 'l')")
            << QStringList{"PF:9", "P:PF:10"} << QStringList{"l", "p10"} << "PF:10"
            << "";
        QTest::newRow("trigger gag hides but still answers")
            << QByteArray("trigger('^\\\\[spam\\\\] (\\\\w+)', 'visto %1', {gag = true})")
            << QStringList{"[spam] compra"} << QStringList{"visto compra"} << "<gag>"
            << "";
        QTest::newRow("gag, then nothing else applies")
            << QByteArray("gag(\"pubblicità\"); highlight(\"pubblicità\", \"Rosso\")")
            << QStringList{"altra pubblicità qui"} << QStringList{} << "<gag>"
            << "";
        QTest::newRow("substitute every match, then highlight the result")
            << QByteArray(
                   "substitute(\"(o)rco\", \"%1RCO\"); highlight(\"RCO\", \"#102030\", \"Blu\")")
            << QStringList{"orco e orco"} << QStringList{} << "oRCO e oRCO"
            << "1+3#ff102030/ff0000f0 8+3#ff102030/ff0000f0";
        QTest::newRow("empty matches neither loop nor colour")
            << QByteArray("substitute(\"x*\", \"-\"); highlight(\"y*\", \"Verde\")")
            << QStringList{"ab"} << QStringList{} << "-a-b-"
            << "";
        QTest::newRow("line handler sees every line, a failing trigger leaves the rest")
            << QByteArray(
                   "trigger(\"a\", function() error(\"rotto\") end)\n"
                   "                   trigger(\"a\", \"dopo\")\n"
                   "                   on(\"line\", function(t) send(\"L:\" .. t, true) end)")
            << QStringList{"a"} << QStringList{"dopo", "L:a"} << "a"
            << "";
    }
    void linesSetOffTriggersAndDisplayRules() {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, lines);
        Folder folder;
        folder.script("a.lua", script);
        RecordingHost host;
        ScriptEngine engine(host, folder.path());
        engine.reload();
        LineFilter::Shown view;
        for (const QString& line : lines) {
            const bool prompt = line.startsWith("P:");
            view = engine.filterLine(prompt ? line.mid(2) : line, prompt);
        }
        QTEST(host.sentTexts(), "sent");
        QTEST(view.gagged ? QString("<gag>") : view.text, "shownLast");
        QStringList spans;
        for (const auto& h : view.spans)
            spans << QString("%1+%2#%3").arg(h.start).arg(h.length).arg(h.colour, 0, 16) +
                         (h.hasBackground ? "/" + QString::number(h.background, 16) : "");
        QTEST(spans.join(' '), "spans");
        const bool failing = script.contains("rotto");
        QCOMPARE(host.lines.size(), failing ? 1 : 0);
        if (failing) {
            QCOMPARE(host.lines[0], QString("Errore nello script a.lua, riga 1: rotto"));
            QCOMPARE(host.colours[0], ScriptEngine::kErrorColour);
        }
    }

    // Each attempt fails with a message in Italian that names the script and
    // the line; the next script still loads and runs.
    void escapesFailAndTheGameGoesOn_data() {
        QTest::addColumn<QByteArray>("attempt");
        QTest::addColumn<QString>("message");
        QTest::newRow("io") << QByteArray("local f = io.open('/etc/passwd')")
                            << "io.open non è disponibile negli script";
        QTest::newRow("os") << QByteArray("os.execute('true')")
                            << "os.execute non è disponibile negli script";
        QTest::newRow("require") << QByteArray("local ffi = require 'ffi'")
                                 << "modulo \"ffi\" non trovato";
        QTest::newRow("binary chunk")
            << QByteArray("assert(load('\\27Lua\\84\\0'))") << "blocchi binari";
        QTest::newRow("binary by reader")
            << QByteArray("local s = '\\27Lua'; assert(load(function() local r = s; s = nil; "
                          "return r end))")
            << "blocchi binari";
        QTest::newRow("dump") << QByteArray("string.dump(print)")
                              << "string.dump non è disponibile";
        QTest::newRow("debug") << QByteArray("debug.sethook()")
                               << "debug.sethook non è disponibile";
        QTest::newRow("huge string")
            << QByteArray("local s = string.rep('x', 1e10)")
            << "string.rep: il risultato supera il limite di memoria di 8 MB";
        QTest::newRow("memory") << QByteArray("local t = {} for i = 1, 1e9 do t[i] = i end")
                                << "memoria esaurita: gli script hanno superato il limite di 8 MB";
        QTest::newRow("endless loop")
            << QByteArray("while true do end") << "fermato: ha superato il limite di 50 ms";
        QTest::newRow("loop that catches its stop")
            << QByteArray("while true do pcall(function() while true do end end) end")
            << "fermato: ha superato il limite di 50 ms";
        QTest::newRow("file outside") << QByteArray("dofile('../fuori.lua')")
                                      << "si leggono solo i file della cartella degli script";
        QTest::newRow("collector tuning")
            << QByteArray("collectgarbage('stop')") << "collectgarbage(\"stop\") non è permesso";
    }
    void escapesFailAndTheGameGoesOn() {
        QFETCH(QByteArray, attempt);
        QFETCH(QString, message);
        Folder folder;
        put(QDir(folder.path()).filePath("../fuori.lua"), "send('fuori')");
        folder.script("a.lua", "\n" + attempt);
        folder.script("b.lua", "send('vivo')");
        RecordingHost host;
        ScriptEngine engine(host, folder.path(), {50, 8});
        engine.reload();
        QCOMPARE(host.sentTexts(), QStringList{"vivo"});
        QCOMPARE(host.lines.size(), 1);
        const QString line = host.lines[0];
        QVERIFY2(line.startsWith("Errore nello script a.lua") && line.contains(message),
                 qPrintable(line));
        QVERIFY2(message.startsWith("memoria") || line.contains("riga 2"), qPrintable(line));
        QCOMPARE(engine.lastErrors(), QStringList{line});
        // The state is still usable after the fault.
        folder.script("a.lua", "trigger('x', 'y')");
        engine.reload();
        engine.filterLine("x");
        QCOMPARE(host.sentTexts(), (QStringList{"vivo", "vivo", "y"}));
    }

    void aliasesTakeTypedLines() {
        Folder folder;
        folder.script("a.lua", "alias(\"^k (\\\\w+)$\", \"kill %1\")\n"
                               "            alias(\"^giro$\", function() send(\"giro\") end)\n"
                               "            alias(\"^n$\", \"n\")");
        RecordingHost host;
        ScriptEngine engine(host, folder.path());
        engine.reload();
        QVERIFY(engine.filterInput("k orco"));
        QVERIFY(!engine.filterInput("kk orco"));
        QCOMPARE(host.sentTexts(), QStringList{"kill orco"});
        QVERIFY(host.sent[0].how == ScriptHost::Send::Typed);
        // An alias that sends itself is stopped, with a message.
        LoopingHost looping;
        ScriptEngine again(looping, folder.path());
        looping.engine = &again;
        again.reload();
        QVERIFY(again.filterInput("giro"));
        QCOMPARE(looping.sent.size(), 8);
        QCOMPARE(looping.lines.size(), 1);
        QVERIFY(looping.lines[0].contains("troppe volte"));
    }

    void timersRepeatUntilKilled() {
        Folder folder;
        folder.script("a.lua", "\n"
                               "            local n = 0\n"
                               "            id = timer(0.01, function() n = n + 1; send(\"t\" .. "
                               "n); if n == 3 then kill(id) end end, true)\n"
                               "            timer(0.01, \"una volta\")");
        RecordingHost host;
        ScriptEngine engine(host, folder.path());
        engine.reload();
        QVERIFY(host.sent.isEmpty()); // never inside the loading call
        QTRY_COMPARE(host.sent.size(), 4);
        QTest::qWait(50);
        QCOMPARE(host.sent.size(), 4);
        QVERIFY(host.sentTexts().contains("una volta"));
        QCOMPARE(engine.summary().value(0).timers, 0);
    }

    void varsSurviveRestartsAndReloads() {
        Folder folder;
        folder.script("a.lua", "vars.volte = (vars.volte or 0) + 1\n"
                               "            vars[\"città\"] = \"Città\\n\\\"x\\\"\"; vars.f = 0.5; "
                               "vars.ok = true; vars.t = {}; vars[3] = 1e300");
        const QString file = QDir(folder.path()).filePath(ScriptEngine::kVarsFile);
        for (int start = 1; start <= 2; ++start) {
            RecordingHost host;
            ScriptEngine engine(host, folder.path());
            engine.reload();
            engine.reload(); // keeps vars: counts twice per start
            QVERIFY(host.lines.isEmpty());
        }
        RecordingHost host;
        folder.script("a.lua", "send(vars.volte .. vars[\"città\"] .. vars.f .. tostring(vars.ok)\n"
                               "            .. tostring(vars.t) .. vars[3])");
        ScriptEngine engine(host, folder.path());
        engine.reload();
        QCOMPARE(host.sentTexts(), QStringList{"4Città\n\"x\"0.5truenil1e+300"});

        // A broken file is kept aside and reported; vars starts empty.
        put(file, "return { rotto = ");
        RecordingHost broken;
        {
            ScriptEngine fresh(broken, folder.path());
            fresh.reload();
            QCOMPARE(broken.lines.size(), 2); // the file, then a.lua's use of the empty vars
            QVERIFY2(broken.lines[0].startsWith("Errore nello script vars.dat: Il file vars.dat "
                                                "non si legge"),
                     qPrintable(broken.lines[0]));
        }
        // Without scripts no state is made; one already made keeps its vars
        // when the scripts go, and writes them at the end.
        {
            Folder bare;
            put(QDir(bare.path()).filePath(ScriptEngine::kVarsFile), "return { n = 1 }");
            RecordingHost quiet;
            ScriptEngine engine(quiet, bare.path());
            engine.reload();
            QVERIFY(!engine.isLoaded());
            bare.script("b.lua", "vars.n = vars.n + 1");
            engine.reload();
            QVERIFY(engine.isLoaded());
            QFile::remove(QDir(bare.path()).filePath("b.lua"));
            engine.reload();
            QVERIFY(engine.isLoaded());
            engine.saveVars();
            QVERIFY(get(QDir(bare.path()).filePath(ScriptEngine::kVarsFile)).contains("= 2"));
        }
        const QStringList aside = QDir(folder.path()).entryList({"vars.dat.guasto-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(get(QDir(folder.path()).filePath(aside[0])), QByteArray("return { rotto = "));
    }

    // The shipped examples, each on lines it is written for ("P:" a prompt,
    // "T:" a typed line): what they send and show, and what they hide.
    void examplesDoWhatTheySay_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("shown"); // echoes, then "gag:" or "span:" per line
        QTest::newRow("cura") << "cura.lua"
                              << QStringList{"P:PF:37/150 MV:80/80>", "P:PF:100/150 MV:80/80>",
                                             "PF:10/150"}
                              << QStringList{"riposa"} << QStringList{};
        QTest::newRow("spam") << "spam.lua"
                              << QStringList{"[Mercato] vendo spada", "Mercato chiuso",
                                             "Il vento soffia tra gli alberi."}
                              << QStringList{} << QStringList{"gag:1", "gag:3"};
        QTest::newRow("messaggi") << "messaggi.lua"
                                  << QStringList{"Aldo dice 'ciao Varendor'", "Dici 'ciao'"}
                                  << QStringList{}
                                  << QStringList{"*** Aldo parla di te ***", "span:1:0+4",
                                                 "span:1:11+13"};
        QTest::newRow("timer") << "timer.lua" << QStringList{"T:basta", "T:ancora", "T:altro"}
                               << QStringList{} << QStringList{"Giro fermato.", "Giro ripreso."};
        QTest::newRow("contatore")
            << "contatore.lua"
            << QStringList{"Hai ucciso il goblin.", "Hai ucciso Aldo.", "T:conta"} << QStringList{}
            << QStringList{"il goblin: uccisione numero 1", "Aldo: uccisione numero 2",
                           "Uccisioni: 2"};
    }
    void examplesDoWhatTheySay() {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        Folder folder;
        const QString source = QFINDTESTDATA("../../docs/examples/" + file);
        QVERIFY(!source.isEmpty());
        QVERIFY(QFile::copy(source, QDir(folder.path()).filePath(file)));
        RecordingHost host;
        ScriptEngine engine(host, folder.path());
        engine.reload();
        QStringList shown;
        for (int i = 0; i < lines.size(); ++i) {
            const QString line = lines[i];
            if (line.startsWith("T:")) {
                engine.filterInput(line.mid(2));
                continue;
            }
            const bool prompt = line.startsWith("P:");
            const LineFilter::Shown view = engine.filterLine(prompt ? line.mid(2) : line, prompt);
            if (view.gagged)
                shown << QString("gag:%1").arg(i + 1);
            for (const auto& s : view.spans)
                shown << QString("span:%1:%2+%3").arg(i + 1).arg(s.start).arg(s.length);
        }
        QTEST(host.sentTexts(), "sent");
        QTEST(host.lines + shown, "shown");
    }

    void argumentFaultsNameTheLine_data() {
        QTest::addColumn<QByteArray>("call");
        QTest::addColumn<QString>("message");
        QTest::newRow("pattern") << QByteArray("trigger('(', 'x')")
                                 << "trigger: espressione non valida";
        QTest::newRow("colour") << QByteArray("highlight('x', 'Violetto')")
                                << "highlight: colore sconosciuto \"Violetto\"";
        QTest::newRow("action") << QByteArray("trigger('x', 3)")
                                << "trigger: l'azione dev'essere un testo o una funzione";
        QTest::newRow("event") << QByteArray("on('gmcpx', print)") << "on: evento sconosciuto";
        QTest::newRow("timer") << QByteArray("timer(0, 'x')") << "timer: i secondi";
    }
    void argumentFaultsNameTheLine() {
        QFETCH(QByteArray, call);
        QFETCH(QString, message);
        Folder folder;
        folder.script("a.lua", "echo('prima', 'Verde') echo('poi')\n" + call);
        RecordingHost host;
        ScriptEngine engine(host, folder.path());
        engine.reload();
        QCOMPARE(host.lines.value(0), QString("prima"));
        QCOMPARE(host.colours.value(0), qRgb(0, 240, 0));
        QCOMPARE(host.lines.value(1), QString("poi")); // no colour: the echo colour
        QVERIFY2(host.lines.value(2).startsWith("Errore nello script a.lua, riga 2: " + message),
                 qPrintable(host.lines.value(2)));
    }
};

QTEST_MAIN(TestScriptEngine)
#include "tst_scriptengine.moc"
