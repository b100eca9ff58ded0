# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154  # variables shared with the sourcing script
# Sourced by the demo scripts (demo.sh, demo-setup.sh) and by the scripts they
# run inside Xvfb (demo-xvfb.sh, setup-screens.sh). Defines functions only.

# demo_build TARGET: installs what is missing, then builds TARGET and the
# build's Wine prefix in $build (relative to the source folder, the current
# folder); sets WINE_ROOT and the Wine environment.
demo_build() {
    bash scripts/install-deps.sh
    cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j"$(nproc)" --target "$1" wine_prefix
    export WINE_ROOT="$repo/$build/wine"
    source scripts/wine-env.sh
}

# demo_prefix NAME: a fresh copy of the build's prefix as $WINE_ROOT/NAME,
# made WINEPREFIX: the DLL folders as hard links (Wine only reads them),
# everything else, the registry above all, copied. Sets base, demo and out
# (the output folder $repo/$build/NAME, made).
demo_prefix() {
    base="$WINE_ROOT/prefix"
    demo="$WINE_ROOT/$1"
    out="$repo/$build/$1"
    mkdir -p "$out"
    WINEPREFIX="$demo" wineserver -k 2>/dev/null || true
    rm -rf "$demo"
    mkdir -p "$demo"
    tar -C "$base" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 \
        --exclude=./drive_c/windows/winsxs -cf - . | tar -C "$demo" -xf -
    local d
    for d in system32 syswow64 winsxs; do cp -al "$base/drive_c/windows/$d" "$demo/drive_c/windows/$d"; done
    export WINEPREFIX="$demo"
}

# demo_draw_on_x: the prefix draws on X from here on (no null driver).
demo_draw_on_x() {
    wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
}

# demo_under_xvfb SCRIPT ARGS...: runs SCRIPT with bash inside a fresh Xvfb
# screen without a window manager (Wine draws the captions itself); sets rc
# to its exit code.
demo_under_xvfb() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    rc=0
    xvfb-run -a -s "-screen 0 800x600x24 -noreset" bash "$@" || rc=$?
    wineserver -k 2>/dev/null || true
}

# Inside Xvfb -------------------------------------------------------------

# xvfb_start FOLDER PROGRAM: reserves a 40-pixel taskbar at the bottom (the
# dialog centres in what is left; the server runs with -noreset, or it would
# forget this when xprop ends), then starts PROGRAM in FOLDER under Wine in
# the background; sets wine_pid.
xvfb_start() {
    xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA '0,0,800,560'
    (cd "$1" && exec wine "$2") &
    wine_pid=$!
}

find_window() {  # find_window NAME: the visible window's id, within 60 s
    timeout 60 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}

# shoot WINDOW SCREEN_FILE WINDOW_FILE: the whole screen into SCREEN_FILE and
# the window alone, cut from it, into WINDOW_FILE, after the first paint.
shoot() {
    sleep 1
    import -window root "$2"
    eval "$(xdotool getwindowgeometry --shell "$1")"
    convert "$2" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$3"
}
