#!/usr/bin/env bash
# Start-up benchmark (a measurement, not a test): starts the release program, the program's main dialog alone
# (bench/template_dialog.cpp) and a bare dialog program (bench/bare_dialog.cpp), all built by the same
# toolchain, in turn, ROUNDS times each, in one Wine session on a private virtual display, and prints the
# median time to a visible window of each and its ratio to the bare dialog's.
# It measures the 64-bit release build under wine64 by default, which also runs where the kernel runs no
# 32-bit programs; SONOREL_BENCH_ARCH=i686 measures the 32-bit release build (dist/) under wine. Further
# programs of the same kind given after ROUNDS (an older build, say) join the same turns.
# Usage: [SONOREL_BENCH_ARCH=i686] bench/startup.sh [ROUNDS [OTHER.exe...]]   (default 15 rounds)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-15}
[ $# -eq 0 ] || shift
arch=${SONOREL_BENCH_ARCH:-x86_64}

tree=build/release-$arch
bash scripts/dist.sh "$arch"
cmake --build "$tree" --target bare_dialog template_dialog start_timer -j "$(nproc)" >/dev/null
dist=$tree/dist
[ "$arch" = i686 ] && dist=dist

work=build/bench-startup-$arch
mkdir -p "$work/program" "$work/template" "$work/bare"
cp "$dist/Sonorel.exe" "$dist/Sonorel.html" "$work/program/"
cp "$tree/bench/template_dialog.exe" "$work/template/"
cp "$tree/bench/bare_dialog.exe" "$work/bare/"
cp "$tree/bench/start_timer.exe" "$work/"
others=()
rm -rf "$work"/other*
for exe in "$@"; do  # each in a folder of its own, beside a copy of the manual
  folder="$work/other$((${#others[@]} + 1))"
  mkdir -p "$folder"
  cp "$exe" "$folder/"
  cp "$dist/Sonorel.html" "$folder/"
  others+=("$(basename "$folder")\\$(basename "$exe")")
done
echo "DLLs bound at start:"
for exe in "$work/program/Sonorel.exe" "$work"/other*/*.exe "$work/template/template_dialog.exe" \
  "$work/bare/bare_dialog.exe"; do
  [ -f "$exe" ] || continue
  echo "  $(basename "$exe"): $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr '\n' ' ')"
done

export WINEPREFIX="$PWD/$work/wineprefix" WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
[ "$arch" = x86_64 ] || export WINEARCH=win32 WINELOADER=wine
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
[ -f "$WINEPREFIX/system.reg" ] || scripts/wine-prefix.sh "$WINEPREFIX" "$WINEARCH" >/dev/null 2>&1

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
# On a shared machine other work disturbs the times less at a raised priority (root may raise it): the
# display, the wineserver and the programs.
priority=()
[ "$(id -u)" -ne 0 ] || priority=(nice -n -10)
exec 5< <(exec "${priority[@]}" Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 30 display_number <&5
export DISPLAY=":$display_number"
# One wineserver and Wine's own services up before the first start, as for a user whose session runs.
"${priority[@]}" wineserver -p
"$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1

cd "$work"
"${priority[@]}" "$WINELOADER" start_timer.exe "$rounds" 'program\Sonorel.exe' "${others[@]}" 'template\template_dialog.exe' \
  'bare\bare_dialog.exe' 2>&1 | tr -d '\r'
