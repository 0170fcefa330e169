#include "scripting/ScriptVars.h"

#include "scripting/LuaState.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <lua.hpp>
#include <vector>

namespace {
QByteArray quoted(const QByteArray& bytes) {
    QByteArray out = "\"";
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out += '\\' + QByteArray(1, c);
        else if (u < 32 || u == 127)
            out += '\\' + QByteArray::number(u).rightJustified(3, '0');
        else
            out += c;
    }
    return out + '"';
}

// A value as Lua text, or empty when it cannot be kept.
QByteArray literal(lua_State* L, int index) {
    switch (lua_type(L, index)) {
    case LUA_TBOOLEAN:
        return lua_toboolean(L, index) ? "true" : "false";
    case LUA_TSTRING: {
        size_t len = 0;
        const char* s = lua_tolstring(L, index, &len);
        return quoted(QByteArray(s, qsizetype(len)));
    }
    case LUA_TNUMBER: {
        if (lua_isinteger(L, index))
            return QByteArray::number(qlonglong(lua_tointeger(L, index)));
        const double d = lua_tonumber(L, index);
        if (std::isnan(d))
            return "0/0";
        if (std::isinf(d))
            return d > 0 ? "1e999" : "-1e999";
        QByteArray text = QByteArray::number(d, 'g', 17);
        if (!text.contains('.') && !text.contains('e'))
            text += ".0"; // stays a float when read back
        return text;
    }
    default:
        return {};
    }
}
} // namespace

QByteArray ScriptVars::serialize(lua_State* L, int index) {
    index = lua_absindex(L, index);
    std::vector<std::pair<QByteArray, QByteArray>> entries;
    lua_pushnil(L);
    while (lua_next(L, index)) {
        const int type = lua_type(L, -2);
        if (type == LUA_TSTRING || type == LUA_TNUMBER) {
            lua_pushvalue(L, -2); // literal() must not turn the key itself into a string
            const QByteArray key = literal(L, -1), value = literal(L, -2);
            lua_pop(L, 1);
            if (!key.isEmpty() && !value.isEmpty() && key != "0/0")
                entries.emplace_back(key, value);
        }
        lua_pop(L, 1);
    }
    std::sort(entries.begin(), entries.end());
    QByteArray out = "-- Le variabili degli script (vars), scritte dal client.\nreturn {\n";
    for (const auto& [key, value] : entries)
        out += "  [" + key + "] = " + value + ",\n";
    return out + "}\n";
}

bool ScriptVars::parse(LuaState& lua, const QByteArray& text, QString& error) {
    lua_State* L = lua.state();
    if (text.trimmed().isEmpty()) {
        lua_newtable(L);
        return true;
    }
    if (!lua.load(text, QStringLiteral("vars"), error))
        return false;
    lua_newtable(L); // nothing of the client's is reachable from the file
    lua_setupvalue(L, -2, 1);
    if (!lua.call(0, 1, error))
        return false;
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        error = QStringLiteral("non restituisce una tabella");
        return false;
    }
    // Only the kinds of value that are written back.
    lua_newtable(L);
    lua_pushnil(L);
    while (lua_next(L, -3)) {
        const int key = lua_type(L, -2), value = lua_type(L, -1);
        if ((key == LUA_TSTRING || key == LUA_TNUMBER) &&
            (value == LUA_TSTRING || value == LUA_TNUMBER || value == LUA_TBOOLEAN)) {
            lua_pushvalue(L, -2);
            lua_insert(L, -2);
            lua_rawset(L, -4);
        } else {
            lua_pop(L, 1);
        }
    }
    lua_remove(L, -2);
    return true;
}

bool ScriptVars::loadFile(LuaState& lua, const QString& path, QString& notice) {
    notice.clear();
    QFile file(path);
    if (!file.exists()) {
        lua_newtable(lua.state());
        return true;
    }
    QString error;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray text = file.readAll();
        file.close();
        if (parse(lua, text, error))
            return true;
    } else {
        error = file.errorString();
    }
    const QString aside = path + QStringLiteral(".guasto-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    const QString name = QFileInfo(path).fileName();
    const bool movedAside = QFile::rename(path, aside);
    if (movedAside)
        notice =
            QStringLiteral("Il file %1 non si legge (%2): è stato messo da parte come %3 e vars "
                           "riparte vuoto.")
                .arg(name, error, QFileInfo(aside).fileName());
    else
        notice = QStringLiteral("Il file %1 non si legge (%2) e non si può mettere da parte: vars "
                                "riparte vuoto e non sarà salvato.")
                     .arg(name, error);
    lua_newtable(lua.state());
    return movedAside;
}

bool ScriptVars::writeFile(const QString& path, const QByteArray& text, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        error = QStringLiteral("Le variabili degli script non si possono salvare in %1: %2")
                    .arg(path, file.errorString());
        return false;
    }
    return true;
}
