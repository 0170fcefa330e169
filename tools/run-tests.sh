#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest: first
# the normal build, then a second build under AddressSanitizer and
# UndefinedBehaviorSanitizer where any report fails its test. Stops at the
# first run that fails, so the last line is always the deciding ctest summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-deps.sh"

bash "$root/tools/build.sh" "$root/build"
(cd "$root/build" && ctest --output-on-failure -j2)

# -O1 keeps the sanitized tests fast; Debug keeps Qt's and our assertions on.
bash "$root/tools/build.sh" "$root/build-asan" -DVARENDOR_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g"
# Leaks are reported too; only leaks inside Qt's and the font libraries' own
# start-up caches are suppressed (tests/support/lsan.supp says which and why).
export ASAN_OPTIONS="halt_on_error=1:print_stacktrace=1:detect_leaks=1:strict_init_order=1:check_initialization_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0"
cd "$root/build-asan"
ctest --output-on-failure -j2
