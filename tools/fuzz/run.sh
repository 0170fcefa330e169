#!/usr/bin/env bash
# tools/fuzz/run.sh TARGET SECONDS [FUZZER OPTIONS...]   (TARGET: textpath,
# codec, sgr, stores, profile, notefile, colornumber, scripts, or all to run
# each in turn)
# Builds the fuzz targets with clang in build-fuzz and runs one. New inputs go
# to build-fuzz/fuzz/corpus/TARGET (the committed seeds are only read), crashes
# to build-fuzz/fuzz/findings/TARGET, the fuzzer's output to .../logs/TARGET.log.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="$repo/build-fuzz"
targets=(textpath codec sgr stores profile notefile colornumber scripts)

if [ $# -lt 2 ] || ! [[ "$2" =~ ^[0-9]+$ ]]; then
    echo "uso: $0 {${targets[*]// /|}|all} SECONDI [OPZIONI...]" >&2
    exit 2
fi
what="$1" seconds="$2"
shift 2
extra=("$@")

"$repo/tools/setup-deps.sh" clang libclang-rt-14-dev
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja -DVARENDOR_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi

run_one() {
    local t="$1" bin="$build/fuzz/fuzz_$1"
    cmake --build "$build" --target "fuzz_$t" -j2
    mkdir -p "$build/fuzz/corpus/$t" "$build/fuzz/findings/$t" "$build/fuzz/logs"
    local limit=()
    # Long enough for a line past the display's longest (65,536 characters).
    [ "$t" = textpath ] && limit=(-max_len=150000)
    [ "$t" = colornumber ] && limit=(-max_len=256)
    echo "== fuzz_$t for ${seconds}s"
    set +e
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp}" \
    ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}" LSAN_OPTIONS="suppressions=$here/lsan.supp" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        "$bin" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 "${limit[@]}" "${extra[@]}" \
        -print_final_stats=1 -artifact_prefix="$build/fuzz/findings/$t/" \
        "$build/fuzz/corpus/$t" "$here/corpus/$t" 2>&1 | tee "$build/fuzz/logs/$t.log" |
        grep -E "^#[0-9]+[[:space:]]+(INITED|DONE)|stat::|ERROR|SUMMARY|expectation|Test unit written|caps:"
    local rc=${PIPESTATUS[0]}
    set -e
    echo "== fuzz_$t exit $rc (log: $build/fuzz/logs/$t.log)"
    return "$rc"
}

if [ "$what" = all ]; then
    status=0
    for t in "${targets[@]}"; do run_one "$t" || status=1; done
    exit "$status"
fi
[[ " ${targets[*]} " == *" $what "* ]] || { echo "bersaglio sconosciuto: $what" >&2; exit 2; }
run_one "$what"
