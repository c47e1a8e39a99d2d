#!/usr/bin/env bash
# Tries the Windows installer under Wine on a virtual display, as a Windows
# user would meet the program: in a fresh Wine prefix (build/windows-app/wine)
# it installs the installer silently, points the program's settings (in the
# registry, where the Windows program keeps them) at a simulated unit, starts
# prismo-sim and a headless tangent-hub-sim (the Linux ones) on loopback and
# the installed prismolink.exe. Then it checks, one line each (ok or FAIL):
#   - the installer put the programs, the uninstaller and the Start menu entry in place;
#   - the version the program tells (the one its about box shows) is the
#     project version, read from the executable's version resource;
#   - the about box opens from the window's context menu and closes with
#     Escape (its screenshot: build/windows-app/wine-about.png);
#   - a non-ASCII argument reaches the program whole through the wide command line;
#   - the unit's request log shows the program's identification and a read-back;
#   - the hub client announces itself to the hub, and a panel encoder turn
#     reaches the unit;
#   - remote control over OSC listens, and a message sent from Linux with
#     liblo's oscsend reaches the unit as a set;
#   - the single-instance lock refuses a second copy (exit code 1);
#   - an address typed in the window is saved in the registry when the
#     window closes, and the next start identifies that unit;
#   - the uninstaller removes the programs.
# A screenshot of the window is saved as build/windows-app/wine-window.png and
# (unless --no-docs) as docs/windows.png, and its path printed. Exits with 0 only when every check
# passed; everything it started is stopped at the end.
# Usage: packaging/windows/try-under-wine.sh [--no-docs] [INSTALLER [LINUX_BUILD_DIR]]
#   INSTALLER        default: the newest build/windows-app/Prismolink-*.exe
#   LINUX_BUILD_DIR  a native build whose prismo-sim and tangent-hub-sim are
#                    used (built first when not up to date; default build/run)
# The ports (units, hub, OSC) are free ones the system picks, or with
# PRISMOLINK_TRY_PORTS=FIRST-LAST free ones of that range (on a machine
# shared with others who keep to ranges of their own).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

tools/install-deps.sh windows
docs=1
if [ "${1:-}" = --no-docs ]; then
    docs=0
    shift
fi
installer=${1:-$(ls -t build/windows-app/Prismolink-*.exe 2>/dev/null | head -n 1)}
linux=${2:-build/run}
if [ -z "$installer" ] || [ ! -f "$installer" ]; then
    echo "try-under-wine: no installer; make one with packaging/windows/build.sh" >&2
    exit 2
fi
installer=$(realpath "$installer")
simulator=$linux/tools/prismosim/prismo-sim
hubsim=$linux/tools/hubsim/tangent-hub-sim
[ -f "$linux/CMakeCache.txt" ] || cmake --preset run >/dev/null
cmake --build "$linux" --target prismo-sim tangent-hub-sim >/dev/null

out=$PWD/build/windows-app/wine-run
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
export WINEPREFIX=$PWD/build/windows-app/wine WINEDEBUG=-all
# No downloads of Mono or Gecko: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

