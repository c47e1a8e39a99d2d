#!/usr/bin/env bash
# Builds and runs Prismolink beside a rig of simulated Prismo units
# (prismo-sim's default rig), so it can be tried without hardware.
# Arguments are passed to the program.
#
# The units listen on PRISMOLINK_DEVICE_PORT, or 8080 so that no privileges
# are needed, and the program is given the same port. The program keeps its
# settings in build/run/demo/config (the user's own settings stay untouched),
# with the first simulated unit as its saved address. The rig stops when the
# program ends, Ctrl-C included. Without a display the window is shown on a
# virtual one (Xvfb) and a screenshot of it is saved.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/install-deps.sh run
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPRISMOLINK_BUILD_TESTS=OFF >/dev/null
cmake --build build/run -j "$(nproc)" --target prismolink prismo-sim

program=build/run/app/prismolink
simulator=build/run/tools/prismosim/prismo-sim
export PRISMOLINK_DEVICE_PORT=${PRISMOLINK_DEVICE_PORT:-8080}
first_unit=127.0.0.11

demo=$PWD/build/run/demo
export XDG_CONFIG_HOME=$demo/config
settings=$XDG_CONFIG_HOME/tavi/PrismoRest.conf
mkdir -p "$(dirname "$settings")"
if [ -f "$settings" ] && grep -q '^\[General\]' "$settings"; then
    sed -i -e '/^IPAddress=/d' -e "/^\[General\]/a IPAddress=$first_unit" "$settings"
elif [ -f "$settings" ]; then
    sed -i "1i [General]\nIPAddress=$first_unit\n" "$settings"
else
    printf '[General]\nIPAddress=%s\n' "$first_unit" >"$settings"
fi

sim_pid=
stop_rig() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid"
        wait "$sim_pid" 2>/dev/null || true
    fi
}
trap stop_rig EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$simulator" --port "$PRISMOLINK_DEVICE_PORT" --log "$demo/requests.log" </dev/null 2>"$demo/prismo-sim.txt" &
sim_pid=$!
for _ in $(seq 100); do
    grep -q 'listening on port' "$demo/prismo-sim.txt" && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        cat "$demo/prismo-sim.txt" >&2
        echo "The simulated units could not start." >&2
        exit 1
    fi
    sleep 0.1
done
cat "$demo/prismo-sim.txt"
echo "Request log of the simulated units: $demo/requests.log"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$program" "$@"
    exit
fi

screenshot=${PRISMOLINK_SCREENSHOT:-$PWD/build/run/prismolink.png}
echo "No display: running on a virtual display for a few seconds and saving a screenshot."
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$0" "${@:2}" &
    pid=$!
    sleep "${PRISMOLINK_SCREENSHOT_DELAY:-4}"
    import -window root "$1"
    kill -TERM "$pid"
    wait "$pid" || true
' "$program" "$screenshot" "$@"
echo "Screenshot: $screenshot"
