#include "scripting/LuaJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <cmath>
#include <lua.hpp>

namespace LuaJson {
namespace {
constexpr int kMaxDepth = 64;
// Beyond this a double no longer holds every whole number.
constexpr double kExactLimit = 9007199254740992.0;

void flattenInto(const QJsonValue& value, Tokens& out) {
    Token t;
    switch (value.type()) {
    case QJsonValue::Bool:
        t.kind = value.toBool() ? Token::True : Token::False;
        out.push_back(std::move(t));
        return;
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (std::isfinite(d) && std::floor(d) == d && std::fabs(d) <= kExactLimit) {
            t.kind = Token::Integer;
            t.integer = qint64(d);
        } else {
            t.kind = Token::Number;
            t.number = d;
        }
        out.push_back(std::move(t));
        return;
    }
    case QJsonValue::String:
        t.kind = Token::String;
        t.text = value.toString().toUtf8();
        out.push_back(std::move(t));
        return;
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        t.kind = Token::Array;
        t.integer = array.size();
        out.push_back(std::move(t));
        for (const QJsonValue& element : array)
            flattenInto(element, out);
        return;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        t.kind = Token::Object;
        t.integer = object.size();
        out.push_back(std::move(t));
        for (auto it = object.begin(); it != object.end(); ++it) {
            Token key;
            key.kind = Token::String;
            key.text = it.key().toUtf8();
            out.push_back(std::move(key));
            flattenInto(it.value(), out);
        }
        return;
    }
    default: // null, undefined
        out.push_back(std::move(t));
        return;
    }
}

// Pushes the value starting at tokens[at]; returns the index after it.
size_t pushAt(lua_State* L, const Tokens& tokens, size_t at) {
    luaL_checkstack(L, 3, "dati troppo annidati");
    const Token& t = tokens[at++];
    switch (t.kind) {
    case Token::Null:
        lua_pushnil(L);
        return at;
    case Token::False:
    case Token::True:
        lua_pushboolean(L, t.kind == Token::True);
        return at;
    case Token::Integer:
        lua_pushinteger(L, lua_Integer(t.integer));
        return at;
    case Token::Number:
        lua_pushnumber(L, t.number);
        return at;
    case Token::String:
        lua_pushlstring(L, t.text.constData(), size_t(t.text.size()));
        return at;
    case Token::Array:
        lua_createtable(L, int(t.integer), 0);
        for (qint64 i = 1; i <= t.integer; ++i) {
            at = pushAt(L, tokens, at);
            lua_rawseti(L, -2, lua_Integer(i));
        }
        return at;
    case Token::Object:
        lua_createtable(L, 0, int(t.integer));
        for (qint64 i = 0; i < t.integer; ++i) {
            const Token& key = tokens[at++];
            lua_pushlstring(L, key.text.constData(), size_t(key.text.size()));
            at = pushAt(L, tokens, at);
            lua_rawset(L, -3); // a null leaves the key out
        }
        return at;
    }
    return at;
}

QJsonValue fromLuaAt(lua_State* L, int index, Fault& fault, QList<const void*>& path) {
    switch (lua_type(L, index)) {
    case LUA_TNIL:
        return QJsonValue(QJsonValue::Null);
    case LUA_TBOOLEAN:
        return QJsonValue(lua_toboolean(L, index) != 0);
    case LUA_TNUMBER: {
        if (lua_isinteger(L, index))
            return QJsonValue(qint64(lua_tointeger(L, index)));
        const double d = lua_tonumber(L, index);
        if (!std::isfinite(d)) {
            fault = Fault::Number;
            return {};
        }
        return QJsonValue(d);
    }
    case LUA_TSTRING: {
        size_t len = 0;
        const char* s = lua_tolstring(L, index, &len);
        return QJsonValue(QString::fromUtf8(s, qsizetype(len)));
    }
    case LUA_TTABLE:
        break;
    default:
        fault = Fault::Type;
        return {};
    }
    const void* table = lua_topointer(L, index);
    if (path.contains(table)) {
        fault = Fault::Cycle;
        return {};
    }
    if (path.size() >= kMaxDepth || !lua_checkstack(L, 3)) {
        fault = Fault::Depth;
        return {};
    }
    index = lua_absindex(L, index);
    path.append(table);
    // Keys first: all text (an object) or exactly 1..n (an array).
    qint64 count = 0, texts = 0, positive = 0;
    lua_Integer highest = 0;
    lua_pushnil(L);
    while (lua_next(L, index)) {
        ++count;
        if (lua_type(L, -2) == LUA_TSTRING)
            ++texts;
        else if (lua_isinteger(L, -2) && lua_tointeger(L, -2) >= 1) {
            ++positive;
            highest = qMax(highest, lua_tointeger(L, -2));
        }
        lua_pop(L, 1);
    }
    // n different whole keys, none above n: exactly 1..n.
    const bool array = count > 0 && positive == count && highest == count;
    QJsonValue out;
    if (array) {
        QJsonArray elements;
        for (qint64 i = 1; i <= count && fault == Fault::None; ++i) {
            lua_rawgeti(L, index, lua_Integer(i));
            elements.append(fromLuaAt(L, -1, fault, path));
            lua_pop(L, 1);
        }
        out = elements;
    } else if (texts == count) {
        QJsonObject members;
        lua_pushnil(L);
        while (fault == Fault::None && lua_next(L, index)) {
            size_t len = 0;
            const char* key = lua_tolstring(L, -2, &len); // a text already: no conversion
            members.insert(QString::fromUtf8(key, qsizetype(len)), fromLuaAt(L, -1, fault, path));
            lua_pop(L, 1);
        }
        if (fault != Fault::None)
            lua_pop(L, 1); // the key lua_next left
        out = members;
    } else {
        fault = Fault::Keys;
    }
    path.removeLast();
    return fault == Fault::None ? out : QJsonValue();
}
} // namespace

Tokens flatten(const QJsonValue& value) {
    Tokens out;
    if (!value.isUndefined())
        flattenInto(value, out);
    return out;
}

void push(lua_State* L, const Tokens& tokens) {
    if (tokens.empty())
        lua_pushnil(L);
    else
        pushAt(L, tokens, 0);
}

QJsonValue fromLua(lua_State* L, int index, Fault& fault) {
    fault = Fault::None;
    QList<const void*> path;
    const int top = lua_gettop(L);
    QJsonValue value = fromLuaAt(L, index, fault, path);
    lua_settop(L, top);
    return value;
}

const char* faultText(Fault fault) {
    switch (fault) {
    case Fault::Type:
        return "i dati possono contenere solo tabelle, testi, numeri e sì/no";
    case Fault::Keys:
        return "una tabella dev'avere o solo chiavi di testo o solo le chiavi 1, 2, 3...";
    case Fault::Cycle:
        return "una tabella contiene se stessa";
    case Fault::Depth:
        return "i dati sono annidati troppo a fondo";
    case Fault::Number:
        return "un numero non è finito";
    case Fault::None:
        break;
    }
    return "";
}

} // namespace LuaJson
