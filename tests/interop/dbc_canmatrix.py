#!/usr/bin/python3
"""votkbox's DBC decoding against canmatrix's.

Writes random databases with canmatrix (both byte orders, signed and unsigned
signals of 1 to 64 bits, factors and offsets, floats, value tables, simple
multiplexing) as .dbc files, checks that the SG_ lines say what was meant (the
file is the contract), decodes random frames with canmatrix (reading the file
back) and with `votkbox-cli decode`, and compares: integers exactly, floats to
1e-9 relative. Then values encoded by votkbox (dbc_encode) must decode with
canmatrix to within one raw step.

usage: dbc_canmatrix.py VOTKBOX_CLI DBC_ENCODE WORKDIR
"""
import csv
import math
import os
import random
import re
import subprocess
import sys

import canmatrix
import canmatrix.formats

FRAMES = 10000
DATABASES = 5
MESSAGES = 12


def canmatrix_version():
    out = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", "python3-canmatrix"],
                         capture_output=True, text=True)
    return out.stdout or getattr(canmatrix, "__version__", "unknown")


def bits_of(order, start, size):
    """The (byte, bit) pairs a signal covers, as the DBC numbers them."""
    if order == "intel":
        return [((start + i) // 8, (start + i) % 8) for i in range(size)]
    msb = (start // 8) * 8 + 7 - start % 8  # big-endian stream position
    return [((msb + i) // 8, 7 - (msb + i) % 8) for i in range(size)]


def random_signal(rng, name, taken, dlc, float_ok=True, big=False):
    for _ in range(400):
        is_float = float_ok and rng.random() < (0.3 if big else 0.05)
        size = rng.choice([32, 64]) if is_float else rng.choice(
            [31, 32, 33, 40, 48, 56, 63, 64] if big else
            [1, 2, 3, 7, 8, 9, 12, 16, 17, 24, rng.randint(1, 32)])
        order = rng.choice(["intel", "motorola"])
        start = rng.randrange(dlc * 8)
        cover = bits_of(order, start, size)
        if any(b >= dlc for b, _ in cover) or any(c in taken for c in cover):
            continue
        taken.update(cover)
        return dict(name=name, start=start, size=size, order=order, is_float=is_float,
                    signed=is_float or rng.random() < 0.5,
                    factor=1.0 if rng.random() < 0.4 else rng.choice(
                        [0.5, 0.1, 0.25, 2.0, 0.001, 3.0, 1e-6, 0.05]),
                    offset=0.0 if rng.random() < 0.5 else rng.choice([-40.0, 100.0, -0.5, 1.5]))
    return None


def make_database(rng, path):
    db = canmatrix.CanMatrix()
    meant = {}
    for m in range(MESSAGES):
        dlc = 8
        frame_id = rng.randrange(0x800)
        while frame_id in meant:
            frame_id = rng.randrange(0x800)
        frame = canmatrix.Frame("Msg%d" % m, arbitration_id=canmatrix.ArbitrationId(frame_id),
                                size=dlc)
        taken = set()
        plans = []
        muxed = rng.random() < 0.3
        if muxed:
            mux = dict(name="Mux%d" % m, start=0, size=2, order="intel", is_float=False,
                       signed=False, factor=1.0, offset=0.0, multiplexer=True)
            taken.update(bits_of("intel", 0, 2))
            plans.append(mux)
        for s in range(rng.randint(1, 6)):
            plan = random_signal(rng, "S%d_%d" % (m, s), taken, dlc, big=s == 0 and not muxed)
            if plan:
                plans.append(plan)
        if muxed:
            # Branches share the bits after the multiplexer.
            branch_taken = set(taken)
            for value in range(3):
                plan = random_signal(rng, "B%d_%d" % (m, value), set(branch_taken), dlc, False)
                if plan:
                    plan["mux_val"] = value
                    plans.append(plan)
        for plan in plans:
            little = plan["order"] == "intel"
            signal = canmatrix.Signal(plan["name"], size=plan["size"], is_little_endian=little,
                                      is_signed=plan["signed"], factor=plan["factor"],
                                      offset=plan["offset"], is_float=plan["is_float"],
                                      unit="u" if rng.random() < 0.5 else "",
                                      multiplex="Multiplexor" if plan.get("multiplexer")
                                      else plan.get("mux_val"))
            # The DBC's own numbering; canmatrix keeps another inside.
            signal.set_startbit(plan["start"], bitNumbering=1, startLittle=little)
            if not plan["is_float"] and plan["size"] <= 16 and rng.random() < 0.4:
                for raw in rng.sample(range(-3 if plan["signed"] else 0, 8), 3):
                    signal.add_values(raw, "V%d" % raw)
            frame.add_signal(signal)
        db.add_frame(frame)
        meant[frame_id] = plans
    canmatrix.formats.dumpp({"": db}, path)
    return meant


def check_written(path, meant):
    """The SG_ lines must carry the start bits, lengths and orders meant."""
    text = open(path, encoding="utf-8", errors="replace").read()
    found = {}
    for name, start, size, order, sign in re.findall(
            r"SG_ (\w+)\s*(?:M|m\d+)?\s*:\s*(\d+)\|(\d+)@([01])([+-])", text):
        found[name] = (int(start), int(size), "intel" if order == "1" else "motorola", sign == "-")
    for plans in meant.values():
        for s in plans:
            want = (s["start"], s["size"], s["order"], s["signed"])
            if found.get(s["name"]) != want:
                sys.exit("canmatrix wrote %s as %s, meant %s" % (s["name"], found.get(s["name"]),
                                                                  want))


def close(a, b, scale):
    if math.isnan(a) or math.isnan(b):
        return math.isnan(a) and math.isnan(b)
    if math.isinf(a) or math.isinf(b):
        return a == b
    return abs(a - b) <= 1e-9 * max(abs(a), abs(b), scale)


def compare_decode(cli, path, log, rng, plans_by_id):
    ids = sorted(plans_by_id)
    frames = []
    with open(log, "w") as f:
        for i in range(FRAMES // DATABASES):
            frame_id = rng.choice(ids)
            data = bytes(rng.randrange(256) for _ in range(8))
            if rng.random() < 0.2:  # the extremes of every field
                data = bytes([rng.choice([0, 255, 0x80, 0x7F]) for _ in range(8)])
            frames.append((frame_id, data))
            f.write("(%d.%06d) can0 %03X#%s\n" % (1000 + i // 1000000, i % 1000000, frame_id,
                                                  data.hex().upper()))
    out = subprocess.run([cli, "decode", "--dbc", path, log], capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit("votkbox-cli decode failed: %s" % out.stderr)
    rows = {}
    for row in csv.DictReader(out.stdout.splitlines()):
        rows.setdefault(row["time"], {})[row["signal"]] = row
    loaded = canmatrix.formats.loadp_flat(path)
    checked = 0
    for i, (frame_id, data) in enumerate(frames):
        time = "%d.%06d" % (1000 + i // 1000000, i % 1000000)
        frame = loaded.frame_by_id(canmatrix.ArbitrationId(frame_id))
        theirs = frame.decode(bytearray(data))
        ours = rows.get(time, {})
        if set(theirs) != set(ours):
            sys.exit("frame %03X#%s: canmatrix decodes %s, votkbox %s" % (
                frame_id, data.hex(), sorted(theirs), sorted(ours)))
        for name, decoded in theirs.items():
            signal = decoded.signal
            want = float(decoded.phys_value)
            got = float(ours[name]["value"])
            scale = abs(float(decoded.raw_value) * float(signal.factor)) + abs(float(signal.offset))
            exact = not signal.is_float and signal.factor == 1 and signal.offset == 0
            if (exact and not (want == got or (abs(want) > 2**53 and close(want, got, scale)))) \
                    or not close(want, got, scale):
                sys.exit("frame %03X#%s signal %s: canmatrix %r, votkbox %r" % (
                    frame_id, data.hex(), name, want, got))
            label = "" if signal.is_float else signal.values.get(int(decoded.raw_value), "")
            if label != ours[name]["label"]:
                sys.exit("frame %03X#%s signal %s: label %r, votkbox %r" % (
                    frame_id, data.hex(), name, label, ours[name]["label"]))
            checked += 1
    return checked


def compare_encode(encoder, path, rng, plans_by_id):
    loaded = canmatrix.formats.loadp_flat(path)
    asks = []
    for frame_id, plans in plans_by_id.items():
        for s in plans:
            if "mux_val" in s or s.get("multiplexer"):
                continue
            if s["is_float"]:
                # Within the [min|max] written, where votkbox clamps.
                signal = loaded.frame_by_id(canmatrix.ArbitrationId(frame_id)).signal_by_name(
                    s["name"])
                value = rng.uniform(max(-1e6, float(signal.min)), min(1e6, float(signal.max)))
            else:
                low = -(2 ** (s["size"] - 1)) if s["signed"] else 0
                high = 2 ** (s["size"] - 1) - 1 if s["signed"] else 2 ** s["size"] - 1
                raw = rng.uniform(low, high)
                value = raw * s["factor"] + s["offset"]
            asks.append((frame_id, s, value))
    text = "".join("%d %s %r\n" % (frame_id, s["name"], value) for frame_id, s, value in asks)
    out = subprocess.run([encoder, path], input=text, capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit("dbc_encode failed: %s" % out.stderr)
    for (frame_id, s, value), line in zip(asks, out.stdout.splitlines()):
        data, clamped = line.split()
        frame = loaded.frame_by_id(canmatrix.ArbitrationId(frame_id))
        got = float(frame.decode(bytearray.fromhex(data))[s["name"]].phys_value)
        step = abs(s["factor"])
        if s["is_float"]:
            # The float's own precision: 24 or 53 bits of the scaled value.
            ulp = 2.0 ** -23 if s["size"] == 32 else 2.0 ** -52
            ok = abs(got - value) <= ulp * (abs(value) + abs(s["offset"]))
        else:
            ok = abs(got - value) <= step * (1 + 1e-9) + 1e-9 * abs(value)
        if not ok or clamped != "0":
            sys.exit("%s = %r encoded by votkbox as %s (clamped %s), canmatrix reads %r" % (
                s["name"], value, data, clamped, got))
    return len(asks)


def main():
    if os.environ.get("VOTKBOX_INTEROP") != "1":
        print("skipped: run by the interop CI stage (VOTKBOX_INTEROP=1)")
        return
    cli, encoder, workdir = sys.argv[1:4]
    print("canmatrix %s" % canmatrix_version())
    rng = random.Random(int(os.environ.get("VOTKBOX_INTEROP_SEED", "20261208")))
    decoded = encoded = 0
    for n in range(DATABASES):
        path = os.path.join(workdir, "random%d.dbc" % n)
        meant = make_database(rng, path)
        check_written(path, meant)
        decoded += compare_decode(cli, path, os.path.join(workdir, "random%d.log" % n), rng,
                                  meant)
        encoded += compare_encode(encoder, path, rng, meant)
    print("%d frames, %d signal values decoded alike, %d encoded values read back" % (
        FRAMES, decoded, encoded))


if __name__ == "__main__":
    main()
