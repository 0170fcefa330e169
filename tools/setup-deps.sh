#!/usr/bin/env bash
# Installs what building and testing Varendor needs on Debian 12, once:
# packages already present are skipped and apt is not touched at all.
# TinyMUX (a real game server for the integration test) is optional: when it
# cannot be installed the build goes on and that test skips itself.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libtelnet-dev zlib1g-dev libspeechd-dev
          liblua5.4-dev libpcre2-dev
          fonts-dejavu-core fonts-liberation2 "$@")
# Qt's own texts (file dialogs, context menus, network errors) in Italian.
packages+=(qt6-translations-l10n)
# A desktop's fonts: "Courier" maps to a print face there, which the display
# must not pick up by accident.
packages+=(fonts-urw-base35)
optional=(tinymux)
# Building and checking the Debian package (tests/packaging/check_deb.sh).
packages+=(dpkg-dev file lintian desktop-file-utils appstream)
# RE2, only for the benchmark that measures its pattern set against ours.
packages+=(libre2-dev)
# TLS tests (skipped when missing): stunnel4 as the server, openssl makes its certificate.
optional+=(stunnel4 openssl)
# A real peer that offers the character's data beside the text (option 201),
# run in server mode inside a loopback-only network namespace.
optional+=(tintin++)
# The screen-reader checks: a display server, a session bus, the desktop's
# accessibility registry and its Python client; for the check with a real
# screen reader also a window manager, keys typed from outside, the speech
# service with an Italian voice, and Orca.
accessibility=(xvfb xauth dbus at-spi2-core python3-pyatspi dbus-x11 openbox xdotool
               speech-dispatcher speech-dispatcher-espeak-ng espeak-ng orca)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
updated=0
apt_install() {
    if ((!updated)); then
        $SUDO apt-get update -qq
        updated=1
    fi
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@"
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${accessibility[@]}"; do installed "$p" || missing+=("$p"); done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    apt_install "${missing[@]}"
fi

for p in "${optional[@]}"; do
    installed "$p" && continue
    echo "Installing: $p"
    apt_install "$p" || echo "setup-deps: $p could not be installed; the tests that need it will skip" >&2
done
