#!/usr/bin/env bash
# Inside Xvfb: starts update.exe, photographs its question, presses Update,
# photographs the completion message and confirms it.
#   demo-xvfb.sh UPDATER_FOLDER OUTPUT_FOLDER
set -uo pipefail
updater="$1" out="$2"
# A 40-pixel taskbar at the bottom: the dialog centres in what is left.
# (The server runs with -noreset, or it would forget this when xprop ends.)
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA '0,0,800,560'

(cd "$updater" && exec wine update.exe) &
wine_pid=$!

find_window() {  # find_window NAME: the visible window's id, within 60 s
    timeout 60 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}
question="$(find_window 'Brindlemarch Updata')"
[ -n "$question" ] || { echo "demo: the question did not appear" >&2; kill "$wine_pid"; exit 1; }
sleep 1   # let the first paint finish before the picture is taken
import -window root "$out/update-question.png"
# The dialog alone, cut from the same picture.
eval "$(xdotool getwindowgeometry --shell "$question")"
convert "$out/update-question.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/update-question-dialog.png"

xdotool windowfocus --sync "$question" 2>/dev/null
xdotool key --window "$question" Return
done_box="$(find_window '終了')"
if [ -z "$done_box" ]; then
    echo "demo: no completion message" >&2
    import -window root "$out/update-failed.png"
    kill "$wine_pid"
    exit 1
fi
sleep 1
import -window root "$out/update-done.png"
xdotool windowfocus --sync "$done_box" 2>/dev/null
xdotool key --window "$done_box" Return
wait "$wine_pid"
