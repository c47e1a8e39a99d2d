#!/usr/bin/env bash
# Waits until a simulator started in the background says on which port it
# listens, and prints that port. FILE is where its standard error goes, PID
# its process. prismo-sim writes "listening on port N ...", tangent-hub-sim
# "listening on 127.0.0.1:N". Exits with 1, showing FILE, when the process
# ended first or no such line came within SECONDS (default 30).
# Usage: tools/wait-for-port.sh FILE PID [SECONDS]
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 FILE PID [SECONDS]" >&2
    exit 2
fi
file=$1 pid=$2 seconds=${3:-30}
name=$(cat "/proc/$pid/comm" 2>/dev/null || echo "process $pid")

port_in_file() {
    sed -n -E 's/.*listening on (port |[0-9.]+:)([0-9]+).*/\2/p' "$file" 2>/dev/null | head -n 1
}

# A process that ended but was not yet collected by its parent still
# answers kill -0; its state in /proc tells.
running() {
    local stat
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

# Microseconds since the epoch, whatever the locale's decimal mark.
now() {
    echo "${EPOCHREALTIME/[!0-9]/}"
}

deadline=$(($(now) + seconds * 1000000))
while :; do
    port=$(port_in_file)
    if [ -n "$port" ]; then
        echo "$port"
        exit 0
    fi
    if ! running; then
        problem="$name ended without saying on which port it listens"
        break
    fi
    if [ "$(now)" -ge "$deadline" ]; then
        problem="$name did not say within $seconds s on which port it listens"
        break
    fi
    sleep 0.1
done
echo "wait-for-port: $problem; its output ($file):" >&2
cat "$file" >&2 2>/dev/null || true
exit 1
