#pragma once
// What an operation on one of the player's files came to. Anything to tell
// comes as one complete sentence in Italian that names the file; whether and
// how the player sees it (a message box, its title and icon) is decided by
// the window that asked, never here.
#include <QString>
#include <utility>

struct FileResult {
    enum class Kind {
        Done,        // nothing to tell
        Notice,      // done, but part of the file is not in use
        ReadFailed,  // nothing read: what was in memory is kept
        WriteFailed, // nothing written: the file on disk is as it was
    };
    Kind kind = Kind::Done;
    QString message; // empty when Done

    static FileResult done() { return {}; }
    static FileResult notice(QString text) { return {Kind::Notice, std::move(text)}; }
    static FileResult readFailed(QString text) { return {Kind::ReadFailed, std::move(text)}; }
    static FileResult writeFailed(QString text) { return {Kind::WriteFailed, std::move(text)}; }

    bool ok() const { return kind == Kind::Done || kind == Kind::Notice; }
    explicit operator bool() const { return ok(); }
};
