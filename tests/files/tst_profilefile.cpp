#include "files/ProfileFile.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace ProfileFile;

class TestProfileFile : public QObject {
    Q_OBJECT

    ScratchFile m_config{"config.ini"};

private slots:
    void init() { m_config.remove(); }

    void missingPiecesReadEmpty() {
        QCOMPARE(readValue(m_config.path, "BOTTONE 1", "CAPTION"), QString());
        m_config.put("[BOTTONE 1]\r\nAZIONE=x\r\n[BOTTONE 2]\r\nCAPTION=due\r\n");
        QCOMPARE(readValue(m_config.path, "BOTTONE 1", "CAPTION"),
                 QString()); // key only in another section
        QCOMPARE(readValue(m_config.path, "BOTTONE 3", "CAPTION"), QString());
        QCOMPARE(readValue(m_config.path, "BOTTONE 2", "CAPTION"), QString("due"));
        // A key before any section belongs to none.
        m_config.put("CAPTION=orfano\r\n[BOTTONE 1]\r\n");
        QCOMPARE(readValue(m_config.path, "BOTTONE 1", "CAPTION"), QString());
    }

    void namesMatchRegardlessOfCase() {
        m_config.put("[bottone 1]\r\ncaption=Ciao\r\n  [ Citt\xE0 ]  \r\n\tKey\t=v\r\n");
        QCOMPARE(readValue(m_config.path, "BOTTONE 1", "CAPTION"), QString("Ciao"));
        QCOMPARE(readValue(m_config.path, "CITTÀ", "KEY"), QString("v"));
        // Writing through other letter case replaces the same key, not a new one.
        QVERIFY(writeValue(m_config.path, "Bottone 1", "Caption", "Nuovo"));
        QCOMPARE(m_config.bytes(),
                 QByteArray("[bottone 1]\r\ncaption=Nuovo\r\n  [ Citt\xE0 ]  \r\n\tKey\t=v\r\n"));
    }

    void writeCreatesFileSectionAndKey() {
        QVERIFY(writeValue(m_config.path, "BOTTONE 1", "CAPTION", "Uno"));
        QCOMPARE(m_config.bytes(), QByteArray("[BOTTONE 1]\r\nCAPTION=Uno\r\n"));
        QVERIFY(writeValue(m_config.path, "BOTTONE 1", "AZIONE", "guarda<%>nord"));
        QVERIFY(writeValue(m_config.path, "BOTTONE 2", "STATO", "Attivo"));
        QCOMPARE(m_config.bytes(),
                 QByteArray("[BOTTONE 1]\r\nCAPTION=Uno\r\nAZIONE=guarda<%>nord\r\n"
                            "[BOTTONE 2]\r\nSTATO=Attivo\r\n"));
        // A new key goes after the section's last line, before the blank lines
        // that separate it from the next one.
        m_config.put("[A]\r\nk=1\r\n\r\n[B]\r\nk=2");
        QVERIFY(writeValue(m_config.path, "A", "n", "x"));
        QVERIFY(writeValue(m_config.path, "B", "n", "y")); // the last line had no line end
        QVERIFY(writeValue(m_config.path, "C", "n", "z"));
        QCOMPARE(m_config.bytes(),
                 QByteArray("[A]\r\nk=1\r\nn=x\r\n\r\n[B]\r\nk=2\r\nn=y\r\n[C]\r\nn=z\r\n"));
    }

    void otherLinesKeptByteForByte() {
        const QByteArray before = "; configurazione\r\n"
                                  "\r\n"
                                  "[SERVER]\r\n"
                                  "HOST=gioco.example\n" // lone LF
                                  "[BOTTONE 3]\r\n"
                                  "   CAPTION = vecchio  \r\n"
                                  "riga strana senza uguale\r\n"
                                  "\x01\x00\xFF garbage=\r\n"
                                  ";CAPTION=commento\r\n";
        const QByteArray tail = "[BOTTONE 4]\r\nCAPTION=quattro\r\n\r\n\r\n   ";
        m_config.put(before + tail);
        QVERIFY(writeValue(m_config.path, "BOTTONE 3", "CAPTION", "nuovo"));
        QByteArray expected = before;
        expected.replace("   CAPTION = vecchio  \r\n", "   CAPTION =nuovo\r\n");
        QCOMPARE(m_config.bytes(), expected + tail);
        QCOMPARE(readValue(m_config.path, "SERVER", "HOST"), QString("gioco.example"));
        // A comment that looks like a key is neither read nor replaced.
        QVERIFY(writeValue(m_config.path, "BOTTONE 4", "X", "1"));
        QCOMPARE(readValue(m_config.path, "BOTTONE 3", ";CAPTION"), QString());
        // Writing the value already stored changes nothing.
        const QByteArray now = m_config.bytes();
        QVERIFY(writeValue(m_config.path, "BOTTONE 3", "CAPTION", "nuovo"));
        QCOMPARE(m_config.bytes(), now);
    }

