#include "scripting/ScriptEngine.h"

#include "files/FolderFiles.h"
#include "files/ProfileFile.h"
#include "scripting/LuaJson.h"
#include "scripting/ScriptVars.h"
#include "ui/ColourNames.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <lua.hpp>

namespace {
constexpr int kMaxAliasDepth = 8;
constexpr int kVarsDelayMs = 1000;
constexpr size_t kMaxGaugeName = 30;
// Gauge figures beyond this are a script's mistake, not a character's.
constexpr lua_Number kMaxFigure = 1e15;

// What the protected call that stores a message reads: plain pointers only.
struct GmcpIn {
    const QByteArray* package;
    const LuaJson::Tokens* data;
};

bool isPackageName(const char* s, size_t len) {
    if (len == 0 || len > 200)
        return false;
    for (size_t i = 0; i < len; ++i) {
        const char c = s[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '.' || c == '_' || c == '-'))
            return false;
    }
    return true;
}

QString text(lua_State* L, int index) {
    size_t len = 0;
    const char* s = lua_tolstring(L, index, &len);
    return QString::fromUtf8(s, qsizetype(len));
}

void push(lua_State* L, const QString& s) {
    const QByteArray bytes = s.toUtf8();
    lua_pushlstring(L, bytes.constData(), size_t(bytes.size()));
}

// The script file of the Lua code that called the running C function.
QString callerFile(lua_State* L) {
    lua_Debug ar;
    for (int level = 1; lua_getstack(L, level, &ar); ++level) {
        if (lua_getinfo(L, "S", &ar) && ar.source && ar.source[0] == '@')
            return QString::fromUtf8(ar.source + 1);
    }
    return {};
}

// %1 ... %9 (and %0, the whole match) from the captures; %% is one %.
QString expand(const QString& command, const RegexPattern::Match* match, QStringView subject) {
    if (!command.contains(QLatin1Char('%')))
        return command;
    QString out;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == u'%' && i + 1 < command.size()) {
            const QChar d = command[i + 1];
            if (d == u'%') {
                out += c;
                ++i;
                continue;
            }
            if (d.isDigit() && d.unicode() < 0x80) {
                if (match)
                    out += match->text(subject, d.digitValue());
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}
} // namespace

// The functions scripts call. Argument faults raise Lua errors, so they are
// reported with the calling script's file and line.
struct ScriptEngine::Api {
    static ScriptEngine& engine(lua_State* L) {
        return *static_cast<ScriptEngine*>(LuaState::of(L).owner);
    }

    static Rule made(Kind kind, std::shared_ptr<RegexPattern> pattern = {}) {
        Rule rule;
        rule.kind = kind;
        rule.pattern = std::move(pattern);
        return rule;
    }

    // Lua raises errors with longjmp, past C++ destructors: every function
    // here checks its arguments before it holds any C++ value, and a message
    // built in C++ goes onto the Lua stack before the value holding it ends.
    static std::shared_ptr<RegexPattern> pattern(lua_State* L, int index, const char* what) {
        luaL_checkstring(L, index);
        {
            QString error;
            if (auto compiled = RegexPattern::compile(text(L, index), error))
                return compiled;
            luaL_where(L, 1);
            lua_pushfstring(L, "%s: %s", what, error.toUtf8().constData());
            lua_concat(L, 2);
        }
        lua_error(L);
        return {};
    }

    static void checkAction(lua_State* L, int index, const char* what) {
        if (!lua_isfunction(L, index) && lua_type(L, index) != LUA_TSTRING)
            luaL_error(L, "%s: l'azione dev'essere un testo o una funzione", what);
    }

    static QRgb colour(lua_State* L, int index, const char* what) {
        QRgb c = 0;
        if (!colourFromName(QString::fromUtf8(luaL_checkstring(L, index)), c))
            luaL_error(L, "%s: colore sconosciuto \"%s\" (un nome come \"Rosso scuro\" o #rrggbb)",
                       what, lua_tostring(L, index));
        return c;
    }

