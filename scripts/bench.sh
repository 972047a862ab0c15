#!/usr/bin/env bash
# Benchmarks (not part of the tests): the keystroke path, INI load and save of 10,000 presets, SMF
# serialisation of 100,000 events, the tune written into songs of 64 KiB to 4 MiB, and the command line
# against Python's mido on a 10,000-pitch sweep and on writing the tune into a 1 MiB song.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
[ -f build/bench/CMakeCache.txt ] || cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DSONOREL_TESTS=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" --target bench_tune bench_ini bench_smf bench_song sonorel-cli
for target in bench_tune bench_ini bench_smf bench_song; do
  "build/bench/bench/$target" "$@"
done
/usr/bin/python3 bench/cli_vs_mido.py --cli build/bench/cli/sonorel-cli
/usr/bin/python3 bench/song_vs_mido.py --cli build/bench/cli/sonorel-cli
