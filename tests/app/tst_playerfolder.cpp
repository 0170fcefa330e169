// Where the player's files go: the chosen folder, the program's own folder
// when it is marked portable, else the per-user folder; and getting a folder
// ready without changing anything already in it.
#include "app/PlayerFolder.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestFiles.h"

#include <QtTest>

using PlayerFolder::Kind;

class TestPlayerFolder : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName("Varendor");
        QCoreApplication::setOrganizationName(QString());
        qputenv("XDG_DATA_HOME", path("dati").toLocal8Bit());
    }

    void choiceFollowsTheRule() {
        const QString program = path("programma");
        QVERIFY(QDir().mkpath(program));
        // Neither file beside the program: the per-user folder.
        auto c = PlayerFolder::choose({}, program);
        QCOMPARE(c.kind, Kind::PerUser);
        QCOMPARE(c.path, path("dati/Varendor"));
        // A folder called config.ini marks nothing.
        QVERIFY(QDir().mkpath(program + "/config.ini"));
        QCOMPARE(PlayerFolder::choose({}, program).kind, Kind::PerUser);
        QVERIFY(QDir(program).rmdir("config.ini"));

        put(program + "/varendor.portable", "");
        c = PlayerFolder::choose({}, program + "/");
        QCOMPARE(c.kind, Kind::Portable);
        QCOMPARE(c.path, program);
        QVERIFY(QFile::remove(program + "/varendor.portable"));
        put(program + "/config.ini", "[SERVER]\r\n");
        QCOMPARE(PlayerFolder::choose({}, program).kind, Kind::Portable);

        // --cartella wins over both, and is taken from the current folder.
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(program));
        c = PlayerFolder::choose("personaggi/../Mira", program);
        QDir::setCurrent(before);
        QCOMPARE(c.kind, Kind::Chosen);
        QCOMPARE(c.path, program + "/Mira");
    }

    void prepareMakesTheFolderAndAStartingConfig() {
        const QString folder = path("nuovo/Aldric");
        QString error;
        QVERIFY(PlayerFolder::prepare({Kind::Chosen, folder}, &error));
        QVERIFY(error.isEmpty());
        // Nothing but the settings to edit; the probe for write access is gone.
        QCOMPARE(entries(folder), QStringList{"config.ini"});
        QCOMPARE(get(folder + "/config.ini"), QByteArray("[SERVER]\r\nHOST=\r\n"
                                                         "PORTA=4000\r\n"));

        // A player's own settings are never touched.
        const QByteArray own = "; mio\r\n[server]\r\nhost=gioco.example\r\n";
        put(folder + "/config.ini", own);
        QVERIFY(PlayerFolder::prepare({Kind::PerUser, folder}, &error));
        QCOMPARE(get(folder + "/config.ini"), own);

        // The program's own folder gets nothing it did not have before.
        const QString portable = path("portatile");
        QVERIFY(QDir().mkpath(portable));
        QVERIFY(PlayerFolder::prepare({Kind::Portable, portable}, &error));
        QVERIFY(entries(portable).isEmpty());
    }

    void unusableFoldersAreReported() {
        QString error;
        put(path("un-file"), "x");
        QVERIFY(!PlayerFolder::prepare({Kind::Chosen, path("un-file")}, &error));
        QVERIFY(error.contains("non è una cartella"));
        QVERIFY(error.contains(path("un-file")));
        QCOMPARE(get(path("un-file")), QByteArray("x"));

        QVERIFY(!PlayerFolder::prepare({Kind::Chosen, path("un-file/sotto")}, &error));
        QVERIFY(error.startsWith("Impossibile creare la cartella del giocatore"));

        QVERIFY(!PlayerFolder::prepare({Kind::PerUser, QString()}, &error));
        QVERIFY(error.contains("--cartella"));

        const QString locked = path("bloccata");
        QVERIFY(QDir().mkpath(locked));
        {
            ReadOnlyFolder ro(locked);
            if (!ro.ok())
                QSKIP("this file system cannot make a folder read-only");
            QVERIFY(!PlayerFolder::prepare({Kind::Chosen, locked}, &error));
        }
        QVERIFY(error.contains("non si possono scrivere"));
        QVERIFY(entries(locked).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPlayerFolder)
#include "tst_playerfolder.moc"
