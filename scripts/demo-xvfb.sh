#!/usr/bin/env bash
# Inside Xvfb: starts update.exe, photographs its question, presses Update,
# photographs the completion message and confirms it.
#   demo-xvfb.sh UPDATER_FOLDER OUTPUT_FOLDER
set -uo pipefail
updater="$1" out="$2"
# shellcheck source=scripts/demo-common.sh
source "$(dirname "$0")/demo-common.sh"
xvfb_start "$updater" update.exe

question="$(find_window 'Brindlemarch Updata')"
[ -n "$question" ] || { echo "demo: the question did not appear" >&2; kill "$wine_pid"; exit 1; }
shoot "$question" "$out/update-question.png" "$out/update-question-dialog.png"

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
