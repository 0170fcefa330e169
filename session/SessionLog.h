#pragma once
// The player's record of the game's output: one file per day in the Log
// folder. The day's file stays open while the switch is on; what is written
// reaches the disk at each line end, and a partial line (a prompt) within
// kFlushInterval. At midnight the next piece opens the new day's file.
// Every write returns what became of it, and a failure is announced once per
// run of failures; the window decides what the player is told, and when.
//
// A file never mixes two encodings: what comes in the game's code page goes
// to "dd-mm-yyyy.txt" in Windows-1252, as it always has; what comes from a
// server speaking UTF-8 goes to "dd-mm-yyyy-utf8.txt" in UTF-8 (begun with a
// byte-order mark so that editors know it), so no character is lost.
#include "files/FileResult.h"
#include "protocol/TextCodec.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <utility>

class SessionLog : public QObject {
    Q_OBJECT
public:
    static constexpr int kFlushInterval = 1000; // milliseconds

    explicit SessionLog(QString programFolder, QObject* parent = nullptr);

    // The clock that names the day's file and fills the start banner.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // The log switch: writes the start banner when ticked, the end banner
    // (and closes the file) when unticked. The switch changes even when the
    // file cannot be written.
    FileResult setEnabled(bool ticked);
    bool isEnabled() const { return m_enabled; }

    // Appends one piece of server text, as written into the display. Done
    // when the switch is off.
    FileResult writePiece(QStringView piece);
    FileResult writePiece(const QString& piece) { return writePiece(QStringView(piece)); }

    // The encoding of the text written from now on. A change while the log
    // is on starts the other file with a start banner of its own.
    FileResult setEncoding(TextEncoding encoding);
    TextEncoding encoding() const { return m_encoding; }

    // Puts what waits on the disk, and opens the day's file again when it is
    // no longer where it was (the player moved or removed it).
    FileResult flush();

    // The file a write made now would go to.
    QString currentPath() const;

    static QString startBanner(const QDateTime& now);
    static QString endBanner();

signals:
    // A write failed after one that worked (or as the first): once per run
    // of failures.
    void failed(const FileResult& result);

private:
    FileResult append(QStringView text, const QDateTime& now);
    FileResult open(const QDateTime& now);
    void close();
    FileResult failure(const QString& path);
    FileResult told(FileResult result);
    QString pathFor(const QDate& day, TextEncoding encoding) const;

    QString m_folder;
    std::function<QDateTime()> m_clock;
    bool m_enabled = false;
    TextEncoding m_encoding = TextEncoding::Cp1252;
    bool m_failing = false; // the last write failed and was announced
    QFile m_file;           // the day's file while it is open
    QDate m_fileDay;
    TextEncoding m_fileEncoding = TextEncoding::Cp1252;
    QTimer m_flushTimer;
};