pids=()
finish() {
    local pid
    "$wineserver" -k 2>/dev/null || true
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
trap finish EXIT

rm -rf "$WINEPREFIX" "$out"
mkdir -p "$out"
failures=0
ok() { echo "ok    $*"; }
fail() {
    echo "FAIL  $*"
    failures=$((failures + 1))
}

# Waits until a command succeeds, for at most SECONDS; false when it never did.
within() {
    local seconds=$1 deadline
    shift
    deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# True when a child process has ended (a zombie not yet waited for included).
ended() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
    stat=${stat##*) }
    [ "${stat%% *}" = Z ]
}

# Closes the program's windows as Windows does when it asks a program to end
# (WM_CLOSE); sets closed to the exit status of its process.
close_program() {
    closed=0
    "$wine" taskkill /im prismolink.exe >/dev/null 2>&1 || true
    if within 30 ended "$1"; then
        wait "$1" || closed=$?
    else
        kill "$1" 2>/dev/null || true
        closed="none (still running after 30 s)"
    fi
}

# A virtual display of our own: Xvfb picks a free number and tells it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out/display" 2>"$out/xvfb.txt" &
pids+=($!)
if ! within 30 test -s "$out/display"; then
    echo "try-under-wine: Xvfb did not start: $(cat "$out/xvfb.txt")" >&2
    exit 1
fi
export DISPLAY=:$(cat "$out/display")

# A free port, of the range when one is given: free_port tcp|udp.
free_port() {
    python3 - "$1" "${PRISMOLINK_TRY_PORTS:-0-0}" <<'PY'
import socket, sys
kind = socket.SOCK_STREAM if sys.argv[1] == "tcp" else socket.SOCK_DGRAM
first, last = map(int, sys.argv[2].split("-"))
for port in range(first, last + 1):
    with socket.socket(socket.AF_INET, kind) as s:
        try:
            s.bind(("127.0.0.1", port))
        except OSError:
            continue
        print(s.getsockname()[1])
        sys.exit(0)
sys.exit("try-under-wine: no free %s port in %s" % (sys.argv[1], sys.argv[2]))
PY
}

port=$(free_port tcp)
"$simulator" --port "$port" --log "$out/requests.log" </dev/null 2>"$out/prismo-sim.txt" &
pids+=($!)
port=$(tools/wait-for-port.sh "$out/prismo-sim.txt" $!)
export PRISMOLINK_DEVICE_PORT=$port

# The hub waits for the program, turns an encoder, tells who is connected,
# and stays until it is stopped.
hub_port=$(free_port tcp)
printf 'wait 120000\nsleep 1000\nencoder 5 30\nsleep 1000\nstatus\nsleep 3600000\n' |
    "$hubsim" --headless --port "$hub_port" >"$out/hub-output.txt" 2>"$out/hub-log.txt" &
pids+=($!)
tools/wait-for-port.sh "$out/hub-log.txt" $! >/dev/null
export PRISMOLINK_HUB_PORT=$hub_port

echo "try-under-wine: a fresh Wine prefix in $WINEPREFIX (display $DISPLAY, units on port $port, hub on $hub_port)"
"$wine" wineboot --init >/dev/null 2>&1
# Qt's log goes to standard error, not to the debugger's channel. Wine passes
# no QT_ variable on from Linux, so it is set in the Windows environment.
"$wine" reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /t REG_SZ /d 1 /f >/dev/null 2>&1
# The style asks for Verdana, which every Windows has and Wine has not: the
# nearest font of this machine stands in, as on Linux.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /t REG_SZ /d 'DejaVu Sans' /f >/dev/null 2>&1
"$wine" "$installer" /S >/dev/null 2>&1
installed=$WINEPREFIX/drive_c/Program\ Files/Prismolink
program=$installed/prismolink.exe
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Prismolink/Prismolink.lnk' 2>/dev/null | head -n 1)
missing=
for file in prismolink.exe prismo-sim.exe tangent-hub-sim.exe prismo-linkcheck.exe Uninstall.exe; do
    [ -f "$installed/$file" ] || missing+=" $file"
done
if [ -z "$missing" ] && [ -n "$menu" ]; then
    ok "installed silently: the four programs and the uninstaller in C:\\Program Files\\Prismolink, and the Start menu entry"
else
    fail "installation: missing${missing:- } ${menu:+}${menu:-(no Start menu entry)}"
fi
if [ ! -f "$program" ]; then
    echo "try-under-wine: prismolink.exe was not installed" >&2
    exit 1
fi

version=$(sed -n 's/^project(Prismolink VERSION \([0-9]*\)\.\([0-9]*\)\.\([0-9]*\).*/\1.\2 \3/p' CMakeLists.txt)
expected=${version% *}
[ "${version#* }" = 0 ] || expected+=".${version#* }"
told=$("$wine" "$program" --version 2>/dev/null | tr -d '\r')
if [ "$told" = "Prismolink $expected" ]; then
    ok "the version from the version resource: \"$told\""
else
    fail "the version: \"$told\", expected \"Prismolink $expected\""
fi

# An argument the program refuses comes back in its error message, in the
# ANSI code page (1252 under Wine's default English locale).
word=Größe
status=0
"$wine" "$program" --osc-port "$word" >/dev/null 2>"$out/argument.txt" || status=$?
if [ "$status" = 2 ] && iconv -f CP1252 -t UTF-8 "$out/argument.txt" | grep -q "\"$word\""; then
    ok "a non-ASCII argument arrives whole: $(iconv -f CP1252 -t UTF-8 "$out/argument.txt" | head -n 1 | tr -d '\r')"
else
    fail "the non-ASCII argument \"$word\" (exit $status): $(tr -d '\r' <"$out/argument.txt" | head -n 1)"
fi

"$wine" reg add 'HKCU\Software\tavi\PrismoRest' /v IPAddress /t REG_SZ /d 127.0.0.11 /f >/dev/null 2>&1

# The request lines of one unit from line FROM on.
requests() {
    tail -n "+$2" "$out/requests.log" | grep "^$1 " || true
}
# The unit identified (product, name and version read) and one read-back of
# a channel done twice, from line FROM of the request log on.
identified() {
    local lines
    lines=$(requests "$1" "$2")
    grep -q 'paramid=eParamID_ProductID' <<<"$lines" && grep -q 'paramid=eParamID_SystemName' <<<"$lines" &&
        grep -q 'paramid=eParamID_SoftwareVersion' <<<"$lines"
}
read_back() {
    requests "$1" "$2" | grep -o 'action=get&configid=0&paramid=eParamID_Vid[A-Za-z0-9_]*' | sort | uniq -c |
        awk '$1 >= 2 {n++} END {exit !(n >= 20)}'
}
osc_port=$(free_port udp)
"$wine" "$program" --osc --osc-port "$osc_port" >"$out/run-1.txt" 2>&1 &
first=$!
pids+=($first)
if within 60 identified 127.0.0.11 1 && within 30 read_back 127.0.0.11 1; then
    ok "the unit's request log shows the Windows program's identification and a read-back of the channel"
else
    fail "no identification and read-back in the request log ($out/requests.log)"
fi
if within 30 grep -q '^program connected: ' "$out/hub-output.txt" && within 10 grep -q 'action=set' "$out/requests.log"; then
    ok "the hub client reached the Linux hub: $(grep '^program connected: ' "$out/hub-output.txt"), and the encoder turn reached the unit"
else
    fail "the hub: $(tail -n 3 "$out/hub-output.txt" "$out/hub-log.txt" | tr '\n' ' ')"
fi
# Red gain 1.25 from a show-control tool on Linux: the unit is written 1250.
osc_set() {
    oscsend 127.0.0.1 "$osc_port" /prismolink/gain/red f 1.25 &&
        within 2 grep -q 'action=set&paramid=eParamID_Vid[0-9]ColorHDRGainRed&value=1250 ' "$out/requests.log"
}
if ! within 20 grep -q "OSC: listening on 127.0.0.1 port $osc_port" "$out/run-1.txt" ||
    ! ss -Hlun "sport = :$osc_port" | grep -q .; then
    fail "OSC: $(grep 'OSC' "$out/run-1.txt" | tr -d '\r' | head -n 2)"
elif within 30 osc_set; then
    ok "OSC listens on 127.0.0.1 port $osc_port, and oscsend's /prismolink/gain/red f 1.25 from Linux reached the unit: $(grep -o 'paramid=eParamID_Vid[0-9]ColorHDRGainRed&value=1250' "$out/requests.log" | head -n 1)"
else
    fail "OSC listens on port $osc_port, but oscsend's /prismolink/gain/red f 1.25 did not reach the unit ($out/requests.log)"
fi

# The window, once its values came back from the unit.
window=$(timeout 30 xdotool search --sync --onlyvisible --class prismolink.exe | head -n 1 || true)
if [ -n "$window" ] && import -window "$window" build/windows-app/wine-window.png; then
    [ "$docs" = 0 ] || cp build/windows-app/wine-window.png docs/windows.png
else
    fail "no window of prismolink.exe on the display"
fi

# The about box, from the window's context menu (its last entry), shown and
# closed again with Escape.
about_box() {
    xdotool search --onlyvisible --name '^About Prismolink$' 2>/dev/null | head -n 1
}
about_shown() { [ -n "$(about_box)" ]; }
about_gone() { [ -z "$(about_box)" ]; }
menu_open() {
    [ "$(xdotool search --onlyvisible --class prismolink.exe 2>/dev/null | wc -l)" -gt 1 ]
}
about=
if [ -n "$window" ]; then
    xdotool mousemove --window "$window" 200 500 click 3
    if within 10 menu_open; then
        xdotool key Up Return
        within 10 about_shown || true
        about=$(about_box)
    fi
fi
if [ -n "$about" ] && import -window "$about" build/windows-app/wine-about.png; then
    # A click gives it the keyboard: no window manager does here.
    xdotool mousemove --window "$about" 60 60 click 1 key Escape
    if within 10 about_gone; then
        ok "the about box opened from the context menu and closed with Escape (build/windows-app/wine-about.png)"
    else
        fail "the about box did not close with Escape"
    fi
else
    fail "no about box from the context menu"
fi

status=0
PRISMOLINK_MODAL_ANSWER=accept "$wine" "$program" >"$out/second.txt" 2>&1 || status=$?
if [ "$status" = 1 ] && grep -q 'The application is already running' "$out/second.txt"; then
    ok "the single-instance lock refused a second copy (exit code 1)"
else
    fail "a second copy: exit code $status, $(tr -d '\r' <"$out/second.txt" | tail -n 2)"
fi

# A unit chosen in the window: the address typed, then the window closed as
# Windows closes a program's windows, which saves the settings.
mark=$(($(wc -l <"$out/requests.log") + 1))
xdotool windowfocus "$window"
xdotool mousemove --window "$window" 300 20 click 1 key ctrl+a type 127.0.0.12
xdotool key Return
within 30 identified 127.0.0.12 "$mark" || true
close_program "$first"
saved=$("$wine" reg query 'HKCU\Software\tavi\PrismoRest' /v IPAddress 2>/dev/null | tr -d '\r' | awk '/IPAddress/ {print $NF}')
mark=$(($(wc -l <"$out/requests.log") + 1))
"$wine" "$program" >"$out/run-2.txt" 2>&1 &
second=$!
pids+=($second)
if [ "$closed" = 0 ] && [ "$saved" = 127.0.0.12 ] && within 60 identified 127.0.0.12 "$mark"; then
    ok "settings: the address typed was saved in HKCU\\Software\\tavi\\PrismoRest when the window closed (exit $closed), and the next start identified 127.0.0.12"
else
    fail "settings: the first run ended with $closed, the registry holds \"$saved\", the next start $(requests 127.0.0.12 "$mark" | wc -l) requests to 127.0.0.12"
fi
close_program "$second"

"$wine" "$installed/Uninstall.exe" /S >/dev/null 2>&1 || true
if within 30 test ! -e "$program"; then
    ok "the uninstaller removed the programs"
else
    fail "the uninstaller left $program"
fi

also=
[ "$docs" = 0 ] || also=" (also docs/windows.png)"
echo "try-under-wine: screenshot of the window: $PWD/build/windows-app/wine-window.png$also"
if [ "$failures" -gt 0 ]; then
    echo "try-under-wine: $failures checks failed; the logs are in $out" >&2
    exit 1
fi
echo "try-under-wine: every check passed"
