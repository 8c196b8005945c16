#!/usr/bin/python3
"""Writes a candump log with python-can's own writer: a standard frame, an
extended one above FFFF, a transmitted empty frame, an extended one within
FFFF and a remote frame, on can0."""
import sys

import can
from can.io.canutils import CanutilsLogWriter

t0 = 1733580000.123456
writer = CanutilsLogWriter(sys.argv[1], channel="can0")
for dt, can_id, ext, data, rx, remote in [
    (0.0, 0x7DF, False, [0x02, 0x01, 0x0C], True, False),
    (0.1, 0x18DAF110, True, [0x01, 0x02], True, False),
    (0.176544, 0x123, False, [], False, False),
    (0.5, 0x1234, True, [0x0A], True, False),
    (0.6, 0x7E8, False, [], True, True),
]:
    writer.on_message_received(
        can.Message(timestamp=t0 + dt, arbitration_id=can_id, is_extended_id=ext,
                    data=data, is_rx=rx, is_remote_frame=remote))
writer.stop()
