#!/usr/bin/env bash
# Builds, for 64-bit Windows, the libraries the Windows program links, each
# from Debian's own source package (the version of Debian's binary package
# here) with Debian's mingw-w64 compiler of the posix-threads flavour:
#   Qt 5.15   Core, Gui, Widgets, Network and Test, static, release, with the
#             windows platform plugin; no OpenGL, D-Bus, SQL or tablet events
#   RtMidi    static, with the Windows multimedia MIDI API
# Each is installed into a folder of the cache named by the library, its
# version and the hash of the recipe below that built it, so a second run
# finds them all and takes seconds, and a changed recipe builds afresh.
# Nothing is downloaded but Debian's source packages, from the Debian archive
# apt already uses. A source package that archive does not serve, or a failed
# build, stops the script.
#
# Usage: packaging/windows/build-deps.sh [--check]
# Prints the installed folders, one a line, on standard output (the progress
# goes to standard error, the build logs into the cache). With --check it
# builds nothing and exits with 1 when one is missing.
# The cache is $PRISMOLINK_WINDOWS_CACHE, by default
# ${XDG_CACHE_HOME:-~/.cache}/prismolink-windows; PRISMOLINK_JOBS (2) sets the
# parallel compile jobs.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cache=${PRISMOLINK_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/prismolink-windows}
jobs=${PRISMOLINK_JOBS:-2}
triplet=x86_64-w64-mingw32

say() { echo "build-deps: $*" >&2; }

# The version of a source package as this machine's Debian archive serves it,
# read from one of its binary packages (a binary rebuild's "+bN" is not part
# of the source's version).
source_version() {
    local version
    version=$(apt-cache policy "$1" 2>/dev/null | awk '/Candidate:/ {print $2}')
    if [ -z "$version" ] || [ "$version" = "(none)" ]; then
        say "apt knows no version of $1; run apt-get update first"
        return 1
    fi
    echo "${version%+b[0-9]*}"
}

# The folder a library goes into: its name, its version and the hash of the
# functions that build it.
prefix_of() {
    local name=$1 version=$2 hash
    shift 2
    hash=$(declare -f "$@" | sha256sum | cut -c1-12)
    echo "$cache/$name-${version//[^A-Za-z0-9.+-]/_}-$hash"
}

# Compiler wrappers that pin the posix-threads flavour (the win32 one has no
# std::mutex or std::thread), whatever the system's alternatives point at.
toolchain() {
    local dir=$cache/toolchain tool
    mkdir -p "$dir"
    for tool in gcc g++; do
        printf '#!/bin/sh\nexec /usr/bin/%s-%s-posix "$@"\n' "$triplet" "$tool" >"$dir/$triplet-$tool"
        chmod +x "$dir/$triplet-$tool"
    done
    for tool in ar as ld nm objcopy objdump ranlib strip windres dlltool; do
        ln -sf "/usr/bin/$triplet-$tool" "$dir/$triplet-$tool"
    done
    echo "$dir"
}

# Fetches and unpacks a Debian source package (Debian's patches applied) into
# DEST, from deb-src entries of this script's own that mirror the Debian
# entries apt already uses; the system's sources and lists stay untouched.
fetch_source() {
    local package=$1 version=$2 dest=$3 apt=$cache/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts"
    apt-cache policy | awk '
        $1 ~ /^[0-9]+$/ && $NF == "Packages" { split($3, s, "/"); uri = $2; suite = s[1]; comp = s[2]; next }
        uri != "" && /release / && /o=Debian/ { print "deb-src " uri " " suite " " comp }
        { uri = "" }' | sort -u >"$apt/sources.list"
    if [ ! -s "$apt/sources.list" ]; then
        say "no Debian archive among apt's sources; run apt-get update first"
        return 1
    fi
    local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=$(id -un)"
        -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=")
    if ! apt-get "${options[@]}" -qq update >&2; then
        say "apt-get update with the source entries failed"
        return 1
    fi
    rm -rf "$dest"
    mkdir -p "$dest"
    (cd "$dest" && apt-get "${options[@]}" -qq source "$package=$version" >&2)
}

