#include "notes/NoteFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using NoteFile::Note;

class TestNoteFile : public QObject {
    Q_OBJECT

    static QByteArray readBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void commandsForEveryKindOfLine() {
        QCOMPARE(NoteFile::commands({"TUTTI", "prova", "uno\ndue"}),
                 (QStringList{"nota a TUTTI\r\n", "nota soggetto prova\r\n", "nota + uno\r\n",
                              "nota + due\r\n", "nota spedisci\r\n"}));
        // A final line break and an empty line inside give empty "nota + ".
        QCOMPARE(NoteFile::commands({"a b", "s", "uno\n\ndue\n"}).mid(2, 4),
                 (QStringList{"nota + uno\r\n", "nota + \r\n", "nota + due\r\n", "nota + \r\n"}));
        // Nothing is changed on the way: no substitution, no trimming.
        QCOMPARE(
            NoteFile::commands({" x ", "l'§<%>", "  {{Rrosso  "}).mid(0, 3),
            (QStringList{"nota a  x \r\n", "nota soggetto l'§<%>\r\n", "nota +   {{Rrosso  \r\n"}));
    }

    void lineBreaksNeverMakeCommandsOfTheirOwn() {
        const QStringList c = NoteFile::commands({"a\r\nspedisci", "b\nc", "uno\r\ndue\rtre"});
        QCOMPARE(c, (QStringList{"nota a a spedisci\r\n", "nota soggetto b c\r\n", "nota + uno\r\n",
                                 "nota + due\r\n", "nota + tre\r\n", "nota spedisci\r\n"}));
        const NoteFile::Parsed p = NoteFile::parse("<DEST>x\r\ny</DEST><SOGG>s\nt</SOGG>");
        QCOMPARE(p.dest, std::optional<QString>("x y"));
        QCOMPARE(p.sogg, std::optional<QString>("s t"));
    }

    void formatAndParseRoundTrip() {
        const Note n{"TUTTI", "prova", "uno\ndue"};
        QCOMPARE(NoteFile::format(n),
                 QString("<DEST>TUTTI</DEST>\r\n<SOGG>prova</SOGG>\r\nuno\r\ndue\r\n"));
        const NoteFile::Parsed p = NoteFile::parse(NoteFile::format(n));
        QCOMPARE(p.dest, std::optional<QString>("TUTTI"));
        QCOMPARE(p.sogg, std::optional<QString>("prova"));
        // The note comes back as it was written: no added empty first line.
        QCOMPARE(p.body, QString("uno\ndue"));
        // Leading and trailing empty lines of the note itself survive.
        for (const QString& body : {QString("\nuno\n"), QString("\n\n"), QString("x")})
            QCOMPARE(NoteFile::parse(NoteFile::format({"d", "s", body})).body, body);
    }

    void parseTagRules() {
        // Missing or reversed tags leave the field alone (nullopt).
        NoteFile::Parsed p = NoteFile::parse("</DEST>x<DEST>\r\n<SOGG>s</SOGG>\r\ncorpo\r\n");
        QVERIFY(!p.dest);
        QCOMPARE(p.sogg, std::optional<QString>("s"));
        QCOMPARE(p.body, QString("corpo"));
        // Letter case matters; the first occurrences count.
        p = NoteFile::parse("<dest>a</dest><SOGG>a</SOGG><SOGG>b</SOGG>\nresto");
        QVERIFY(!p.dest);
        QCOMPARE(p.sogg, std::optional<QString>("a"));
        QCOMPARE(p.body, QString("<SOGG>b</SOGG>\nresto"));
        // Without a subject the body follows the recipients' line.
        p = NoteFile::parse("<DEST>io</DEST>\r\nriga\r\n");
        QCOMPARE(p.dest, std::optional<QString>("io"));
        QCOMPARE(p.body, QString("riga"));
        // A file without tags is all body, not a character lost.
        p = NoteFile::parse("Ciao a tutti\r\nseconda\rterza\n");
        QCOMPARE(p.body, QString("Ciao a tutti\nseconda\nterza"));
        QVERIFY(NoteFile::parse(QString()).body.isEmpty());
    }

    void filesAreEightBitCrLf() {
        QTemporaryDir dir;
        const QString path = dir.filePath("prova.not");
        const Note n{"Gàndalf", "perché €", "uno\ndue"};
        QCOMPARE(NoteFile::save(path, n).kind, FileResult::Kind::Done);
        QCOMPARE(readBytes(path),
                 QByteArray("<DEST>G\xE0ndalf</DEST>\r\n<SOGG>perch\xE9 \x80</SOGG>"
                            "\r\nuno\r\ndue\r\n"));
        QString text;
        QCOMPARE(NoteFile::load(path, text).kind, FileResult::Kind::Done);
        QCOMPARE(NoteFile::parse(text).sogg, std::optional<QString>("perché €"));
        // Saving again replaces the file.
        QVERIFY(NoteFile::save(path, {"a", "b", "c"}));
        QCOMPARE(readBytes(path), QByteArray("<DEST>a</DEST>\r\n<SOGG>b</SOGG>\r\nc\r\n"));
    }

    void fileFailuresAreReported() {
        QTemporaryDir dir;
        const FileResult saved = NoteFile::save(dir.filePath("manca/x.not"), {"a", "b", "c"});
        QCOMPARE(saved.kind, FileResult::Kind::WriteFailed);
        QVERIFY(saved.message.contains("x.not"));
        QString text = "prima";
        const FileResult missing = NoteFile::load(dir.filePath("nessuna.not"), text);
        QCOMPARE(missing.kind, FileResult::Kind::ReadFailed);
        QVERIFY(missing.message.startsWith("Impossibile aprire"));
        QVERIFY(!NoteFile::load(dir.path(), text));
        // A file that opens but cannot be read (even by an administrator).
        if (QFile::exists("/proc/self/mem")) {
            const FileResult unreadable = NoteFile::load("/proc/self/mem", text);
            QCOMPARE(unreadable.kind, FileResult::Kind::ReadFailed);
            QVERIFY(!unreadable.message.isEmpty());
        }
        QCOMPARE(text, QString("prima"));
    }

    void extension() {
        QCOMPARE(NoteFile::withExtension("/n/prova"), QString("/n/prova.not"));
        QCOMPARE(NoteFile::withExtension("/n/prova.not"), QString("/n/prova.not"));
        QCOMPARE(NoteFile::withExtension("/n/PROVA.NOT"), QString("/n/PROVA.NOT"));
        QCOMPARE(NoteFile::withExtension("/n/prova.txt"), QString("/n/prova.txt.not"));
    }
};

QTEST_MAIN(TestNoteFile)
#include "tst_notefile.moc"
