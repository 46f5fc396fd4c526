#!/usr/bin/python3
"""A camera's FTP server on a loopback address, with faults on request.

Built on pyftpdlib (Debian's python3-pyftpdlib).  Each control connection runs
on its own thread, so a fault that holds back one session's replies leaves
the others alone.  Every command line received is appended to the command log
as "<session> <line>", in order, so that tests can check the exact wire.

Faults (the ``faults`` dict, or ``--fault NAME=VALUE`` on the command line):

  login_530=1        answer PASS with 530 whatever the password
  no_greeting=1      accept the connection and never send the 220 greeting
  drop_after=K       close the data connection after K bytes (RETR and STOR),
                     answering 426
  stor_553=1|SUFFIX  answer STOR with 553 (only for paths ending in SUFFIX)
  disk_full=K        accept K bytes of a STOR, then close the data connection
                     and answer 452
  rnto_refused=1     answer RNTO with 553
  dele_refused=1     answer DELE with 550 and keep the file
  slow_data=N        move data at N bytes per second in both directions
  late_reply=S       hold back every reply (greeting included) by S seconds
  late_final=S       hold back the final reply of a transfer (226) by S seconds
  late_greeting=S    hold back the 220 greeting by S seconds more, as a server
                     that looks its client up before it greets does
  close_after_transfer=1
                     after each transfer's 226, say 421 and close the control
                     connection, as a server that ends idle sessions does

Firmware: given a ``firmware`` callback, a STOR (or APPE) to "flash" or
"flash_all" in the login directory is an image for the camera's flash, not a
file (without one, and standalone, they are ordinary files).  Its bytes are
counted, never written to the root, and when the transfer ends the callback
is called on the session's thread as firmware(name, size, complete): name is
"flash" or "flash_all", size the bytes received, complete whether the transfer
ended normally (a fault or an abort makes it False).  It returns None, and the
final reply goes out as usual, or (seconds, done): the 226 is held back for
that long (the camera is writing its flash) and done() is called once it has
been sent.  The hold only stops this session; other sessions and servers go on.

Standalone: prints {"ready": true, "port": N} once listening and serves until
standard input reaches end of file.
"""

import argparse
import ipaddress
import itertools
import json
import logging
import os
import socket
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.ioloop import IOLoop, RetryError
from pyftpdlib.servers import ThreadedFTPServer

FAULT_NAMES = ("login_530", "no_greeting", "drop_after", "stor_553", "disk_full",
               "rnto_refused", "dele_refused", "slow_data", "late_reply", "late_final",
               "late_greeting", "close_after_transfer")
FIRMWARE_PATHS = {"/flash": "flash", "/flash_all": "flash_all"}


def _number(value):
    if isinstance(value, bool):
        return int(value)
    if isinstance(value, (int, float)):
        return value
    text = str(value).strip()
    try:
        return int(text)
    except ValueError:
        return float(text)


def _check_loopback(host, allowed_nets=()):
    try:
        addr = ipaddress.ip_address(host)
    except ValueError:
        raise ValueError("not an IP address: %r" % host)
    if addr.version != 4 or not (addr.is_loopback or any(addr in n for n in allowed_nets)):
        raise ValueError("only 127.0.0.0/8 addresses are served: %s" % host)


