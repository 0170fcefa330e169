#pragma once
// The player's scripts in the running client: the engine over the player's
// script/ folder, reading the session's server lines through the text path's
// line filter, answering through the session, and told when the session
// opens and closes. Typed lines reach its aliases before alias.txt.
#include "scripting/ScriptEngine.h"

#include <QObject>

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

    void sendCommand(const QString& text, Send how) override;
    void showLine(const QString& text, QRgb colour) override;

private:
    GameSession& m_session;
    PairTable& m_aliases;
    ScriptEngine m_engine;
};
