#!/usr/bin/env bash
# Runs atspi_check.py against the client ($1) inside its own display server
# and D-Bus session, where the accessibility bus starts on demand. Skips
# (exit 77) with the reason when a piece of that desktop is missing.
set -u
here=${0%/*}
client=${1:?usage: atspi_check.sh CLIENT_EXECUTABLE}

skip() {
    echo "SKIP: $*"
    exit 77
}
for tool in xvfb-run xauth dbus-run-session; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (xvfb, xauth, dbus)"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the accessibility bus (at-spi2-core) is not installed"
# Debian's own Python: pyatspi is installed for it, not for other interpreters.
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null || skip "pyatspi (python3-pyatspi) is not installed"
dbus-run-session -- true 2>/dev/null || skip "a D-Bus session bus cannot start here"

exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" \
    "$python" "$here/atspi_check.py" "$client"
