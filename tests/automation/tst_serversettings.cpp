#include "automation/ServerSettings.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestServerSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString config() const { return m_dir.filePath("config.ini"); }

private slots:
    void init() { QFile::remove(config()); }

    void readsHandEditedValues() {
        Api api(m_dir.path());
        ServerSettings s = readServerSettings(api);
        QCOMPARE(s.codifica, Codifica::Auto);
        QVERIFY(!s.tls);
        QCOMPARE(s.colori, Colori::Automatico);
        QVERIFY(!s.lettore);
        QVERIFY(s.gmcp);
        put(config(), "[server]\r\nhost=gioco.example\r\nPORTA=4443\r\ncodifica= utf8 \r\n"
                      "TLS=Sì\r\nCOLORI=classico\r\nGMCP= off\r\n[SCHERMO]\r\nLETTORE=1\r\n");
        s = readServerSettings(api);
        QCOMPARE(s.host + ':' + QString::number(s.port), QString("gioco.example:4443"));
        QCOMPARE(s.codifica, Codifica::Utf8);
        QVERIFY(s.tls);
        QCOMPARE(s.colori, Colori::Classico);
        QVERIFY(s.lettore);
        QVERIFY(!s.gmcp);

        QCOMPARE(ServerSettings::parseCodifica(" Windows-1252"), Codifica::Cp1252);
        for (const char* v : {"", "AUTO", "latin1", "UTF-8;CP1252"})
            QCOMPARE(ServerSettings::parseCodifica(v), Codifica::Auto);
        for (const char* v : {"", "0", "no", "2"})
            QVERIFY2(!ServerSettings::parseTls(v), v);
        QCOMPARE(ServerSettings::parseColori("256"), Colori::Automatico);
        for (const char* v : {"0", "no", "False"})
            QVERIFY2(!ServerSettings::parseGmcp(v), v);
        for (const char* v : {"", "1", "sì", "2"})
            QVERIFY2(ServerSettings::parseGmcp(v), v);
    }

    // What a new player types as the game's address; "" is refused and
    // leaves host and port alone.
    void typedAddresses() {
        const QList<std::pair<QString, QString>> cases = {{" gioco.example ", "gioco.example:4000"},
                                                          {"10.0.0.1:65535", "10.0.0.1:65535"},
                                                          {"::1", "::1:4000"},
                                                          {"[::1]:23", "::1:23"},
                                                          {"[fe80::1]", "fe80::1:4000"},
                                                          {"  ", ""},
                                                          {":4000", ""},
                                                          {"gioco.example:", ""},
                                                          {"gioco.example:0", ""},
                                                          {"gioco.example:65536", ""},
                                                          {"gioco.example:abc", ""},
                                                          {"gioco example", ""},
                                                          {"[::1:23", ""},
                                                          {"[::1]23", ""}};
        for (const auto& [typed, expected] : cases) {
            QString host = "prima";
            quint16 port = 1;
            const bool ok = parseServerAddress(typed, &host, &port);
            QCOMPARE(host + ':' + QString::number(port), ok ? expected : QString("prima:1"));
            QCOMPARE(ok, !expected.isEmpty());
        }
    }

    // Per host (any case, IPv6 with or without brackets) and port; the rest
    // of the file kept byte for byte; a replaced certificate takes the old
    // one's line; hand-edited fingerprints read when they are 32 bytes of hex.
    void rememberedCertificates() {
        Api api(m_dir.path());
        const QByteArray a(32, '\xAB'), b(32, '\x01');
        const QByteArray before = "[SERVER]\r\nHOST=Gioco.Example\r\n; una nota\r\n";
        put(config(), before);
        QVERIFY(rememberCertificate(api, "Gioco.Example", 4443, a));
        QVERIFY(rememberCertificate(api, "gioco.example", 5000, b));
        QVERIFY(rememberCertificate(api, "[::1]", 4000, a));
        QVERIFY(rememberCertificate(api, "gioco.example", 4443, b));
        QCOMPARE(rememberedCertificate(api, "GIOCO.example", 4443), b);
        QCOMPARE(rememberedCertificate(api, "gioco.example", 5000), b);
        QCOMPARE(rememberedCertificate(api, "::1", 4000), a);
        QVERIFY(rememberedCertificate(api, "altro.example", 4443).isEmpty());
        QVERIFY(get(config()).startsWith(before + "[CERTIFICATI]\r\ngioco.example:4443=01:01:"));
        QCOMPARE(get(config()).count("gioco.example:4443"), 1);

        const QByteArray hex = a.toHex();
        put(config(), "[certificati]\r\n  localhost:1 = " + hex +
                          " \r\nlocalhost:2=" + hex.left(10) + "\r\nlocalhost:3=" + hex +
                          "ZZ\r\nlocalhost:4=" + fingerprintText(a).toLower().toLatin1() + "\r\n");
        QCOMPARE(rememberedCertificate(api, "localhost", 1), a);
        QVERIFY(rememberedCertificate(api, "localhost", 2).isEmpty());
        QVERIFY(rememberedCertificate(api, "localhost", 3).isEmpty());
        QCOMPARE(rememberedCertificate(api, "localhost", 4), a);
    }

    // A host that cannot be a profile key, a wrong-sized fingerprint or a
    // read-only folder store nothing and leave the file as it was.
    void certificatesThatCannotBeStored() {
        Api api(m_dir.path());
        const QByteArray file = "[SERVER]\r\nHOST=x\r\n";
        put(config(), file);
        for (const char* host : {"", "a=b", ";nota", "[sezione", "due parole", "città.it"})
            QVERIFY2(!rememberCertificate(api, QString::fromUtf8(host), 4000, QByteArray(32, 1)),
                     host);
        QVERIFY(!rememberCertificate(api, "localhost", 4000, QByteArray(20, 1)));
        ReadOnlyFolder locked(m_dir.path());
        if (locked.ok())
            QVERIFY(!rememberCertificate(api, "localhost", 4000, QByteArray(32, 1)));
        QCOMPARE(get(config()), file);
    }
};

QTEST_MAIN(TestServerSettings)
#include "tst_serversettings.moc"
