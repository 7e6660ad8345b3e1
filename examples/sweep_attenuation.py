#!/usr/bin/python3
"""Sweeps the ORV2280's DAC channel 1 attenuation (ATDA1) through a range of
levels over SCPI, reads each back and prints it.

usage: sweep_attenuation.py [RESOURCE]

RESOURCE is the board's VISA resource, by default the environment variable
EVM_RESOURCE or else TCPIP::127.0.0.1::5025::SOCKET: start the server first
with "evmcontroller --listen 5025" (or "evm2280 serve"). Needs PyVISA and a
backend; Debian: apt install python3-pyvisa python3-pyvisa-py.
Exit status 0 when every level read back as set and the board reported no
error.
"""

import os
import sys

import pyvisa


def main():
    resource = sys.argv[1] if len(sys.argv) > 1 else os.environ.get("EVM_RESOURCE",
                                                                     "TCPIP::127.0.0.1::5025::SOCKET")
    rm = pyvisa.ResourceManager("@py")
    board = rm.open_resource(resource, read_termination="\n", write_termination="\n")
    board.timeout = 10000
    print(board.query("*IDN?"))
    board.write("*CLS")
    board.write("FIELD DAMS,0")  # 0.5 dB steps: 0 down to -63 dB

    ok = True
    for level in [0.0, -0.5, -3.0, -6.0, -10.5, -20.0, -40.0, -63.0]:
        board.write("FIELD ATDA1,%.1fdB" % level)
        code = int(board.query("FIELD? ATDA1"))
        text = board.query("FIELD:TEXT? ATDA1").strip('"')
        expected = 255 + round(level * 2)  # the register code of 0 dB is 255
        ok = ok and code == expected
        print("%6.1f dB  ->  code %3d  %s%s" % (level, code, text, "" if code == expected else "  MISMATCH"))

    error = board.query("SYSTem:ERRor?")
    if error != '0,"No error"':
        print("board error:", error)
        ok = False
    board.close()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
