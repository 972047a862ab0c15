#!/bin/sh
# Creates a Wine prefix for the program: Japanese locale (each run may choose another with LANG), no
# Mono/Gecko installers, the dialog fonts "ＭＳ Ｐゴシック", "ＭＳ ゴシック", "MS UI Gothic" and "Courier New"
# replaced by free fonts of the same kind, and Wine's Marlett font for the caption buttons.
# Usage: wine-prefix.sh PREFIX [win32|win64]
#        wine-prefix.sh --current PREFIX   (succeeds when PREFIX was made by this version of the script)
set -e
# Raised whenever a prefix needs more than it had: older prefixes are brought up to date by running the
# script again on them (2: the English fixed-pitch font).
version=2
if [ "$1" = --current ]; then
  [ "$(cat "$2/sonorel-prefix-version" 2>/dev/null)" = "$version" ]
  exit
fi
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
# The Ume fonts (fonts-horai-umefont) keep the character widths of the fonts they stand in for, so every
# label fits its template size; the IPA fonts are wider and cut a few labels by a pixel or more.
if fc-list -q 'Ume P Gothic' 2>/dev/null && fc-list -q 'Ume Gothic' 2>/dev/null &&
  fc-list -q 'Ume UI Gothic' 2>/dev/null; then
  proportional="Ume P Gothic" fixed="Ume Gothic" interface="Ume UI Gothic"
else
  proportional="IPAPGothic" fixed="IPAGothic" interface="IPAPGothic"
fi
key='HKCU\Software\Wine\Fonts\Replacements'
$wine reg add "$key" /v "ＭＳ Ｐゴシック" /t REG_SZ /d "$proportional" /f
$wine reg add "$key" /v "ＭＳ ゴシック" /t REG_SZ /d "$fixed" /f
$wine reg add "$key" /v "MS UI Gothic" /t REG_SZ /d "$interface" /f
# The English SysEx field asks for "Courier New", which Wine lacks; Liberation Mono has its widths.
if fc-list -q 'Liberation Mono' 2>/dev/null; then
  $wine reg add "$key" /v "Courier New" /t REG_SZ /d "Liberation Mono" /f
fi
# Caption buttons are glyphs of the Marlett font; Wine ships one but does not find it by itself.
marlett=/usr/share/wine/fonts/marlett.ttf
[ ! -f "$marlett" ] || cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
# Without a window manager, Wine waits for one at every hide or destroy of a managed window.
$wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
wineserver -w
echo "$version" >"$WINEPREFIX/sonorel-prefix-version"
