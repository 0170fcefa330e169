#!/usr/bin/env bash
# Builds the Debian package in one command: installs what is missing,
# builds into build/ (or $1), and leaves varendor_<version>_<arch>.deb in
# that folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
bash "$root/tools/setup-deps.sh"
bash "$root/tools/build.sh" "$dir"
cd "$dir"
cpack -G DEB
ls -1 "$dir"/varendor_*.deb