# The unpacked tree of a fetched source package.
source_tree() {
    find "$1" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

build_qt() {
    local src=$1 prefix=$2 tools=$3
    # Debian's source leaves out wintab.h, which tablet events need.
    "$src/configure" -prefix "$prefix" -xplatform win32-g++ -device-option "CROSS_COMPILE=$tools/$triplet-" \
        -opensource -confirm-license -static -release -nomake examples -nomake tests \
        -no-opengl -no-dbus -no-feature-sql -no-feature-tabletevent -no-direct2d \
        -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype -no-openssl -no-icu
    nice make -j"$jobs"
    make install
}

build_rtmidi() {
    local src=$1 prefix=$2 tools=$3
    PKG_CONFIG_LIBDIR= cmake -S "$src" -B . -G Ninja -DCMAKE_SYSTEM_NAME=Windows \
        -DCMAKE_C_COMPILER="$tools/$triplet-gcc" -DCMAKE_CXX_COMPILER="$tools/$triplet-g++" \
        -DCMAKE_RC_COMPILER="$tools/$triplet-windres" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DBUILD_SHARED_LIBS=OFF -DRTMIDI_API_WINMM=ON -DRTMIDI_API_JACK=OFF -DRTMIDI_BUILD_TESTING=OFF
    nice cmake --build . -j "$jobs"
    cmake --install .
    # Only the static library is there, so what it links belongs in Libs.
    sed -i 's/^Libs: .*/& -lwinmm/' "$prefix/lib/pkgconfig/rtmidi.pc"
    link_check "$prefix" rtmidi "#include <RtMidi.h>
int main() { std::vector<RtMidi::Api> apis; RtMidi::getCompiledApi(apis); return apis.empty(); }"
}

# Links a small program against an installed library the way the program's
# build will, through its pkg-config file, to catch a missing system library.
link_check() {
    local prefix=$1 module=$2 program=$3 flags
    flags=$(PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" pkg-config --cflags --libs "$module")
    echo "$program" >check.cpp
    # shellcheck disable=SC2086
    "$tools/$triplet-g++" -static -o check.exe check.cpp $flags
}

# Builds one library unless the cache has it; prints its folder. The recipe
# and the functions it calls make the folder's hash.
# Usage: ensure NAME SOURCE_PACKAGE BINARY_PACKAGE RECIPE [FUNCTION...]
ensure() {
    local name=$1 package=$2 binary=$3 recipe=$4 version prefix
    shift 3
    version=$(source_version "$binary")
    prefix=$(prefix_of "$name" "$version" "$@")
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        return
    fi
    if [ "$check" = 1 ]; then
        say "$name $version is not built yet ($prefix)"
        return 1
    fi
    local work=$cache/work/$name log=$cache/work/$name.log start=$SECONDS tools src
    tools=$(toolchain)
    rm -rf "$prefix" "$work"
    mkdir -p "$work/build"
    if ! fetch_source "$package" "$version" "$work/source" 2>"$work/fetch.txt"; then
        cat "$work/fetch.txt" >&2
        say "cannot build $name without its source package $package $version"
        return 1
    fi
    say "building $name $version from Debian's source package $package (log: $log)"
    src=$(source_tree "$work/source")
    if ! (cd "$work/build" && "$recipe" "$src" "$prefix" "$tools") >"$log" 2>&1; then
        say "building $name failed; the end of $log:"
        tail -n 30 "$log" >&2
        return 1
    fi
    echo "$version" >"$prefix/.complete"
    rm -rf "$work"
    say "built $name in $(( (SECONDS - start) / 60 )) min $(( (SECONDS - start) % 60 )) s: $prefix"
    echo "$prefix"
}

check=0
case "${1:-}" in
    --check) check=1 ;;
    "") ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

if [ "$check" = 0 ]; then
    "$here/../../tools/install-deps.sh" windows
fi
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9

ensure rtmidi rtmidi librtmidi6 build_rtmidi link_check
ensure qt qtbase-opensource-src libqt5core5a build_qt
