#include "scripting/LuaState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <cstring>
#include <lua.hpp>

namespace {
// Instructions between two looks at the clock: a few microseconds of work.
constexpr int kCheckEvery = 1000;
const char* const kSignature = LUA_SIGNATURE;

int unavailableField(lua_State* L) {
    const char* lib = lua_tostring(L, lua_upvalueindex(1));
    const char* key = lua_tostring(L, 2);
    return luaL_error(L, "%s.%s non è disponibile negli script", lib, key ? key : "?");
}

int unavailableFunction(lua_State* L) {
    return luaL_error(L, "%s non è disponibile negli script", lua_tostring(L, lua_upvalueindex(1)));
}

// A table that answers every field with an Italian error.
void setClosedTable(lua_State* L, const char* name) {
    lua_newtable(L);
    lua_newtable(L);
    lua_pushstring(L, name);
    lua_pushcclosure(L, unavailableField, 1);
    lua_setfield(L, -2, "__index");
    lua_setmetatable(L, -2);
    lua_setglobal(L, name);
}

void setUnavailable(lua_State* L, int table, const char* field, const char* shownName) {
    lua_pushstring(L, shownName);
    lua_pushcclosure(L, unavailableFunction, 1);
    lua_setfield(L, table, field);
}

// load() for text only; a binary chunk is refused with a message of ours.
int safeLoad(lua_State* L) {
    const int n = lua_gettop(L);
    lua_settop(L, 4);
    size_t len = 0;
    if (lua_type(L, 1) == LUA_TSTRING) {
        const char* chunk = lua_tolstring(L, 1, &len);
        if (len > 0 && chunk[0] == kSignature[0]) {
            luaL_pushfail(L);
            lua_pushliteral(L, "i blocchi binari non si possono caricare negli script");
            return 2;
        }
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_pushvalue(L, 1);
    lua_pushvalue(L, 2);
    lua_pushliteral(L, "t");
    if (n >= 4)
        lua_pushvalue(L, 4);
    lua_call(L, n >= 4 ? 4 : 3, 2);
    if (lua_isnil(L, -2) && lua_isstring(L, -1) && std::strstr(lua_tostring(L, -1), "binary")) {
        lua_pop(L, 1);
        lua_pushliteral(L, "i blocchi binari non si possono caricare negli script");
    }
    return 2;
}

// string.rep refuses, before building it, a result larger than the memory
// the scripts may use.
int safeRep(lua_State* L) {
    size_t len = 0, sepLen = 0;
    luaL_checklstring(L, 1, &len);
    const lua_Integer n = luaL_checkinteger(L, 2);
    luaL_optlstring(L, 3, "", &sepLen);
    const size_t cap = size_t(LuaState::of(L).limits().memoryMb) << 20;
    if (n > 0 && (double(len) + double(sepLen)) * double(n) > double(cap))
        return luaL_error(L, "string.rep: il risultato supera il limite di memoria di %d MB",
                          LuaState::of(L).limits().memoryMb);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    return 1;
}

int safeLoadFile(lua_State* L) {
    QString error;
    if (!LuaState::of(L).loadFile(QString::fromUtf8(luaL_checkstring(L, 1)), error)) {
        luaL_pushfail(L);
        lua_pushstring(L, error.toUtf8().constData());
        return 2;
    }
    return 1;
}

// A message as luaL_error words it ("file:line: text"), left on the stack for
// lua_error once no C++ value is alive any more: longjmp skips destructors.
void pushError(lua_State* L, const QString& message) {
    luaL_where(L, 1);
    lua_pushstring(L, message.toUtf8().constData());
    lua_concat(L, 2);
}

int safeDoFile(lua_State* L) {
    luaL_checkstring(L, 1);
    bool loaded = false;
    {
        QString error;
        loaded = LuaState::of(L).loadFile(QString::fromUtf8(lua_tostring(L, 1)), error);
        if (!loaded)
            pushError(L, error);
    }
    if (!loaded)
        return lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - 1;
}

// require "name" runs script/name.lua once (dots are folders) and keeps what
// it returned; nothing else can be required.
int safeRequire(lua_State* L) {
    luaL_checkstring(L, 1);
    lua_getfield(L, LUA_REGISTRYINDEX, "varendor.modules");
    lua_getfield(L, -1, lua_tostring(L, 1));
    if (!lua_isnil(L, -1))
        return 1;
    lua_pop(L, 1);
    bool loaded = false;
    {
        const QString module = QString::fromUtf8(lua_tostring(L, 1));
        QString file = module;
        file.replace(QLatin1Char('.'), QLatin1Char('/'));
        file += QStringLiteral(".lua");
        QString error;
        if (!QFileInfo::exists(QDir(LuaState::of(L).folder()).filePath(file)))
            error = QStringLiteral("modulo \"%1\" non trovato: require carica solo file .lua della "
                                   "cartella degli script")
                        .arg(module);
        else
            loaded = LuaState::of(L).loadFile(file, error);
        if (!loaded)
            pushError(L, error);
    }
    if (!loaded)
        return lua_error(L);
    lua_call(L, 0, 1);
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        lua_pushboolean(L, 1);
    }
    lua_pushvalue(L, -1);
    lua_setfield(L, -3, lua_tostring(L, 1));
    return 1;
}

// Only reading the memory in use and a full collection: the collector's
// tuning stays the client's.
int safeCollect(lua_State* L) {
    const char* what = luaL_optstring(L, 1, "collect");
    if (std::strcmp(what, "count") == 0) {
        lua_pushnumber(L, lua_Number(lua_gc(L, LUA_GCCOUNT, 0)) +
                              lua_Number(lua_gc(L, LUA_GCCOUNTB, 0)) / 1024.0);
        return 1;
    }
    if (std::strcmp(what, "collect") == 0) {
        lua_gc(L, LUA_GCCOLLECT, 0);
        lua_pushinteger(L, 0);
        return 1;
    }
    return luaL_error(L, "collectgarbage(\"%s\") non è permesso negli script", what);
}

} // namespace

