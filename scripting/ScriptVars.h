#pragma once
// The `vars` table on disk: a Lua text returning one table of strings,
// numbers and booleans, keys sorted so that the file changes only where a
// value did. Read back in an empty environment, under the state's limits.
#include <QString>

struct lua_State;
class LuaState;

namespace ScriptVars {

// The table at index as file text; values of other types are left out.
QByteArray serialize(lua_State* L, int index);

// Runs text and pushes the table it returns (an empty text gives an empty
// table). On failure pushes nothing and says why.
bool parse(LuaState& lua, const QByteArray& text, QString& error);

// Reads the file into a table on the stack. A file that cannot be read back
// is renamed aside (never deleted) and the table starts empty; notice then
// says so, naming both files. False when the broken file could not be moved
// aside: then nothing may be written over it.
bool loadFile(LuaState& lua, const QString& path, QString& notice);

// Replaces the file whole (written beside it, then swapped in).
bool writeFile(const QString& path, const QByteArray& text, QString& error);

} // namespace ScriptVars
