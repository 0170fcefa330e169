#!/usr/bin/env bash
# Installs what is missing, builds, starts the practice server when the game
# host is this machine and nothing answers on its port yet, then the client.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-deps.sh"
bash "$root/tools/build.sh" "$root/build"
cd "$root/build"

ini_value() { # section key: reads config.ini beside the program, if any
    [ -f config.ini ] || return 0
    awk -v s="[$1]" -v k="$2" 'BEGIN{IGNORECASE=1} {sub(/\r$/,"")}
        /^\[/ {insec = (tolower($0) == tolower(s))} insec && index($0,"=") {
        split($0, kv, "="); if (tolower(kv[1]) == tolower(k)) {print substr($0, index($0,"=")+1); exit}}' config.ini
}
host=$(ini_value SERVER HOST); host=${host:-localhost}
port=$(ini_value SERVER PORTA); port=${port:-4000}

server_pid=""
case "$host" in
localhost|127.*|::1)
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && [ -x ./varendor-practice-server ]; then
        ./varendor-practice-server --port "$port" &
        server_pid=$!
        trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT
    fi ;;
esac
./Varendor
