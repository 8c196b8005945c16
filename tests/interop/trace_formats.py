#!/usr/bin/python3
"""The trace formats against python-can's writers and readers and can-utils.

python-can writes one known sequence (both directions, 0 to 8 bytes,
identifiers up to 7FF, some of them extended, gaps down to a microsecond) as
ASC, TRC, BLF, CSV and candump log; `votkbox-cli convert` must read each frame
for frame: identifier (an extended one as such), data, direction (python-can's CSV keeps none) and the time since the first
frame to the microsecond. Then votkbox-cli writes each format from that
sequence and python-can's readers must read the same frames back; and
can-utils' asc2log and log2asc must agree with the ASC writer and reader.

usage: trace_formats.py VOTKBOX_CLI WORKDIR
"""
import os
import re
import subprocess
import sys

import can

T0 = 1733580000.123456
# Added to an identifier: the frame is an extended one of that number.
EXTENDED = 1 << 29


def sequence():
    """(time offset in microseconds, identifier, data, received) of each frame."""
    frames = []
    us = 0
    for i in range(60):
        us += [1, 7, 250, 1000, 999999, 13][i % 6]
        can_id = 0x7FF if i % 11 == 0 else (i * 0x35B) % 0x800
        if i % 13 == 4:
            can_id |= EXTENDED
        data = bytes((i * 37 + k * 11) & 0xFF for k in range(i % 9))
        frames.append((us, can_id, data, i % 3 != 1))
    return frames


def python_writes(path):
    writer = can.Logger(path)
    for us, can_id, data, rx in sequence():
        writer.on_message_received(can.Message(
            timestamp=T0 + us / 1e6, arbitration_id=can_id & ~EXTENDED,
            is_extended_id=bool(can_id & EXTENDED),
            data=data, is_rx=rx, channel=0))
    writer.stop()


def relative(frames):
    """Times made relative to the first frame."""
    first = frames[0][0] if frames else 0
    return [(us - first, can_id, data, rx) for us, can_id, data, rx in frames]


def log_frames(path):
    """The frames of a candump log, times in microseconds."""
    line = re.compile(r"^\((\d+)\.(\d{6})\) \S+ ([0-9A-F]{3}|[0-9A-F]{8})#([0-9A-F]*)( [TR])?$")
    frames = []
    with open(path) as f:
        for text in f:
            m = line.match(text.strip())
            if not m:
                raise AssertionError("%s: not a log line: %r" % (path, text))
            extended = EXTENDED if len(m.group(3)) == 8 else 0
            frames.append((int(m.group(1)) * 1000000 + int(m.group(2)),
                           int(m.group(3), 16) | extended,
                           bytes.fromhex(m.group(4)), m.group(5) != " T"))
    return frames


def python_reads(path):
    frames = []
    for msg in can.LogReader(path):
        extended = EXTENDED if msg.is_extended_id else 0
        frames.append((round(msg.timestamp * 1e6), msg.arbitration_id | extended, bytes(msg.data),
                       msg.is_rx))
    return frames


def compare(what, got, want, directions=True):
    got, want = relative(got), relative(want)
    if len(got) != len(want):
        raise AssertionError("%s: %d frames, not %d" % (what, len(got), len(want)))
    for n, (g, w) in enumerate(zip(got, want)):
        same = (g[1], g[2]) == (w[1], w[2]) and (not directions or g[3] == w[3])
        # Times go through floats in python-can: a microsecond either way.
        if not same or abs(g[0] - w[0]) > 1:
            raise AssertionError("%s: frame %d is %r, not %r" % (what, n, g, w))


def cli(votkbox, *args):
    run = subprocess.run([votkbox, *args], capture_output=True, text=True)
    if run.returncode != 0:
        raise AssertionError("votkbox-cli %s: exit %d: %s" % (" ".join(args), run.returncode,
                                                              run.stderr))
    return run.stderr


def tool(*args):
    subprocess.run(args, check=True, capture_output=True)


def main():
    if os.environ.get("VOTKBOX_INTEROP") != "1":
        print("skipped: run by the interop CI stage (VOTKBOX_INTEROP=1)")
        return 0
    votkbox, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    print("python-can", can.__version__)
    want = [(us, can_id, data, rx) for us, can_id, data, rx in sequence()]
    path = lambda name: os.path.join(work, name)

    # python-can writes, votkbox reads.
    for ext in ["asc", "trc", "blf", "csv", "log"]:
        written = path("python." + ext)
        python_writes(written)
        told = cli(votkbox, "convert", written, path("read-%s.log" % ext))
        if not told.endswith(": %d\n" % len(want)):
            raise AssertionError("convert %s said %r" % (ext, told))
        compare("votkbox reading python-can's " + ext, log_frames(path("read-%s.log" % ext)),
                want, directions=ext != "csv")

    # votkbox writes, python-can reads.
    source = path("read-log.log")
    for ext, fmt in [("asc", "asc"), ("trc", "trc"), ("blf", "blf"), ("csv", "pycsv"),
                     ("log", "log")]:
        written = path("votkbox." + ext)
        cli(votkbox, "convert", source, written, "--to", fmt)
        compare("python-can reading votkbox's " + ext, python_reads(written), want,
                directions=ext != "csv")

    # can-utils: asc2log reads the ASC written, log2asc writes an ASC read.
    tool("asc2log", "-I", path("votkbox.asc"), "-O", path("asc2log.log"))
    compare("asc2log reading votkbox's asc", log_frames(path("asc2log.log")), want)
    tool("log2asc", "-I", source, "-O", path("log2asc.asc"), "can0")
    cli(votkbox, "convert", path("log2asc.asc"), path("read-log2asc.log"))
    compare("votkbox reading log2asc's asc", log_frames(path("read-log2asc.log")), want)
    print("all formats agree")
    return 0


if __name__ == "__main__":
    sys.exit(main())
