// Inputs the fuzzers found that once went wrong, kept so they stay right.
#include "automation/Stores.h"
#include "files/ProfileFile.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ProfileFile;

class TestFuzzAutomation : public QObject {
    Q_OBJECT

    ScratchFile m_config{"config.ini"};

private slots:
    // A file whose last line ends in a bare CR: adding a section or a key
    // after it completes that line ending instead of putting a second CR into
    // the last value.
    void writeAfterLastLineEndingInCr_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("new section") << QByteArray("[BOTTONE 1]\r\nSTATO=1\r") << "BOTTONE 2"
                                     << QByteArray("[BOTTONE 1]\r\nSTATO=1\r\n"
                                                   "[BOTTONE 2]\r\nCAPTION=Sud\r\n");
        QTest::newRow("same section") << QByteArray("[BOTTONE 1]\r\nSTATO=1\r") << "BOTTONE 1"
                                      << QByteArray("[BOTTONE 1]\r\nSTATO=1\r\nCAPTION=Sud\r\n");
        QTest::newRow("section line only") << QByteArray("[BOTTONE 1]\r") << "BOTTONE 1"
                                           << QByteArray("[BOTTONE 1]\r\nCAPTION=Sud\r\n");
    }
    void writeAfterLastLineEndingInCr() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QByteArray, expected);
        m_config.put(file);
        QVERIFY(writeValue(m_config.path, section, "CAPTION", "Sud"));
        QCOMPARE(m_config.bytes(), expected);
        QCOMPARE(readValue(m_config.path, "BOTTONE 1", "STATO"), file.contains("STATO") ? "1" : "");
        QCOMPARE(readValue(m_config.path, section, "CAPTION"), QString("Sud"));
    }

    // A trigger action with three separators in a row, from a hand-edited
    // file: each save removes one level of empty commands, then it settles.
    void emptyCommandsCollapseOneLevelPerSave() {
        PairTable table;
        Stores::parse({"vento<!>nord<%><%><%>sud", "ok<!>a<%>", "<!>vuoto"}, Stores::Kind::Triggers,
                      table);
        const QStringList first = Stores::format(table, Stores::Kind::Triggers, true);
        QCOMPARE(first, (QStringList{"vento<!>nord<%><%>sud<%>", "ok<!>a<%>"}));
        const QStringList second = Stores::format(table, Stores::Kind::Triggers, true);
        QCOMPARE(second, (QStringList{"vento<!>nord<%>sud<%>", "ok<!>a<%>"}));
        QCOMPARE(Stores::format(table, Stores::Kind::Triggers, true), second);
    }
};

QTEST_MAIN(TestFuzzAutomation)
#include "tst_fuzz_automation.moc"
