#!/usr/bin/python3
"""Times a sweep of master-tune messages: sonorel-cli against the same work done in Python with mido.

For N pitches from 415 Hz upwards in steps of 0.0051 Hz, both sides build the GS, XG and GM2 messages,
the text line of every result (pitch, cents, hertz, hex) and one .syx file per format. The script checks
that both produce the same bytes and lines, then reports the best of several runs and the ratio.

    python3 bench/cli_vs_mido.py [--cli build/native/cli/sonorel-cli] [--count 10000] [--runs 5]

Needs Debian's python3-mido (/usr/bin/python3 has it). The CLI time is the whole process, start-up
included; the mido time is the sweep alone, without starting Python or importing mido.
"""

import argparse
import math
import os
import subprocess
import sys
import tempfile
import time
from decimal import ROUND_HALF_UP, Decimal

try:
    import mido
except ImportError:
    sys.exit("cli_vs_mido: the mido package is missing (apt-get install python3-mido, run with /usr/bin/python3)")

FROM_HZ = 415.0
STEP_HZ = 0.0051
# name, file tag, cents minimum, maximum, decimals
FORMATS = [("GS", "gs", -100.0, 100.0, 1), ("XG", "xg", -102.4, 102.3, 1), ("GM2", "gm2", -100.0, 99.99, 2)]


def format_fixed(value, decimals):
    """The program's number text: the exact value to 17 significant digits, then to `decimals`, halves up."""
    if value == 0:
        return "0." + "0" * decimals
    exact = Decimal(abs(value))
    digits17 = exact.quantize(Decimal(1).scaleb(exact.adjusted() - 16), rounding=ROUND_HALF_UP)
    text = format(digits17.quantize(Decimal(1).scaleb(-decimals), rounding=ROUND_HALF_UP), "f")
    return ("-" if value < 0 else "") + text


def cents_from_hertz(hertz):
    return math.log(hertz * 0.0022727272727272726) * 1200.0 / math.log(2.0)


def hertz_from_cents(cents):
    return math.pow(2.0, cents * 0.0008333333333333334) * 440.0


def sysex_data(index, cents):
    """The message between F0 and F7."""
    if index == 2:
        g = 8192 + int(cents * 81.92)
        return [0x7F, 0x7F, 0x04, 0x03, g & 0x7F, g >> 7]
    e = int(cents * 10.0) + 0x400
    nibbles = [(e >> 12) & 0x0F, (e >> 8) & 0x0F, (e >> 4) & 0x0F, e & 0x0F]
    if index == 1:
        return [0x43, 0x10, 0x4C, 0x00, 0x00, 0x00] + nibbles
    body = [0x40, 0x00, 0x00] + nibbles
    return [0x41, 0x10, 0x42, 0x12] + body + [128 - sum(body) % 128]


def mido_sweep(count, folder):
    """Builds every message with mido, the text lines, and writes one .syx file per format."""
    lines = []
    messages = [[], [], []]
    for i in range(count):
        hertz = FROM_HZ + i * STEP_HZ
        requested = cents_from_hertz(hertz)
        pitch = format_fixed(hertz, 6)
        for index, (name, _, low, high, decimals) in enumerate(FORMATS):
            cents = float(format_fixed(min(max(requested, low), high), decimals))
            message = mido.Message("sysex", data=sysex_data(index, cents))
            messages[index].append(message)
            lines.append("%s Hz  %-4s%8s cents  %10s Hz  %s\n" % (
                pitch, name, format_fixed(cents, decimals), format_fixed(hertz_from_cents(cents), 6),
                message.hex()))
    for index, (_, tag, _, _, _) in enumerate(FORMATS):
        mido.write_syx_file(os.path.join(folder, "mido-%s.syx" % tag), messages[index])
    with open(os.devnull, "w") as sink:
        sink.write("".join(lines))
    return lines


def cli_command(cli, count, folder):
    last = FROM_HZ + (count - 1) * STEP_HZ
    return [cli, "--sweep-hz", repr(FROM_HZ), repr(last), repr(STEP_HZ), "--format", "all",
            "--syx", os.path.join(folder, "cli.syx")]


def best_of(runs, action):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(root, "build", "native", "cli", "sonorel-cli"))
    parser.add_argument("--count", type=int, default=10000)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder:
        command = cli_command(args.cli, args.count, folder)
        ours = subprocess.run(command, check=True, capture_output=True, text=True).stdout
        theirs = mido_sweep(args.count, folder)
        if ours != "".join(theirs):
            mismatch = next(i for i, (a, b) in enumerate(zip(ours.splitlines(True), theirs)) if a != b)
            sys.exit("cli_vs_mido: line %d differs:\n  cli:  %s  mido: %s" % (
                mismatch + 1, ours.splitlines(True)[mismatch], theirs[mismatch]))
        for _, tag, _, _, _ in FORMATS:
            with open(os.path.join(folder, "cli-%s.syx" % tag), "rb") as a, \
                    open(os.path.join(folder, "mido-%s.syx" % tag), "rb") as b:
                if a.read() != b.read():
                    sys.exit("cli_vs_mido: the %s .syx files differ" % tag)
        print("equal: %d lines and 3 .syx files (%d messages)" % (len(theirs), len(theirs)))

        with open(os.devnull, "w") as sink:
            cli_time = best_of(args.runs, lambda: subprocess.run(command, check=True, stdout=sink, stderr=sink))
        mido_time = best_of(args.runs, lambda: mido_sweep(args.count, folder))

    print("sonorel-cli --sweep-hz: %8.1f ms  (whole process)" % (cli_time * 1000))
    print("python mido:            %8.1f ms  (sweep only)" % (mido_time * 1000))
    print("ratio mido / cli:       %8.1f" % (mido_time / cli_time))


if __name__ == "__main__":
    main()
