#!/usr/bin/env bash
# Builds and runs Prismolink. Arguments are passed to the program.
# Without a display the window is shown on a virtual one (Xvfb) and a
# screenshot of it is saved.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/install-deps.sh run
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPRISMOLINK_BUILD_TESTS=OFF >/dev/null
cmake --build build/run -j "$(nproc)"

program=build/run/app/prismolink
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$program" "$@"
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
