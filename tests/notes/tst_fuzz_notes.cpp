// Note files the fuzzer found that do not reopen as they were saved.
#include "notes/NoteFile.h"

#include <QTemporaryDir>
#include <QTest>

using NoteFile::Note;

class TestFuzzNotes : public QObject {
    Q_OBJECT

private slots:
    // A hand-edited file without "<SOGG>" but with a stray "</SOGG>" inside the
    // recipients: the composer shows that text as recipients, and once saved
    // the file's own subject line and more end up in the body.
    void tagTextInsideAFieldSurvivesASave_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("stray closing subject tag in recipients")
            << QByteArray("<DEST>tutti</GG>salu;i</SOGG>\r\nriga uoi</DEST>\r\n<Stre\r\n");
        QTest::newRow("subject tag typed into recipients")
            << QByteArray("<DEST>a <SOGG>b</DEST>\r\n<SOGG>s</SOGG>\r\ncorpo\r\n");
    }
    void tagTextInsideAFieldSurvivesASave() {
        QFETCH(QByteArray, file);
        const NoteFile::Parsed first = NoteFile::parse(QString::fromLatin1(file));
        const Note note{first.dest.value_or(QString()), first.sogg.value_or(QString()), first.body};
        QTemporaryDir dir;
        const QString path = dir.filePath("nota.not");
        QVERIFY(NoteFile::save(path, note));
        const std::optional<QString> text = NoteFile::load(path);
        QVERIFY(text);
        const NoteFile::Parsed second = NoteFile::parse(*text);
        const auto shown = [](const NoteFile::Parsed& p) {
            return QStringList{p.dest.value_or("<nessuno>"), p.sogg.value_or("<nessuno>"), p.body};
        };
        QEXPECT_FAIL("", "the note file has no way to escape tag text inside a field", Abort);
        QCOMPARE(shown(second), (QStringList{note.dest, note.sogg, note.body}));
    }

    // Fields without tag text, however odd, come back exactly.
    void oddFieldsRoundTrip() {
        const Note note{u"  a\u00A0<DEST"_qs, "</SOG>x<sogg>", "\n<DEST>b</DEST>\n\n</SOGG>\n"};
        QTemporaryDir dir;
        const QString path = dir.filePath("nota.not");
        QVERIFY(NoteFile::save(path, note));
        const NoteFile::Parsed p = NoteFile::parse(*NoteFile::load(path));
        QCOMPARE(p.dest, std::optional<QString>(note.dest));
        QCOMPARE(p.sogg, std::optional<QString>(note.sogg));
        QCOMPARE(p.body, note.body);
    }
};

QTEST_MAIN(TestFuzzNotes)
#include "tst_fuzz_notes.moc"
