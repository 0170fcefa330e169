#pragma once
// What the scripts may do to the rest of the client: send commands and show
// lines of their own, send the character's data beside the text, drive the
// gauges and speak. Changes to the server's lines (gag, substitute,
// highlight) are not asked of the host: they come back from the engine's
// line filter with the line.
#include <QJsonValue>
#include <QRgb>
#include <QString>

#include <optional>

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
    // A message of the data channel; false, and nothing sent, while the
    // server has not agreed to it.
    virtual bool sendGmcp(const QString& package, const QJsonValue& data) {
        (void)package;
        (void)data;
        return false;
    }
    // Shows gauge name with these figures, in colour when given; false when
    // there is no room for another gauge.
    virtual bool setGauge(const QString& name, qint64 current, qint64 max,
                          std::optional<QRgb> colour) {
        (void)name;
        (void)current;
        (void)max;
        (void)colour;
        return false;
    }
    // Said by the game's voice when the player has it on; nothing otherwise.
    virtual void speak(const QString& text) { (void)text; }
    // A line about to be shown that the game's voice should not say.
    virtual void keepQuiet(const QString& line) { (void)line; }
};
