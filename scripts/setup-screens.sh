#!/usr/bin/env bash
# Inside Xvfb: starts setup.exe, photographs the setup dialog, opens the
# install options with Alt+I and photographs them, then ends the program.
# Called by demo-setup.sh (`scripts/demo-setup.sh --screens` makes the
# pictures docs/setup-dialog.png and docs/setup-options.png).
#   setup-screens.sh PROGRAM_FOLDER OUTPUT_FOLDER
set -uo pipefail
folder="$1" out="$2"
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA '0,0,800,560'

(cd "$folder" && exec wine setup.exe) &
wine_pid=$!

find_window() {  # find_window NAME: the visible window's id, within 60 s
    timeout 60 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}
shoot() {  # shoot WINDOW NAME: the window alone, cut from the whole screen
    sleep 1   # let the first paint finish
    import -window root "$out/$2-screen.png"
    eval "$(xdotool getwindowgeometry --shell "$1")"
    convert "$out/$2-screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$2.png"
}

# The dialog's caption; the hidden main window is called "Brindlemarch" too.
dialog="$(find_window 'Brindlemarch Updata')"
[ -n "$dialog" ] || { echo "setup-screens: the setup dialog did not appear" >&2; kill "$wine_pid"; exit 1; }
shoot "$dialog" setup-dialog

xdotool windowfocus --sync "$dialog" 2>/dev/null
xdotool key --window "$dialog" alt+i
options="$(find_window 'インストールする項目の選択')"
[ -n "$options" ] || { echo "setup-screens: the options did not appear" >&2; kill "$wine_pid"; exit 1; }
# One toggle so that the space text shows a value.
xdotool windowfocus --sync "$options" 2>/dev/null
xdotool key --window "$options" alt+t
shoot "$options" setup-options

kill "$wine_pid" 2>/dev/null
wineserver -k 2>/dev/null
exit 0