    // A command text or a function, kept in the rule.
    static void action(lua_State* L, int index, Rule& rule, const char* what) {
        if (lua_isfunction(L, index)) {
            lua_pushvalue(L, index);
            rule.function = luaL_ref(L, LUA_REGISTRYINDEX);
        } else if (lua_type(L, index) == LUA_TSTRING) {
            rule.command = text(L, index);
        } else {
            luaL_error(L, "%s: l'azione dev'essere un testo o una funzione", what);
        }
    }

    static int added(lua_State* L, Rule rule) {
        rule.origin = callerFile(L);
        lua_pushinteger(L, engine(L).addRule(std::move(rule)));
        return 1;
    }

    static int send(lua_State* L) {
        const QString command = QString::fromUtf8(luaL_checkstring(L, 1));
        engine(L).m_host.sendCommand(command, lua_toboolean(L, 2) ? ScriptHost::Send::Raw
                                                                  : ScriptHost::Send::Typed);
        return 0;
    }

    static int echo(lua_State* L) {
        // The colour first: luaL_tolstring pushes the text above the arguments.
        const QRgb c = lua_isnoneornil(L, 2) ? kEchoColour : colour(L, 2, "echo");
        const QString line = QString::fromUtf8(luaL_tolstring(L, 1, nullptr));
        engine(L).m_host.showLine(line, c);
        return 0;
    }

    static int print(lua_State* L) {
        QStringList parts;
        for (int i = 1, n = lua_gettop(L); i <= n; ++i) {
            parts << QString::fromUtf8(luaL_tolstring(L, i, nullptr));
            lua_pop(L, 1);
        }
        engine(L).m_host.showLine(parts.join(QLatin1Char('\t')), kEchoColour);
        return 0;
    }

    static int trigger(lua_State* L) {
        checkAction(L, 2, "trigger");
        Rule rule = made(Kind::Trigger, pattern(L, 1, "trigger"));
        action(L, 2, rule, "trigger");
        if (lua_istable(L, 3)) {
            const auto flag = [&](const char* name, bool fallback) {
                lua_getfield(L, 3, name);
                const bool value = lua_isnil(L, -1) ? fallback : lua_toboolean(L, -1);
                lua_pop(L, 1);
                return value;
            };
            rule.gag = flag("gag", false);
            rule.once = flag("once", false);
            rule.silent = flag("silent", false);
            rule.enabled = flag("enabled", true);
            if (flag("prompt", false))
                rule.kind = Kind::PromptTrigger;
        }
        return added(L, std::move(rule));
    }

    static int alias(lua_State* L) {
        checkAction(L, 2, "alias");
        Rule rule = made(Kind::Alias, pattern(L, 1, "alias"));
        action(L, 2, rule, "alias");
        return added(L, std::move(rule));
    }

    static int gag(lua_State* L) {
        Rule rule = made(Kind::Gag, pattern(L, 1, "gag"));
        rule.gag = true;
        return added(L, std::move(rule));
    }

    static int substitute(lua_State* L) {
        luaL_checkstring(L, 2);
        Rule rule = made(Kind::Substitute, pattern(L, 1, "substitute"));
        rule.command = QString::fromUtf8(lua_tostring(L, 2));
        return added(L, std::move(rule));
    }

    static int highlight(lua_State* L) {
        const QRgb fore = colour(L, 2, "highlight");
        const bool hasBackground = !lua_isnoneornil(L, 3);
        const QRgb back = hasBackground ? colour(L, 3, "highlight") : 0;
        Rule rule = made(Kind::Highlight, pattern(L, 1, "highlight"));
        rule.colour = fore;
        rule.hasBackground = hasBackground;
        if (hasBackground)
            rule.background = back;
        return added(L, std::move(rule));
    }