LuaState::LuaState(const QString& scriptFolder, Limits limits)
    : m_folder(scriptFolder), m_limits(limits) {
    m_cap = size_t(qMax(1, limits.memoryMb)) << 20;
    m_L = lua_newstate(&LuaState::allocate, this);
    if (!m_L)
        return;
    *static_cast<LuaState**>(lua_getextraspace(m_L)) = this;
    openSandbox();
    lua_sethook(m_L, &LuaState::watchdog, LUA_MASKCOUNT, kCheckEvery);
}

LuaState::~LuaState() {
    if (m_L)
        lua_close(m_L);
}

LuaState& LuaState::of(lua_State* L) {
    return **static_cast<LuaState**>(lua_getextraspace(L));
}

void* LuaState::allocate(void* ud, void* ptr, size_t oldSize, size_t newSize) {
    auto* self = static_cast<LuaState*>(ud);
    const size_t old = ptr ? oldSize : 0;
    if (newSize == 0) {
        std::free(ptr);
        self->m_used -= old;
        return nullptr;
    }
    if (newSize > old && self->m_used - old + newSize > self->m_cap)
        return nullptr; // Lua raises its memory error
    void* p = std::realloc(ptr, newSize);
    if (p)
        self->m_used = self->m_used - old + newSize;
    return p;
}

void LuaState::watchdog(lua_State* L, lua_Debug*) {
    LuaState& self = of(L);
    if (!self.m_expired) {
        if (self.m_depth == 0 || self.m_clock.elapsed() < self.m_limits.timeMs)
            return;
        self.m_expired = true;
    }
    // From now on every instruction fails, so a pcall in the script cannot
    // catch the stop and go on.
    lua_sethook(L, &LuaState::watchdog, LUA_MASKCOUNT, 1);
    lua_Debug where;
    if (lua_getstack(L, 0, &where) && lua_getinfo(L, "Sl", &where) && where.currentline > 0)
        lua_pushfstring(L, "%s:%d: ", where.short_src, where.currentline);
    else
        lua_pushliteral(L, "");
    lua_pushfstring(L, "fermato: ha superato il limite di %d ms", self.m_limits.timeMs);
    lua_concat(L, 2);
    lua_error(L);
}

