#!/usr/bin/env bash
# Builds the program and its benchmark in Release mode (build/bench) and
# runs the benchmark; arguments are passed on (--quick, --idle-seconds N,
# --latency-only, --midi-only).
# The table goes to standard output, progress to standard error.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPRISMOLINK_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" --target prismolink-bench >&2
exec build/bench/bench/prismolink-bench "$@"
