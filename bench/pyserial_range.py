#!/usr/bin/python3
"""A range insertion as a plain pyserial loop, for comparison with lettore.

One CreaBadge frame per code, the answer read until its check character
(or a lone ACK or NAK), at most 5 s.
    pyserial_range.py DEVICE BAUD TERM FIRST LAST
Prints "accettati N" and exits 0 when every answer was accepted.
"""
import sys
import time

import serial

STX, ETX, ACK, NAK = 0x02, 0x03, 0x06, 0x15


def bcc(data):
    x = 0
    for b in data:
        x ^= b
    return x


def crea_badge(term, number):
    frame = bytes([STX, 0x30 + (term >> 4), 0x30 + (term & 0x0F)]) + b"41" + b"%010d" % number + bytes([ETX])
    return frame + bytes([bcc(frame)])


def answer_accepted(port):
    answer = bytearray()
    have_etx = False
    deadline = time.monotonic() + 5.0
    while time.monotonic() < deadline:
        chunk = port.read(1)
        if not chunk:
            continue
        c = chunk[0]
        if not answer and c in (ACK, NAK):
            return c == ACK
        if not answer and c != STX:
            continue
        if have_etx:
            return bcc(answer) == c
        answer.append(c)
        have_etx = c == ETX
    return False


def main():
    if len(sys.argv) != 6:
        sys.exit("usage: pyserial_range.py DEVICE BAUD TERM FIRST LAST")
    device, baud, term, first, last = sys.argv[1], *map(int, sys.argv[2:])
    port = serial.Serial(device, baud, timeout=5.0)
    port.reset_input_buffer()
    accepted = 0
    for n in range(first, last + 1):
        port.write(crea_badge(term, n))
        accepted += answer_accepted(port)
    port.close()
    print("accettati %d" % accepted)
    sys.exit(0 if accepted == last - first + 1 else 1)


main()
