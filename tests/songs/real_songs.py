#!/usr/bin/python3
"""Songs written by other programs (abc2midi, csvmidi) get the tune from sonorel-cli --into; an independent
reader (mido) must read every event of the result, and the result's events must be the original's plus
the tunes, each at its absolute tick in its track. Run by ctest in the native tree."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import mido

ABC_ONE_VOICE = """X:1
T:One voice
M:4/4
L:1/8
Q:1/4=100
K:G
GABc dedB|dedB dedB|c2ec B2dB|A2F2 G4|
"""

ABC_TWO_VOICES = """X:2
T:Two voices
M:3/4
L:1/4
Q:1/4=90
K:D
V:1
%%MIDI program 40
d2 e|f2 g|a3|
V:2
%%MIDI program 42
D2 E|F2 G|A3|
"""

# Format 1: tempo in the first track, a GS Reset, a program change and notes in the second.
CSV_GS_RESET = """0, 0, Header, 1, 2, 96
1, 0, Start_track
1, 0, Tempo, 600000
1, 0, End_track
2, 0, Start_track
2, 0, Title_t, "Piano"
2, 4, System_exclusive, 10, 65, 16, 66, 18, 64, 0, 127, 0, 65, 247
2, 4, Program_c, 0, 5
2, 96, Note_on_c, 0, 60, 100
2, 120, Note_on_c, 0, 64, 100
2, 192, Note_off_c, 0, 60, 0
2, 192, Note_off_c, 0, 64, 0
2, 200, End_track
0, 0, End_of_file
"""

# Format 0: XG System On with device 3, a tempo change before it, an XG tune at 440 Hz to be replaced.
CSV_XG = """0, 0, Header, 0, 1, 480
1, 0, Start_track
1, 0, Tempo, 500000
1, 10, Tempo, 250000
1, 20, System_exclusive, 8, 67, 19, 76, 0, 0, 126, 0, 247
1, 60, System_exclusive, 11, 67, 16, 76, 0, 0, 0, 0, 4, 0, 0, 247
1, 480, Note_on_c, 1, 67, 90
1, 960, Note_on_c, 1, 67, 0
1, 960, End_track
0, 0, End_of_file
"""

TUNES = {
    "gs": [0xF0, 0x41, None, 0x42, 0x12, 0x40, 0x00, 0x00, 0x00, 0x04, 0x04, 0x0F, 0x29, 0xF7],
    "xg": [0xF0, 0x43, None, 0x4C, 0x00, 0x00, 0x00, 0x00, 0x04, 0x04, 0x0F, 0xF7],
    "gm2": [0xF0, 0x7F, None, 0x04, 0x03, 0x03, 0x45, 0xF7],
}


def is_tune(message, format_name):
    """A 442 Hz tune of the format, any device byte."""
    if message.type != "sysex":
        return False
    pattern = TUNES[format_name]
    data = message.bytes()
    return len(data) == len(pattern) and all(p is None or p == b for p, b in zip(pattern, data))


def is_master_tune_any_value(message):
    data = message.bytes() if message.type == "sysex" else []
    return data[:2] == [0xF0, 0x43] and len(data) == 12 and data[3:7] == [0x4C, 0, 0, 0]


def events(path):
    """Every event of every track as (track, absolute tick, text), in order."""
    song = mido.MidiFile(path)
    found = []
    for number, track in enumerate(song.tracks):
        tick = 0
        for message in track:
            tick += message.time
            found.append((number, tick, message.copy(time=0)))
    return song, found


def check(cli, folder, name, format_name, expected_tick):
    original = os.path.join(folder, name)
    copy = os.path.join(folder, "%s-%s" % (format_name, name))
    shutil.copyfile(original, copy)
    run = subprocess.run([cli, "--hz", "442", "--format", format_name, "--into", copy], capture_output=True,
                         text=True)
    assert run.returncode == 0, run.stderr
    song_before, before = events(original)
    song_after, after = events(copy)
    assert song_after.type == song_before.type and song_after.ticks_per_beat == song_before.ticks_per_beat
    formats = ["gs", "xg", "gm2"] if format_name == "all" else [format_name]
    for written in formats:
        tunes = [e for e in after if is_tune(e[2], written)]
        assert len(tunes) == 1, (name, written, tunes)
        if expected_tick is not None:
            assert tunes[0][1] == expected_tick, (name, written, tunes[0], run.stdout)
    # Taking the new tunes away (and a replaced one's old value) leaves exactly the original events.
    rest = [e for e in after if not any(is_tune(e[2], f) for f in formats)]
    kept = [e for e in before if not ("xg" in formats and is_master_tune_any_value(e[2]))]
    assert [(t, k, str(m)) for t, k, m in rest] == [(t, k, str(m)) for t, k, m in kept], name
    # Writing again changes nothing.
    with open(copy, "rb") as file:
        once = file.read()
    subprocess.run([cli, "--hz", "442", "--format", format_name, "--into", copy], check=True, capture_output=True)
    with open(copy, "rb") as file:
        assert file.read() == once, name
    return run.stdout.strip()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    cli = os.path.abspath(parser.parse_args().cli)
    folder = tempfile.mkdtemp(prefix="sonorel-songs-")
    try:
        sources = {"one.abc": ABC_ONE_VOICE, "two.abc": ABC_TWO_VOICES, "gs.csv": CSV_GS_RESET, "xg.csv": CSV_XG}
        for source, text in sources.items():
            with open(os.path.join(folder, source), "w") as file:
                file.write(text)
        subprocess.run(["abc2midi", "one.abc", "-o", "one.mid"], cwd=folder, check=True, capture_output=True)
        subprocess.run(["abc2midi", "two.abc", "-o", "two.mid"], cwd=folder, check=True, capture_output=True)
        subprocess.run(["csvmidi", "gs.csv", "gs.mid"], cwd=folder, check=True)
        subprocess.run(["csvmidi", "xg.csv", "xg.mid"], cwd=folder, check=True)
        assert mido.MidiFile(os.path.join(folder, "two.mid")).type == 1
        # GS: 50 ms at 600,000 us per quarter note and 96 ticks are 8 ticks after the reset at tick 4.
        # XG (its tune at 60 replaced in place); GS and GM2 go 50 ms after the XG System On at 20, where
        # the tempo is 250,000: 96 ticks, at tick 116.
        cases = [("one.mid", f, 0) for f in ("gs", "xg", "gm2", "all")]
        cases += [("two.mid", f, 0) for f in ("gs", "all")]
        cases += [("gs.mid", f, 12) for f in ("gs", "xg", "gm2", "all")]
        cases += [("xg.mid", "xg", 60), ("xg.mid", "gs", 116), ("xg.mid", "all", None)]
        for name, format_name, tick in cases:
            print(check(cli, folder, name, format_name, tick))
    finally:
        shutil.rmtree(folder)
    print("real songs: all checked")


if __name__ == "__main__":
    sys.exit(main())
