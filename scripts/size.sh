#!/usr/bin/env bash
# Builds the release programs of dist/ and checks their sizes: Sonorel.exe at most 256 KiB, sonorel-cli.exe at
# most 512 KiB. Exits 1 when one is larger. With --top N it also lists the N largest parts of each program
# (objects and library members, from the link map), which is where to look when a program grows.
# Usage: size.sh [--top N] [--no-build]
set -euo pipefail
cd "$(dirname "$0")/.."
top=0 build=1
while [ $# -gt 0 ]; do
  case $1 in
    --top) top=$2; shift 2 ;;
    --no-build) build=""; shift ;;
    *) echo "usage: $0 [--top N] [--no-build]" >&2; exit 2 ;;
  esac
done
[ -z "$build" ] || bash scripts/dist.sh i686

status=0
check() {  # file, limit in KiB
  local size limit=$(($2 * 1024))
  size=$(stat -c %s "dist/$1")
  if [ "$size" -le "$limit" ]; then
    printf '%-16s %7d bytes (%3d KiB), limit %d KiB: ok, %d KiB to spare\n' "$1" "$size" $((size / 1024)) "$2" \
      $(((limit - size) / 1024))
  else
    printf '%-16s %7d bytes (%3d KiB), limit %d KiB: TOO LARGE\n' "$1" "$size" $((size / 1024)) "$2"
    status=1
  fi
}
check Sonorel.exe 256
check sonorel-cli.exe 512

if [ "$top" -gt 0 ]; then
  for program in app/Sonorel cli/sonorel-cli; do
    echo "largest parts of $(basename $program).exe (bytes in the program, debug sections left out):"
    python3 - "build/release-i686/$program.exe.map" "$top" <<'PY'
import collections, re, sys
# Input pieces of the memory map: " .section  0xADDRESS  0xSIZE  file", the file sometimes on the next line.
sizes = collections.Counter()
section = None
in_map = False
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    line = line.rstrip("\n")
    if line.startswith("Linker script and memory map"):
        in_map = True
        continue
    if not in_map:
        continue
    alone = re.match(r"^ (\.\S+)$", line)
    if alone:
        section = alone.group(1)
        continue
    piece = re.match(r"^ (\.\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
    if piece and (piece.group(1) or section):
        name = piece.group(1) or section
        section = None
        if not name.startswith(".debug"):
            sizes[re.sub(r".*/", "", piece.group(3))] += int(piece.group(2), 16)
    else:
        section = None
for name, size in sizes.most_common(int(sys.argv[2])):
    print("  %7d  %s" % (size, name))
PY
  done
fi
exit $status
