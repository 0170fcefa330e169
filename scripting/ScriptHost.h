#pragma once
// What the scripts may do to the rest of the client: send commands and show
// lines of their own. Changes to the server's lines (gag, substitute,
// highlight) are not asked of the host: they come back from the engine's
// line filter with the line.
#include <QRgb>
#include <QString>

class ScriptHost {
public:
    enum class Send {
        Typed, // as if typed on the input line: the player's aliases apply
        Raw,   // straight to the server
        Reply, // a trigger's answer, sent and shown like the old triggers' replies
    };
    virtual ~ScriptHost() = default;
    virtual void sendCommand(const QString& text, Send how) = 0;
    // A line of the client's own in the display (echo, script errors).
    virtual void showLine(const QString& text, QRgb colour) = 0;
};
