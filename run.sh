#!/usr/bin/env bash
# Builds and runs Prismolink beside a rig of simulated Prismo units
# (prismo-sim's default rig) and a virtual control panel (tangent-hub-sim),
# so it can be tried without hardware. Arguments are passed to the program.
#
# The units listen on PRISMOLINK_DEVICE_PORT, or 8080 so that no privileges
# are needed, and the program is given the same port. The program keeps its
# settings in build/run/demo/config (the user's own settings stay untouched),
# written afresh at each start with the first simulated unit as its saved
# address and no gang. The rig stops when the program ends, Ctrl-C and
# SIGTERM to the script included.
# Without a display the window is shown on a virtual one (Xvfb) and a
# screenshot of it is saved. The virtual panel plays the Tangent Hub on
# PRISMOLINK_HUB_PORT, or 64246 where the real hub listens; when a real hub
# runs there, the program uses that one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/install-deps.sh run
cmake --preset run >/dev/null
cmake --build --preset run -j "$(nproc)"

program=build/run/app/prismolink
simulator=build/run/tools/prismosim/prismo-sim
panel=build/run/tools/hubsim/tangent-hub-sim
write_settings=build/run/tools/writesettings/write-settings
export PRISMOLINK_DEVICE_PORT=${PRISMOLINK_DEVICE_PORT:-8080}
first_unit=127.0.0.11

demo=$PWD/build/run/demo
export XDG_CONFIG_HOME=$demo/config
"$write_settings" "$XDG_CONFIG_HOME" "$first_unit"

# The program runs in the background and the script waits for it, so that a
# SIGTERM to the script is taken at once (a foreground command would hold
# the trap until it ended) and ends the program and the rig as Ctrl-C does.
# On the virtual display the program is ended first, so that it closes as
# on SIGTERM (its settings saved) before its display goes; the display's run
# is a process group of its own, ended whole.
program_pid=
display_group=
export PRISMOLINK_DISPLAYED_PID=$demo/displayed.pid
rm -f "$PRISMOLINK_DISPLAYED_PID"
sim_pid=
panel_pid=
stop_rig() {
    if [ -n "$display_group" ]; then
        displayed=$(cat "$PRISMOLINK_DISPLAYED_PID" 2>/dev/null || true)
        if [ -n "$displayed" ] && kill -TERM "$displayed" 2>/dev/null; then
            for _ in $(seq 50); do
                kill -0 "$displayed" 2>/dev/null || break
                sleep 0.1
            done
        fi
        kill -TERM -- "-$display_group" 2>/dev/null || true
    fi
    for pid in $program_pid $panel_pid $sim_pid; do
        if kill -0 "$pid" 2>/dev/null; then
            kill -TERM "$pid"
            wait "$pid" 2>/dev/null || true
        fi
    done
}
trap stop_rig EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$simulator" --port "$PRISMOLINK_DEVICE_PORT" --log "$demo/requests.log" </dev/null 2>"$demo/prismo-sim.txt" &
sim_pid=$!
tools/wait-for-port.sh "$demo/prismo-sim.txt" "$sim_pid" >/dev/null
cat "$demo/prismo-sim.txt"
echo "Request log of the simulated units: $demo/requests.log"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$panel" 2>"$demo/tangent-hub-sim.txt" &
    panel_pid=$!
    echo "Virtual panel: tangent-hub-sim (its log: $demo/tangent-hub-sim.txt)"
    "$program" --osc "$@" &
    program_pid=$!
    status=0
    wait "$program_pid" || status=$?
    program_pid=
    exit "$status"
fi

# No display: the virtual panel runs without its window, so the screenshot
# shows the program alone. It reads commands from a pipe that this script
# holds open, and ends with the script.
rm -f "$demo/panel-commands"
mkfifo "$demo/panel-commands"
"$panel" --headless <"$demo/panel-commands" >/dev/null 2>"$demo/tangent-hub-sim.txt" &
panel_pid=$!
exec 3>"$demo/panel-commands"

screenshot=${PRISMOLINK_SCREENSHOT:-$PWD/build/run/prismolink.png}
echo "No display: running on a virtual display for a few seconds and saving a screenshot."
setsid xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$0" "${@:2}" &
    pid=$!
    echo "$pid" >"$PRISMOLINK_DISPLAYED_PID"
    sleep "${PRISMOLINK_SCREENSHOT_DELAY:-4}"
    import -window root "$1"
    convert "$1" -trim +repage "$1" # the window alone, without the empty screen
    kill -TERM "$pid"
    wait "$pid" || true
' "$program" "$screenshot" --osc "$@" &
display_group=$!
wait "$display_group"
display_group=
echo "Screenshot: $screenshot"
