#!/usr/bin/env bash
# The whole test suite. Installs what is missing, then:
#  - builds with Qt 5 and warnings as errors and runs every test;
#  - makes the .deb from that build, installs it and checks what it installed;
#  - cross-builds the device link for Windows and runs its check program under
#    Wine against simulated units running natively; when Qt for Windows is
#    built (packaging/windows/build-deps.sh), also builds the Windows programs
#    and their installer and tries them under Wine;
#  - builds with Qt 6 and runs every test again;
#  - builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs
#    every test once more;
#  - builds the controller's tests with ThreadSanitizer and runs them;
#  - runs the program of the first build under Valgrind's memcheck, driven
#    through the simulated hub (tests/memcheck.sh);
#  - builds the fuzz targets with clang and runs each for 60 seconds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/install-deps.sh test
jobs=$(nproc)

# Configures, builds and tests one preset of CMakePresets.json (its folder is build/PRESET).
suite() {
    local preset=$1
    echo "== build/$preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
}

# Makes the package of a build, installs it on this machine and checks the
# installed desktop entry, icon, man pages and programs.
package() {
    local dir=$1
    echo "== package of $dir"
    rm -f "$dir"/prismolink_*.deb
    (cd "$dir" && cpack -G DEB >/dev/null)
    local deb
    deb=$(echo "$dir"/prismolink_*.deb)
    dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends|Installed-Size):'
    dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print "  " $3, $6}'
    echo "  $(basename "$deb"): $(stat -c %s "$deb") bytes"
    if [ "$(id -u)" -ne 0 ]; then
        echo "NOT INSTALLED: installing the package needs root." >&2
        return
    fi
    local -x DEBIAN_FRONTEND=noninteractive
    if ! dpkg -i "$deb" >/dev/null 2>&1; then
        apt-get -f install -y -qq >/dev/null
    fi
    dpkg-query -W -f='${Status}' prismolink | grep -q 'install ok installed'
    desktop-file-validate /usr/share/applications/prismolink.desktop
    file /usr/share/icons/hicolor/256x256/apps/prismolink.png | grep -q '256 x 256'
    local page warnings
    for page in prismolink prismo-sim tangent-hub-sim; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
        if [ -n "$warnings" ]; then
            echo "man page of $page: $warnings" >&2
            return 1
        fi
        [ -x "/usr/bin/$page" ]
    done
    /usr/bin/prismo-sim --help >/dev/null
    echo "  installed; desktop entry, icon and man pages checked; /usr/bin/prismo-sim --help ran"
}

# Cross-builds the device link and its check program for Windows and runs the
# check under Wine against prismo-sim (from a native build) on loopback.
windows() {
    local dir=build/windows simulator=$1/tools/prismosim/prismo-sim
    echo "== $dir (mingw-w64, run under Wine)"
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j "$jobs"

    local wine wineserver
    wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
    wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
    local -x WINEPREFIX=$PWD/build/wine WINEDEBUG=-all
    [ -d "$WINEPREFIX" ] || "$wine" wineboot --init >/dev/null 2>&1 || true

    "$simulator" --port 0 --quiet --fault 2:close --fault 3:stall </dev/null 2>"$dir/prismo-sim.txt" &
    local sim_pid=$! port status=0
    if ! port=$(tools/wait-for-port.sh "$dir/prismo-sim.txt" "$sim_pid"); then
        kill "$sim_pid" 2>/dev/null || true
        return 1
    fi
    "$wine" "$dir/tools/linkcheck/prismo-linkcheck.exe" --port "$port" \
        --unit 127.0.0.11 --closing 127.0.0.12 --stalled 127.0.0.13 || status=$?
    kill -TERM "$sim_pid"
    wait "$sim_pid" || true
    "$wineserver" -k 2>/dev/null || true
    [ "$status" = 0 ] || return "$status"

    if ! packaging/windows/build-deps.sh --check >/dev/null 2>&1; then
        echo "== Windows program NOT TRIED: Qt for Windows is not built; build it once (about 50 minutes on 2 cores) with packaging/windows/build-deps.sh"
        return 0
    fi
    echo "== build/windows-app (the Windows programs and their installer, tried under Wine)"
    local installer
    installer=$(PRISMOLINK_JOBS=$jobs packaging/windows/build.sh | tail -n 1)
    packaging/windows/try-under-wine.sh --no-docs "$installer" "$1"
}

suite tests
package build/tests
windows build/tests
suite qt6
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    suite sanitizers
suite tsan
echo "== memcheck of build/tests"
tests/memcheck.sh build/tests
echo "== fuzzing"
fuzz/run.sh 60
echo "All tests passed."
