#!/usr/bin/env bash
# Runs setup.exe in a demo prefix of its own: the product disc in drive E:
# (label "Brindlemarch", the game's files under Brindlemarch\ and the manual
# beside it), an empty prefix otherwise, so setup offers to install.
#   With a display ($DISPLAY set) the setup dialog opens and you use it.
#   With --screens (or without a display) it runs under Xvfb and saves
#   pictures of the setup dialog and of the install options to docs/
#   (setup-dialog.png, setup-options.png) and to build/demo-setup/.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"
build="${BRINDLE_BUILD_DIR:-build}"   # another build tree, for development
screens=0
[ "${1:-}" = --screens ] && screens=1
[ -n "${DISPLAY:-}" ] || screens=1

# shellcheck source=scripts/demo-common.sh
source scripts/demo-common.sh
demo_build setup
demo_prefix demo-setup

# The product disc as drive E:, with a CD-ROM's type and volume label.
disc="$WINE_ROOT/demo-setup-disc"
rm -rf "$disc"
mkdir -p "$disc/Brindlemarch" "$disc/manual"
printf 'Brindlemarch' > "$disc/.windows-label"
for f in Brindlemarch.exe uninst.exe readme.txt ogg.dll vorbis.dll vorbisfile.dll; do
    head -c 200000 /dev/urandom > "$disc/Brindlemarch/$f"
done
printf 'Brindlemarch\r\n' > "$disc/Brindlemarch/readme.txt"
for f in gfx.arc vox.arc sfx.arc sys.arc bgm.arc scn.arc; do
    truncate -s 40M "$disc/Brindlemarch/$f"
done
printf '<html><body>Brindlemarch</body></html>\r\n' > "$disc/manual/manual.html"
ln -sfn "$disc" "$demo/dosdevices/e:"
wine reg add 'HKLM\Software\Wine\Drives' /v e: /d cdrom /f /reg:64 >/dev/null 2>&1
demo_draw_on_x
cp "$build/bin/setup.exe" "$demo/drive_c/setup.exe"

if [ "$screens" = 0 ]; then
    echo "demo-setup: the setup dialog opens now (disc in E:, install target C:\\Program Files by default)."
    wineserver -k 2>/dev/null || true
    rc=0
    (cd "$demo/drive_c" && wine setup.exe) || rc=$?
    wineserver -w
    echo "demo-setup: setup.exe ended with exit code $rc"
    exit "$rc"
fi

echo "demo-setup: running under Xvfb and taking pictures"
demo_under_xvfb "$repo/scripts/setup-screens.sh" "$demo/drive_c" "$out"
mkdir -p docs
for shot in setup-dialog setup-options; do
    [ -f "$out/$shot.png" ] && cp "$out/$shot.png" "docs/$shot.png"
done
echo "demo-setup: pictures in $build/demo-setup/: $(cd "$out" && ls ./*.png 2>/dev/null | tr '\n' ' ')"
exit "$rc"
