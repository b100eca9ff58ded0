# Sourced: the Wine environment of one build tree.
# Needs WINE_ROOT (the build tree's wine/ folder).
: "${WINE_ROOT:?WINE_ROOT must name the wine folder of a build tree}"
export WINEPREFIX="${WINEPREFIX:-$WINE_ROOT/prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# No Mono/Gecko prompts, no desktop files in $HOME, no USB bus driver.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;wineusb.sys=d"
# ANSI code page 932 follows the process locale.
unset LC_ALL
export LANG=ja_JP.UTF-8 LC_MESSAGES=C LOCPATH="$WINE_ROOT/locale"
