#!/bin/sh
# Creates a Wine prefix for the program: Japanese locale, no Mono/Gecko installers, and the dialog fonts
# "ＭＳ Ｐゴシック" and "ＭＳ ゴシック" replaced by the IPA fonts of the same kind (proportional and fixed).
# Usage: wine-prefix.sh PREFIX [win32|win64]
set -e
export WINEPREFIX="$1"
export WINEARCH="${2:-win32}"
wine=wine
[ "$WINEARCH" = win64 ] && wine=/usr/lib/wine/wine64  # not in PATH on Debian
export WINELOADER=$wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
mkdir -p "$WINEPREFIX"
$wine wineboot -i
key='HKCU\Software\Wine\Fonts\Replacements'
$wine reg add "$key" /v "ＭＳ Ｐゴシック" /t REG_SZ /d "IPAPGothic" /f
$wine reg add "$key" /v "ＭＳ ゴシック" /t REG_SZ /d "IPAGothic" /f
$wine reg add "$key" /v "MS UI Gothic" /t REG_SZ /d "IPAPGothic" /f
# Without a window manager, Wine waits for one at every hide or destroy of a managed window.
$wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
wineserver -w
