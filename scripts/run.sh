#!/usr/bin/env bash
# Starts the program under Wine in the Japanese locale (or the one SONOREL_LOCALE names, e.g. en_US.UTF-8 for
# the English texts): installs what is missing, builds it, copies it
# into build/run/ (where its INI files are kept from run to run) and runs it in Wine's virtual desktop.
# Without a display it runs on a private virtual one, writes a screenshot and closes the program again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# 32-bit Windows programs need a kernel that runs 32-bit Linux programs (Wine's 32-bit loader is one).
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  tree=build/i686 toolchain=cmake/mingw-i686.cmake dist=build/i686/dist
  export WINELOADER=wine WINEARCH=win32
else
  tree=build/x86_64 toolchain=cmake/mingw-x86_64.cmake dist=build/x86_64/dist
  export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
  echo "note: this kernel cannot run 32-bit programs; running the 64-bit build"
fi
[ -f "$tree/CMakeCache.txt" ] || cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
mkdir -p build
cmake --build "$tree" --target Sonorel -j "$(nproc)" >build/run.log 2>&1 || { cat build/run.log; exit 1; }

folder=build/run
mkdir -p "$folder"
cp "$dist/Sonorel.exe" "$dist/Sonorel.html" "$folder/"

export WINEPREFIX="$PWD/build/run-wineprefix"
locale=${SONOREL_LOCALE:-ja_JP.UTF-8}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=$locale LC_ALL=$locale
scripts/wine-prefix.sh --current "$WINEPREFIX" || scripts/wine-prefix.sh "$WINEPREFIX" "$WINEARCH" >/dev/null 2>&1

xvfb_pid="" program_pid=""
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then wineserver -k 2>/dev/null || true; fi
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

headless=""
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  echo "no display (\$DISPLAY is empty): running on a private virtual display and taking a screenshot"
  exec 5< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
  xvfb_pid=$!
  read -r -t 30 number <&5
  export DISPLAY=":$number"
fi

# Wine's virtual desktop draws the window's caption itself, with or without a window manager.
(cd "$folder" && exec "$WINELOADER" explorer /desktop=Sonorel,1024x768 Sonorel.exe) &
program_pid=$!

if [ -z "$headless" ]; then
  echo "MIDIソノレル is running; close its window to end"
  wait "$program_pid" || true
  program_pid=""
  exit 0
fi

window=""
deadline=$((SECONDS + 60))
while [ -z "$window" ]; do
  [ $SECONDS -lt $deadline ] || { echo "the window did not appear within 60 s" >&2; exit 1; }
  sleep 0.2
  window=$(xdotool search --onlyvisible --name '^MIDIソノレル$' 2>/dev/null | head -n 1 || true)
done
# The picture is taken once two in a row agree, when the window has finished painting.
read -r x y w h < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
  /^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print x, y, w, h}')
previous=""
while current=$(import -window root -crop "${w}x${h}+${x}+${y}" +repage rgb:- | md5sum); [ "$current" != "$previous" ]; do
  [ $SECONDS -lt $deadline ] || break
  previous=$current
  sleep 0.2
done
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$folder/screenshot.png"
echo "screenshot of the window: $folder/screenshot.png"

xdotool windowfocus --sync "$window" key alt+F4
deadline=$((SECONDS + 20))
while kill -0 "$program_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
kill -0 "$program_pid" 2>/dev/null && { echo "the program did not close; ending it" >&2; exit 1; }
program_pid=""
wineserver -w
