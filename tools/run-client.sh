#!/usr/bin/env bash
# Installs what is missing, builds and starts the client. The client itself
# starts the practice server when the game host is this machine and nothing
# answers on its port yet, and ends it when it closes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-deps.sh"
bash "$root/tools/build.sh" "$root/build"
cd "$root/build"
exec ./Varendor "$@"
