// The client's command line: the player's folder, help and version, Qt's own
// options passed over, and mistakes reported in Italian.
#include "app/StartOptions.h"

#include <QtTest>

using StartOptions::Action;

class TestStartOptions : public QObject {
    Q_OBJECT
private slots:
    void folderAndCheck() {
        QCOMPARE(StartOptions::parse({}).action, Action::Start);
        QVERIFY(StartOptions::parse({}).folder.isEmpty());

        auto p = StartOptions::parse({"--cartella", "/giochi/Aldric e Mira"});
        QCOMPARE(p.action, Action::Start);
        QCOMPARE(p.folder, QString("/giochi/Aldric e Mira"));
        QVERIFY(!p.startupCheck);

        p = StartOptions::parse({"--prova-avvio", "--cartella=personaggi/Aldric=1"});
        QCOMPARE(p.action, Action::Start);
        QCOMPARE(p.folder, QString("personaggi/Aldric=1")); // only the first "=" splits
        QVERIFY(p.startupCheck);
        QVERIFY(!p.practiceWorld);
        QVERIFY(StartOptions::parse({"--mondo-di-prova"}).practiceWorld);
    }

    void qtOptionsArePassedOver() {
        // QApplication takes these itself, their values are no positional
        // arguments, and older macOS Finders add a process serial number.
        const auto p = StartOptions::parse({"-style", "fusion", "--platform", "offscreen",
                                            "-qwindowgeometry=800x600", "-reverse", "-psn_0_4711",
                                            "--cartella", "Mira"});
        QCOMPARE(p.action, Action::Start);
        QCOMPARE(p.folder, QString("Mira"));
    }

    void helpAndVersionWinAnywhere() {
        QCOMPARE(StartOptions::parse({"--help"}).action, Action::Help);
        QCOMPARE(StartOptions::parse({"-h"}).action, Action::Help);
        QCOMPARE(StartOptions::parse({"--sconosciuta", "--help"}).action, Action::Help);
        QCOMPARE(StartOptions::parse({"--cartella", "x", "--version"}).action, Action::Version);
        QCOMPARE(StartOptions::parse({"-v"}).action, Action::Version);
        // A folder called "--help" is still a request for help: the safe reading.
        QCOMPARE(StartOptions::parse({"--cartella", "--help"}).action, Action::Help);
    }

    void mistakes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown long") << QStringList{"--colore"} << "opzione sconosciuta: --colore";
        QTest::newRow("unknown short") << QStringList{"-x"} << "opzione sconosciuta: -x";
        QTest::newRow("english spelling")
            << QStringList{"--folder", "a"} << "opzione sconosciuta: --folder";
        QTest::newRow("positional") << QStringList{"Aldric"} << "argomento inatteso: Aldric";
        QTest::newRow("folder missing")
            << QStringList{"--cartella"} << "l'opzione --cartella vuole il nome di una cartella";
        QTest::newRow("folder empty")
            << QStringList{"--cartella="} << "l'opzione --cartella vuole il nome di una cartella";
        QTest::newRow("folder twice") << QStringList{"--cartella", "a", "--cartella", "b"}
                                      << "l'opzione --cartella è data più di una volta";
    }
    void mistakes() {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        const auto p = StartOptions::parse(args);
        QCOMPARE(p.action, Action::Error);
        QCOMPARE(p.error, error);
    }

    void texts() {
        const QString help = StartOptions::helpText("varendor", "/home/mira/.local/share/Varendor");
        QVERIFY(help.startsWith("Uso: varendor [OPZIONI]\n"));
        for (const char* option :
             {"--cartella CARTELLA", "--mondo-di-prova", "--prova-avvio", "--help", "--version"})
            QVERIFY2(help.contains(option), option);
        QVERIFY(help.contains("varendor.portable"));
        QVERIFY(help.endsWith("  /home/mira/.local/share/Varendor\n"));
        QCOMPARE(StartOptions::versionText("1.0"), QString("Varendor versione 1.0\n"));
        QVERIFY(StartOptions::errorHint("varendor").contains("varendor --help"));
    }
};

QTEST_APPLESS_MAIN(TestStartOptions)
#include "tst_startoptions.moc"
