#!/usr/bin/env bash
# Builds dist/ afresh from the 32-bit tree and packs it: build/release/Sonorel-VERSION.zip holds
# Sonorel.exe, Sonorel.html and sonorel-cli.exe, the version being the project's version in CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

version=$(sed -n 's/^project(Sonorel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }

tree=build/i686
[ -f "$tree/CMakeCache.txt" ] || cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
# dist/ is filled by the link steps of the two programs; without their outputs they link again.
rm -rf dist
rm -f "$tree/app/Sonorel.exe" "$tree/cli/sonorel-cli.exe"
cmake --build "$tree" --target Sonorel sonorel-cli -j "$(nproc)"

files=(Sonorel.exe Sonorel.html sonorel-cli.exe)
for file in "${files[@]}"; do
  [ -f "dist/$file" ] || { echo "dist/$file was not built" >&2; exit 1; }
done
archive="build/release/Sonorel-$version.zip"
mkdir -p build/release
rm -f "$archive"
(cd dist && zip -q -X "../$archive" "${files[@]}")
unzip -l "$archive"
echo "release: $archive"