    static int timer(lua_State* L) {
        const lua_Number seconds = luaL_checknumber(L, 1);
        if (!(seconds > 0) || seconds > 86400 * 24)
            luaL_error(L, "timer: i secondi devono essere più di 0 e al massimo 24 giorni");
        checkAction(L, 2, "timer");
        Rule rule = made(Kind::Timer);
        action(L, 2, rule, "timer");
        rule.repeat = lua_toboolean(L, 3);
        rule.origin = callerFile(L);
        ScriptEngine& self = engine(L);
        const int id = self.addRule(std::move(rule));
        QTimer* t = new QTimer(&self);
        t->setTimerType(Qt::PreciseTimer);
        t->setSingleShot(!self.m_rules[id].repeat);
        t->setInterval(qMax(1, int(seconds * 1000)));
        QObject::connect(t, &QTimer::timeout, &self, [&self, id] {
            auto it = self.m_rules.find(id);
            if (it == self.m_rules.end())
                return;
            const bool repeat = it->second.repeat;
            self.fire(id, nullptr, {}, ScriptHost::Send::Typed);
            if (!repeat)
                self.killRule(id);
            self.afterCall();
        });
        self.m_rules[id].timer = t;
        t->start();
        lua_pushinteger(L, id);
        return 1;
    }

    static int on(lua_State* L) {
        static const QStringList events{"connect", "disconnect", "line", "prompt", "gmcp"};
        luaL_checktype(L, 2, LUA_TFUNCTION);
        if (!events.contains(QString::fromUtf8(luaL_checkstring(L, 1))))
            luaL_error(L, "on: evento sconosciuto \"%s\" (connect, disconnect, line, prompt, gmcp)",
                       lua_tostring(L, 1));
        Rule rule = made(Kind::Handler);
        rule.event = QString::fromUtf8(lua_tostring(L, 1));
        action(L, 2, rule, "on");
        return added(L, std::move(rule));
    }

    static int enable(lua_State* L) {
        ScriptEngine& self = engine(L);
        auto it = self.m_rules.find(int(luaL_checkinteger(L, 1)));
        const bool on = lua_isnone(L, 2) || lua_toboolean(L, 2);
        if (it != self.m_rules.end()) {
            it->second.enabled = on;
            if (QTimer* t = it->second.timer)
                on ? t->start() : t->stop();
        }
        lua_pushboolean(L, it != self.m_rules.end());
        return 1;
    }

    static int kill(lua_State* L) {
        lua_pushboolean(L, engine(L).killRule(int(luaL_checkinteger(L, 1))));
        return 1;
    }

    // sendGMCP(package [, data]): true when sent, false while the server has
    // not agreed to the data channel (a script may try before it does).
    static int sendGmcp(lua_State* L) {
        size_t len = 0;
        const char* package = lua_tolstring(L, 1, &len);
        if (lua_type(L, 1) != LUA_TSTRING || !isPackageName(package, len))
            luaL_error(L, "sendGMCP: il nome del pacchetto dev'essere un testo di lettere, cifre e "
                          "punti, come \"Core.Ping\"");
        const char* fault = nullptr;
        bool sent = false;
        {
            LuaJson::Fault f = LuaJson::Fault::None;
            const QJsonValue data = lua_isnoneornil(L, 2) ? QJsonValue(QJsonValue::Undefined)
                                                          : LuaJson::fromLua(L, 2, f);
            if (f == LuaJson::Fault::None)
                sent = engine(L).m_host.sendGmcp(QString::fromUtf8(package, qsizetype(len)), data);
            else
                fault = LuaJson::faultText(f);
        }
        if (fault)
            luaL_error(L, "sendGMCP: %s; non è stato mandato nulla", fault);
        lua_pushboolean(L, sent);
        return 1;
    }

    static lua_Integer figure(lua_State* L, int index) {
        int isNumber = 0;
        const lua_Number n = lua_tonumberx(L, index, &isNumber);
        if (!isNumber || !(std::fabs(n) <= kMaxFigure))
            luaL_error(L, "gauge: il valore e il massimo devono essere numeri");
        return lua_Integer(std::llround(n));
    }

