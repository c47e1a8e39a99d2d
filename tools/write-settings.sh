#!/usr/bin/env bash
# Writes Prismolink's settings for a demo or test run: DIR/tavi/PrismoRest.conf,
# where DIR is what the program is given as XDG_CONFIG_HOME, with ADDRESS as
# the saved address and the GANGED_HOSTs (host names such as prismo-grade-b)
# as the gang. Units list every host name with a blank at its end, and the
# program keeps and saves the names as listed, so each is written with that
# blank (quoted, as QSettings writes it); a name without it would never match
# a listed unit and the gang would stay empty. The format is the one
# libs/settings/prismosettings.h documents, byte for byte what the program
# itself writes for the same settings. A file already there is replaced.
# Usage: tools/write-settings.sh DIR ADDRESS [GANGED_HOST...]
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 DIR ADDRESS [GANGED_HOST...]" >&2
    exit 2
fi
dir=$1 address=$2
shift 2

# Addresses and host names need none of the file format's quoting or
# escapes; anything else is refused rather than written wrongly.
plain='^[A-Za-z0-9._:%-]+$'
for value in "$address" "$@"; do
    if ! [[ $value =~ $plain ]]; then
        echo "write-settings: '$value' is no address or host name" >&2
        exit 2
    fi
done

mkdir -p "$dir/tavi"
{
    printf '[General]\nIPAddress=%s\nNumGangPrismos=%d\n\n[GangPrismoNames]\n' "$address" $#
    # The program writes a section's keys in the order of their text, with
    # / where the file shows \ (so 10/ comes before 2/).
    {
        index=0
        for host in "$@"; do
            index=$((index + 1))
            printf '%d/GangPrismoName="%s "\n' "$index" "$host"
        done
        printf 'size=%d\n' $#
    } | LC_ALL=C sort -t= -k1,1 | tr / '\\'
} >"$dir/tavi/PrismoRest.conf"
