// "Script" by keyboard: the files and the newest errors, kept up to date; Apri
// cartella makes a missing folder before handing it to the desktop.
#include "client/FrmScript.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "support/scripting/RecordingHost.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>

class TestFrmScript : public QObject {
    Q_OBJECT
private slots:
    void listsErrorsAndOpensTheFolderByKeyboard() {
        QTemporaryDir top;
        const QString folder = top.filePath("script");
        QDir().mkpath(folder);
        put(folder + "/a.lua",
            "trigger('a', 'x'); alias('^k$', 'k'); timer(60, 'g'); gag('g');\n"
            "highlight('r', 'Rosso'); highlight('s', 'Blu'); substitute('s', 't')\n"
            "on('line', function(t) error(t) end)");
        ScriptedDialogs dialogs;
        RecordingHost host;
        ScriptEngine engine(host, folder);
        FrmScript window(engine);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_COMPARE(QApplication::focusWidget(), window.files());
        engine.reload(); // the window follows the engine
        for (int i = 1; i <= 25; ++i)
            engine.filterLine(QStringLiteral("l%1").arg(i));
        QCOMPARE(window.files()->item(0)->text(),
                 QString("a.lua: 1 trigger, 1 alias, 1 timer, 1 gag, 1 sostituzione, "
                         "2 evidenziazioni, 1 evento"));
        const QListWidget* errors = window.errors(); // the newest kept, the newest current
        QCOMPARE(errors->item(0)->text() + '/' + errors->currentItem()->text(),
                 "Errore nello script a.lua, riga 3: l6/Errore nello script a.lua, riga 3: l25");

        QDir(folder).removeRecursively();
        QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier); // buttons click animated
        QTRY_COMPARE(window.result()->text(), "Cartella degli script aperta: " + folder);
        QCOMPARE(dialogs.foldersOpened, QStringList{folder});
        QVERIFY(QFileInfo(folder).isDir());
        dialogs.folderOpens = false;
        QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(dialogs.lastText().startsWith("Impossibile aprire la cartella degli script"));
    }
};

QTEST_MAIN(TestFrmScript)
#include "tst_frmscript.moc"
