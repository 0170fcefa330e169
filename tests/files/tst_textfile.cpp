// Text files in the game's code page: line splitting, byte-exact round trip,
// atomic replacement and reported failures.
#include "files/TextFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

class TstTextFile : public QObject {
    Q_OBJECT
private slots:
    void splitsLinesAtCrLfAndLoneLf();
    void createsMissingFileOnlyWhenAsked();
    void codePageRoundTripIsByteExact();
    void failedReplaceKeepsPreviousFile();
    void reportsFailures_data();
    void reportsFailures();
};

void TstTextFile::splitsLinesAtCrLfAndLoneLf() {
    QTemporaryDir dir;
    const QString p = dir.filePath("a.txt");
    put(p, "uno\r\ndue\n\r\ntre\rquattro\r\n\r\ncinque");
    QStringList lines;
    QVERIFY(TextFile::readLines(p, lines));
    QCOMPARE(lines, (QStringList{"uno", "due", "", "tre\rquattro", "", "cinque"}));

    put(p, "");
    QVERIFY(TextFile::readLines(p, lines));
    QVERIFY(lines.isEmpty());
    put(p, "solo\r\n");
    QVERIFY(TextFile::readLines(p, lines));
    QCOMPARE(lines, QStringList{"solo"});
    put(p, "\r\n");
    QVERIFY(TextFile::readLines(p, lines));
    QCOMPARE(lines, QStringList{""});
}

void TstTextFile::createsMissingFileOnlyWhenAsked() {
    QTemporaryDir dir;
    const QString p = dir.filePath("nuovo.txt");
    QStringList lines{"stale"};
    QVERIFY(!TextFile::readLines(p, lines));
    QCOMPARE(lines, QStringList{"stale"});
    QVERIFY(!QFile::exists(p));
    QCOMPARE(TextFile::readLines(p, lines, true).kind, FileResult::Kind::Done);
    QVERIFY(lines.isEmpty());
    QVERIFY(QFile::exists(p));
}

void TstTextFile::codePageRoundTripIsByteExact() {
    QTemporaryDir dir;
    const QString p = dir.filePath("cp.txt");
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        if (b != '\n' && b != '\r')
            all.append(char(b));
    put(p, all + "\r\n");
    QStringList lines;
    QVERIFY(TextFile::readLines(p, lines));
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].contains(QChar(0x201C))); // 0x93
    QVERIFY(lines[0].contains(QChar(0x20AC))); // 0x80
    QVERIFY(TextFile::writeLines(p, lines));
    QCOMPARE(get(p), all + "\r\n");

    QVERIFY(TextFile::writeAll(p, QStringLiteral("città§\r\n")));
    QCOMPARE(get(p), QByteArray("citt\xe0\xa7\r\n"));
    QString text;
    QVERIFY(TextFile::readAll(p, text));
    QCOMPARE(text, QStringLiteral("città§\r\n"));
}

void TstTextFile::failedReplaceKeepsPreviousFile() {
    QTemporaryDir dir;
    const QString p = dir.filePath("store.txt");
    put(p, "vecchio<!>contenuto<%>\r\n");
    // Limit file size so the write fails halfway, as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const FileResult r = TextFile::writeAll(p, QString(100000, QLatin1Char('x')));
    setrlimit(RLIMIT_FSIZE, &old);
    QCOMPARE(r.kind, FileResult::Kind::WriteFailed);
    QVERIFY(r.message.startsWith("Impossibile scrivere il file \"store.txt\""));
    QCOMPARE(get(p), QByteArray("vecchio<!>contenuto<%>\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"store.txt"});
}

// Each failure is told in Italian with the file's name and leaves what was
// on disk as it was.
void TstTextFile::reportsFailures_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("says");
    const int read = int(FileResult::Kind::ReadFailed);
    const int write = int(FileResult::Kind::WriteFailed);
    QTest::newRow("read missing") << "readLines"
                                  << "nuovo.txt"
                                  << "" << read << "Impossibile aprire il file \"nuovo.txt\"";
    QTest::newRow("create in missing folder")
        << "create"
        << "manca/x.txt"
        << "" << read << "Impossibile creare il file \"x.txt\"";
    QTest::newRow("read all missing") << "readAll"
                                      << "nota.not"
                                      << "" << read << "Impossibile aprire il file \"nota.not\"";
    QTest::newRow("write in missing folder")
        << "writeAll"
        << "manca/y.txt"
        << "x" << write << "Impossibile scrivere il file \"y.txt\"";
    QTest::newRow("lines in missing folder")
        << "writeLines"
        << "manca/z.txt"
        << "x" << write << "Impossibile scrivere il file \"z.txt\"";
    // Text the code page cannot hold is refused whole, never written as '?'.
    QTest::newRow("misfit") << "writeAll"
                            << "alias.txt" << QStringLiteral("a<!>\u00A0ok\r\nb<!>\u0142\r\n")
                            << write << QStringLiteral("«ł» (U+0142)");
}

void TstTextFile::reportsFailures() {
    QFETCH(QString, op);
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString p = dir.filePath(file);
    if (file == "alias.txt")
        put(p, "a<!>b\r\n");
    QStringList lines{"stale"};
    QString read = "stale";
    FileResult r;
    if (op == "readLines" || op == "create")
        r = TextFile::readLines(p, lines, op == "create");
    else if (op == "readAll")
        r = TextFile::readAll(p, read);
    else if (op == "writeAll")
        r = TextFile::writeAll(p, text);
    else
        r = TextFile::writeLines(p, {text});
    QCOMPARE(int(r.kind), kind);
    QVERIFY(!r);
    QVERIFY2(r.message.contains(says), qPrintable(r.message));
    QVERIFY2(r.message.contains(QFileInfo(file).fileName()), qPrintable(r.message));
    QCOMPARE(lines, QStringList{"stale"});
    QCOMPARE(read, QString("stale"));
    if (file == "alias.txt")
        QCOMPARE(get(p), QByteArray("a<!>b\r\n"));
    else
        QVERIFY(!QFile::exists(p));
}

QTEST_MAIN(TstTextFile)
#include "tst_textfile.moc"
