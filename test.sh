#!/usr/bin/env bash
# The whole test suite. Installs what is missing, builds with warnings as
# errors and runs every test, then builds again with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test once more.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/install-deps.sh test
jobs=$(nproc)

suite() {
    local dir=$1
    shift
    echo "== $dir"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPRISMOLINK_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
}

suite build/tests
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    suite build/sanitizers -DPRISMOLINK_SANITIZE=ON
echo "All tests passed."
