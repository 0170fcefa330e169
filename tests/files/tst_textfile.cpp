// Text files in the game's code page: line splitting, byte-exact round trip,
// atomic replacement, appending and reported failures.
#include "files/TextFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
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
    void appendsAndReportsFailures();
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
    QString error;
    QVERIFY(!TextFile::readLines(p, lines, &error));
    QVERIFY(error.contains("nuovo.txt"));
    QVERIFY(!QFile::exists(p));
    QVERIFY(TextFile::readLines(p, lines, &error, true));
    QVERIFY(lines.isEmpty());
    QVERIFY(QFile::exists(p));
    // A folder that is not there cannot hold the file: reported, not thrown.
    error.clear();
    QVERIFY(!TextFile::readLines(dir.filePath("manca/x.txt"), lines, &error, true));
    QVERIFY(error.startsWith("Impossibile creare"));
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
    QString error;
    const bool ok = TextFile::writeAll(p, QString(100000, QLatin1Char('x')), &error);
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(!ok);
    QVERIFY(error.startsWith("Impossibile scrivere"));
    QCOMPARE(get(p), QByteArray("vecchio<!>contenuto<%>\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"store.txt"});
}

void TstTextFile::appendsAndReportsFailures() {
    QTemporaryDir dir;
    const QString p = dir.filePath("log.txt");
    QVERIFY(TextFile::append(p, "uno"));
    QVERIFY(TextFile::append(p, QStringLiteral("è\r\n")));
    QCOMPARE(get(p), QByteArray("uno\xe8\r\n"));
    QString error;
    QVERIFY(!TextFile::append(dir.filePath("manca/log.txt"), "x", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!TextFile::writeAll(dir.filePath("manca/y.txt"), "x", &error));

    // Text the code page cannot hold is refused whole, never written as '?'.
    const QString store = dir.filePath("alias.txt");
    put(store, "a<!>b\r\n");
    QVERIFY(!TextFile::writeAll(store, QStringLiteral("a<!>\u00A0ok\r\nb<!>\u0142\r\n"), &error));
    QVERIFY(error.contains(QStringLiteral("«ł» (U+0142)")) && error.contains("alias.txt"));
    QCOMPARE(get(store), QByteArray("a<!>b\r\n"));
    QVERIFY(!TextFile::append(p, QStringLiteral("\U0001F600"), &error));
    QCOMPARE(get(p), QByteArray("uno\xe8\r\n"));
}

QTEST_MAIN(TstTextFile)
#include "tst_textfile.moc"
