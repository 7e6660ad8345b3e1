#!/usr/bin/python3
"""The board's SCPI server driven as a lab script drives it: PyVISA with its
pure-Python backend, resource TCPIP::127.0.0.1::PORT::SOCKET.

usage: scpi_client.py [--example FILE] -- COMMAND [ARG...]

COMMAND is a server of the simulated board told to listen on port 0 (for
example evmcontroller --listen 127.0.0.1:0 -platform offscreen). It starts in
a folder of its own whose EVM2280.ini selects IIC at the simulator's address
and whose simulator fails every write to register 0x5D; the port comes from
the "listening on ADDR:PORT" line it prints. With --example, the example
script FILE runs against it too, the resource as its argument. The server is
ended with SIGTERM at the end. Exit status 0 when every check passed.
"""

import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import pyvisa

SERVER = None  # the Server under test


class Server:
    def __init__(self, command):
        self.folder = tempfile.TemporaryDirectory()
        with open(os.path.join(self.folder.name, "EVM2280.ini"), "w") as ini:
            ini.write("[SerialInterface]\nType=0\nAddr=0x4C\n")
        config = os.path.join(self.folder.name, "hxbus-sim.ini")
        with open(config, "w") as f:
            f.write("fail_write = 0:0x5D:0x21\n")
        env = dict(os.environ, HXBUS_SIM_CONFIG=config)
        env.pop("HXBUS_SIM_STATE", None)
        if os.sep in command[0]:  # the server starts in another folder
            command = [os.path.abspath(command[0])] + command[1:]
        self.process = subprocess.Popen(command, cwd=self.folder.name, env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()  # the server says where once it listens
        match = re.fullmatch(r"listening on (127\.0\.0\.1):(\d+)\n", line)
        if not match:
            self.process.kill()
            raise RuntimeError("no 'listening on' line: %r %r" % (line, self.process.stderr.read()))
        self.resource = "TCPIP::%s::%s::SOCKET" % match.groups()
        self.manager = pyvisa.ResourceManager("@py")

    def open(self, timeout_ms=10000):
        r = self.manager.open_resource(self.resource, read_termination="\n", write_termination="\n")
        r.timeout = timeout_ms
        return r

    def stop(self):
        self.manager.close()
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=30)
        finally:
            self.folder.cleanup()


def script_block(text):
    """A script as IEEE 488.2 definite-length block data."""
    data = text.encode()
    return b"#%d%d" % (len(str(len(data))), len(data)) + data


