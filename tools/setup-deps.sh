#!/usr/bin/env bash
# Installs what building and testing Varendor needs on Debian 12, once:
# packages already present are skipped and apt is not touched at all.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libtelnet-dev zlib1g-dev
          fonts-dejavu-core fonts-liberation2 "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
