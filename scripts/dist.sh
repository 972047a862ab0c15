#!/usr/bin/env bash
# Builds the release programs (optimised for size, no debug information, no time stamps) in their own tree,
# apart from the development trees: build/release-i686 fills dist/ (what a Windows user copies),
# build/release-x86_64 fills build/release-x86_64/dist (what the start-up benchmark runs under wine64).
# Usage: dist.sh [i686|x86_64]
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:-i686}
case $arch in
  i686) dist="$PWD/dist" ;;
  x86_64) dist="$PWD/build/release-$arch/dist" ;;
  *) echo "usage: $0 [i686|x86_64]" >&2; exit 2 ;;
esac
tree=build/release-$arch
[ -f "$tree/CMakeCache.txt" ] ||
  cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch-release.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DSONOREL_TESTS=OFF -DSONOREL_DIST_DIR="$dist" >/dev/null
# The folder is filled by the link steps of the two programs; without their outputs they link again.
rm -rf "$dist"
rm -f "$tree/app/Sonorel.exe" "$tree/cli/sonorel-cli.exe"
cmake --build "$tree" --target Sonorel sonorel-cli -j "$(nproc)" >/dev/null
for file in Sonorel.exe Sonorel.html sonorel-cli.exe; do
  [ -f "$dist/$file" ] || { echo "$dist/$file was not built" >&2; exit 1; }
done
