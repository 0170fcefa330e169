// The shipped example scripts in the whole client against the practice
// world on loopback, each in the player's script/ folder: what the player
// sees, what the world answers, what the log keeps.
#include "client/ScriptBridge.h"
#include "practice_server/PracticeServer.h"
#include "support/client/MainWindowRig.h"
#include "ui/ColourNames.h"

#include <QCheckBox>
#include <QTcpSocket>
#include <QTest>

namespace {
// Connects and enters the world as Ale, up to the first prompt.
bool enter(MainWindowRig& c) {
    c.action("mnuConnetti")->trigger();
    if (!c.waitShown("Come ti chiami"))
        return false;
    c.type("Ale");
    if (!c.waitShown("ordine: "))
        return false;
    c.type("segreto");
    return c.waitShown("<Ale HP:");
}

QString logged(const MainWindowRig& c) {
    QString all;
    const QDir logs(c.path("Log"));
    for (const QString& name : logs.entryList(QDir::Files))
        all += QString::fromUtf8(get(logs.filePath(name)));
    return all;
}
} // namespace

class TestPracticeExamples : public QObject {
    Q_OBJECT
private slots:
    // Steps, "kind|argument...": type|command; shown|text (since the last
    // command); notshown|text; pause|ms; mark (the next checks read from
    // here); log|text; colour|text|offset|name ("!name": any other colour);
    // other|name|line (another player connects and sends the line);
    // restart (the client ends and starts again on the same folder).
    void examplesPlayInThePracticeWorld_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("edits"); // "from|to" in the script's text
        QTest::addColumn<QStringList>("steps");
        QStringList fights;
        for (const char* hp : {"440", "380", "320", "260", "200"})
            fights << "type|combatti" << QStringLiteral("shown|<Ale HP:%1/500").arg(hp);
        QTest::newRow("cura") << "cura.lua" << QStringList{}
                              << fights + QStringList{"pause|300",
                                                      "notshown|Ti siedi",
                                                      "type|combatti",
                                                      "shown|<Ale HP:140/500",
                                                      "shown|Ti siedi a riposare",
                                                      "shown|<Ale HP:500/500"};
        QTest::newRow("spam") << "spam.lua" << QStringList{}
                              << QStringList{"type|s",
                                             "shown|Porta del borgo",
                                             "type|s",
                                             "shown|[Uscite: nord]",
                                             "notshown|Il vento",
                                             "log|Il vento soffia tra gli alberi."};
        QTest::newRow("messaggi")
            << "messaggi.lua" << QStringList{}
            << QStringList{"other|Bea|di ciao Varendor",      "shown|*** Bea parla di te ***",
                           "colour|Bea dice|0|Giallo",        "colour|Bea dice|2|Giallo",
                           "colour|Bea dice|4|!Giallo",       "colour|Bea dice|4|!Ciano",
                           "colour|ciao Varendor'|0|Ciano",   "colour|ciao Varendor'|12|Ciano",
                           "colour|ciao Varendor'|13|!Ciano", "colour|*** Bea|0|Rosso"};
        QTest::newRow("timer") << "timer.lua" << QStringList{"timer(30,|timer(0.2,"}
                               << QStringList{"shown|Piazza del Pozzo",
                                              "type|basta",
                                              "shown|Giro fermato.",
                                              "pause|300",
                                              "mark",
                                              "pause|700",
                                              "notshown|Piazza del Pozzo",
                                              "type|ancora",
                                              "shown|Giro ripreso.",
                                              "shown|Piazza del Pozzo"};
        QTest::newRow("contatore")
            << "contatore.lua" << QStringList{}
            << QStringList{"type|combatti",     "shown|il fantoccio di paglia: uccisione numero 1",
                           "type|combatti",     "shown|uccisione numero 2",
                           "restart",           "type|conta",
                           "shown|Uccisioni: 2"};
    }
    void examplesPlayInThePracticeWorld() {
        QFETCH(QString, file);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, steps);
        PracticeServer server;
        QVERIFY(server.listen(0));
        MainWindowRig c(server.port());
        c.load();
        c.window->logSwitch()->click();
        QVERIFY(enter(c));

        // In place once the player is in the world: a short timer would
        // otherwise answer the name prompt.
        const QString source = QFINDTESTDATA("../../docs/examples/" + file);
        QVERIFY(!source.isEmpty());
        QByteArray text = get(source);
        for (const QString& e : edits)
            text.replace(e.section('|', 0, 0).toUtf8(), e.section('|', 1).toUtf8());
        QVERIFY(QDir(c.folder).mkpath("script"));
        put(c.path("script/" + file), text);
        c.window->scripts()->engine().reload();

        qsizetype mark = c.shown().size();
        QTcpSocket other;
        for (const QString& step : steps) {
            const QStringList a = step.split('|');
            const QString& kind = a[0];
            if (kind == "type") {
                mark = c.shown().size();
                c.type(a[1]);
            } else if (kind == "shown") {
                QVERIFY2(QTest::qWaitFor([&] { return c.shown().mid(mark).contains(a[1]); }, 5000),
                         qPrintable(step));
            } else if (kind == "notshown") {
                QVERIFY2(!c.shown().mid(mark).contains(a[1]), qPrintable(step));
            } else if (kind == "pause") {
                QTest::qWait(a[1].toInt());
            } else if (kind == "mark") {
                mark = c.shown().size();
            } else if (kind == "log") {
                QTRY_VERIFY2(logged(c).contains(a[1]), qPrintable(step));
            } else if (kind == "colour") {
                QRgb wanted = 0;
                QVERIFY(colourFromName(a[3].mid(a[3].startsWith('!')), wanted));
                const QRgb actual = c.colourOf(a[1], a[2].toInt());
                QVERIFY2((actual == wanted) != a[3].startsWith('!'), qPrintable(step));
            } else if (kind == "other") {
                mark = c.shown().size();
                other.connectToHost(QHostAddress::LocalHost, server.port());
                QVERIFY(other.waitForConnected(5000));
                other.write((a[1] + "\r\nx\r\n" + a[2] + "\r\n").toUtf8());
            } else if (kind == "restart") {
                c.window->DisconnettiServer();
                c.window.reset(); // vars written as the client ends
                c.load();
                QVERIFY(enter(c));
                mark = 0;
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
        QCOMPARE(c.window->scripts()->engine().lastErrors(), QStringList{});
    }
};

QTEST_MAIN(TestPracticeExamples)
#include "tst_practice_examples.moc"
