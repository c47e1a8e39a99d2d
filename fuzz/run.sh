#!/usr/bin/env bash
# Builds the fuzz targets (build/fuzz, clang with libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60) on a
# scratch copy of its seed corpus, so the committed corpus never grows. Every
# seed is first run once at its full length, as some are longer than the
# -max_len of the fuzzing that follows. Prints per target the executions and
# the time; exits with 1 when a target crashed, naming the crashing input.
# Usage: fuzz/run.sh [SECONDS [TARGET...]]  (every target when none is named)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=${1:-60}
shift || true
dir=build/fuzz

# Each fuzz/fuzz_NAME.cpp is a target; fuzz/make-corpus.py writes its seeds
# to fuzz/corpus/fuzz_NAME/, and a target without them is an error.
sources=(fuzz/fuzz_*.cpp)
[ $# -gt 0 ] && sources=("${@/#/fuzz/}") && sources=("${sources[@]/%/.cpp}")
targets=()
for source in "${sources[@]}"; do
    if [ ! -f "$source" ]; then
        echo "fuzz/run.sh: no target $(basename "$source" .cpp)" >&2
        exit 2
    fi
    target=$(basename "$source" .cpp)
    if [ ! -d fuzz/corpus/"$target" ]; then
        echo "fuzz/run.sh: $target has no seed corpus in fuzz/corpus/$target (fuzz/make-corpus.py writes it)" >&2
        exit 1
    fi
    targets+=("$target")
done

tools/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
if [ $# -gt 0 ]; then
    cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"
else
    cmake --build --preset fuzz -j "$(nproc)"
fi

# The targets' own diagnostics (stdout and stderr) are closed; libFuzzer and
# the sanitizers still report.
options=(-close_fd_mask=3 -timeout=10 -rss_limit_mb=2048)
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in "${targets[@]}"; do
    work=$dir/run/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/crashes"
    cp fuzz/corpus/"$target"/* "$work/corpus/"
    binary=$dir/fuzz/$target
    log=$work/log.txt
    # Qt 5.15's JSON parser leaks the first value of a key given twice in one
    # object when that value is an array or object (Qt 6 does not): a unit's
    # reply, a look file or a mapping file can make it leak, out of the
    # program's reach, so the network-services, look-file and mapping-file
    # targets look for memory errors but not for leaks.
    leaks=1
    case $target in fuzz_discovery | fuzz_lookfile | fuzz_midimap) leaks=0 ;; esac
    export ASAN_OPTIONS=abort_on_error=1:detect_leaks=$leaks
    extra=(-detect_leaks=$leaks)
    if ! "$binary" "${options[@]}" "${extra[@]}" -artifact_prefix="$work/crashes/" "$work"/corpus/* >"$work/seeds.txt" 2>&1; then
        echo "== $target: CRASH on a seed; log $work/seeds.txt"
        grep -E 'Running: |ERROR|invariant|SUMMARY' "$work/seeds.txt" | tail -5
        status=1
        continue
    fi
    started=$(date +%s.%N)
    if "$binary" "${options[@]}" "${extra[@]}" -max_len=8192 -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/crashes/" "$work/corpus" >"$log" 2>&1; then
        outcome=ok
    else
        outcome=CRASH
        status=1
    fi
    ended=$(date +%s.%N)
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    awk -v t="$target" -v o="$outcome" -v n="${executions:-?}" -v a="$started" -v b="$ended" \
        'BEGIN { printf "== %s: %s, %s executions in %.0f s\n", t, o, n, b - a }'
    if [ "$outcome" != ok ]; then
        grep -E 'ERROR|invariant|SUMMARY' "$log" | head -5 || true
        grep -E 'Test unit written to' "$log" || true
        echo "   log: $log"
    fi
done
exit "$status"
