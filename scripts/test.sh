#!/usr/bin/env bash
# Installs what is missing, builds every tree (native, i686 and x86_64 MinGW, fuzzers) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
configure() {  # build-dir, extra cmake arguments...
  local dir=$1; shift
  [ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" "$@" >/dev/null
}

configure build/native
configure build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
configure build/x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
configure build/fuzz -DSONOREL_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

for tree in native i686 x86_64 fuzz; do
  echo "== build $tree"
  cmake --build "build/$tree" -j "$jobs"
done

# The Windows tests need a display: a private Xvfb for this run. One wineserver per prefix for the whole
# run, so that every Wine start after the first is quick.
xvfb_pid=""
cleanup() {
  for tree in i686 x86_64; do
    WINEPREFIX="$PWD/build/$tree/wineprefix" wineserver -k 2>/dev/null || true
  done
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
exec 5< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 30 display_number <&5
export DISPLAY=":$display_number"
# 32-bit Windows programs need a kernel that runs 32-bit Linux programs (Wine's 32-bit loader is one).
wine_trees="x86_64"
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  wine_trees="i686 x86_64"
else
  echo "note: this kernel cannot run 32-bit programs; the i686 tree is built but its tests run only in x86_64"
fi
for tree in $wine_trees; do
  prefix="$PWD/build/$tree/wineprefix"
  arch=win32
  [ "$tree" = x86_64 ] && arch=win64
  scripts/wine-prefix.sh --current "$prefix" || scripts/wine-prefix.sh "$prefix" "$arch" >/dev/null 2>&1
  WINEPREFIX="$prefix" wineserver -p
  # Start Wine's own services now, away from ctest's output pipes: they outlive each test program, and
  # ctest would wait for them to close the pipes they inherited.
  "build/$tree/wine-run" cmd /c exit </dev/null >/dev/null 2>&1
done

status=0
for tree in native $wine_trees; do
  echo "== test $tree"
  ctest --test-dir "build/$tree" --output-on-failure || status=1
done
bash tests/e2e/run.sh || status=1

echo "== fuzz (bounded)"
bash scripts/fuzz.sh 20 || status=1

exit $status