void LuaState::openSandbox() {
    lua_State* L = m_L;
    static const luaL_Reg libs[] = {
        {LUA_GNAME, luaopen_base},        {LUA_TABLIBNAME, luaopen_table},
        {LUA_STRLIBNAME, luaopen_string}, {LUA_MATHLIBNAME, luaopen_math},
        {LUA_UTF8LIBNAME, luaopen_utf8},  {LUA_COLIBNAME, luaopen_coroutine}};
    for (const luaL_Reg& lib : libs) {
        luaL_requiref(L, lib.name, lib.func, 1);
        lua_pop(L, 1);
    }
    // os: the clock and the calendar only.
    luaopen_os(L);
    lua_newtable(L);
    for (const char* name : {"time", "clock", "date", "difftime"}) {
        lua_getfield(L, -2, name);
        lua_setfield(L, -2, name);
    }
    lua_newtable(L);
    lua_pushliteral(L, "os");
    lua_pushcclosure(L, unavailableField, 1);
    lua_setfield(L, -2, "__index");
    lua_setmetatable(L, -2);
    lua_setglobal(L, "os");
    lua_pop(L, 1);
    for (const char* name : {"io", "debug", "package"})
        setClosedTable(L, name);

    lua_getglobal(L, LUA_STRLIBNAME);
    setUnavailable(L, lua_gettop(L), "dump", "string.dump");
    lua_getfield(L, -1, "rep");
    lua_pushcclosure(L, safeRep, 1);
    lua_setfield(L, -2, "rep");
    lua_pop(L, 1);

    lua_pushglobaltable(L);
    const int g = lua_gettop(L);
    lua_getfield(L, g, "load");
    lua_pushcclosure(L, safeLoad, 1);
    lua_setfield(L, g, "load");
    lua_pushcfunction(L, safeLoadFile);
    lua_setfield(L, g, "loadfile");
    lua_pushcfunction(L, safeDoFile);
    lua_setfield(L, g, "dofile");
    lua_pushcfunction(L, safeRequire);
    lua_setfield(L, g, "require");
    lua_pushcfunction(L, safeCollect);
    lua_setfield(L, g, "collectgarbage");
    lua_pop(L, 1);
    lua_newtable(L);
    lua_setfield(L, LUA_REGISTRYINDEX, "varendor.modules");
}

bool LuaState::call(int nargs, int nresults, QString& error) {
    if (m_depth == 0) {
        m_clock.start();
        m_expired = false;
    }
    ++m_depth;
    const int status = lua_pcall(m_L, nargs, nresults, 0);
    --m_depth;
    if (m_depth == 0 && m_expired) {
        lua_sethook(m_L, &LuaState::watchdog, LUA_MASKCOUNT, kCheckEvery);
        m_expired = false;
    }
    if (status == LUA_OK)
        return true;
    if (status == LUA_ERRMEM)
        error = QStringLiteral("memoria esaurita: gli script hanno superato il limite di %1 MB")
                    .arg(m_limits.memoryMb);
    else if (const char* text = lua_tostring(m_L, -1))
        error = QString::fromUtf8(text);
    else
        error = QStringLiteral("errore senza messaggio");
    lua_pop(m_L, 1);
    return false;
}

bool LuaState::load(const QByteArray& text, const QString& name, QString& error) {
    if (text.startsWith(kSignature[0])) {
        error =
            QStringLiteral("%1: i blocchi binari non si possono caricare negli script").arg(name);
        return false;
    }
    const QByteArray chunkName = '@' + name.toUtf8();
    const int status =
        luaL_loadbufferx(m_L, text.constData(), size_t(text.size()), chunkName.constData(), "t");
    if (status == LUA_OK)
        return true;
    error = status == LUA_ERRMEM ? QStringLiteral("%1: memoria esaurita").arg(name)
                                 : QString::fromUtf8(lua_tostring(m_L, -1));
    lua_pop(m_L, 1);
    return false;
}

bool LuaState::loadFile(const QString& name, QString& error) {
    const QString root = QDir(m_folder).canonicalPath();
    const QFileInfo info(QDir(m_folder).filePath(name));
    if (!QDir::isAbsolutePath(name) && !info.exists()) {
        error = QStringLiteral("%1: file non trovato nella cartella degli script").arg(name);
        return false;
    }
    const QString path = info.canonicalFilePath();
    if (QDir::isAbsolutePath(name) || path.isEmpty() || root.isEmpty() ||
        !path.startsWith(root + QLatin1Char('/'))) {
        error = QStringLiteral("%1: si leggono solo i file della cartella degli script").arg(name);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: non si legge (%2)").arg(name, file.errorString());
        return false;
    }
    return load(file.readAll(), QDir(root).relativeFilePath(path), error);
}