    void valuesKeptExactlyAndEightBit() {
        const QString odd = QString::fromUtf8("  \"tra virgolette\" €é§ ;no comment=");
        const QString longValue = QString("abcdefghij").repeated(30);
        QVERIFY(writeValue(m_config.path, "S", "odd", odd));
        QVERIFY(writeValue(m_config.path, "S", "long", longValue));
        QVERIFY(writeValue(m_config.path, "S", "empty", QString()));
        QCOMPARE(readValue(m_config.path, "S", "odd"), odd);
        QCOMPARE(readValue(m_config.path, "S", "long"), longValue);
        QCOMPARE(readValue(m_config.path, "S", "empty"), QString());
        // One byte per character in the 8-bit code page.
        QVERIFY(m_config.bytes().contains("\"tra virgolette\" \x80\xE9\xA7 ;no comment=\r\n"));
    }

    void byteOrderMarkBeforeFirstSection() {
        m_config.put("\xEF\xBB\xBF[BOTTONE 1]\r\nCAPTION=Uno\r\n");
        QCOMPARE(readValue(m_config.path, "BOTTONE 1", "CAPTION"), QString("Uno"));
        QVERIFY(writeValue(m_config.path, "BOTTONE 1", "CAPTION", "Due"));
        QCOMPARE(m_config.bytes(), QByteArray("\xEF\xBB\xBF[BOTTONE 1]\r\nCAPTION=Due\r\n"));
    }

    void firstMatchWins() {
        m_config.put("[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\nj=4\r\n");
        QCOMPARE(readValue(m_config.path, "S", "k"), QString("1"));
        QCOMPARE(readValue(m_config.path, "S", "j"), QString()); // only the first section counts
        QVERIFY(writeValue(m_config.path, "S", "k", "9"));
        QCOMPARE(m_config.bytes(), QByteArray("[S]\r\nk=9\r\nk=2\r\n[s]\r\nk=3\r\nj=4\r\n"));
    }

    void valuesThatWouldBreakTheFileAreRefused() {
        m_config.put("[S]\r\nk=1\r\n");
        const QString breaks = "spezzerebbe le righe";
        const struct {
            QString section, key, value, says;
        } refused[] = {
            {"S", "k", "a\r\n[T]\r\nk=evil", breaks},
            {"S", "k", "a\nb", breaks},
            {"S]x", "k", "1", breaks},
            {"S", "k=", "1", breaks},
            {"S", "  ", "1", breaks},
            {"S", "[k", "1", breaks},
            // A character the 8-bit file cannot hold would be stored as '?'.
            {"S", "k", QStringLiteral("nord→sud"), "U+2192"},
            {QStringLiteral("Ł"), "k", "1", "U+0141"},
        };
        for (const auto& r : refused) {
            const FileResult result = writeValue(m_config.path, r.section, r.key, r.value);
            QCOMPARE(result.kind, FileResult::Kind::WriteFailed);
            QVERIFY2(result.message.contains(r.says) && result.message.contains("config.ini"),
                     qPrintable(result.message));
        }
        QCOMPARE(m_config.bytes(), QByteArray("[S]\r\nk=1\r\n"));
    }

    void failedWriteKeepsPreviousFile() {
        m_config.put("[S]\r\nk=1\r\n");
        {
            ReadOnlyFolder ro(m_config.dir.path());
            if (!ro.ok())
                QSKIP("cannot make a folder read-only here");
            QVERIFY(!writeValue(m_config.path, "S", "k", "2"));
            QVERIFY(!writeValue(m_config.path, "T", "k", "2"));
            QCOMPARE(readValue(m_config.path, "S", "k"), QString("1"));
        }
        QCOMPARE(m_config.bytes(), QByteArray("[S]\r\nk=1\r\n"));
        QCOMPARE(QDir(m_config.dir.path()).entryList(QDir::Files), QStringList{"config.ini"});
        // A folder that does not exist cannot take the file either.
        QVERIFY(writeValue(m_config.dir.filePath("manca/config.ini"), "S", "k", "1")
                    .message.endsWith("il file o la cartella non si possono scrivere"));
        // A name that is a folder reads empty and is not replaced.
        QVERIFY(QDir(m_config.dir.path()).mkdir("cartella.ini"));
        QCOMPARE(readValue(m_config.dir.filePath("cartella.ini"), "S", "k"), QString());
        QVERIFY(writeValue(m_config.dir.filePath("cartella.ini"), "S", "k", "1")
                    .message.endsWith("il file esiste ma non si può leggere"));
        QVERIFY(QFileInfo(m_config.dir.filePath("cartella.ini")).isDir());
    }

    void garbageAndHugeFilesAreHandled() {
        QByteArray garbage(1 << 20, '\0');
        QRandomGenerator rng(7);
        for (char& c : garbage)
            c = char(rng.bounded(256));
        m_config.put(garbage);
        QCOMPARE(readValue(m_config.path, "BOTTONE 1", "CAPTION"), QString());
        QVERIFY(writeValue(m_config.path, "BOTTONE 1", "CAPTION", "ok"));
        QCOMPARE(readValue(m_config.path, "BOTTONE 1", "CAPTION"), QString("ok"));
        QVERIFY(m_config.bytes().startsWith(garbage));

        // 64 MiB on one line with no line end.
        QFile f(m_config.path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < 64; ++i)
            f.write(block);
        f.close();
        QCOMPARE(readValue(m_config.path, "S", "k"), QString());
        QVERIFY(writeValue(m_config.path, "S", "k", "v"));
        QCOMPARE(readValue(m_config.path, "S", "k"), QString("v"));
        QCOMPARE(QFileInfo(m_config.path).size(),
                 qint64(64 << 20) + 12); // CR LF, "[S]", CR LF, "k=v", CR LF
    }
};

QTEST_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
