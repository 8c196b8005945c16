#!/usr/bin/python3
"""Prints each frame python-can's can.LogReader reads from a candump log:
"s|x ID DATA", standard or extended, identifier and data in upper-case hex,
then " Tx" for a frame the log marks as transmitted."""
import sys

import can

for msg in can.LogReader(sys.argv[1]):
    kind = "x" if msg.is_extended_id else "s"
    line = "%s %X %s" % (kind, msg.arbitration_id, bytes(msg.data).hex().upper())
    print(line.strip() + ("" if msg.is_rx else " Tx"))
