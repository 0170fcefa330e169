// The practice world a new player meets: started when nothing listens on this machine,
// ended with the client; and the first start's choice of a world.
#include "automation/ButtonConfig.h"
#include "support/client/MainWindowRig.h"

#include <QCoreApplication>
#include <QTest>

class TestPracticeWorld : public QObject {
    Q_OBJECT
private slots:
    // Nothing listens: Connetti starts the practice world, which greets the
    // player; it ends with the client and frees its port. A server there is
    // connected to without starting one; another machine's address never
    // starts one.
    void startedWhenNothingListensAndEndedWithTheClient() {
        const QString program = PracticeWorld::findProgram(QCoreApplication::applicationDirPath());
        QVERIFY2(!program.isEmpty(), "the practice server is built beside the tests");
        quint16 port;
        {
            ScriptedServer gone;
            port = gone.port();
            PracticeWorld world;
            world.setProgram(program);
            QVERIFY(!world.startFor("localhost", port));
            QVERIFY(!world.startFor("127.0.0.2", port + 1));
        }
        {
            MainWindowRig rig;
            put(rig.path("config.ini"),
                "[SERVER]\r\nHOST=LocalHost\r\nPORTA=" + QByteArray::number(port) + "\r\n");
            rig.load();
            rig.window->practiceWorld().setProgram(program);
            rig.clickCell(9);
            QVERIFY(rig.waitShown("Benvenuto a Varendor!"));
            QVERIFY(rig.connectedState());
            QVERIFY(!PracticeWorld::portIsFree(port));
        }
        QVERIFY(PracticeWorld::portIsFree(port));
    }

    // The first start without a game server asks where to play, writes the
    // answer into config.ini and connects; a set server asks nothing.
    void firstStartChoosesAWorld_data() {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written"); // HOST afterwards
        QTest::addColumn<bool>("connects");
        QTest::newRow("practice world") << QByteArray("HOST= \r\n") << 0 << ""
                                        << "localhost" << true;
        QTest::newRow("address") << QByteArray() << 1 << "127.0.0.1:PORT"
                                 << "127.0.0.1" << true;
        QTest::newRow("address cancelled") << QByteArray() << 1 << ""
                                           << "" << false;
        QTest::newRow("address not valid") << QByteArray() << 1 << "a b"
                                           << "" << false;
        QTest::newRow("server set") << QByteArray("HOST=127.0.0.1\r\n") << 0 << ""
                                    << "127.0.0.1" << false;
    }
    void firstStartChoosesAWorld() {
        QFETCH(QByteArray, host);
        QFETCH(int, choice);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(bool, connects);
        ScriptedServer server;
        const QString port = QString::number(server.port());
        MainWindowRig rig;
        put(rig.path("config.ini"), "[SERVER]\r\n" + host + "PORTA=" + port.toLatin1() + "\r\n");
        rig.load();
        rig.dialogs.choices = {choice};
        rig.dialogs.typed = QStringList{typed.replace("PORT", port)};
        rig.window->offerWorlds();

        const Api api(rig.folder);
        QCOMPARE(ReadConfigValue(api, "SERVER", "HOST").trimmed(), written);
        QCOMPARE(ReadConfigValue(api, "SERVER", "PORTA"), port);
        QCOMPARE(server.waitForClient(connects ? 5000 : 50), connects);
        const QString asked = rig.messageTexts().join('\n');
        QCOMPARE(asked.startsWith("Non è ancora indicato il server del gioco."),
                 !host.contains("127"));
        QCOMPARE(asked.contains("Indirizzo non valido: a b"), typed == "a b");
    }
};

QTEST_MAIN(TestPracticeWorld)
#include "tst_practiceworld.moc"
