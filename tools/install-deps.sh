#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those that are missing, so a
# second run takes no time. Usage: tools/install-deps.sh build|run|test|bench|fuzz|windows
# (test: everything ./test.sh needs, from the Qt 6 build and the Windows
# cross build under Wine to the package checks, the Valgrind run and the
# fuzzing).
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qtbase5-dev qtbase5-dev-tools librtmidi-dev)
# liblo-tools: oscsend and oscdump, for trying remote control over OSC.
run=("${build[@]}" xvfb xauth x11-apps imagemagick liblo-tools)
# clang with libFuzzer and the sanitizers' run-time libraries; liblo, the
# reference the OSC codec is compared with.
fuzz=("${build[@]}" clang libclang-rt-dev liblo-dev)
# The Windows program: Debian's source packages of its libraries (dpkg-dev
# unpacks them) cross-built with mingw-w64, the NSIS installer, and the try
# under Wine on a virtual display beside the native simulators.
windows=("${run[@]}" make perl dpkg-dev g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    nsis wine64 file python3 xdotool iproute2)
# file: CPack's Debian generator runs it on what it packs, and the package
# check looks at the installed icon with it. jackd2: the MIDI tests carry
# their messages through JACK's dummy back end. liblo-dev: the OSC tests
# check the program's codec against liblo.
test=("${run[@]}" liblo-dev python3 curl clang libclang-rt-dev
    qt6-base-dev qt6-base-dev-tools
    "${windows[@]}" desktop-file-utils man-db valgrind file jackd2)
# strace counts the benchmark's system calls; valgrind (callgrind) profiles.
bench=("${build[@]}" strace valgrind)

case "${1:-build}" in
    build) wanted=("${build[@]}") ;;
    run) wanted=("${run[@]}") ;;
    test) wanted=("${test[@]}") ;;
    bench) wanted=("${bench[@]}") ;;
    fuzz) wanted=("${fuzz[@]}") ;;
    windows) wanted=("${windows[@]}") ;;
    *) echo "usage: $0 build|run|test|bench|fuzz|windows" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}; run as root or install them with apt-get." >&2
    exit 1
fi
echo "Installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
