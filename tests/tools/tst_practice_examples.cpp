// The shipped examples in the whole client against the practice world, loaded by
// Configura > Script… > Ricarica once in the world (a 30-second timer every 0.2 s).
#include "practice_server/PracticeServer.h"
#include "support/client/MainWindowRig.h"
#include "ui/ColourNames.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTcpSocket>

namespace {
bool enter(MainWindowRig& c) {
    c.action("mnuConnetti")->trigger();
    for (const char* line : {"Come ti chiami|Ale", "ordine: |segreto"}) {
        if (!c.waitShown(QString(line).section('|', 0, 0)))
            return false;
        c.type(QString(line).section('|', 1));
    }
    return c.waitShown("<Ale HP:");
}
} // namespace

class TestPracticeExamples : public QObject {
    Q_OBJECT
private slots:
    // Steps: type|command, shown|text (since the last command), not|text (never),
    // quiet|text (not in 0.7 s, stragglers let by), log|text, colour|text|offset|
    // nearest name, say|line (another player), restart (the client ends).
    void examplesPlayInThePracticeWorld_data() {
        QTest::addColumn<QString>("steps");
        QString fights;
        for (int hp = 440; hp >= 140; hp -= 60)
            fights += QStringLiteral("type|combatti;shown|HP:%1/500;").arg(hp);
        QTest::newRow("cura.lua") << fights + "shown|Ti siedi a riposare";
        QTest::newRow("spam.lua") << "type|s;type|s;shown|[Uscite: nord];not|Il vento;"
                                     "log|Il vento soffia tra gli alberi.";
        QTest::newRow("messaggi.lua")
            << "say|di ciao Varendor;shown|*** Bea parla di te;colour|Bea dice|2|Giallo;"
               "colour|Bea dice|4|Magenta;colour|ciao Varendor'|12|Ciano;"
               "colour|ciao Varendor'|13|Magenta";
        QTest::newRow("timer.lua") << "type|basta;shown|Giro fermato.;quiet|Piazza;type|ancora;"
                                      "shown|Piazza";
        QTest::newRow("contatore.lua") << "type|combatti;type|combatti;shown|uccisione numero 2;"
                                          "restart;type|conta;shown|Uccisioni: 2";
    }
    void examplesPlayInThePracticeWorld() {
        QFETCH(QString, steps);
        const QString file = QTest::currentDataTag();
        PracticeServer server;
        QVERIFY(server.listen(0));
        MainWindowRig c(server.port());
        c.load();
        c.window->logSwitch()->click();
        QVERIFY(enter(c));
        QByteArray text = get(QFINDTESTDATA("../../docs/examples/" + file));
        QVERIFY(QDir(c.folder).mkpath("script"));
        put(c.path("script/" + file), text.replace("timer(30,", "timer(0.2,"));
        c.open("mnuScript", [](QDialog* d) { d->findChild<QPushButton*>("cmdRicarica")->click(); });

        qsizetype mark = 0;
        QTcpSocket other;
        for (const QString& step : steps.split(';')) {
            const QStringList a = step.split('|');
            if (a[0] == "type") {
                mark = c.shown().size();
                c.type(a[1]);
            } else if (a[0] == "shown") {
                QVERIFY2(QTest::qWaitFor([&] { return c.shown().mid(mark).contains(a[1]); }),
                         qPrintable(step));
            } else if (a[0] == "not") {
                QVERIFY2(!c.shown().contains(a[1]), qPrintable(step));
            } else if (a[0] == "quiet") {
                QTest::qWait(300);
                mark = c.shown().size();
                QTest::qWait(700);
                QVERIFY2(!c.shown().mid(mark).contains(a[1]), qPrintable(step));
            } else if (a[0] == "log") {
                const QDir logs(c.path("Log")); // one file, the day's
                QTRY_VERIFY(get(logs.filePath(logs.entryList(QDir::Files).value(0)))
                                .contains(a[1].toUtf8()));
            } else if (a[0] == "colour") {
                QCOMPARE(colourName(QColor(c.colourOf(a[1], a[2].toInt()))), a[3]);
            } else if (a[0] == "say") {
                other.connectToHost(QHostAddress::LocalHost, server.port());
                other.write(("Bea\r\nx\r\n" + a[1] + "\r\n").toUtf8());
            } else if (a[0] == "restart") {
                c.window->DisconnettiServer();
                c.window.reset(); // vars written as the client ends
                c.load();
                QVERIFY(enter(c));
            }
        }
    }
};

QTEST_MAIN(TestPracticeExamples)
#include "tst_practice_examples.moc"
