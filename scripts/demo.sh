#!/usr/bin/env bash
# Shows the updater at work: installs what is missing, builds update.exe,
# prepares a Wine prefix in which the game is "installed" (registry record and
# an installed folder with old files) and an update folder lies beside a copy
# of update.exe, then runs the updater.
#   With a display ($DISPLAY set) you see the dialog and press Update yourself.
#   Without one it runs under Xvfb, presses Update itself and saves
#   screenshots of the question and of the completion message in build/demo/
#   (one of them also as docs/update-question.png).
# Afterwards it lists which installed files changed.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"
build="${BRINDLE_BUILD_DIR:-build}"   # another build tree, for development

# shellcheck source=scripts/demo-common.sh
source scripts/demo-common.sh
demo_build update
demo_prefix demo

# The installed game: old files, dated 2019.
installed_win='C:\Program Files\Quorvel\Brindlemarch'
installed="$demo/drive_c/Program Files/Quorvel/Brindlemarch"
mkdir -p "$installed"
make_file() {  # make_file PATH SIZE_KIB TAG DATE
    { printf '%s\n' "$3"; head -c "$(( $2 * 1024 ))" /dev/zero | tr '\0' "${3:0:1}"; } > "$1"
    touch -d "$4" "$1"
}
make_file "$installed/Brindlemarch.exe" 300 "old game" "2019-04-01 10:00"
make_file "$installed/gfx_2.arc" 2048 "old graphics" "2019-04-01 10:00"
make_file "$installed/scn_2.arc" 512 "old scenario" "2019-04-01 10:00"
make_file "$installed/readme.txt" 4 "readme" "2019-04-01 10:00"

# The update as delivered: update.exe with the folder "Brindlemarch" beside it.
updater="$demo/drive_c/BrindlemarchUpdate"
mkdir -p "$updater/Brindlemarch"
cp "$build/bin/update.exe" "$updater/update.exe"
make_file "$updater/Brindlemarch/Brindlemarch.exe" 310 "new game" "2021-06-15 12:00"
make_file "$updater/Brindlemarch/gfx_2.arc" 2100 "new graphics" "2021-06-15 12:00"
make_file "$updater/Brindlemarch/scn_2.arc" 530 "new scenario" "2021-06-15 12:00"
make_file "$updater/Brindlemarch/scn_3.arc" 256 "added scenario" "2021-06-15 12:00"

# The installation record (32-bit view, where the 32-bit program looks).
key='HKLM\SOFTWARE\Quorvel\Brindlemarch'
wine reg add "$key" /v Dir /t REG_SZ /d "$installed_win" /f /reg:32 >/dev/null 2>&1
wine reg add "$key" /v CD /t REG_SZ /d 'D:\Brindlemarch' /f /reg:32 >/dev/null 2>&1
wine reg add "$key" /v InstType /t REG_DWORD /d 1 /f /reg:32 >/dev/null 2>&1
demo_draw_on_x

listing() {
    for f in "$installed"/*; do
        stat -c '%n|%s|%y' "$f" | sed "s|^$installed/||; s|\.[0-9]*\( [+-][0-9]*\)$||"
    done | sort
}
before="$(listing)"

if [ -n "${DISPLAY:-}" ]; then
    echo "demo: the updater's dialog opens now; press アップデート (Update)."
    wineserver -k 2>/dev/null || true
    rc=0
    (cd "$updater" && wine update.exe) || rc=$?
    wineserver -w
else
    echo "demo: no display; running under Xvfb and pressing Update automatically"
    demo_under_xvfb "$repo/scripts/demo-xvfb.sh" "$updater" "$out"
    mkdir -p docs
    if [ -f "$out/update-question-dialog.png" ]; then
        cp "$out/update-question-dialog.png" docs/update-question.png
    fi
    echo "demo: screenshots in $build/demo/: $(cd "$out" && ls ./*.png 2>/dev/null | tr '\n' ' ')"
fi
echo "demo: update.exe ended with exit code $rc"

after="$(listing)"
echo
echo "Installed folder $installed_win:"
printf '%-18s %-34s %-34s %s\n' "file" "before (size, last write)" "after (size, last write)" ""
names="$( { echo "$before"; echo "$after"; } | cut -d'|' -f1 | sort -u)"
while read -r name; do
    b="$(sed -n "s/^$name|//p" <<< "$before" | tr '|' ' ')"
    a="$(sed -n "s/^$name|//p" <<< "$after" | tr '|' ' ')"
    mark="unchanged"
    if [ -z "$b" ]; then
        mark="NEW"
    elif [ "$b" != "$a" ]; then
        mark="CHANGED"
    fi
    printf '%-18s %-34s %-34s %s\n' "$name" "${b:--}" "${a:--}" "$mark"
done <<< "$names"
exit "$rc"
