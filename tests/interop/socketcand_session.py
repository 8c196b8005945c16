#!/usr/bin/python3
"""python-can's own socketcand interface against `votkbox-cli socketcand`.

Run by tst_socketcand_interop, which plays the box, with the server's
address: two clients connect; the first sends 100 frames and prints "SENT",
then both must get the box's 1000 frames; a bad command, an echo and frames
the box cannot carry get their answers and the session goes on. Exits
non-zero with the reason on stderr when the server does not behave.
"""
import logging
import socket
import sys
import time

import can

STREAM_IDS = [0x0C9, 0x1A0, 0x2F1, 0x3E9, 0x7DF, 0x7E8]


def fail(text):
    print("socketcand_session: " + text, file=sys.stderr)
    sys.exit(1)


def frame_to_send(i):
    return (i * 37) % 0x800, bytes((i + k) & 0xFF for k in range(i % 9))


def stream_number(data):
    # The simulated stream: byte k is (n >> 8 * (k % 4)) + k, modulo 256.
    return sum(((data[k] - k) & 0xFF) << (8 * k) for k in range(4))


def receive_stream(bus, count, during=None):
    numbers = []
    while len(numbers) < count:
        if during and len(numbers) == count // 2:
            during()
        msg = bus.recv(timeout=10)
        if msg is None:
            fail("%d frames received, then none for 10 s" % len(numbers))
        # python-can's reader marks every frame extended: not checked.
        if msg.is_remote_frame or msg.dlc != 8:
            fail("not a frame of the box's stream: %s" % msg)
        number = stream_number(msg.data)
        if msg.arbitration_id != STREAM_IDS[number % len(STREAM_IDS)]:
            fail("frame %d has identifier %X" % (number, msg.arbitration_id))
        numbers.append(number)
    if numbers != list(range(numbers[0], numbers[0] + count)):
        fail("frames lost, repeated or out of order: %s" % numbers)
    extra = bus.recv(timeout=0.5)
    if extra is not None:
        fail("a frame after the stream: %s" % extra)


def raw_answer(sock, timeout=5.0):
    """What the server writes next, read until a '>' ends it."""
    sock.settimeout(timeout)
    answer = b""
    deadline = time.time() + timeout
    while not answer.endswith(b">") and time.time() < deadline:
        answer += sock.recv(256)
    sock.settimeout(None)
    return answer


def main():
    # python-can warns of every read that ends inside a message.
    logging.getLogger("can.interfaces.socketcand").setLevel(logging.ERROR)
    host, port = sys.argv[1].rsplit(":", 1)
    print("python-can", can.__version__, flush=True)
    bus = can.Bus(interface="socketcand", channel="can0", host=host, port=int(port))
    other = can.Bus(interface="socketcand", channel="can0", host=host, port=int(port))
    sock = bus._SocketCanDaemonBus__socket

    # A client that leaves in the middle of a frame: nothing of it is sent,
    # and the others go on.
    leaving = socket.create_connection((host, int(port)))
    leaving.sendall(b"< open can0 >< rawmode >< send 7DF 3 2 1")
    time.sleep(0.3)
    leaving.close()

    for i in range(100):
        arbitration_id, data = frame_to_send(i)
        bus.send(can.Message(arbitration_id=arbitration_id, data=data, is_extended_id=False))
    print("SENT", flush=True)

    # An answer while frames flow: it must not show up as a frame.
    receive_stream(bus, 1000, during=lambda: sock.sendall(b"< echo >"))
    receive_stream(other, 1000)
    print("RECEIVED 1000 TWICE", flush=True)

    # Refused: a bad command, frames the box cannot carry; then on as before.
    for command in (b"< frob >", b"< send 800 1 11 >", b"< send 123 9 1 2 3 4 5 6 7 8 9 >",
                    b"< sendrtr 123 0 >"):
        sock.sendall(command)
        answer = raw_answer(sock)
        if not answer.startswith(b" < error ") or not answer.endswith(b" >"):
            fail("%r answered %r instead of an error" % (command, answer))
    sock.sendall(b"< echo >")
    answer = raw_answer(sock)
    if answer != b" < echo >":
        fail("echo answered %r" % answer)
    print("REFUSED", flush=True)
    bus.shutdown()
    other.shutdown()


if __name__ == "__main__":
    main()
