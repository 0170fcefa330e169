// Listing a folder's files by the start and end of their names.
#include "files/FolderFiles.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TstFolderFiles : public QObject {
    Q_OBJECT
private slots:
    void matchesNamesWithoutCase_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("ending") << ""
                                << ".lua" << QStringList{"B.LUA", "a.lua"};
        QTest::newRow("starting") << "sfondo."
                                  << "" << QStringList{"SFONDO.png", "sfondo.jpg"};
        // A name must hold both, apart: "x.lua" is not "x.lua" + ".lua".
        QTest::newRow("both") << "a"
                              << "a.lua" << QStringList{};
        QTest::newRow("everything")
            << ""
            << "" << QStringList{"B.LUA", "SFONDO.png", "a.lua", "lua", "sfondo.jpg"};
    }
    void matchesNamesWithoutCase() {
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QFETCH(QStringList, found);
        QTemporaryDir dir;
        for (const char* name : {"a.lua", "B.LUA", "lua", "SFONDO.png", "sfondo.jpg"})
            put(dir.filePath(QString::fromLatin1(name)), "x");
        QDir(dir.path()).mkdir("c.lua"); // folders are not files
        QCOMPARE(filesNamed(dir.path(), prefix, suffix), found);
        QVERIFY(filesNamed(dir.filePath("manca"), prefix, suffix).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstFolderFiles)
#include "tst_folderfiles.moc"
