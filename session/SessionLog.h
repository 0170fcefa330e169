#pragma once
// The player's record of the game's output: one file per day in the Log
// folder, opened, appended to and closed for every banner and every piece.
// Every write returns what became of it; the window decides what the player
// is told, and when.
//
// A file never mixes two encodings: what comes in the game's code page goes
// to "dd-mm-yyyy.txt" in Windows-1252, as it always has; what comes from a
// server speaking UTF-8 goes to "dd-mm-yyyy-utf8.txt" in UTF-8 (begun with a
// byte-order mark so that editors know it), so no character is lost.
#include "files/FileResult.h"
#include "protocol/TextCodec.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <utility>

class SessionLog {
public:
    explicit SessionLog(QString programFolder);

    // The clock that names the day's file and fills the start banner.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // The log switch: writes the start banner when ticked, the end banner
    // when unticked. The switch changes even when the file cannot be written.
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

    // The file a write made now would go to.
    QString currentPath() const;

    static QString startBanner(const QDateTime& now);
    static QString endBanner();

private:
    FileResult append(QStringView text, const QDateTime& now);
    QString pathFor(const QDateTime& now) const;

    QString m_folder;
    std::function<QDateTime()> m_clock;
    bool m_enabled = false;
    TextEncoding m_encoding = TextEncoding::Cp1252;
};
