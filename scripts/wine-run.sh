#!/usr/bin/env bash
# Runs a Windows program under the build tree's Wine prefix.
#   wine-run.sh PROGRAM.exe [ARGS...]
# Environment:
#   WINE_ROOT          the build tree's wine folder (default: beside the program, ../wine)
#   WINE_TEST_NAME     when set, the program runs in a private copy of the
#                      prefix under $WINE_ROOT/tests/$WINE_TEST_NAME
#   WINE_TEST_SETUP    a shell script sourced after the private prefix is made
#                      (drive layouts); it sees WINEPREFIX, TEST_DIR and the
#                      helpers below
#   WINE_TEST_NO_DAC   run as a normal user would: root without DAC override
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="$1"; shift
if [ -z "${WINE_ROOT:-}" ]; then
    WINE_ROOT="$(cd "$(dirname "$program")/.." && pwd)/wine"
fi
export WINE_ROOT
source "$here/wine-env.sh"
base="$WINE_ROOT/prefix"
[ -f "$WINE_ROOT/prefix.ready" ] || "$here/make-prefix.sh" "$WINE_ROOT" || exit 1

# Drive helpers for setup scripts -------------------------------------------
# map_drive LETTER DIR [cdrom|hd|floppy|network] [LABEL]
map_drive() {
    local letter="$1" dir="$2" kind="${3:-hd}" label="${4:-}"
    mkdir -p "$dir"
    [ -n "$label" ] && printf '%s' "$label" > "$dir/.windows-label"
    ln -sfn "$dir" "$WINEPREFIX/dosdevices/$letter:"
    wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d "$kind" /f /reg:64 >/dev/null 2>&1
}
# full_disk DIR SIZE: a small filesystem of its own at DIR
full_disk() {
    mkdir -p "$1"
    mountpoint -q "$1" || mount -t tmpfs -o "size=$2" tmpfs "$1"
}

# Unmounts every filesystem mounted at DIR or below it (not at DIR-other).
unmount_below() {
    awk -v d="$1" '$2 == d || index($2, d "/") == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r m; do umount -l "$m"; done
}

cleanup() { :; }
if [ -n "${WINE_TEST_NAME:-}" ]; then
    export TEST_DIR="$WINE_ROOT/tests/$WINE_TEST_NAME"
    # Unmount what an earlier run of this test left mounted.
    if [ -d "$TEST_DIR" ]; then
        unmount_below "$TEST_DIR"
        WINEPREFIX="$TEST_DIR/prefix" wineserver -k 2>/dev/null
        rm -rf "$TEST_DIR"
    fi
    mkdir -p "$TEST_DIR/prefix"
    export WINEPREFIX="$TEST_DIR/prefix"
    # Wine only reads the DLL folders: hard links. The rest, the registry
    # files above all, which Wine rewrites in place: real copies.
    tar -C "$base" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 \
        --exclude=./drive_c/windows/winsxs --exclude=./wineserver \
        --exclude='./drive_c/users/*/Temp/*' --exclude='./drive_c/users/*/AppData/Local/Temp/*' -cf - . | tar -C "$WINEPREFIX" -xf -
    for d in system32 syswow64 winsxs; do cp -al "$base/drive_c/windows/$d" "$WINEPREFIX/drive_c/windows/$d"; done
    rm -f "$WINEPREFIX/wineserver"
    cleanup() {
        wineserver -k 2>/dev/null
        unmount_below "$TEST_DIR"
    }
    trap cleanup EXIT
fi

run() { "$@"; }
if [ -n "${WINE_TEST_NO_DAC:-}" ]; then
    run() { setpriv --bounding-set=-dac_override,-dac_read_search,-fowner --inh-caps=-all -- "$@"; }
    wineserver -k 2>/dev/null
fi

if [ -n "${WINE_TEST_SETUP:-}" ]; then
    source "$WINE_TEST_SETUP" || { echo "wine-run: setup $WINE_TEST_SETUP failed" >&2; exit 1; }
    wineserver -k 2>/dev/null   # drive changes take effect with a new server
fi

# A warm server for every process the program starts.
run wineserver -p </dev/null >/dev/null 2>&1
# The prefix's system processes (services.exe and the rest) live as long as
# the server: start them cut off from our caller's output, or a caller that
# reads that output to its end (ctest) would wait for them.
run wine cmd.exe /c exit </dev/null >/dev/null 2>&1
run wine "$program" "$@"
rc=$?
[ -z "${WINE_TEST_NAME:-}" ] || cleanup
exit $rc
