// The daily log file, written through the real file system with a clock the
// test sets, and fed by the colour renderer.
#include "protocol/ColourRenderer.h"
#include "session/SessionLog.h"
#include "support/RecordingDisplay.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray kStartLine = "*******************[ inizio log ]*******************";
const QByteArray kStars = "****************************************************";
const QByteArray kEndLine = "********************[ fine log ]********************";
} // namespace

class TstSessionLog : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QDateTime now;

    QByteArray fileOf(const QString& day) {
        QFile f(dir.path() + "/Log/" + day + ".txt");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void useTestClock(SessionLog& log) {
        log.setClock([this] { return now; });
    }

private slots:
    void init() {
        QDir(dir.path() + "/Log").removeRecursively();
        QVERIFY(QDir(dir.path()).mkpath("Log"));
        now = QDateTime(QDate(2026, 3, 7), QTime(21, 5, 9));
    }

    void bannersAndPiecesSameDay() {
        SessionLog log(dir.path());
        useTestClock(log);
        log.writePiece("not logged\r\n"); // switch off
        log.setEnabled(true);
        QVERIFY(log.isEnabled());
        now = now.addSecs(60);
        log.writePiece("Benvenuto è€\r\n");
        log.writePiece("> ");
        log.setEnabled(false);
        log.writePiece("after\r\n");
        const QByteArray expected =
            "\r\n" + kStartLine + "\r\n[ Log del 07-03-2026 delle ore: " + "21:05:09 ]\r\n" +
            kStars + "\r\n\r\n" + "Benvenuto \xE8\x80\r\n> " + "\r\n" + kEndLine + "\r\n\r\n";
        QCOMPARE(fileOf("07-03-2026"), expected);

        // Ticking again the same day appends a second banner; the hour is 24-hour.
        now = QDateTime(QDate(2026, 3, 7), QTime(8, 0, 1));
        log.setEnabled(true);
        QVERIFY(fileOf("07-03-2026").startsWith(expected));
        QVERIFY(
            fileOf("07-03-2026")
                .endsWith("[ Log del 07-03-2026 delle ore: 08:00:01 ]\r\n" + kStars + "\r\n\r\n"));
    }

    void acrossMidnight() {
        SessionLog log(dir.path());
        useTestClock(log);
        now = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59));
        log.setEnabled(true);
        log.writePiece("old year\r\n");
        now = now.addSecs(2);
        log.writePiece("new year\r\n");
        log.setEnabled(false);
        QVERIFY(fileOf("31-12-2026").endsWith("old year\r\n"));
        QCOMPARE(fileOf("01-01-2027"), "new year\r\n\r\n" + kEndLine + "\r\n\r\n");
        // Unticking with no start banner that day still writes the end banner.
        now = now.addDays(1);
        log.setEnabled(false);
        QCOMPARE(fileOf("02-01-2027"), "\r\n" + kEndLine + "\r\n\r\n");
    }

    void utf8TextKeepsEveryCharacterInAFileOfItsOwn() {
        SessionLog log(dir.path());
        useTestClock(log);
        QVERIFY(log.setEnabled(true).ok());
        QVERIFY(log.writePiece(QStringLiteral("prima\r\n")).ok());
        QVERIFY(log.setEncoding(TextEncoding::Utf8).ok());
        QVERIFY(log.writePiece(QStringLiteral("città € łódź\r\n")).ok());
        QVERIFY(log.setEnabled(false).ok());
        // The code-page file is as it always was; the UTF-8 file holds every
        // character and stands on its own, banners included.
        const QByteArray cp = fileOf("07-03-2026");
        QVERIFY(cp.endsWith(kStars + "\r\n\r\nprima\r\n"));
        const QByteArray utf8 = fileOf("07-03-2026-utf8");
        QVERIFY(utf8.startsWith("\xEF\xBB\xBF\r\n" + kStartLine));
        QVERIFY(utf8.contains(QStringLiteral("città € łódź\r\n").toUtf8()));
        QVERIFY(utf8.endsWith(kEndLine + "\r\n\r\n"));
        QCOMPARE(utf8.count("\xEF\xBB\xBF"), 1);
        // Back to the code page: later text goes to its own file again.
        QVERIFY(log.setEncoding(TextEncoding::Cp1252).ok());
        QVERIFY(log.setEnabled(true).ok());
        QVERIFY(log.writePiece(QStringLiteral("dopo")).ok());
        QVERIFY(log.flush());
        QVERIFY(fileOf("07-03-2026").endsWith("dopo"));
        QVERIFY(fileOf("07-03-2026-utf8").endsWith(kEndLine + "\r\n\r\n"));
    }

    // The day's file stays open: a line end reaches the disk at once, a
    // partial line within the flush interval; a file removed meanwhile is
    // made again.
    void writtenThroughAtLineEndsAndOnTheTimer() {
        SessionLog log(dir.path());
        useTestClock(log);
        log.setEnabled(true);
        const QByteArray banner = fileOf("07-03-2026");
        QVERIFY(banner.endsWith(kStars + "\r\n\r\n"));
        log.writePiece("HP 10> ");
        QCOMPARE(fileOf("07-03-2026"), banner);
        log.writePiece("n\r\nsei a nord");
        QCOMPARE(fileOf("07-03-2026"), banner + "HP 10> n\r\nsei a nord");
        log.writePiece("> ");
        QTRY_COMPARE(fileOf("07-03-2026"), banner + "HP 10> n\r\nsei a nord> ");
        QVERIFY(QFile::remove(dir.path() + "/Log/07-03-2026.txt"));
        QVERIFY(log.flush());
        log.writePiece("ancora\r\n");
        QCOMPARE(fileOf("07-03-2026"), "ancora\r\n");
    }

    void rendererFeedsTheLog() {
        SessionLog log(dir.path());
        useTestClock(log);
        RecordingDisplay sink;
        ColourRenderer renderer(sink);
        renderer.setLogHook([&log](QStringView piece) { log.writePiece(piece); });
        log.setEnabled(true);
        QString chunk = QString("uno$0$due") + QChar(0x1B) + "[1;32mtre " + QChar(0x1B) + "[3";
        renderer.render(chunk);
        const QByteArray before = fileOf("07-03-2026");
        QVERIFY(before.endsWith("uno\r\ndue"));
        renderer.render(u"1mquattro$0$"); // after the kept "tre " and cut sequence
        QVERIFY(fileOf("07-03-2026").endsWith("uno\r\nduetre quattro\r\n"));
    }

    void unwritableFileIsReportedEachTime() {
        ScriptedDialogs dialogs;
        SessionLog log(dir.path());
        useTestClock(log);
        QSignalSpy told(&log, &SessionLog::failed);
        QVERIFY(QDir(dir.path() + "/Log").removeRecursively()); // nowhere to write
        const FileResult banner = log.setEnabled(true);
        QCOMPARE(banner.kind, FileResult::Kind::WriteFailed);
        QCOMPARE(banner.message, "Impossibile scrivere nel file di log " +
                                     QDir::toNativeSeparators(dir.path() + "/Log/07-03-2026.txt"));
        QCOMPARE(log.writePiece("a").kind, FileResult::Kind::WriteFailed);
        QVERIFY(log.isEnabled());
        QVERIFY(!log.setEnabled(false)); // the switch still works
        QVERIFY(!log.isEnabled());
        QCOMPARE(log.writePiece("off").kind, FileResult::Kind::Done);

        QVERIFY(QDir(dir.path()).mkpath("Log"));
        QCOMPARE(told.size(), 1); // once for the whole run of failures
        QCOMPARE(told.first().first().value<FileResult>().message, banner.message);
        QVERIFY(log.setEnabled(true));
        QVERIFY(log.writePiece("c"));
        QVERIFY(log.flush());
        QVERIFY(fileOf("07-03-2026").endsWith("\r\n\r\nc"));
        QVERIFY(QDir(dir.path() + "/Log").removeRecursively()); // a new run
        QVERIFY(!log.flush());
        QCOMPARE(told.size(), 2);
        // Telling the player is the window's business.
        QCoreApplication::processEvents();
        QVERIFY(dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TstSessionLog)
#include "tst_sessionlog.moc"