class Commands(unittest.TestCase):
    def setUp(self):
        self.r = SERVER.open()

    def tearDown(self):
        self.r.close()

    def errors(self, r=None):
        """The error queue, oldest first, up to "No error"."""
        out = []
        while (e := (r or self.r).query("SYST:ERR?")) != '0,"No error"':
            out.append(e)
        return out

    def test_identity_and_link(self):
        self.assertRegex(self.r.query("*IDN?"), r"^EVM Controller,ORV2280 EVM,1,\d+\.\d+\.\d+/1\.1\.0\.0$")
        self.assertEqual(self.r.query("BOARD:INTerface?"), "IIC,76")

    def test_write_and_read_back(self):
        self.r.write("REG:VAL 0x41,0x35")
        self.assertEqual(self.r.query("REG:VAL? #H41"), "53")
        self.assertEqual(self.r.query(":register:value? 65"), "53")
        self.assertEqual(self.errors(), [])

    def test_field(self):
        self.r.write("FIELD ATDA1,-10.5dB")
        self.assertEqual(self.r.query("FIELD? ATDA1;:FIELD:TEXT? atda1;:REG:VAL? 0x48"),
                         '234;"ATDA1 = 0xEA (-10.5 dB)";234')
        self.assertEqual(len(self.errors()), 0)
        self.r.write("FIELD FMTDA,16")
        (error,) = self.errors()
        self.assertRegex(error, r'^-222,"Data out of range; .*FMTDA')

    def test_dump(self):
        self.r.write("REG:VAL 0x42,0x5A")
        values = self.r.query("REG:DUMP?").split(",")
        self.assertEqual(len(values), 31)
        self.assertEqual(values[0x42 - 0x40], "90")
        self.assertEqual(values[0x47 - 0x40], self.r.query("REG:VAL? 0x47"))

    def test_script_blocks(self):
        script = b"0x53, 0x11\r\nsleep, 20\r\n0x54, 0x22\r\n"
        self.r.write_binary_values("SCR:RUN ", list(script), datatype="B")
        self.assertEqual(self.r.query("REG:VAL? 0x53;VAL? 0x54"), "17;34")
        self.r.write_raw(b"SCRIPT:RUN " + script_block("0x53, 0x01\r\n0x54, 999\r\n0x53, 0x03\r\n") + b"\n")
        self.assertEqual(self.r.query("REG:VAL? 0x53"), "1")
        self.assertEqual(self.errors(), ['-200,"Execution error; line 2: Invalid register data!"'])

    def test_errors(self):
        self.r.write("BOGUS:CMD")
        self.r.write("REG:VAL? 300")
        self.r.write("REG:VAL 0x5D,1")
        self.assertEqual(self.r.query("*ESR?"), "48")  # command and execution errors
        self.assertEqual(self.errors(), ['-113,"Undefined header"', '-222,"Data out of range"',
                                         '-240,"Hardware error; WRERR0021"'])
        self.assertEqual(self.r.query("*OPC?"), "1")

    def test_reset(self):
        self.r.write("REG:VAL 0x41,5;*RST")
        self.assertEqual(self.r.query("REG:VAL? 0x41;*OPC?"), "0;1")

    def test_two_clients_at_once(self):
        other = SERVER.open()
        try:
            self.r.write("REG:VAL 0x55,1")
            self.assertEqual(self.r.query("*OPC?"), "1")
            # The other client's query arrives while this one's script
            # sleeps between its two writes: it runs before or after the
            # script, never in the middle.
            self.r.write_raw(b"SCR:RUN " + script_block("0x55, 2\r\nsleep, 300\r\n0x55, 3\r\n") + b";*OPC?\n")
            time.sleep(0.1)
            self.assertIn(other.query("REG:VAL? 0x55"), ("1", "3"))
            self.assertEqual(self.r.read(), "1")
            answers = {}
            threads = [threading.Thread(target=lambda r=r: answers.setdefault(r, r.query("*IDN?")))
                       for r in (self.r, other)]
            for t in threads:
                t.start()
            for t in threads:
                t.join()
            self.assertEqual(len(set(answers.values())), 1)
        finally:
            other.close()

    def test_client_that_vanishes_mid_block(self):
        before = self.r.query("REG:VAL? 0x43")
        gone = SERVER.open()
        gone.write_raw(b"SCR:RUN #3100" + b"0x43, 0x33\r\n")  # 12 of 100 bytes
        gone.close()
        time.sleep(0.1)
        self.assertEqual(self.r.query("REG:VAL? 0x43;*OPC?"), before + ";1")
        fresh = SERVER.open()
        self.assertEqual(fresh.query("*OPC?"), "1")
        fresh.close()

    def test_too_long_line(self):
        self.r.write_raw(b"REG:VAL? 1" + b" " * (1 << 20) + b"\n")
        self.assertEqual(self.r.query("*OPC?"), "1")  # the connection stays
        self.assertEqual(self.errors(), ['-223,"Too much data"'])


def main():
    global SERVER
    args = sys.argv[1:]
    if "--" not in args:
        sys.exit(__doc__)
    command = args[args.index("--") + 1:]
    options = args[:args.index("--")]
    example = options[options.index("--example") + 1] if "--example" in options else None

    SERVER = Server(command)
    ok = False
    try:
        result = unittest.TextTestRunner(verbosity=2).run(unittest.defaultTestLoader.loadTestsFromTestCase(Commands))
        ok = result.wasSuccessful()
        if example:
            run = subprocess.run([sys.executable, example, SERVER.resource], capture_output=True, text=True,
                                 timeout=60)
            sys.stdout.write(run.stdout)
            sys.stderr.write(run.stderr)
            ok = ok and run.returncode == 0
            print("example %s: exit status %d" % (os.path.basename(example), run.returncode))
    finally:
        SERVER.stop()
    ended = SERVER.process.returncode
    # A terminating signal ends the server as a close does: normally, or
    # with the status a shell expects of SIGTERM.
    if ended not in (0, 128 + signal.SIGTERM):
        print("the server ended with status %d: %s" % (ended, SERVER.process.stderr.read()))
        ok = False
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
