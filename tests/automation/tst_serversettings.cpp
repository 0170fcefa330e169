#include "ReadOnlyFolder.h"
#include "automation/ServerSettings.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestServerSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString config() const { return m_dir.filePath("config.ini"); }

private slots:
    void init() { QFile::remove(config()); }

    void readsTheServerSection() {
        Api api(m_dir.path());
        ServerSettings s = readServerSettings(api);
        QCOMPARE(s.host, QString("localhost"));
        QCOMPARE(s.port, quint16(4000));
        QCOMPARE(s.codifica, Codifica::Auto);
        QVERIFY(!s.tls);
        QCOMPARE(s.colori, Colori::Automatico);

        put(config(), "[server]\r\nhost=gioco.example\r\nPORTA=4443\r\ncodifica= utf-8 \r\n"
                      "TLS=1\r\nCOLORI=classico\r\n");
        s = readServerSettings(api);
        QCOMPARE(s.host, QString("gioco.example"));
        QCOMPARE(s.port, quint16(4443));
        QCOMPARE(s.codifica, Codifica::Utf8);
        QVERIFY(s.tls);
        QCOMPARE(s.colori, Colori::Classico);
    }

    void handEditedValues() {
        using S = ServerSettings;
        for (const char* v : {"CP1252", "cp1252", " Windows-1252 "})
            QCOMPARE(S::parseCodifica(v), Codifica::Cp1252);
        for (const char* v : {"UTF-8", "utf8"})
            QCOMPARE(S::parseCodifica(v), Codifica::Utf8);
        for (const char* v : {"", "AUTO", "latin1", "UTF-16", "UTF-8;CP1252"})
            QCOMPARE(S::parseCodifica(v), Codifica::Auto);
        for (const char* v : {"1", "si", "Sì", "on", "TRUE", " yes "})
            QVERIFY2(S::parseTls(QString::fromUtf8(v)), v);
        for (const char* v : {"", "0", "no", "2", "tls"})
            QVERIFY2(!S::parseTls(v), v);
        QCOMPARE(S::parseColori(" ansi"), Colori::Ansi);
        QCOMPARE(S::parseColori("256"), Colori::Automatico);
    }

    void certificatesRememberedPerHostAndPort() {
        Api api(m_dir.path());
        const QByteArray a = QByteArray(32, '\xAB'), b = QByteArray(31, '\x01') + '\xFE';
        const QByteArray before = "[SERVER]\r\nHOST=Gioco.Example\r\n; una nota\r\n";
        put(config(), before);
        QVERIFY(rememberedCertificate(api, "gioco.example", 4443).isEmpty());
        QVERIFY(rememberCertificate(api, "Gioco.Example", 4443, a));
        QVERIFY(rememberCertificate(api, "gioco.example", 5000, b));
        QCOMPARE(rememberedCertificate(api, "GIOCO.example", 4443), a);
        QCOMPARE(rememberedCertificate(api, "gioco.example", 5000), b);
        QVERIFY(rememberedCertificate(api, "altro.example", 4443).isEmpty());
        // Everything else in the file stays as it was.
        QVERIFY(get(config()).startsWith(before));
        QVERIFY(get(config()).contains("[CERTIFICATI]\r\ngioco.example:4443=AB:AB:"));

        // A replaced certificate takes the old one's place.
        QVERIFY(rememberCertificate(api, "gioco.example", 4443, b));
        QCOMPARE(rememberedCertificate(api, "gioco.example", 4443), b);
        QCOMPARE(get(config()).count("gioco.example:4443"), 1);

        // IPv6 addresses with or without brackets are the same server.
        QVERIFY(rememberCertificate(api, "[::1]", 4000, a));
        QCOMPARE(rememberedCertificate(api, "::1", 4000), a);
    }

    void handEditedCertificates() {
        Api api(m_dir.path());
        const QByteArray a(32, '\x5C');
        const QString hex = QString::fromLatin1(a.toHex());
        put(config(), "[certificati]\r\n  localhost:1 = " + hex.toLatin1() + " \r\nlocalhost:2=" +
                          hex.left(10).toLatin1() + "\r\nlocalhost:3=" + hex.toLatin1() +
                          "ZZ\r\n"
                          "localhost:4=" +
                          fingerprintText(a).toLower().toLatin1() + "\r\n");
        QCOMPARE(rememberedCertificate(api, "localhost", 1), a);
        QVERIFY(rememberedCertificate(api, "localhost", 2).isEmpty()); // too short
        QVERIFY(rememberedCertificate(api, "localhost", 3).isEmpty()); // not hex
        QCOMPARE(rememberedCertificate(api, "localhost", 4), a);
        QCOMPARE(parseFingerprint(fingerprintText(a)), a);
        QVERIFY(parseFingerprint(QString(64, QChar(0x0661))).isEmpty()); // other digits
    }

    void certificatesThatCannotBeStored() {
        Api api(m_dir.path());
        const QByteArray a(32, '\x01');
        put(config(), "[SERVER]\r\nHOST=x\r\n");
        for (const char* host : {"", "a=b", ";commento", "[sezione", "due parole", "città.it"})
            QVERIFY2(!rememberCertificate(api, QString::fromUtf8(host), 4000, a), host);
        QVERIFY(!rememberCertificate(api, "localhost", 4000, QByteArray(20, '\x01')));
        QCOMPARE(get(config()), QByteArray("[SERVER]\r\nHOST=x\r\n"));

        ReadOnlyFolder locked(m_dir.path());
        if (!locked.ok())
            QSKIP("the folder cannot be made read-only here");
        QVERIFY(!rememberCertificate(api, "localhost", 4000, a));
        QCOMPARE(get(config()), QByteArray("[SERVER]\r\nHOST=x\r\n"));
    }
};

QTEST_MAIN(TestServerSettings)
#include "tst_serversettings.moc"
