// The practice world's fights and rest move the client's gauges through the
// character's data beside the text; with that refused, the prompt alone
// tells the figures.
#include "practice_server/PracticeServer.h"
#include "support/client/MainWindowRig.h"

#include <QTest>

class TestPracticeGauges : public QObject {
    Q_OBJECT
private slots:
    void fightsAndRestMoveTheGauges() {
        for (const bool refused : {false, true}) {
            PracticeServer server;
            QVERIFY(server.listen(0));
            MainWindowRig rig(server.port(), refused ? "GMCP=0\r\n" : "");
            rig.load();
            rig.action("mnuConnetti")->trigger();
            QVERIFY(rig.waitShown(QStringLiteral("Come ti chiami")));
            rig.type(QStringLiteral("Ale"));
            QVERIFY(rig.waitShown(QStringLiteral("parola d'ordine")));
            rig.type(QStringLiteral("segreto"));
            QVERIFY(rig.waitShown(QStringLiteral("<Ale HP:500/500 MP:300/300 MV:200/200>")));
            const std::pair<const char*, const char*> steps[] = {
                {"combatti", "440/500 270/300 180/200"},
                {"combatti", "380/500 240/300 160/200"},
                {"riposa", "500/500 300/300 200/200"},
            };
            for (const auto& [command, figures] : steps) {
                const QStringList f = QString::fromLatin1(figures).split(u' ');
                const QString prompt =
                    QStringLiteral("<Ale HP:%1 MP:%2 MV:%3>").arg(f[0], f[1], f[2]);
                const qsizetype seen = rig.shown().count(prompt);
                rig.type(QString::fromLatin1(command));
                QTRY_VERIFY(rig.shown().count(prompt) > seen);
                QCOMPARE(rig.gaugeFigures(), QString::fromLatin1(refused ? "- - -" : figures));
            }
        }
    }
};

QTEST_MAIN(TestPracticeGauges)
#include "tst_practice_gauges.moc"
