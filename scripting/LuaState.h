#pragma once
// One Lua 5.4 state for the player's scripts, closed in on itself: no io, no
// os beyond time, clock and date, no debug, no C modules, no binary chunks;
// files are read only from the script folder. Every call runs under two
// limits: an instruction-count hook stops a call that runs past its time, and
// the allocator refuses memory past the cap, so a runaway script fails with
// a message instead of holding up or exhausting the client.
#include <QElapsedTimer>
#include <QString>

struct lua_State;

class LuaState {
public:
    struct Limits {
        int timeMs = 100;
        int memoryMb = 64;
    };

    LuaState(const QString& scriptFolder, Limits limits);
    ~LuaState();
    LuaState(const LuaState&) = delete;
    LuaState& operator=(const LuaState&) = delete;

    lua_State* state() const { return m_L; }
    // The LuaState behind a lua_State of its own (or of one of its threads).
    static LuaState& of(lua_State* L);
    // Whatever the owner wants reachable from the functions it registers.
    void* owner = nullptr;

    // Calls the function below nargs arguments on the stack, protected and
    // under the limits (the time counts from the outermost call). On failure
    // error holds one line: "file.lua:12: what went wrong", in Italian where
    // the fault is a limit.
    bool call(int nargs, int nresults, QString& error);
    // Compiles a text chunk named name (shown in errors) and pushes it.
    bool load(const QByteArray& text, const QString& name, QString& error);
    // Reads and compiles a file of the script folder, given by a relative
    // name that stays inside it; pushes the chunk.
    bool loadFile(const QString& name, QString& error);

    size_t memoryUsed() const { return m_used; }
    const Limits& limits() const { return m_limits; }
    const QString& folder() const { return m_folder; }

private:
    static void* allocate(void* ud, void* ptr, size_t oldSize, size_t newSize);
    static void watchdog(lua_State* L, struct lua_Debug* ar);
    void openSandbox();

    lua_State* m_L = nullptr;
    QString m_folder;
    Limits m_limits;
    size_t m_used = 0;
    size_t m_cap = 0;
    int m_depth = 0;
    bool m_expired = false;
    QElapsedTimer m_clock;
};
