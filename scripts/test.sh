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

# One wineserver per prefix for the whole run: every Wine start after the first is then quick.
cleanup() {
  for tree in i686 x86_64; do
    WINEPREFIX="$PWD/build/$tree/wineprefix" wineserver -k 2>/dev/null || true
  done
}
trap cleanup EXIT

status=0
for tree in native i686 x86_64; do
  echo "== test $tree"
  ctest --test-dir "build/$tree" --output-on-failure || status=1
done

echo "== fuzz (bounded)"
bash scripts/fuzz.sh 20 || status=1

exit $status
