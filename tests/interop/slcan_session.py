#!/usr/bin/python3
"""python-can's own slcan interface against `votkbox-cli slcan`.

Run by tst_slcan_interop, which plays the box: prints "SENT" once the 100
frames are written, then expects the box's 1000 frames. With "again" as a
second argument, a later client only asks for the version and the serial.
Exits non-zero with the reason on stderr when the bridge does not behave.
"""
import sys
import time

import can

STREAM_IDS = [0x0C9, 0x1A0, 0x2F1, 0x3E9, 0x7DF, 0x7E8]


def fail(text):
    print("slcan_session: " + text, file=sys.stderr)
    sys.exit(1)


def frame_to_send(i):
    return (i * 37) % 0x800, bytes((i + k) & 0xFF for k in range(i % 9))


def stream_number(data):
    # The simulated stream: byte k is (n >> 8 * (k % 4)) + k, modulo 256.
    return sum(((data[k] - k) & 0xFF) << (8 * k) for k in range(4))


def read_answer(port, timeout=5.0):
    """The next answer (CR or BEL terminated) on the raw port."""
    answer = b""
    deadline = time.time() + timeout
    while time.time() < deadline:
        byte = port.read(1)
        if byte:
            answer += byte
            if byte in (b"\r", b"\a"):
                return answer
    fail("no answer within %.0f s, got %r" % (timeout, answer))


def main():
    channel = sys.argv[1]
    print("python-can", can.__version__, flush=True)
    bus = can.Bus(interface="slcan", channel=channel, bitrate=500000, sleep_after_open=0)
    port = bus.serialPortOrig
    if sys.argv[2:] == ["again"]:
        print("VERSION", bus.get_version(5), "SERIAL", bus.get_serial_number(5), flush=True)
        bus.shutdown()
        return

    for i in range(100):
        arbitration_id, data = frame_to_send(i)
        bus.send(can.Message(arbitration_id=arbitration_id, data=data, is_extended_id=False))
    print("SENT", flush=True)

    numbers = []
    while len(numbers) < 1000:
        if len(numbers) == 500:
            # A command the bridge asks the box about while frames flow: its
            # reply must not show up as a frame.
            port.write(b"V\r")
        msg = bus.recv(timeout=10)
        if msg is None:
            fail("%d frames received, then none for 10 s" % len(numbers))
        if msg.is_extended_id or msg.is_remote_frame or msg.dlc != 8:
            fail("not a frame of the box's stream: %s" % msg)
        number = stream_number(msg.data)
        if msg.arbitration_id != STREAM_IDS[number % len(STREAM_IDS)]:
            fail("frame %d has identifier %X" % (number, msg.arbitration_id))
        numbers.append(number)
    if numbers != list(range(numbers[0], numbers[0] + 1000)):
        fail("frames lost, repeated or out of order: %s" % numbers)
    extra = bus.recv(timeout=0.5)
    if extra is not None:
        fail("a frame after the stream: %s" % extra)
    print("RECEIVED", len(numbers), flush=True)

    # Refused: 29-bit, remote and malformed frames; nothing reaches the box.
    for command in (b"T123456781AA\r", b"r1230\r", b"t12\r"):
        port.write(command)
        answer = read_answer(port)
        if answer != b"\a":
            fail("%r answered %r instead of BEL" % (command, answer))
    port.write(b"F\r")
    answer = read_answer(port)
    if answer != b"F00\r":
        fail("F answered %r" % answer)
    print("REFUSED", flush=True)
    bus.shutdown()


if __name__ == "__main__":
    main()