class CommandLog:
    """Every command line of every session, in arrival order."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.entries = []
        if path:
            open(path, "a", encoding="utf-8").close()

    def add(self, session, line):
        with self.lock:
            self.entries.append((session, line))
            if self.path:
                with open(self.path, "a", encoding="utf-8") as f:
                    f.write("%d %s\n" % (session, line))

    def lines(self, session=None):
        with self.lock:
            return [l for s, l in self.entries if session is None or s == session]


class FirmwareSink:
    """Stands in for the file object of a firmware upload: takes the bytes,
    keeps only their count."""

    def __init__(self, label, path):
        self.label = label
        self.name = path
        self.size = 0
        self.closed = False

    def write(self, data):
        self.size += len(data)
        return len(data)

    def close(self):
        self.closed = True


def _make_handlers(server):
    """Handler classes bound to one server, so that two servers in one process
    keep their own faults."""
    faults = server.faults
    stopping = server._stopping
    sessions = itertools.count(1)

    def hold(seconds):
        if seconds and seconds > 0:
            stopping.wait(seconds)

    class CameraFS(AbstractedFS):
        def open(self, filename, mode):
            label = FIRMWARE_PATHS.get(self.fs2ftp(filename))
            if label and server.firmware is not None and any(c in mode for c in "wa+"):
                return FirmwareSink(label, filename)
            return super().open(filename, mode)

    class CameraDTP(ThrottledDTPHandler):
        read_limit = int(faults.get("slow_data", 0) or 0)
        write_limit = int(faults.get("slow_data", 0) or 0)

        def __init__(self, sock, cmd_channel):
            self._dropping = False
            self._stored = 0
            self._full = False
            super().__init__(sock, cmd_channel)

        def _cut(self, reply):
            self._resp = (reply, logging.debug)
            self.close()

        def _receive_limit(self):
            if "drop_after" in faults:
                return int(faults["drop_after"]), "426 Data connection lost; transfer aborted."
            return None, None

        # A full disk keeps the first bytes, takes the rest of the upload without storing
        # it and answers 452 once the client has sent everything: closing the data
        # connection early would let the client see a reset before the reply, or not,
        # by chance.
        def _read_into_full_disk(self):
            try:
                chunk = self.recv(self.ac_in_buffer_size)
            except RetryError:
                return
            except socket.error:
                return self.handle_error()
            self.tot_bytes_received += len(chunk)
            if not chunk:
                return
            room = int(faults["disk_full"]) - self._stored
            if room > 0:
                part = chunk[:room]
                if self._data_wrapper is not None:
                    part = self._data_wrapper(part)
                self.file_obj.write(part)
                self._stored += min(room, len(chunk))
            if len(chunk) > max(room, 0):
                self._full = True

        def handle_close(self):
            if self._full and not self._closed:
                self.transfer_finished = False
                self._resp = ("452 Insufficient storage space.", logging.debug)
                return self.close()
            return super().handle_close()

        def handle_read(self):
            if "disk_full" in faults and self.receive:
                return self._read_into_full_disk()
            limit, reply = self._receive_limit()
            if limit is None or not self.receive:
                return super().handle_read()
            left = limit - self.tot_bytes_received
            if left <= 0:
                return self._cut(reply)
            saved = self.ac_in_buffer_size
            self.ac_in_buffer_size = max(1, min(saved, left))
            try:
                super().handle_read()
            finally:
                self.ac_in_buffer_size = saved
            if not self._closed and self.tot_bytes_received >= limit:
                self._cut(reply)

        handle_read_event = handle_read

        def close(self):
            sink = self.file_obj
            if not self._closed and isinstance(sink, FirmwareSink) and not sink.closed:
                sink.close()
                complete = bool(self.transfer_finished and self._resp
                                and self._resp[0].startswith("226"))
                # Decided before the data connection closes, so whatever the
                # camera makes of the image is on record before the client can
                # see the end of the transfer.
                try:
                    outcome = server.firmware(sink.label, sink.size, complete)
                    self.cmd_channel._flash = outcome if complete else None
                finally:
                    super().close()
                return
            super().close()

        def send(self, data):
            if "drop_after" not in faults or self.receive:
                return super().send(data)
            left = int(faults["drop_after"]) - self.tot_bytes_sent
            if left <= 0:
                if not self._dropping:
                    self._dropping = True
                    self.ioloop.call_later(
                        0, lambda: self._cut("426 Data connection lost; transfer aborted."))
                return 0
            return super().send(data[:left])

    class CameraHandler(FTPHandler):
        dtp_handler = CameraDTP
        banner = "camera FTP server ready."
        auth_failed_timeout = 0
        use_sendfile = False
        permit_foreign_addresses = False
        abstracted_fs = CameraFS

        def __init__(self, *args, **kwargs):
            self.session = next(sessions)
            self._flash = None
            super().__init__(*args, **kwargs)

        def handle(self):
            if faults.get("no_greeting"):
                self.on_connect()
                return
            hold(_number(faults.get("late_greeting", 0)))
            super().handle()

        def respond(self, resp, logfun=logging.debug):
            hold(_number(faults.get("late_reply", 0)))
            flash = None
            if resp.startswith("226"):
                hold(_number(faults.get("late_final", 0)))
                flash, self._flash = self._flash, None
                if flash:
                    hold(flash[0])
            super().respond(resp, logfun)
            if flash:
                flash[1]()
            if resp.startswith("226") and faults.get("close_after_transfer"):
                super().respond("421 Closing the session.", logfun)
                self.close_when_done()

        def pre_process_command(self, line, cmd, arg):
            server.log.add(self.session, line)
            return super().pre_process_command(line, cmd, arg)

        def ftp_PASS(self, line):
            if faults.get("login_530"):
                self.respond("530 Authentication failed.")
                return
            return super().ftp_PASS(line)

        def ftp_STOR(self, file, mode="w"):
            refuse = faults.get("stor_553")
            if refuse and (refuse in (1, True, "1") or file.endswith(str(refuse))):
                self.respond("553 Could not create file.")
                return
            return super().ftp_STOR(file, mode)

        def ftp_DELE(self, path):
            if faults.get("dele_refused"):
                self.respond("550 Delete refused.")
                return
            return super().ftp_DELE(path)

        def ftp_RNTO(self, path):
            if faults.get("rnto_refused"):
                self._rnfr = None
                self.respond("553 Rename refused.")
                return
            return super().ftp_RNTO(path)

    return CameraHandler


class CameraFtp:
    """One camera's FTP server.  ``start()`` serves in a background thread;
    ``port`` is the bound port (0 asks for a free one)."""

    def __init__(self, host, port, user, password, root_dir, faults=None, log_path=None,
                 firmware=None, allowed_nets=()):
        _check_loopback(host, allowed_nets)
        unknown = set(faults or {}) - set(FAULT_NAMES)
        if unknown:
            raise ValueError("unknown FTP faults: %s" % ", ".join(sorted(unknown)))
        self.host = host
        self.port = int(port)
        self.user = user
        self.password = password
        self.root_dir = root_dir
        self.faults = dict(faults or {})
        self.firmware = firmware
        self.log = CommandLog(log_path)
        self._stopping = threading.Event()
        self._server = None
        self._thread = None

    def commands(self, session=None):
        return self.log.lines(session)

    def start(self):
        os.makedirs(self.root_dir, exist_ok=True)
        authorizer = DummyAuthorizer()
        authorizer.add_user(self.user, self.password, self.root_dir, perm="elradfmwMT")
        handler = _make_handlers(self)
        handler.authorizer = authorizer
        self._stopping.clear()
        # Every server polls its own loop: pyftpdlib's shared default loop, driven from
        # several threads at once, closes sockets under another server's feet.
        self._server = ThreadedFTPServer((self.host, self.port), handler, ioloop=IOLoop())
        self.port = self._server.socket.getsockname()[1]
        self._thread = threading.Thread(target=self._serve, name="ftp-%d" % self.port,
                                        daemon=True)
        self._thread.start()
        return self

    def _serve(self):
        server = self._server
        while not self._stopping.is_set():
            server.serve_forever(timeout=0.05, blocking=False, handle_exit=False)
        server.close_all()

    def stop(self):
        if self._thread is None:
            return
        self._stopping.set()
        self._thread.join(10)
        self._thread = None
        self._server = None


def _parse_fault(text):
    name, sep, value = text.partition("=")
    if not sep:
        value = "1"
    try:
        value = _number(value)
    except ValueError:
        pass
    return name.strip(), value


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--host", default="127.0.0.1")
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", required=True)
    ap.add_argument("--password", required=True)
    ap.add_argument("--log", default=None, help="command log file")
    ap.add_argument("--fault", action="append", default=[], metavar="NAME=VALUE")
    args = ap.parse_args(argv)
    logging.basicConfig(level=logging.ERROR)
    faults = dict(_parse_fault(f) for f in args.fault)
    try:
        ftp = CameraFtp(args.host, args.port, args.user, args.password, args.root,
                        faults=faults, log_path=args.log).start()
    except (ValueError, OSError) as exc:
        print(json.dumps({"ready": False, "error": str(exc)}), flush=True)
        return 2
    print(json.dumps({"ready": True, "port": ftp.port}), flush=True)
    try:
        while sys.stdin.read(65536):
            pass
    except KeyboardInterrupt:
        pass
    ftp.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
