#!/usr/bin/env bash
# Installs what building and testing needs on Debian 12: compilers, MinGW-w64, Wine (32 and 64 bit),
# Xvfb and X tools, fonts and the ja_JP, en_US and de_DE UTF-8 locales. Does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic fonts-ipafont-mincho fonts-horai-umefont
  fonts-liberation2
  locales zip python3 python3-mido abcmidi midicsv
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -q
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Japanese for the program's own texts; English and German (code page 1252) for the English texts on every
# other system.
wanted=()
for loc in ja_JP en_US de_DE; do
  locale -a 2>/dev/null | grep -qix "$loc.utf8" && continue
  wanted+=("$loc")
  as_root sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
  grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
done
if [ ${#wanted[@]} -gt 0 ]; then
  echo "setup: generating the UTF-8 locales ${wanted[*]}"
  as_root locale-gen >/dev/null
fi
