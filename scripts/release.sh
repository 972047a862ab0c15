#!/usr/bin/env bash
# Builds dist/ afresh in the release tree and packs it: build/release/Sonorel-VERSION.zip holds Sonorel.exe,
# Sonorel.html and sonorel-cli.exe, the version being the project's version in CMakeLists.txt; SHA256SUMS
# beside it lists the zip's checksum. The zip is reproducible: the same commit gives the same bytes (the
# programs carry no time stamps; the files are packed in a fixed order, with the commit's time and fixed
# permissions, without extra fields).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

version=$(sed -n 's/^project(Sonorel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }

bash scripts/dist.sh i686

# Time of the files in the zip: the commit's (or SOURCE_DATE_EPOCH when given); zip stores local time.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
files=(Sonorel.exe Sonorel.html sonorel-cli.exe)
for file in "${files[@]}"; do
  chmod 644 "dist/$file"
  touch -d "@$epoch" "dist/$file"
done
name="Sonorel-$version.zip"
mkdir -p build/release
rm -f "build/release/$name" build/release/SHA256SUMS
(cd dist && TZ=UTC zip -q -X -9 "../build/release/$name" "${files[@]}")
(cd build/release && sha256sum "$name" >SHA256SUMS)
unzip -l "build/release/$name"
bash scripts/size.sh --no-build || true
echo "release: build/release/$name ($(stat -c %s "build/release/$name") bytes)"
cat build/release/SHA256SUMS