    // gauge(name, current, max [, colour])
    static int gauge(lua_State* L) {
        size_t len = 0;
        const char* name = lua_tolstring(L, 1, &len);
        if (lua_type(L, 1) != LUA_TSTRING || len == 0 || len > kMaxGaugeName)
            luaL_error(L, "gauge: il nome dev'essere un testo da 1 a %d caratteri",
                       int(kMaxGaugeName));
        const lua_Integer current = figure(L, 2);
        const lua_Integer max = figure(L, 3);
        if (max < 0)
            luaL_error(L, "gauge: il massimo non può essere negativo");
        const bool coloured = !lua_isnoneornil(L, 4);
        const QRgb c = coloured ? colour(L, 4, "gauge") : 0;
        bool blank = false, shown = false;
        {
            const QString gaugeName = QString::fromUtf8(name, qsizetype(len)).trimmed();
            blank = gaugeName.isEmpty();
            if (!blank)
                shown = engine(L).m_host.setGauge(gaugeName, current, max,
                                                  coloured ? std::optional<QRgb>(c) : std::nullopt);
        }
        if (blank)
            luaL_error(L, "gauge: il nome dev'essere un testo da 1 a %d caratteri",
                       int(kMaxGaugeName));
        if (!shown)
            luaL_error(L, "gauge: non c'è posto per \"%s\": le barre sono al massimo quattro",
                       name);
        return 0;
    }

    static int speak(lua_State* L) {
        const int type = lua_type(L, 1);
        if (type != LUA_TSTRING && type != LUA_TNUMBER)
            luaL_error(L, "speak: serve un testo da dire");
        const QString text = QString::fromUtf8(luaL_tolstring(L, 1, nullptr));
        engine(L).m_host.speak(text);
        return 0;
    }

    // Run protected: the message's data and its place in the `gmcp` table,
    // nested by the dotted name. Returns the package name and the data.
    static int storeGmcp(lua_State* L) {
        const auto* in = static_cast<const GmcpIn*>(lua_touserdata(L, 1));
        lua_settop(L, 0);
        lua_pushlstring(L, in->package->constData(), size_t(in->package->size())); // 1
        LuaJson::push(L, *in->data);                                               // 2
        if (lua_getglobal(L, "gmcp") != LUA_TTABLE) {
            lua_pop(L, 1);
            lua_newtable(L);
            lua_pushvalue(L, -1);
            lua_setglobal(L, "gmcp");
        }
        const char* part = in->package->constData();
        const char* const end = part + in->package->size();
        for (;;) {
            const char* dot = static_cast<const char*>(memchr(part, '.', size_t(end - part)));
            if (!dot) {
                lua_pushlstring(L, part, size_t(end - part));
                lua_pushvalue(L, 2);
                lua_rawset(L, -3);
                break;
            }
            lua_pushlstring(L, part, size_t(dot - part));
            if (lua_rawget(L, -2) != LUA_TTABLE) {
                lua_pop(L, 1);
                lua_newtable(L);
                lua_pushlstring(L, part, size_t(dot - part));
                lua_pushvalue(L, -2);
                lua_rawset(L, -4);
            }
            lua_remove(L, -2);
            part = dot + 1;
        }
        lua_settop(L, 2);
        return 2;
    }

    static void install(lua_State* L) {
        static const luaL_Reg functions[] = {{"send", send},
                                             {"echo", echo},
                                             {"print", print},
                                             {"trigger", trigger},
                                             {"alias", alias},
                                             {"gag", gag},
                                             {"substitute", substitute},
                                             {"highlight", highlight},
                                             {"timer", timer},
                                             {"on", on},
                                             {"enable", enable},
                                             {"kill", kill},
                                             {"sendGMCP", sendGmcp},
                                             {"gauge", gauge},
                                             {"speak", speak},
                                             {nullptr, nullptr}};
        lua_pushglobaltable(L);
        luaL_setfuncs(L, functions, 0);
        lua_pop(L, 1);
    }
};

ScriptEngine::ScriptEngine(ScriptHost& host, const QString& scriptFolder, LuaState::Limits limits,
                           QObject* parent)
    : QObject(parent), m_host(host), m_folder(scriptFolder), m_limits(limits) {
    m_varsTimer.setSingleShot(true);
    m_varsTimer.setInterval(kVarsDelayMs);
    connect(&m_varsTimer, &QTimer::timeout, this, &ScriptEngine::saveVars);
}

