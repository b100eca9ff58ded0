# The product disc in drive E: (or none, with LAYOUT=nodisc), an empty hard
# disk D: to install on, setup.exe in a folder of its own, and the marker
# program registered as the viewer of .txt and .html files.
#   LAYOUT=disc    small files on the disc
#   LAYOUT=big     a large archive as well, so a transfer lasts long enough
#                  to be stopped
#   LAYOUT=nodisc  no disc; the files lie beside setup.exe
bin="$(cd "$WINE_ROOT/../bin" && pwd)"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
marker="$(winpath "$bin/setup_marker.exe")"

prog="$TEST_DIR/prog"
mkdir -p "$prog"
cp "$bin/setup.exe" "$prog/setup.exe"

case "${LAYOUT:-disc}" in
nodisc) root="$prog" ;;
*)      root="$TEST_DIR/disc"; map_drive e "$root" cdrom Brindlemarch ;;
esac
src="$root/Brindlemarch"
mkdir -p "$src" "$root/manual"
cp "$bin/setup_marker.exe" "$src/Brindlemarch.exe"
printf 'readme\r\n' > "$src/readme.txt"
printf '<html></html>\r\n' > "$root/manual/manual.html"
cp "$bin/setup_marker.exe" "$src/uninst.exe"
for f in gfx.arc vox.arc sfx.arc sys.arc bgm.arc scn.arc ogg.dll vorbis.dll vorbisfile.dll; do
    head -c 3000000 /dev/urandom > "$src/$f"
done
if [ "${LAYOUT:-disc}" = big ]; then
    # Sparse: made at once, read back as zeros.
    truncate -s 1500M "$src/sfx.arc"
else
    truncate -s 120M "$src/sfx.arc"
fi

mkdir -p "$TEST_DIR/target"
map_drive d "$TEST_DIR/target" hd

for view in 32 64; do
    for cls in txtfile htmlfile; do
        wine reg add "HKLM\\Software\\Classes\\$cls\\shell\\open\\command" /ve /d "\"$marker\" \"%1\"" /f /reg:$view >/dev/null 2>&1
    done
    wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f /reg:$view >/dev/null 2>&1
    wine reg add 'HKLM\Software\Classes\.html' /ve /d htmlfile /f /reg:$view >/dev/null 2>&1
    wine reg add 'HKLM\Software\Classes\.htm' /ve /d htmlfile /f /reg:$view >/dev/null 2>&1
done
export SETUP_PROGRAM="$(winpath "$prog/setup.exe")"
case "${LAYOUT:-disc}" in
nodisc) export SETUP_SOURCE="$(winpath "$src")" ;;
*)      export SETUP_SOURCE="E:\\Brindlemarch" ;;
esac
export SETUP_TARGET_ROOT="$(winpath "$TEST_DIR/target")"
