#!/usr/bin/python3
"""Times writing the GS tune for 442 Hz into a generated song: sonorel-cli --into against mido doing the
same (load, insert the message 50 ms after the GS Reset, save). The script first checks that both results
hold the same events at the same ticks, then reports the best of several runs, the ratio, and the CLI's
time on songs of a quarter, one and four times the size (the time should grow linearly).

    /usr/bin/python3 bench/song_vs_mido.py [--cli build/bench/cli/sonorel-cli] [--size 1048576] [--runs 5]

Needs Debian's python3-mido (/usr/bin/python3 has it). Both times are of the work on one file: the CLI's
whole process (start, read, write, flush to the disk), and mido's load, insert and save without starting
Python or importing mido.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import mido
except ImportError:
    sys.exit("song_vs_mido: the mido package is missing (apt-get install python3-mido, run with /usr/bin/python3)")

GS_RESET = [0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7]
GS_442 = [0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x00, 0x00, 0x04, 0x04, 0x0F, 0x29, 0xF7]


def generated_song(size):
    """Format 1, division 480: a tempo track, then a GS Reset and notes with running status (as bench_song)."""
    tempo = bytes([0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0, 0xFF, 0x2F, 0])
    body = bytearray([0, 0xF0, len(GS_RESET) - 1] + GS_RESET[1:] + [0x83, 0x60, 0x90, 0x3C, 0x64])
    i = 0
    while len(body) + 60 < size:
        body += bytes([0x3C, 0x30 + i % 40, 0x00, 0x00, 0x30 + (i + 1) % 40, 0x64])
        i += 1
    body += bytes([0, 0xFF, 0x2F, 0])
    head = b"MThd" + bytes([0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0])
    return head + b"MTrk" + len(tempo).to_bytes(4, "big") + tempo + b"MTrk" + len(body).to_bytes(4, "big") + body


def mido_insert(source, target):
    """What the CLI does, with mido: the tune 50 ms after the GS Reset (48 ticks at 500,000 us and 480)."""
    song = mido.MidiFile(source)
    ticks = -(-50000 * song.ticks_per_beat // 500000)
    for track in song.tracks:
        now = 0
        reset_at = None
        for index, message in enumerate(track):
            now += message.time
            if reset_at is None:
                if message.type == "sysex" and list(message.bytes()) == GS_RESET:
                    reset_at, tick = now, now + ticks
                continue
            if now > tick or message.type == "end_of_track" or (message.type == "note_on" and message.velocity > 0):
                before = now - message.time
                track.insert(index, mido.Message("sysex", data=GS_442[1:-1], time=tick - before))
                message.time = now - tick
                break
        if reset_at is not None:
            break
    song.save(target)


def events(path):
    found = []
    for number, track in enumerate(mido.MidiFile(path).tracks):
        now = 0
        for message in track:
            now += message.time
            found.append((number, now, str(message.copy(time=0))))
    return found


def best_of(runs, prepare, action):
    best = None
    for _ in range(runs):
        prepare()
        start = time.perf_counter()
        action()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", default="build/bench/cli/sonorel-cli")
    parser.add_argument("--size", type=int, default=1 << 20)
    parser.add_argument("--runs", type=int, default=5)
    options = parser.parse_args()
    cli = os.path.abspath(options.cli)
    folder = tempfile.mkdtemp(prefix="sonorel-bench-")
    try:
        original = os.path.join(folder, "song.mid")
        with open(original, "wb") as file:
            file.write(generated_song(options.size))
        by_cli = os.path.join(folder, "cli.mid")
        by_mido = os.path.join(folder, "mido.mid")

        def copy():
            shutil.copyfile(original, by_cli)

        def run_cli():
            subprocess.run([cli, "--hz", "442", "--into", by_cli], check=True, stdout=subprocess.DEVNULL)

        cli_time = best_of(options.runs, copy, run_cli)
        mido_time = best_of(max(1, options.runs // 2), lambda: None, lambda: mido_insert(original, by_mido))
        if events(by_cli) != events(by_mido):
            sys.exit("song_vs_mido: the two results differ")
        count = len(events(original))
        print("song: %d bytes, %d events; both results hold the same events plus the tune" %
              (os.path.getsize(original), count))
        print("sonorel-cli --into: %8.2f ms" % (cli_time * 1000))
        print("mido load/insert/save: %8.2f ms" % (mido_time * 1000))
        print("ratio: %.0f times faster" % (mido_time / cli_time))
        for factor in (0.25, 1, 4):
            size = int(options.size * factor)
            with open(original, "wb") as file:
                file.write(generated_song(size))
            print("sonorel-cli --into on %9d bytes: %8.2f ms" % (size, best_of(options.runs, copy, run_cli) * 1000))
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
