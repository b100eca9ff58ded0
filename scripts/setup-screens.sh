#!/usr/bin/env bash
# Inside Xvfb: starts setup.exe, photographs the setup dialog, opens the
# install options with Alt+I and photographs them, then ends the program.
# Called by demo-setup.sh (`scripts/demo-setup.sh --screens` makes the
# pictures docs/setup-dialog.png and docs/setup-options.png).
#   setup-screens.sh PROGRAM_FOLDER OUTPUT_FOLDER
set -uo pipefail
folder="$1" out="$2"
# shellcheck source=scripts/demo-common.sh
source "$(dirname "$0")/demo-common.sh"
xvfb_start "$folder" setup.exe

# The dialog's caption; the hidden main window is called "Brindlemarch" too.
dialog="$(find_window 'Brindlemarch Updata')"
[ -n "$dialog" ] || { echo "setup-screens: the setup dialog did not appear" >&2; kill "$wine_pid"; exit 1; }
shoot "$dialog" "$out/setup-dialog-screen.png" "$out/setup-dialog.png"

xdotool windowfocus --sync "$dialog" 2>/dev/null
xdotool key --window "$dialog" alt+i
options="$(find_window 'インストールする項目の選択')"
[ -n "$options" ] || { echo "setup-screens: the options did not appear" >&2; kill "$wine_pid"; exit 1; }
# One toggle so that the space text shows a value.
xdotool windowfocus --sync "$options" 2>/dev/null
xdotool key --window "$options" alt+t
shoot "$options" "$out/setup-options-screen.png" "$out/setup-options.png"

kill "$wine_pid" 2>/dev/null
wineserver -k 2>/dev/null
exit 0
