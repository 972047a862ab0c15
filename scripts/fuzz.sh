#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds each (default 20) under ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
[ -f build/fuzz/CMakeCache.txt ] ||
  cmake -S . -B build/fuzz -DSONOREL_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz -j "$(nproc)"
status=0
for target in fuzz_tune fuzz_ini fuzz_smf fuzz_song; do
  corpus="build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  echo "-- $target for ${seconds}s"
  seeds=()  # hand-made inputs that reach deep paths, kept in the repository; new finds go to $corpus
  [ -d "fuzz/seeds/$target" ] && seeds=("fuzz/seeds/$target")
  if build/fuzz/fuzz/$target -max_total_time="$seconds" -print_final_stats=0 "$corpus" "${seeds[@]}" >"build/fuzz/$target.log" 2>&1; then
    echo "$target: clean ($(grep -c . "$corpus"/* 2>/dev/null | wc -l) inputs in corpus)"
  else
    echo "$target: FAILED"; tail -n 40 "build/fuzz/$target.log"; status=1
  fi
done
exit $status
