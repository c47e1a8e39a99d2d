#!/usr/bin/env bash
# The real program under Valgrind's memcheck, used through the panel: starts
# prismo-sim and tangent-hub-sim --headless on free ports, then prismolink
# (offscreen, its settings in a scratch folder holding the first unit's
# address); the hub script waits for the program, turns encoders, presses
# buttons and changes the panel page; then SIGTERM closes the program
# normally. Fails on any memcheck error (invalid reads and writes included)
# and on definitely lost memory; prints Valgrind's summary.
# Usage: tests/memcheck.sh [BUILD_DIR]   (default build/tests)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build=${1:-build/tests}
program=$build/app/prismolink
simulator=$build/tools/prismosim/prismo-sim
hubsim=$build/tools/hubsim/tangent-hub-sim
write_settings=$build/tools/writesettings/write-settings
for binary in "$program" "$simulator" "$hubsim" "$write_settings"; do
    [ -x "$binary" ] || { echo "memcheck: $binary is not built" >&2; exit 2; }
done
command -v valgrind >/dev/null || { echo "memcheck: valgrind is not installed" >&2; exit 2; }

scratch=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap finish EXIT

"$simulator" --port 0 --quiet </dev/null 2>"$scratch/prismo-sim.txt" &
pids+=($!)
device_port=$(tools/wait-for-port.sh "$scratch/prismo-sim.txt" $!)

# The hub's script: the program under Valgrind starts slowly, so the wait is long.
cat >"$scratch/hub-script.txt" <<'EOF'
wait 90000
sleep 500
encoder 5 60
encoder 0 -40
encoder 9 20
button 1
sleep 300
button 12
sleep 300
encoder 0 40
encoder 4 20
button 12
sleep 300
button 5
button 5
button 12
sleep 300
encoder 9 20
button 9
button 12
sleep 300
down 13
up 13
refresh
sleep 1000
dump
status
quit
EOF
# The hub simulator takes a fixed port: ask the system for a free one.
hub_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$hubsim" --headless --port "$hub_port" <"$scratch/hub-script.txt" >"$scratch/hub-output.txt" 2>"$scratch/hub-log.txt" &
hub_pid=$!
pids+=($hub_pid)
tools/wait-for-port.sh "$scratch/hub-log.txt" $hub_pid >/dev/null

"$write_settings" "$scratch/config" 127.0.0.11

echo "memcheck: prismolink under Valgrind (units on port $device_port, hub on $hub_port)"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$scratch/config HOME=$scratch \
    PRISMOLINK_DEVICE_PORT=$device_port PRISMOLINK_HUB_PORT=$hub_port PRISMOLINK_MODAL_ANSWER=reject \
    valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
    --show-leak-kinds=definite --num-callers=40 --suppressions=tests/memcheck.supp \
    --log-file="$scratch/valgrind.txt" "$program" >"$scratch/program.txt" 2>&1 &
program_pid=$!
pids+=($program_pid)

hub_status=0
wait "$hub_pid" || hub_status=$?
# Give the program a moment to take the hub's going away, then close it as a desktop would.
sleep 1
kill -TERM "$program_pid" 2>/dev/null || true
status=0
wait "$program_pid" || status=$?

cat "$scratch/hub-output.txt"
grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable|suppressed:' "$scratch/valgrind.txt" |
    sed 's/^==[0-9]*== */  /'
if [ "$hub_status" -ne 0 ] || grep -q '^error:' "$scratch/hub-output.txt"; then
    echo "memcheck: the hub script did not run through" >&2
    cat "$scratch/hub-log.txt" "$scratch/program.txt" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    cat "$scratch/valgrind.txt" >&2
    echo "memcheck: FAILED (exit status $status)" >&2
    exit 1
fi
echo "memcheck: no errors, nothing definitely lost"
