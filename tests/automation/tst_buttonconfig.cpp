#include "automation/ButtonConfig.h"
#include "automation/ServerSettings.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

class TestButtonConfig : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void put(const QByteArray& bytes) {
        QFile f(m_dir.filePath("config.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QStringList lines(const QListWidget& list) {
        QStringList out;
        for (int i = 0; i < list.count(); ++i)
            out << list.item(i)->text();
        return out;
    }

private slots:
    void init() { QFile::remove(m_dir.filePath("config.ini")); }

    // No config.ini, or one that cannot be read (told, the others are not).
    void withoutFileEightEmptyInactiveButtons_data() {
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("missing") << false;
        QTest::newRow("unreadable") << true;
    }
    void withoutFileEightEmptyInactiveButtons() {
        QFETCH(bool, unreadable);
        if (unreadable)
            QVERIFY(QDir(m_dir.path()).mkdir("config.ini"));
        Api api(m_dir.path());
        ButtonBar bar;
        for (CButton& b : bar) { // whatever the bar held before
            b.setCaption("x");
            b.setAzione("y");
            b.setAttivo(true);
            b.setActiveColor(0);
        }
        QListWidget list;
        list.addItem("vecchia riga");
        const FileResult loaded = LoadButtons(api, bar, &list);
        if (unreadable) {
            QDir(m_dir.path()).rmdir("config.ini");
            QCOMPARE(loaded.kind, FileResult::Kind::ReadFailed);
            QVERIFY(loaded.message.startsWith("Impossibile leggere il file \"config.ini\""));
            QVERIFY(loaded.message.endsWith("finché il file non si potrà leggere."));
        } else {
            QCOMPARE(loaded.kind, FileResult::Kind::Done);
        }
        QCOMPARE(lines(list), (QStringList{"1) Vuoto", "2) Vuoto", "3) Vuoto", "4) Vuoto",
                                           "5) Vuoto", "6) Vuoto", "7) Vuoto", "8) Vuoto"}));
        for (const CButton& b : bar) {
            QCOMPARE(b.Caption(), QString("Vuoto"));
            QCOMPARE(b.azione(), QString());
            QVERIFY(!b.Attivo());
            QCOMPARE(b.ActiveColor(), winRgb(255, 255, 128));
        }
    }

    void oddValues() {
        const QString longAction = QString("dici ciao<%>").repeated(9) + "fine"; // 112 characters
        put("[BOTTONE 1]\r\nCAPTION=Uno\r\nSTATO=attivo\r\nCOLORE=&HFF&\r\n"
            "[BOTTONE 2]\r\nSTATO= Attivo\r\nCOLORE=&HFF\r\n"
            "[BOTTONE 3]\r\nSTATO=Attivo\r\nCOLORE=&HC000\r\nCAPTION=\r\n"
            "[BOTTONE 4]\r\nCOLORE=verde\r\nSTATO=Disattivo\r\n"
            "[bottone 5]\r\nstato=Attivo\r\nAZIONE=" +
            longAction.toLatin1() +
            "\r\nCAPTION=Un titolo lungo piu di dodici caratteri\r\n"
            "[BOTTONE 6]\r\nCOLORE=\r\n");
        Api api(m_dir.path());
        ButtonBar bar;
        bar[0].init("Fisso", 10, 20, 3, false);
        bar[0].setDisactiveColor(winRgb(1, 2, 3));
        bar[0].setSelezionato(true);
        QListWidget list;
        LoadButtons(api, bar, &list);

        QVERIFY(!bar[0].Attivo()); // "STATO" must be exactly "Attivo"
        QVERIFY(!bar[1].Attivo());
        QVERIFY(bar[2].Attivo());
        QVERIFY(!bar[3].Attivo());
        QVERIFY(bar[4].Attivo());
        QCOMPARE(bar[0].ActiveColor(), 255);
        QCOMPARE(bar[1].ActiveColor(), 255);
        QCOMPARE(bar[2].ActiveColor(), -16384);
        QCOMPARE(bar[3].ActiveColor(), 0);
        QCOMPARE(bar[5].ActiveColor(), winRgb(255, 255, 128)); // empty colour
        // Long values are read whole, not cut to 79 characters.
        QCOMPARE(bar[4].azione(), longAction);
        QCOMPARE(bar[4].Caption(), QString("Un titolo lungo piu di dodici caratteri"));
        QCOMPARE(lines(list).at(0), QString("1) Uno"));
        QCOMPARE(lines(list).at(2), QString("3) Vuoto")); // empty caption
        QCOMPARE(lines(list).at(4), QString("5) Un titolo lungo piu di dodici caratteri"));
        // Place, style, inactive colour and hover state belong to the window.
        QCOMPARE(bar[0].Top(), 10.0);
        QCOMPARE(bar[0].Left(), 20.0);
        QCOMPARE(bar[0].Stile(), 3);
        QCOMPARE(bar[0].DisactiveColor(), winRgb(1, 2, 3));
        QVERIFY(bar[0].Selezionato());

        // Without a list the bar still loads.
        LoadButtons(api, bar, nullptr);
        QCOMPARE(bar[0].Caption(), QString("Uno"));
    }

    void writeThenLoad() {
        Api api(m_dir.path());
        QVERIFY(WriteConfigValue(api, buttonSection(3), "CAPTION", "Tre"));
        QVERIFY(WriteConfigValue(api, buttonSection(3), "STATO", "Attivo"));
        QVERIFY(WriteConfigValue(api, buttonSection(3), "COLORE", "&H8080&"));
        QCOMPARE(ReadConfigValue(api, "bottone 3", "caption"), QString("Tre"));
        ButtonBar bar;
        LoadButtons(api, bar, nullptr);
        QCOMPARE(bar[2].Caption(), QString("Tre"));
        QVERIFY(bar[2].Attivo());
        QCOMPARE(bar[2].ActiveColor(), winRgb(128, 128, 0));
        QCOMPARE(bar[1].Caption(), QString("Vuoto"));
    }

    void serverSetting() {
        Api api(m_dir.path());
        QCOMPARE(serverHost(api), QString("localhost"));
        QCOMPARE(serverPort(api), quint16(4000));
        put("[SERVER]\r\nHOST=  gioco.example \r\nPORTA=4001\r\n");
        QCOMPARE(serverHost(api), QString("gioco.example"));
        QCOMPARE(serverPort(api), quint16(4001));
        for (const char* bad : {"0", "65536", "-1", "abc", "40 00", ""}) {
            put(QByteArray("[SERVER]\r\nHOST=   \r\nPORTA=") + bad + "\r\n");
            QCOMPARE(serverPort(api), quint16(4000));
            QCOMPARE(serverHost(api), QString("localhost"));
        }
    }
};

QTEST_MAIN(TestButtonConfig)
#include "tst_buttonconfig.moc"
