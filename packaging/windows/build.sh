#!/usr/bin/env bash
# Cross-builds the Windows programs (prismolink.exe, prismo-sim.exe,
# tangent-hub-sim.exe, prismo-linkcheck.exe) with mingw-w64 against the
# static Qt and the libraries of packaging/windows/build-deps.sh (built first
# when the cache lacks them: the first time takes long, see the README), then
# makes their installer with CPack's NSIS generator, and prints its path as
# the last line. Build folder: build/windows-app (the windows-app preset).
# Usage: packaging/windows/build.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

tools/install-deps.sh windows
prefixes=$(packaging/windows/build-deps.sh)
dir=build/windows-app

# A library counts as there when pkg-config finds it in one of the folders.
has() {
    local libdirs
    libdirs=$(sed 's|$|/lib/pkgconfig|' <<<"$prefixes" | paste -sd:)
    PKG_CONFIG_LIBDIR=$libdirs pkg-config --exists "$1"
}
osc=OFF
if has liblo; then
    osc=ON
else
    echo "build: no liblo for Windows in the cache, so the program is built without remote control over OSC" >&2
fi
if has rtmidi; then
    echo "build: RtMidi for Windows is in the cache for the MIDI control" >&2
fi

cmake --preset windows-app -DCMAKE_PREFIX_PATH="$(paste -sd';' <<<"$prefixes")" -DPRISMOLINK_OSC="$osc" >/dev/null
cmake --build --preset windows-app -j "${PRISMOLINK_JOBS:-2}"
rm -f "$dir"/Prismolink-*.exe
(cd "$dir" && cpack -G NSIS >/dev/null)
installer=$(echo "$PWD/$dir"/Prismolink-*.exe)
echo "build: installer of $(stat -c %s "$installer") bytes:" >&2
echo "$installer"
