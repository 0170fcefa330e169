#!/usr/bin/env bash
# Runs orca_check.py: the client ($1) played by keyboard against the practice
# world ($2) while a real screen reader listens. Skips (exit 77) with the
# reason when a piece of that desktop is missing.
set -u
here=${0%/*}
client=${1:?usage: orca_check.sh CLIENT PRACTICE_SERVER}
server=${2:?usage: orca_check.sh CLIENT PRACTICE_SERVER}

skip() {
    echo "SKIP: $*"
    exit 77
}
for tool in Xvfb openbox dbus-run-session xdotool speech-dispatcher orca; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (tools/setup-deps.sh lists it)"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the accessibility bus (at-spi2-core) is not installed"
compgen -G "/usr/lib/speech-dispatcher-modules/sd_espeak-ng" >/dev/null ||
    compgen -G "/usr/lib/*/speech-dispatcher-modules/sd_espeak-ng" >/dev/null ||
    skip "speech-dispatcher has no espeak-ng voice (speech-dispatcher-espeak-ng)"
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null || skip "pyatspi (python3-pyatspi) is not installed"
dbus-run-session -- true 2>/dev/null || skip "a D-Bus session bus cannot start here"

exec dbus-run-session -- "$python" "$here/orca_check.py" "$client" "$server"
