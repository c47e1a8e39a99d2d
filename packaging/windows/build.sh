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

cmake --preset windows-app -DCMAKE_PREFIX_PATH="$(paste -sd';' <<<"$prefixes")" >/dev/null
cmake --build --preset windows-app -j "${PRISMOLINK_JOBS:-2}"
rm -f "$dir"/Prismolink-*.exe
(cd "$dir" && cpack -G NSIS >/dev/null)
installer=$(echo "$PWD/$dir"/Prismolink-*.exe)
echo "build: installer of $(stat -c %s "$installer") bytes:" >&2
echo "$installer"
