// "Script" under Configura: what each file made and the last errors, kept
// up to date; Ricarica in the running client (timers stopped, vars kept);
// Apri cartella handing the folder, made when missing, to the desktop.
#include "client/FrmScript.h"
#include "client/ScriptBridge.h"
#include "support/client/MainWindowRig.h"
#include "support/scripting/RecordingHost.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>

namespace {
QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}
} // namespace

class TestFrmScript : public QObject {
    Q_OBJECT
private slots:
    void listsWhatEachFileMadeAndItsErrors_data() {
        QTest::addColumn<QStringList>("scripts"); // "name|text"
        QTest::addColumn<QStringList>("lines");   // server lines, after loading
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("no folder")
            << QStringList{} << QStringList{} << QStringList{"Nessuno script in FOLDER"}
            << QStringList{"Nessun errore"};
        QTest::newRow("each kind counted, in name order")
            << QStringList{"b.lua|trigger('a', 'x'); trigger('b', 'y', {prompt = true})\n"
                           "alias('^k$', 'kill'); timer(60, 'guarda', true)\n"
                           "gag('g'); gag('h'); substitute('s', 't'); highlight('r', 'Rosso')\n"
                           "on('line', print)",
                           "a.lua|local x = 1", "c.txt|trigger('mai', 'no')"}
            << QStringList{}
            << QStringList{"a.lua: niente di attivo",
                           "b.lua: 2 trigger, 1 alias, 1 timer, 2 gag, 1 sostituzione, "
                           "1 evidenziazione, 1 evento"}
            << QStringList{"Nessun errore"};
        QTest::newRow("what a failing file made before its error stays")
            << QStringList{"a.lua|trigger('x', 'y')\nerror('rotto')", "b.lua|alias(",
                           "c.lua|trigger('t', function() error('tardi') end)"}
            << QStringList{"t"}
            << QStringList{"a.lua: 1 trigger", "b.lua: niente di attivo", "c.lua: 1 trigger"}
            << QStringList{"Errore nello script a.lua, riga 2: rotto",
                           "Errore nello script b.lua, riga 1: unexpected symbol near <eof>",
                           "Errore nello script c.lua, riga 1: tardi"};
        QTest::newRow("the newest errors, newest last")
            << QStringList{"a.lua|for i = 1, 25 do trigger('x', function() error('n' .. i) end) "
                           "end"}
            << QStringList{"x"} << QStringList{"a.lua: 25 trigger"}
            << QStringList{"first:Errore nello script a.lua, riga 1: n6",
                           "last:Errore nello script a.lua, riga 1: n25"};
    }
    void listsWhatEachFileMadeAndItsErrors() {
        QFETCH(QStringList, scripts);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, files);
        QFETCH(QStringList, errors);
        QTemporaryDir top;
        const QString folder = top.filePath("script");
        if (!scripts.isEmpty())
            QDir().mkpath(folder);
        for (const QString& s : scripts)
            put(folder + '/' + s.section('|', 0, 0), s.section('|', 1).toUtf8());
        RecordingHost host;
        ScriptEngine engine(host, folder);
        FrmScript window(engine);
        engine.reload(); // the window follows the engine
        for (const QString& line : lines)
            engine.filterLine(line);
        files.replaceInStrings("FOLDER", QDir::toNativeSeparators(folder));
        QCOMPARE(texts(window.files()), files);
        const QStringList shown = texts(window.errors());
        if (errors.value(0).startsWith("first:")) {
            QCOMPARE(shown.size(), ScriptEngine::kKeptErrors);
            QCOMPARE("first:" + shown.first(), errors[0]);
            QCOMPARE("last:" + shown.last(), errors[1]);
        } else {
            QCOMPARE(shown, errors);
        }
        QCOMPARE(window.errors()->currentRow(), shown.size() - 1); // the newest in view
    }

    // Opened from the menu with the file list focused, by keyboard all
    // through; Ricarica reads the files again with a fresh state.
    void reloadsTheRunningClientsScripts() {
        ScriptedServer server;
        MainWindowRig c(server.port());
        QDir().mkpath(c.path("script"));
        put(c.path("script/a.lua"), "vars.giri = (vars.giri or 0) + 1\n"
                                    "timer(0.02, function() send('ping') end, true)\n"
                                    "trigger('orco', 'fuggi')\n");
        c.load();
        QVERIFY(c.connectTo(server));
        QVERIFY(server.waitForReceived("ping\r\n"));
        QStringList told;
        c.open("mnuScript", [&](QDialog* d) {
            auto* window = qobject_cast<FrmScript*>(d);
            QVERIFY(window);
            QCOMPARE(window->objectName(), QString("frmScript"));
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTRY_COMPARE(QApplication::focusWidget(), window->files());
            QCOMPARE(texts(window->files()), QStringList{"a.lua: 1 trigger, 1 timer"});
            QStringList order;
            for (int i = 0; i < 5; ++i) {
                QWidget* w = QApplication::focusWidget();
                order << w->objectName();
                QVERIFY2(!w->accessibleName().isEmpty() || qobject_cast<QPushButton*>(w),
                         qPrintable(w->objectName()));
                QTest::keyClick(w, Qt::Key_Tab);
            }
            QCOMPARE(order, (QStringList{"lstScript", "lstErrori", "cmdRicarica", "cmdApriCartella",
                                         "cmdChiudi"}));

            put(c.path("script/a.lua"), "vars.giri = vars.giri + 1\nalias('^x$', 'y')\n");
            QObject::connect(window, &FrmScript::resultShown, [&](const QString& t) { told << t; });
            QTest::keyClick(window, Qt::Key_R, Qt::AltModifier); // a button's animated click
            QTRY_COMPARE(told, QStringList{"Script ricaricati: 1 file, 0 errori"});
            QCOMPARE(texts(window->files()), QStringList{"a.lua: 1 alias"});
            QTest::keyClick(window, Qt::Key_Escape);
            QVERIFY(!window->isVisible());
        });
        const qsizetype pings = server.received.count("ping");
        server.send("un orco\r\n");
        QVERIFY(c.waitShown("un orco"));
        QTest::qWait(60);
        QCOMPARE(server.received.count("ping"), pings); // the old timer is gone
        QVERIFY(!server.received.contains("fuggi"));    // and the old trigger
        c.type("x");
        QVERIFY(server.waitForReceived("y\r\n"));
        c.window->scripts()->engine().saveVars();
        QVERIFY(get(c.path("script/vars.dat")).contains("giri"));
        QVERIFY(get(c.path("script/vars.dat")).contains("2"));
    }

    // A missing folder is made, then handed to the desktop; what cannot be
    // done is said in a message.
    void opensTheFolderMakingItWhenMissing_data() {
        QTest::addColumn<bool>("blocked"); // a file where the folder goes
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("message");
        QTest::newRow("made and opened") << false << true << "";
        QTest::newRow("the desktop cannot")
            << false << false << "Impossibile aprire la cartella degli script";
        QTest::newRow("cannot be made")
            << true << true << "Impossibile creare la cartella degli script";
    }
    void opensTheFolderMakingItWhenMissing() {
        QFETCH(bool, blocked);
        QFETCH(bool, opens);
        QFETCH(QString, message);
        QTemporaryDir top;
        const QString folder = top.filePath("script");
        if (blocked)
            put(folder, "non una cartella");
        ScriptedDialogs dialogs;
        dialogs.folderOpens = opens;
        RecordingHost host;
        ScriptEngine engine(host, folder);
        FrmScript window(engine);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(!dialogs.foldersOpened.isEmpty() || !dialogs.messages.isEmpty());
        QCOMPARE(QFileInfo(folder).isDir(), !blocked);
        QCOMPARE(dialogs.foldersOpened, blocked ? QStringList{} : QStringList{folder});
        QCOMPARE(dialogs.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY(dialogs.lastText().startsWith(message));
    }
};

QTEST_MAIN(TestFrmScript)
#include "tst_frmscript.moc"
