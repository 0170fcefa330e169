#pragma once
// The player's scripts: one Lua state loading script/*.lua in name order,
// and what they made (triggers, aliases, gags, substitutions, highlights,
// timers, event handlers), each with an id. The client hands it every line of
// server text, every message of the data channel and every typed line; what
// the scripts do goes out through the ScriptHost. A fault in a script is one line in the display,
// in a colour of its own, with file and line: the failing piece is left out, the rest runs.
#include "protocol/LineFilter.h"
#include "scripting/LuaState.h"
#include "scripting/PatternSet.h"
#include "scripting/ScriptHost.h"

#include <QList>
#include <QObject>
#include <QRgb>
#include <QStringList>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

class ScriptEngine : public QObject, public LineFilter {
    Q_OBJECT
public:
    static constexpr QRgb kErrorColour = qRgb(255, 110, 110);
    static constexpr QRgb kEchoColour = qRgb(192, 192, 192);
    static constexpr int kKeptErrors = 20;
    // Packages whose last message the `gmcp` table keeps across reloads.
    static constexpr int kKeptPackages = 200;
    static inline const QString kVarsFile = QStringLiteral("vars.dat");

    // What one script file made and still holds; file is empty for what
    // came from no file (a chunk given to load).
    struct FileSummary {
        QString file;
        int triggers = 0, aliases = 0, timers = 0, gags = 0, substitutes = 0, highlights = 0,
            handlers = 0;
    };

    ScriptEngine(ScriptHost& host, const QString& scriptFolder, LuaState::Limits limits = {},
                 QObject* parent = nullptr);
    ~ScriptEngine() override; // writes vars

    // [SCRIPT] LIMITE_MS and MEMORIA_MB of config.ini, defaults where unset.
    static LuaState::Limits limitsFromConfig(const QString& configPath);

    // A fresh state (timers cancelled, everything made dropped, vars kept)
    // loading every script again. While the folder holds no script and no
    // state was made, none is: isLoaded() stays false.
    void reload();
    bool isLoaded() const { return m_lua != nullptr; }

    // A line of server text as shown, or prompt text: triggers in the order
    // made, the line/prompt handlers, then gags, substitutions, highlights.
    Shown filterLine(const QString& text, bool prompt = false) override;
    // Anything that reads or changes server lines.
    bool active() const override;
    // Kept in the `gmcp` table, then handed to the "gmcp" handlers.
    void gmcpArrived(const GmcpMessage& message) override;
    // A typed line: true when a script alias took it.
    bool filterInput(const QString& line);
    // Loads the scripts when not yet loaded; the last connection's `gmcp`
    // table is emptied.
    void connected();
    void disconnected();

    // vars to disk now, when changed since the last write.
    void saveVars();

    // The files loaded, in name order, then any other origin of rules.
    QList<FileSummary> summary() const;
    // The errors since the last load, oldest first, at most kKeptErrors.
    const QStringList& lastErrors() const { return m_errors; }
    const QString& folder() const { return m_folder; }

signals:
    // Loaded again, or a new error: the script window shows it.
    void changed();

private:
    struct Api;
    friend struct Api;
    enum class Kind { Trigger, PromptTrigger, Alias, Gag, Substitute, Highlight, Timer, Handler };
    struct Rule {
        Kind kind = Kind::Trigger;
        QString origin;
        std::shared_ptr<RegexPattern> pattern;
        QString command;   // the action as text, or
        int function = -2; // LUA_NOREF
        bool enabled = true;
        bool once = false;
        bool gag = false;
        bool silent = false; // the line it matched is not spoken
        bool repeat = false;
        QRgb colour = 0;
        bool hasBackground = false;
        QRgb background = 0;
        QString event; // handlers
        QTimer* timer = nullptr;
    };

    PatternSet* setFor(Kind kind);
    int addRule(Rule rule);
    bool killRule(int id);
    void dropAll();
    void runFile(const QString& name);
    // Runs a rule's action on a match (or with no match for timers and
    // events): a function gets the captures, a text has %1... replaced.
    void fire(int id, const RegexPattern::Match* match, QStringView subject, ScriptHost::Send how,
              const QString& argument = {});
    bool callFunction(int ref, int nargs, const QString& origin);
    void report(const QString& origin, const QString& error);
    void afterCall();
    void runHandlers(const QString& event, const QString& argument = {});
    // Puts the message into the `gmcp` table; leaves its package name and
    // data on the stack. False, with the fault reported, when it failed.
    bool storeGmcp(const GmcpMessage& message);

    ScriptHost& m_host;
    QString m_folder;
    LuaState::Limits m_limits;
    std::unique_ptr<LuaState> m_lua;
    std::map<int, Rule> m_rules;
    std::vector<int> m_handlers; // ids of the event handlers, in order
    PatternSet m_triggers, m_promptTriggers, m_aliases, m_edits, m_highlights;
    int m_nextId = 1;
    QStringList m_files;
    QStringList m_errors;
    QList<GmcpMessage> m_gmcpKept; // the last of each package, oldest first
    int m_inputDepth = 0;
    QTimer m_varsTimer;
    QByteArray m_varsWritten;
    bool m_varsWritable = true;
    bool m_idle = false; // no scripts and no state: nothing to run
};