ScriptEngine::~ScriptEngine() {
    saveVars();
    dropAll();
}

LuaState::Limits ScriptEngine::limitsFromConfig(const QString& configPath) {
    LuaState::Limits limits;
    bool ok = false;
    const int ms = ProfileFile::readValue(configPath, "SCRIPT", "LIMITE_MS").trimmed().toInt(&ok);
    if (ok && ms > 0)
        limits.timeMs = ms;
    const int mb = ProfileFile::readValue(configPath, "SCRIPT", "MEMORIA_MB").trimmed().toInt(&ok);
    if (ok && mb > 0)
        limits.memoryMb = qMin(mb, 4096);
    return limits;
}

void ScriptEngine::reload() {
    // A folder without scripts needs no Lua state: none is made until a
    // Ricarica finds one. A state already made is kept, for its vars.
    const QStringList files = filesNamed(m_folder, {}, u".lua");
    m_idle = files.isEmpty() && !m_lua;
    if (m_idle) {
        dropAll();
        m_errors.clear();
        m_files.clear();
        emit changed();
        return;
    }
    QByteArray vars;
    if (m_lua) {
        lua_getglobal(m_lua->state(), "vars");
        if (lua_istable(m_lua->state(), -1))
            vars = ScriptVars::serialize(m_lua->state(), -1);
        lua_pop(m_lua->state(), 1);
    }
    const bool first = !m_lua;
    dropAll();
    m_lua.reset();
    m_errors.clear();
    m_files.clear();
    auto lua = std::make_unique<LuaState>(m_folder, m_limits);
    if (!lua->state()) {
        report({}, QStringLiteral("lo stato Lua non si crea (memoria?)"));
        return;
    }
    lua->owner = this;
    m_lua = std::move(lua);
    lua_State* L = m_lua->state();
    Api::install(L);
    QString error;
    const QString varsPath = QDir(m_folder).filePath(kVarsFile);
    if (first) {
        m_varsWritable = ScriptVars::loadFile(*m_lua, varsPath, error);
        if (!error.isEmpty())
            report(kVarsFile, error);
        m_varsWritten = ScriptVars::serialize(L, -1);
    } else if (!ScriptVars::parse(*m_lua, vars, error)) {
        lua_newtable(L);
    }
    lua_setglobal(L, "vars");
    lua_newtable(L);
    lua_setglobal(L, "gmcp");
    // The table holds what the server told before the reload.
    for (const GmcpMessage& message : std::as_const(m_gmcpKept))
        if (storeGmcp(message))
            lua_pop(L, 2);

    m_files = files;
    for (const QString& file : std::as_const(m_files))
        runFile(file);
    afterCall();
    emit changed();
}

void ScriptEngine::runFile(const QString& name) {
    QString error;
    if (!m_lua->loadFile(name, error) || !m_lua->call(0, 0, error))
        report(name, error);
}

PatternSet* ScriptEngine::setFor(Kind kind) {
    switch (kind) {
    case Kind::Trigger:
        return &m_triggers;
    case Kind::PromptTrigger:
        return &m_promptTriggers;
    case Kind::Alias:
        return &m_aliases;
    case Kind::Gag:
    case Kind::Substitute:
        return &m_edits;
    case Kind::Highlight:
        return &m_highlights;
    default:
        return nullptr;
    }
}

int ScriptEngine::addRule(Rule rule) {
    const int id = m_nextId++;
    if (PatternSet* set = setFor(rule.kind))
        set->add(id, rule.pattern);
    if (rule.kind == Kind::Handler)
        m_handlers.push_back(id);
    m_rules.emplace(id, std::move(rule));
    return id;
}

bool ScriptEngine::killRule(int id) {
    auto it = m_rules.find(id);
    if (it == m_rules.end())
        return false;
    Rule& rule = it->second;
    if (PatternSet* set = setFor(rule.kind))
        set->remove(id);
    if (rule.kind == Kind::Handler)
        m_handlers.erase(std::find(m_handlers.begin(), m_handlers.end(), id));
    if (rule.timer) {
        rule.timer->stop();
        rule.timer->deleteLater(); // it may be the timer now firing
    }
    if (m_lua && rule.function != LUA_NOREF)
        luaL_unref(m_lua->state(), LUA_REGISTRYINDEX, rule.function);
    m_rules.erase(it);
    return true;
}

