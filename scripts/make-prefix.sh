#!/usr/bin/env bash
# Builds the base Wine prefix of a build tree: ja_JP locale, null display
# driver, Japanese font replacement. Usage: make-prefix.sh WINE_ROOT
set -euo pipefail
export WINE_ROOT="$1"
here="$(cd "$(dirname "$0")" && pwd)"
stamp="$WINE_ROOT/prefix.ready"
[ -f "$stamp" ] && exit 0

mkdir -p "$WINE_ROOT/locale"
[ -d "$WINE_ROOT/locale/ja_JP.UTF-8" ] || localedef -i ja_JP -f UTF-8 "$WINE_ROOT/locale/ja_JP.UTF-8"

source "$here/wine-env.sh"
unset DISPLAY
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
# The dialogs' font, drawn with a free Japanese face when shown on X.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d IPAGothic /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
