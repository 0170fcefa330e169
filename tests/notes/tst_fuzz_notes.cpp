// Note files from the fuzzer: odd fields come back exactly after a save.
#include "notes/NoteFile.h"

#include <QTemporaryDir>
#include <QTest>

using NoteFile::Note;

class TestFuzzNotes : public QObject {
    Q_OBJECT

private slots:
    // Fields without tag text, however odd, come back exactly.
    void oddFieldsRoundTrip() {
        const Note note{u"  a\u00A0<DEST"_qs, "</SOG>x<sogg>", "\n<DEST>b</DEST>\n\n</SOGG>\n"};
        QTemporaryDir dir;
        const QString path = dir.filePath("nota.not");
        QVERIFY(NoteFile::save(path, note));
        QString text;
        QVERIFY(NoteFile::load(path, text));
        const NoteFile::Parsed p = NoteFile::parse(text);
        QCOMPARE(p.dest, std::optional<QString>(note.dest));
        QCOMPARE(p.sogg, std::optional<QString>(note.sogg));
        QCOMPARE(p.body, note.body);
    }
};

QTEST_MAIN(TestFuzzNotes)
#include "tst_fuzz_notes.moc"