void ScriptEngine::dropAll() {
    while (!m_rules.empty())
        killRule(m_rules.begin()->first);
}

void ScriptEngine::report(const QString& origin, const QString& error) {
    static const QRegularExpression located(QStringLiteral("^([^\\n:]+\\.lua):(\\d+): (.*)$"),
                                            QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = located.match(error);
    QString line;
    if (m.hasMatch())
        line = QStringLiteral("Errore nello script %1, riga %2: %3")
                   .arg(m.captured(1), m.captured(2), m.captured(3));
    else if (!origin.isEmpty())
        line = QStringLiteral("Errore nello script %1: %2").arg(origin, error);
    else
        line = QStringLiteral("Errore negli script: %1").arg(error);
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.remove(QLatin1Char('\r'));
    m_errors.append(line);
    while (m_errors.size() > kKeptErrors)
        m_errors.removeFirst();
    m_host.showLine(line, kErrorColour);
    emit changed();
}

bool ScriptEngine::callFunction(int ref, int nargs, const QString& origin) {
    lua_State* L = m_lua->state();
    lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
    lua_insert(L, -nargs - 1);
    QString error;
    if (m_lua->call(nargs, 0, error))
        return true;
    report(origin, error);
    return false;
}

void ScriptEngine::fire(int id, const RegexPattern::Match* match, QStringView subject,
                        ScriptHost::Send how, const QString& argument) {
    auto it = m_rules.find(id);
    if (it == m_rules.end() || !m_lua)
        return;
    // Copied: the action may kill its own rule.
    const int function = it->second.function;
    const QString origin = it->second.origin;
    if (function == LUA_NOREF) {
        const QString command = expand(it->second.command, match, subject);
        if (!command.isEmpty())
            m_host.sendCommand(command, how);
        return;
    }
    lua_State* L = m_lua->state();
    if (!lua_checkstack(L, 4))
        return;
    int nargs = 0;
    if (match) {
        lua_createtable(L, int(match->groups.size()), 0);
        for (int g = 0; g < int(match->groups.size()); ++g) {
            if (match->groups[size_t(g)].first < 0)
                continue;
            push(L, match->text(subject, g));
            lua_rawseti(L, -2, g);
        }
        for (const auto& [name, group] : it->second.pattern->names()) {
            if (match->groups[size_t(group)].first < 0)
                continue;
            push(L, match->text(subject, group));
            lua_setfield(L, -2, name.toUtf8().constData());
        }
        nargs = 1;
    } else if (!argument.isNull()) {
        push(L, argument);
        nargs = 1;
    }
    callFunction(function, nargs, origin);
}

void ScriptEngine::afterCall() {
    if (!m_varsTimer.isActive())
        m_varsTimer.start();
}

void ScriptEngine::runHandlers(const QString& event, const QString& argument) {
    std::vector<int> ids;
    for (int id : m_handlers) {
        const Rule& rule = m_rules.at(id);
        if (rule.enabled && rule.event == event)
            ids.push_back(id);
    }
    for (int id : ids)
        fire(id, nullptr, {}, ScriptHost::Send::Typed, argument);
}

bool ScriptEngine::active() const {
    return m_lua && (!m_triggers.isEmpty() || !m_promptTriggers.isEmpty() || !m_edits.isEmpty() ||
                     !m_highlights.isEmpty() ||
                     std::any_of(m_handlers.begin(), m_handlers.end(), [this](int id) {
                         const QString& event = m_rules.at(id).event;
                         return event == u"line" || event == u"prompt";
                     }));
}

LineFilter::Shown ScriptEngine::filterLine(const QString& line, bool prompt) {
    Shown view;
    view.text = line;
    if (!m_lua)
        return view;
    bool ran = false;
    bool silent = false;
    PatternSet& triggers = prompt ? m_promptTriggers : m_triggers;
    if (!triggers.isEmpty()) {
        const std::vector<PatternSet::Candidate> found = triggers.candidates(line);
        RegexPattern::Match match;
        for (const PatternSet::Candidate& c : found) {
            // Until an action has run the rules are as the candidates were
            // taken, every pattern alive: the match, which mostly fails,
            // comes before looking the rule up. An action may drop rules.
            if (!ran && !c.pattern->match(line, match))
                continue;
            auto it = m_rules.find(c.id);
            if (it == m_rules.end() || !it->second.enabled ||
                (ran && !it->second.pattern->match(line, match)))
                continue;
            const int id = c.id;
            view.gagged |= it->second.gag;
            silent |= it->second.silent;
            const bool once = it->second.once;
            const auto keep = it->second.pattern; // alive while its action runs
            if (once)
                it->second.enabled = false; // fires once even if its action fails
            fire(id, &match, line, ScriptHost::Send::Reply);
            if (once)
                killRule(id);
            ran = true;
        }
    }
    if (!m_handlers.empty()) {
        runHandlers(prompt ? QStringLiteral("prompt") : QStringLiteral("line"), line);
        ran = true;
    }
    if (ran)
        afterCall();

    RegexPattern::Match match;
    if (!view.gagged && !m_edits.isEmpty()) {
        std::vector<int> ids;
        for (const PatternSet::Candidate& c : m_edits.candidates(view.text))
            ids.push_back(c.id);
        for (int id : ids) {
            const Rule& rule = m_rules.at(id);
            if (!rule.enabled)
                continue;
            if (rule.kind == Kind::Gag) {
                if (rule.pattern->match(view.text, match)) {
                    view.gagged = true;
                    break;
                }
                continue;
            }
            // Every match replaced, the text after one read on from its end.
            QString out;
            qsizetype at = 0;
            const QString subject = view.text;
            while (at <= subject.size() && rule.pattern->match(subject, match, at)) {
                const auto [start, length] = match.groups[0];
                out += QStringView(subject).mid(at, start - at);
                out += expand(rule.command, &match, subject);
                at = start + length;
                if (length == 0) {
                    if (at < subject.size())
                        out += subject[at];
                    ++at;
                }
            }
            if (at < subject.size())
                out += QStringView(subject).mid(at);
            view.text = out;
        }
    }
    if (!view.gagged && !m_highlights.isEmpty()) {
        for (const PatternSet::Candidate& c : m_highlights.candidates(view.text)) {
            const Rule& rule = m_rules.at(c.id);
            if (!rule.enabled)
                continue;
            for (qsizetype at = 0;
                 at < view.text.size() && rule.pattern->match(view.text, match, at);) {
                const auto [start, length] = match.groups[0];
                if (length > 0)
                    view.spans.append(
                        {start, length, rule.colour, rule.hasBackground, rule.background});
                at = start + qMax<qsizetype>(length, 1);
            }
        }
    }
    if (silent && !view.gagged)
        m_host.keepQuiet(view.text);
    return view;
}

bool ScriptEngine::filterInput(const QString& line) {
    if (!m_lua || m_aliases.isEmpty())
        return false;
    if (m_inputDepth >= kMaxAliasDepth) {
        report({}, QStringLiteral("gli alias si richiamano l'un l'altro troppe volte: \"%1\" non è "
                                  "stato inviato")
                       .arg(line));
        return true;
    }
    std::vector<int> ids;
    for (const PatternSet::Candidate& c : m_aliases.candidates(line))
        ids.push_back(c.id);
    RegexPattern::Match match;
    for (int id : ids) {
        auto it = m_rules.find(id);
        if (it == m_rules.end() || !it->second.enabled || !it->second.pattern->match(line, match))
            continue;
        ++m_inputDepth;
        fire(id, &match, line, ScriptHost::Send::Typed);
        --m_inputDepth;
        afterCall();
        return true;
    }
    return false;
}

void ScriptEngine::connected() {
    m_gmcpKept.clear();
    if (m_lua) {
        lua_newtable(m_lua->state());
        lua_setglobal(m_lua->state(), "gmcp");
    } else if (!m_idle) {
        reload(); // the state could not be made: try again
    }
    runHandlers(QStringLiteral("connect"));
    afterCall();
}

bool ScriptEngine::storeGmcp(const GmcpMessage& message) {
    lua_State* L = m_lua->state();
    if (!lua_checkstack(L, 4))
        return false;
    const QByteArray package = message.package.toUtf8();
    const LuaJson::Tokens data = LuaJson::flatten(message.data);
    GmcpIn in{&package, &data};
    lua_pushcfunction(L, Api::storeGmcp);
    lua_pushlightuserdata(L, &in);
    QString error;
    if (m_lua->call(1, 2, error))
        return true;
    report({}, QStringLiteral("il messaggio GMCP %1 non entra negli script: %2")
                   .arg(message.package, error));
    return false;
}

void ScriptEngine::gmcpArrived(const GmcpMessage& message) {
    m_gmcpKept.erase(
        std::remove_if(m_gmcpKept.begin(), m_gmcpKept.end(),
                       [&](const GmcpMessage& m) { return m.package == message.package; }),
        m_gmcpKept.end());
    m_gmcpKept.append(message);
    while (m_gmcpKept.size() > kKeptPackages)
        m_gmcpKept.removeFirst();
    if (!m_lua || !storeGmcp(message))
        return;
    lua_State* L = m_lua->state();
    const int base = lua_gettop(L) - 1; // the package name; the data above it
    std::vector<std::pair<int, QString>> handlers;
    for (int id : m_handlers) {
        const Rule& rule = m_rules.at(id);
        if (rule.enabled && rule.event == u"gmcp" && rule.function != LUA_NOREF)
            handlers.emplace_back(id, rule.origin);
    }
    for (const auto& [id, origin] : handlers) {
        auto it = m_rules.find(id); // an earlier handler may have killed it
        if (it == m_rules.end() || !it->second.enabled || !lua_checkstack(L, 3))
            continue;
        lua_pushvalue(L, base);
        lua_pushvalue(L, base + 1);
        callFunction(it->second.function, 2, origin);
    }
    lua_settop(L, base - 1);
    if (!handlers.empty())
        afterCall();
}

void ScriptEngine::disconnected() {
    runHandlers(QStringLiteral("disconnect"));
    afterCall();
}

void ScriptEngine::saveVars() {
    m_varsTimer.stop();
    if (!m_lua || !m_varsWritable)
        return;
    lua_State* L = m_lua->state();
    lua_getglobal(L, "vars");
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    const QByteArray text = ScriptVars::serialize(L, -1);
    lua_pop(L, 1);
    if (text == m_varsWritten)
        return;
    QString error;
    if (ScriptVars::writeFile(QDir(m_folder).filePath(kVarsFile), text, error))
        m_varsWritten = text;
    else
        report(kVarsFile, error);
}

QList<ScriptEngine::FileSummary> ScriptEngine::summary() const {
    QList<FileSummary> out;
    for (const QString& file : m_files)
        out.append({file});
    for (const auto& [id, rule] : m_rules) {
        // Named apart: clang 14 cannot capture a structured binding.
        const QString& origin = rule.origin;
        auto it = std::find_if(out.begin(), out.end(),
                               [&](const FileSummary& s) { return s.file == origin; });
        if (it == out.end()) {
            out.append({origin});
            it = out.end() - 1;
        }
        switch (rule.kind) {
        case Kind::Trigger:
        case Kind::PromptTrigger:
            ++it->triggers;
            break;
        case Kind::Alias:
            ++it->aliases;
            break;
        case Kind::Timer:
            ++it->timers;
            break;
        case Kind::Handler:
            ++it->handlers;
            break;
        case Kind::Gag:
            ++it->gags;
            break;
        case Kind::Substitute:
            ++it->substitutes;
            break;
        case Kind::Highlight:
            ++it->highlights;
            break;
        }
    }
    return out;
}
