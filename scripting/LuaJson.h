#pragma once
// JSON values (the data channel's bodies) to Lua values and back: objects
// are tables with text keys, arrays sequences, null nil; whole numbers come
// as Lua integers. Lua raises its errors with longjmp, past C++ destructors,
// so the way into Lua is in two steps: flatten() makes C++ values, then
// push() copies them onto the stack holding none of its own; the way back
// raises nothing and reports a fault instead.
#include <QByteArray>
#include <QJsonValue>

#include <vector>

struct lua_State;

namespace LuaJson {

struct Token {
    enum Kind : char { Null, False, True, Integer, Number, String, Array, Object };
    Kind kind = Null;
    qint64 integer = 0; // Integer; the element or pair count of Array, Object
    double number = 0;
    QByteArray text; // String, and an object's keys
};
// A value in prefix order: an array's count, then its elements; an object's
// count, then key, value, key, value...
using Tokens = std::vector<Token>;

Tokens flatten(const QJsonValue& value);
// Pushes the value (nothing for an empty list: nil). Only inside a protected
// call: it raises a Lua error when the stack cannot grow.
void push(lua_State* L, const Tokens& tokens);

enum class Fault { None, Type, Keys, Cycle, Depth, Number };
// The Lua value at index as JSON. Tables with only text keys become
// objects, tables with keys 1..n arrays, an empty table an empty object.
QJsonValue fromLua(lua_State* L, int index, Fault& fault);
// What went wrong, in Italian, for a script error.
const char* faultText(Fault fault);

} // namespace LuaJson
