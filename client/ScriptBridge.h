#pragma once
// The player's scripts in the running client: the engine over the player's
// script/ folder, reading the session's server lines through the text path's
// line filter, answering through the session, and told when the session
// opens and closes. Typed lines reach its aliases before alias.txt. The
// scripts' gauges go to the window's gauge bar; what they want spoken, or
// kept quiet, is announced for the window's voice to follow.
#include "display/GaugeBar.h"
#include "scripting/ScriptEngine.h"

#include <QObject>
#include <QPointer>

class GameSession;
struct PairTable;

class ScriptBridge : public QObject, public ScriptHost {
    Q_OBJECT
public:
    // configPath: config.ini, for the limits of [SCRIPT].
    ScriptBridge(const QString& scriptFolder, const QString& configPath, GameSession& session,
                 PairTable& aliases, QObject* parent = nullptr);
    ~ScriptBridge() override;

    ScriptEngine& engine() { return m_engine; }
    // A line typed on the input line: true when a script alias took it.
    bool takeTyped(const QString& line) { return m_engine.filterInput(line); }

    // Where gauge() draws; none: every gauge() fails for want of room.
    void setGauges(GaugeBar* gauges) { m_gauges = gauges; }

    void sendCommand(const QString& text, Send how) override;
    void showLine(const QString& text, QRgb colour) override;
    bool sendGmcp(const QString& package, const QJsonValue& data) override;
    bool setGauge(const QString& name, qint64 current, qint64 max,
                  std::optional<QRgb> colour) override;
    void speak(const QString& text) override { emit speechAsked(text); }
    void keepQuiet(const QString& line) override { emit lineKeptQuiet(line); }

signals:
    // A script's speak(): said only when the game's voice is on.
    void speechAsked(const QString& text);
    // A silent trigger's line, about to be shown: not to be said.
    void lineKeptQuiet(const QString& line);

private:
    GameSession& m_session;
    QPointer<GaugeBar> m_gauges;
    PairTable& m_aliases;
    ScriptEngine m_engine;
};
