#!/usr/bin/python3
"""Simulated ZORA cameras on loopback addresses (or, inside a network
namespace of a test's own, on the networks ZORA_ALLOWED_NETS names).

Every camera owns a UDP socket on its own 127.0.0.x address (so the tool sees
the camera's address as the sender of its replies) and, for the
file-configured family, an FTP server on the same address.  One wildcard
socket on the camera port takes the broadcasts.  Tests drive the simulator
through JSON lines on stdin/stdout; see README.md.
"""

import argparse
import collections
import copy
import hashlib
import heapq
import ipaddress
import json
import logging
import os
import re
import selectors
import shutil
import signal
import socket
import struct
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import camfiles  # noqa: E402
import wire  # noqa: E402

try:
    from ftpserver import CameraFtp
except ImportError:
    CameraFtp = None

IP_PKTINFO = getattr(socket, "IP_PKTINFO", 8)   # Linux value; the constant is missing from some builds
REPO_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DEFAULT_SEED = os.path.join(REPO_ROOT, "tests", "data", "camfiles")
LOG_LIMIT = 5000
PROTOCOL_FAMILY = (1, 4)

# What the camera reports about itself; everything else in an entry is
# behaviour of the simulator.
SETTING_KEYS = (
    "model", "model_name", "mac", "version", "network_type", "host_name", "domain_name",
    "ip", "mask", "gateway", "dns", "address_block", "dhcp_capable", "pppoe", "guest",
    "tags", "raw_tail", "flags", "admin_id", "admin_password", "audio",
)
BEHAVIOUR_DEFAULTS = {
    "reply": "success",
    "answer_on_send": 1,
    "reply_type_flag80": False,
    "silent": False,
    "reply_delay": 0.0,
    "command_reply_delay": 0.0,
    "restart_delay": 3.0,
    "after_restart": None,
    "honour_model_filter": True,
    "strict": True,
    "ftp": None,
    "ftp_port": None,
    "ftp_faults": None,
    "defaults": None,
    "apply_validate": True,
    "apply_answer": None,
    "flash_seconds": 5.0,
    "flash_version": None,
    "unicast_only": False,
}
SETTING_DEFAULTS = {
    "model": 0,
    "model_name": "L80",
    "version": 2,
    "network_type": wire.NET_STATIC,
    "host_name": "camera",
    "domain_name": None,
    "mask": "255.0.0.0",
    "gateway": "127.0.0.1",
    "dns": None,
    "address_block": True,
    "dhcp_capable": True,
    "pppoe": None,
    "guest": None,
    "tags": None,
    "raw_tail": None,
    "flags": None,
    "admin_id": "root",
    "admin_password": "pass",
    "audio": None,
}
NETWORK_KEYS = ("network_type", "ip", "mask", "gateway", "dns", "address_block", "pppoe")
APPLY_ACTIONS = (wire.ACTION_APPLY, wire.ACTION_UPLOAD_RESTART)

# The only image size the camera writes to its flash; anything else is dropped.
FIRMWARE_SIZE = 3145752
GENERAL_CONF = "etc/general.conf"
VERSION_LINE = re.compile(rb'^([ \t]*software_version[ \t]*=[ \t]*"?)([^"\r\n]*?)("?[ \t]*\r?)$',
                          re.M | re.I)

# Which camera files a page reset puts back (scope → paths under the FTP root).
RESET_FILES = {
    2: ["etc/ddns.conf"],
    3: ["etc/thttpd.conf", "etc/html/title.js"],
    4: ["etc/udp_server.conf", "etc/tcp_server.conf", "etc/rc.server"],
    5: ["etc/event/dio_input.conf", "etc/event/periodic_timer.conf", "etc/event/hw_motion.conf"],
    6: ["etc/middle.conf"],
    7: ["etc/control.conf"],
    8: ["etc/general.conf"],
    9: ["etc/rc.iptables"],
    10: ["etc/audio.conf"],
}


def demo_fleet():
    def cam(i, **kw):
        entry = {"id": "cam%d" % i, "mac": "00:0A:1B:2C:3D:%02X" % i, "host_name": "cam%d" % i}
        entry.update(kw)
        return entry
    return [
        cam(1, model=0, model_name="L80", version=2, domain_name="example.lan", dns="127.0.0.53",
            guest=True, tags={"1": 0, "2": 1, "3": 5, "4": 1}),
        cam(2, model=2, model_name="T80K", version=1, network_type=wire.NET_DHCP),
        cam(3, model=3, model_name="RX80K", version=2, network_type=wire.NET_PPPOE,
            domain_name="", dns="127.0.0.53",
            pppoe={"user": "u", "password": "pw", "service": "", "mtu": 1492, "dns_mode": 1,
                   "dns": "127.0.0.53"},
            tags={"2": 0}),
        cam(4, model=5, model_name="L80K", version=2, guest=False, audio=False,
            tags={"3": 10, "4": 0}),
        cam(5, model=6, model_name="T80", version=1, domain_name="cams.local", dns="127.0.0.53"),
        cam(6, model=1, model_name="L60", version=2, domain_name="example.lan", dns="127.0.0.53",
            guest=True, pppoe={"user": "isp", "password": "secret", "service": "svc",
                               "mtu": 1492, "dns_mode": 0, "dns": "0.0.0.0"},
            tags={"1": 7, "2": 1, "3": 20, "4": 2}),
        cam(7, model=4, model_name="T50K", version=2, guest=False, tags={"3": 100, "4": 3}),
        cam(8, model=1, model_name="L60", version=1, network_type=0x81, dhcp_capable=False),
        cam(9, model=0, model_name="L80", version=2, host_name="", tags={"2": 0},
            raw_tail="0902abcd"),
        cam(10, model=2, model_name="T80K", version=2, domain_name="", guest=True,
            reply_delay=0.3, tags={"2": 1, "3": 1, "4": 0}),
    ]


def now():
    return time.monotonic()


def next_version(current):
    """The version a flash derives when none is configured: the last number
    one up, its width kept ("2.0.14" -> "2.0.15", "1.09" -> "1.10")."""
    m = re.search(r"([0-9]+)([^0-9]*)$", current or "")
    if m is None:
        return current + ".1" if current else "1"
    digits = m.group(1)
    return current[:m.start(1)] + str(int(digits) + 1).zfill(len(digits)) + m.group(2)


def check_flash_keys(behaviour):
    seconds = behaviour.get("flash_seconds", 0)
    if isinstance(seconds, bool) or not isinstance(seconds, (int, float)) or seconds < 0:
        raise ValueError("flash_seconds must be a number, 0 or more")
    version = behaviour.get("flash_version")
    if version is not None:
        if not isinstance(version, str) or not version.strip() or any(c in version for c in '"\r\n'):
            raise ValueError("flash_version must be null or a one-line string without quotes")
        version.encode("latin-1")


class Shutdown(Exception):
    pass


class Camera:
    def __init__(self, sim, entry, ip):
        self.sim = sim
        self.id = entry["id"]
        self.settings = {k: copy.deepcopy(v) for k, v in SETTING_DEFAULTS.items()}
        self.behaviour = dict(BEHAVIOUR_DEFAULTS)
        for key, value in entry.items():
            if key == "id":
                continue
            if key in SETTING_KEYS:
                self.settings[key] = copy.deepcopy(value)
            elif key in BEHAVIOUR_DEFAULTS:
                self.behaviour[key] = copy.deepcopy(value)
            else:
                raise ValueError("camera %s: unknown fleet key %r" % (self.id, key))
        if "mac" not in entry:
            raise ValueError("camera %s has no mac" % self.id)
        check_flash_keys(self.behaviour)
        if not isinstance(self.behaviour["unicast_only"], bool):
            raise ValueError("camera %s: unicast_only must be true or false" % self.id)
        self.settings["ip"] = ip
        check_address(ip)
        wire.discovery_reply(self.settings)        # refuse an entry that cannot be encoded
        self.initial = copy.deepcopy(self.settings)
        self.sock = None
        self.bound_ip = None
        self.restarting_until = None
        self.restart_gen = 0
        self.restarts = 0
        self.requests = {"broadcast": 0, "unicast": 0}     # every datagram that reached it
        self.log = []
        self.received = []
        self.resets = []
        self.applies = []
        self.last_apply = None
        self.flashes = []
        self.flashing = False
        self.last_command_key = None
        self.copies = 0
        self.ftp = None
        self.ftp_port_bound = None
        self.state_dir = os.path.join(sim.state_dir, self.id)
        self.root = os.path.join(self.state_dir, "root")
        os.makedirs(self.state_dir, exist_ok=True)
        self.log_file = open(os.path.join(self.state_dir, "camsim.log"), "a", encoding="utf-8")
        self.snapshot = None        # files at the last apply; None until the root is laid out

    # --- identity --------------------------------------------------------
    @property
    def mac(self):
        return self.settings["mac"]

    @property
    def model(self):
        return int(self.settings["model"])

    def file_configured(self):
        if self.behaviour.get("ftp") is not None:
            return bool(self.behaviour["ftp"])
        return self.model not in PROTOCOL_FAMILY

    def up(self):
        return self.restarting_until is None

    # --- sockets ---------------------------------------------------------
    def bind(self):
        ip = self.settings["ip"]
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind((ip, self.sim.camera_port))
        s.setblocking(False)
        self.sock = s
        self.bound_ip = ip
        self.sim.sel.register(s, selectors.EVENT_READ, ("camera", self))

    def unbind(self):
        if self.sock is not None:
            self.sim.sel.unregister(self.sock)
            self.sock.close()
            self.sock = None

    def send(self, data, addr):
        sock = self.sock
        if sock is None:
            return
        try:
            sock.sendto(data, addr)
        except OSError as exc:
            self.note("send to %s:%d failed: %s" % (addr[0], addr[1], exc))

    # --- FTP -------------------------------------------------------------
    def seeded_names(self):
        """Paths of the seed tree this camera gets, relative to the seed."""
        seed = self.sim.seed_dir
        if not seed or not os.path.isdir(seed):
            return []
        names = sorted(os.path.relpath(os.path.join(b, n), seed).replace(os.sep, "/")
                       for b, _d, ns in os.walk(seed) for n in ns)
        return camfiles.seeded_files_for(self.model, names)

    def ensure_root(self):
        """Lay out the FTP root the first time something needs it (the FTP
        server, get, an apply, a reset, a flash), so a large fleet without
        FTP starts without writing a tree per camera."""
        if self.snapshot is None:
            self.seed_root()
            self.snapshot = self.scan_files()

    def seed_root(self):
        if os.path.isdir(self.root):
            return
        tree = self.sim.seed_tree()
        if tree is None:
            os.makedirs(os.path.join(self.root, "etc"), exist_ok=True)
            return
        folders, files = tree
        for folder in folders:
            os.makedirs(os.path.join(self.root, folder), exist_ok=True)
        for rel in camfiles.seeded_files_for(self.model, sorted(files)):
            data, mode, mtime = files[rel]
            path = os.path.join(self.root, rel)
            with open(path, "wb") as f:
                f.write(data)
            os.chmod(path, mode)
            os.utime(path, ns=(mtime, mtime))

    def start_ftp(self):
        if self.sim.no_ftp or CameraFtp is None or not self.file_configured():
            return
        port = self.ftp_port_bound
        if port is None:
            port = self.behaviour.get("ftp_port")
            if port is None:
                port = self.sim.default_ftp_port
        self.ensure_root()
        self.ftp = CameraFtp(self.settings["ip"], int(port), self.settings["admin_id"],
                             self.settings["admin_password"], self.root,
                             faults=dict(self.behaviour.get("ftp_faults") or {}),
                             log_path=os.path.join(self.state_dir, "ftp.log"),
                             firmware=self.firmware_upload, allowed_nets=ALLOWED_NETS)
        self.ftp.start()
        self.ftp_port_bound = self.ftp.port

    def stop_ftp(self):
        if self.ftp is not None:
            try:
                self.ftp.stop()
            finally:
                self.ftp = None

    def restart_ftp(self):
        if self.ftp is not None or self.ftp_port_bound is not None:
            self.stop_ftp()
            self.start_ftp()

    def scan_files(self):
        files = {}
        for base, _dirs, names in os.walk(self.root):
            for name in names:
                path = os.path.join(base, name)
                rel = os.path.relpath(path, self.root).replace(os.sep, "/")
                try:
                    with open(path, "rb") as f:
                        data = f.read()
                except OSError:
                    continue
                files[rel] = (len(data), hashlib.sha1(data).hexdigest())
        return files

    # --- firmware --------------------------------------------------------
    def firmware_upload(self, name, size, complete):
        """Called on the FTP session's thread when an image for "flash" or
        "flash_all" has come in.  The camera's state is only touched on the
        main loop; this decides the size and hands the rest over."""
        entry = {"name": name, "size": size, "complete": complete,
                 "accepted": bool(complete and size == FIRMWARE_SIZE), "version": None,
                 "time": round(time.time(), 3)}
        self.sim.post(lambda: self.begin_flash(entry))
        if not entry["accepted"]:
            return None
        seconds = float(self.behaviour.get("flash_seconds") or 0)
        return seconds, lambda: self.sim.post(lambda: self.end_flash(entry))

    def begin_flash(self, entry):
        if entry["accepted"]:
            entry["version"] = self.behaviour.get("flash_version") or \
                next_version(self.software_version())
            self.flashing = True
            self.note("writing %s image (%d bytes), version %s"
                      % (entry["name"], entry["size"], entry["version"]))
        else:
            self.note("%s image of %d bytes dropped (%s)" % (
                entry["name"], entry["size"], "wrong size" if entry["complete"] else "cut off"))
        self.flashes.append(entry)

    def end_flash(self, entry):
        """The 226 is out: restart into the new image.  After flash_all the
        factory files and settings are back, but the camera keeps its address
        so the tool finds it where it left it."""
        self.flashing = False
        old_cred = (self.settings["admin_id"], self.settings["admin_password"])
        if entry["name"] == "flash_all":
            self.restore_defaults(keep_ip=True)
            self.reset_files(0)
        self.write_software_version(entry["version"])
        self.begin_restart()
        if (self.settings["admin_id"], self.settings["admin_password"]) != old_cred:
            self.restart_ftp()

    def software_version(self):
        self.ensure_root()
        try:
            with open(os.path.join(self.root, GENERAL_CONF), "rb") as f:
                m = VERSION_LINE.search(f.read())
        except OSError:
            return None
        return m.group(2).decode("latin-1").strip() if m else None

    def write_software_version(self, version):
        """Change the value of software_version= and nothing else of the file."""
        self.ensure_root()
        path = os.path.join(self.root, GENERAL_CONF)
        try:
            with open(path, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            data = None
        old = data or b""
        value = version.encode("latin-1")
        m = VERSION_LINE.search(old)
        if m:
            new = old[:m.start(2)] + value + old[m.end(2):]
        else:
            new = old + (b"\n" if old and not old.endswith(b"\n") else b"") + \
                b"software_version=" + value + b"\n"
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(new)
        # The camera wrote this itself, so the next apply does not report it;
        # an upload of the file still waiting for its apply stays reported.
        before = self.snapshot.get(GENERAL_CONF)
        if (before is None and data is None) or \
                (before is not None and before[1] == hashlib.sha1(old).hexdigest()):
            self.snapshot[GENERAL_CONF] = (len(new), hashlib.sha1(new).hexdigest())

    def restore_defaults(self, keep_ip=False):
        """Settings as a factory reset leaves them."""
        s = self.settings
        defaults = self.behaviour.get("defaults") or self.initial
        ip = s["ip"]
        for key in SETTING_KEYS:
            if key in defaults and key != "mac":
                s[key] = copy.deepcopy(defaults[key])
        if s["ip"] != ip and (keep_ip or not usable_address(s["ip"])):
            s["ip"] = ip

    # --- logging ---------------------------------------------------------
    def record(self, entry):
        entry["time"] = round(time.time(), 3)
        self.log.append(entry)
        if len(self.log) > LOG_LIMIT:
            del self.log[:len(self.log) - LOG_LIMIT]
        self.log_file.write(json.dumps(entry) + "\n")
        self.log_file.flush()

    def note(self, text):
        self.record({"event": text})

    # --- restart ---------------------------------------------------------
    def begin_restart(self, delay=None):
        if delay is None:
            delay = float(self.behaviour.get("restart_delay", 3.0))
        self.restart_gen += 1
        gen = self.restart_gen
        self.restarting_until = now() + delay
        self.restarts += 1
        self.unbind()
        self.note("restarting for %.3f s" % delay)
        self.sim.schedule(delay, lambda: self.end_restart(gen))

    def end_restart(self, gen):
        if gen != self.restart_gen:
            return
        old_ip = self.bound_ip
        old_cred = (self.settings["admin_id"], self.settings["admin_password"])
        after = self.behaviour.get("after_restart")
        if after:
            self.behaviour["after_restart"] = None
            try:
                self.apply_fields(after, rebind=False)
            except ValueError as exc:
                self.note("after_restart refused: %s" % exc)
        self.restarting_until = None
        try:
            self.bind()
        except OSError as exc:
            self.note("cannot bind %s: %s; back on %s" % (self.settings["ip"], exc, old_ip))
            self.settings["ip"] = old_ip
            self.bind()
        if self.settings["ip"] != old_ip or (self.settings["admin_id"],
                                             self.settings["admin_password"]) != old_cred:
            self.restart_ftp()
        self.note("back at %s" % self.settings["ip"])

    # --- run-time changes ------------------------------------------------
    def apply_fields(self, fields, rebind=True):
        """Change settings or behaviour; used by the control interface and by
        after_restart.  A new address is checked before anything changes."""
        if "ip" in fields:
            check_address(fields["ip"])
        for key in fields:
            if key not in SETTING_KEYS and key not in BEHAVIOUR_DEFAULTS:
                raise ValueError("unknown field %r" % key)
        if "reply" in fields and fields["reply"] not in wire.REPLY_NAMES:
            raise ValueError("reply must be one of %s" % ", ".join(wire.REPLY_NAMES))
        if fields.get("apply_answer") is not None and fields["apply_answer"] not in wire.REPLY_NAMES:
            raise ValueError("apply_answer must be null or one of %s" % ", ".join(wire.REPLY_NAMES))
        if "audio" in fields and fields["audio"] not in (None, True, False):
            raise ValueError("audio must be null, true or false")
        if "unicast_only" in fields and not isinstance(fields["unicast_only"], bool):
            raise ValueError("unicast_only must be true or false")
        check_flash_keys(dict(self.behaviour, **{k: v for k, v in fields.items()
                                                 if k in BEHAVIOUR_DEFAULTS}))
        trial = dict(self.settings)
        trial.update({k: v for k, v in fields.items() if k in SETTING_KEYS})
        wire.discovery_reply(trial)
        old_ip = self.settings["ip"]
        old_cred = (self.settings["admin_id"], self.settings["admin_password"])
        old_faults = self.behaviour.get("ftp_faults")
        for key, value in fields.items():
            if key in SETTING_KEYS:
                self.settings[key] = copy.deepcopy(value)
            else:
                self.behaviour[key] = copy.deepcopy(value)
        if not rebind:
            return
        moved = self.up() and self.settings["ip"] != old_ip
        if moved:
            self.unbind()
            self.bind()
        # The FTP server keeps serving while the camera restarts, and end_restart
        # only notices credentials changed by after_restart, so new credentials
        # or faults reach it now; a new address waits for the end of the restart.
        if (moved or old_faults != self.behaviour.get("ftp_faults")
                or (self.settings["admin_id"], self.settings["admin_password"]) != old_cred):
            self.restart_ftp()

    def state(self):
        self.ensure_root()          # the caller may write into it next
        return {
            "id": self.id,
            "status": "up" if self.up() else "restarting",
            "restarting_for": None if self.up() else round(max(0.0, self.restarting_until - now()), 3),
            "bound_ip": self.bound_ip if self.sock is not None else None,
            "ftp_port": self.ftp_port_bound if self.ftp is not None else None,
            "settings": copy.deepcopy(self.settings),
            "behaviour": copy.deepcopy(self.behaviour),
            "discovery_reply": wire.discovery_reply(self.settings).hex(),
            "restarts": self.restarts,
            "requests": dict(self.requests),
            "received": copy.deepcopy(self.received),
            "resets": copy.deepcopy(self.resets),
            "applies": copy.deepcopy(self.applies),
            "last_apply": copy.deepcopy(self.last_apply),
            "flashes": copy.deepcopy(self.flashes),
            "flashing": self.flashing,
            "root": self.root,
        }

    # --- datagrams -------------------------------------------------------
    def handle(self, data, sender, via):
        """via: "unicast" (sent to this camera's address, on its own socket or,
        while it restarts, on the wildcard one) or "broadcast"."""
        self.requests[via] += 1
        entry = {"sender": "%s:%d" % sender, "via": via, "hex": data.hex()}
        if via == "broadcast" and self.behaviour.get("unicast_only"):
            # Behind a router: a broadcast never gets there, whatever it asks.
            entry["verdict"] = "unicast only: broadcast ignored"
            self.record(entry)
            return
        if self.behaviour.get("silent"):
            entry["verdict"] = "silent camera: ignored"
            self.record(entry)
            return
        if not self.up():
            entry["verdict"] = "restarting: ignored"
            self.record(entry)
            return
        if len(data) < 9 or data[:4] != wire.REQUEST_MAGIC:
            entry["verdict"] = "malformed: dropped (too short or magic is not ADCT)"
            self.record(entry)
            return
        length = struct.unpack_from("<H", data, 5)[0]
        if length != len(data):
            entry["verdict"] = "malformed: length field %d but %d bytes arrived" % (length, len(data))
            self.record(entry)
            return
        if data[4] != 2 and self.behaviour.get("strict", True):
            entry["verdict"] = "malformed: version byte %d, expected 2" % data[4]
            self.record(entry)
            return
        code = data[7] & 0x7F
        remote = bool(data[7] & wire.REMOTE_FLAG)
        if code == wire.CMD_DISCOVERY:
            self.handle_discovery(data, sender, via, remote, entry)
        elif code in (wire.CMD_NETWORK, wire.CMD_ACCOUNT, wire.CMD_TAGGED):
            self.handle_command(data, sender, remote, entry)
        else:
            entry["verdict"] = "unknown command code %d: dropped" % code
            self.record(entry)

    def handle_discovery(self, data, sender, via, remote, entry):
        notes = []
        if len(data) != 9:
            notes.append("discovery request of %d bytes, expected 9" % len(data))
        if remote and via == "broadcast":
            notes.append("0x83 (one host) arrived as a broadcast")
        if not remote and via == "unicast":
            notes.append("code 3 (broadcast) arrived as a unicast")
        wanted = data[8]
        entry["decoded"] = {"code": "discovery", "remote": remote, "model_filter": wanted}
        if notes:
            entry["notes"] = notes
        if wanted != 0xFF and wanted != self.model and self.behaviour.get("honour_model_filter", True):
            entry["verdict"] = "model filter %d does not match model %d: silent" % (wanted, self.model)
            self.record(entry)
            return
        reply = wire.discovery_reply(self.settings)
        delay = float(self.behaviour.get("reply_delay") or 0)
        entry["verdict"] = "discovery reply (%d bytes)%s" % (
            len(reply), " after %.3f s" % delay if delay > 0 else "")
        entry["reply"] = reply.hex()
        self.record(entry)
        if delay > 0:
            gen = self.restart_gen
            self.sim.schedule(delay, lambda: self.up() and gen == self.restart_gen
                              and self.send(wire.discovery_reply(self.settings), sender))
        else:
            self.send(reply, sender)

    def handle_command(self, data, sender, remote, entry):
        if len(data) < wire.PREFIX_LEN:
            entry["verdict"] = "malformed: command shorter than 46 bytes"
            self.record(entry)
            return
        if data[9:15] != wire.mac_bytes(self.mac):
            entry["verdict"] = "for another camera (%s): ignored" % wire.mac_text(data[9:15])
            self.record(entry)
            return
        decoded, notes = decode_prefix(data)
        decoded["remote"] = remote
        entry["decoded"] = decoded
        if data[8] not in (0, self.model):
            notes.append("model byte %d is neither 0 nor this camera's code %d" % (data[8], self.model))

        key = identity_key(data, decoded)
        if key == self.last_command_key:
            self.copies += 1
        else:
            self.last_command_key = key
            self.copies = 1
        needed = max(1, int(self.behaviour.get("answer_on_send", 1) or 1))
        decoded["copy"] = self.copies
        if self.copies < needed:
            entry["verdict"] = "copy %d of %d: ignored" % (self.copies, needed)
            entry["notes"] = notes
            self.record(entry)
            return

        configured = self.behaviour.get("reply", "success")
        if self.behaviour.get("apply_answer") is not None and is_apply_command(data):
            configured = self.behaviour["apply_answer"]
        if configured not in wire.REPLY_NAMES:
            configured = "unknown"
        if configured == "none":
            entry["verdict"] = "reply is 'none': no answer, nothing applied"
            entry["notes"] = notes
            self.record(entry)
            return

        if decoded["admin_id"] != self.settings["admin_id"] or \
                decoded["password"] != self.settings["admin_password"]:
            entry["notes"] = notes
            self.answer(wire.REPLY_AUTH, sender, entry,
                        "wrong administrator ID or password (got %r/%r)"
                        % (decoded["admin_id"], decoded["password"]))
            return

        try:
            change = parse_body(data, self)
        except Mismatch as exc:
            entry["notes"] = notes
            self.answer(wire.REPLY_MISMATCH, sender, entry, "mismatch: %s" % exc)
            return
        decoded["body"] = change.describe()
        notes.extend(change.notes)
        entry["notes"] = notes

        if configured != "success":
            self.answer(wire.REPLY_NAMES[configured], sender, entry,
                        "configured to answer %r; nothing applied" % configured)
            return
        if change.action in APPLY_ACTIONS:
            change.review = self.review_uploads(change.action)
            refused = change.review[0]["refused"]
            if refused:
                # The baseline stays where it was, so every resend reads the same
                # files and is refused again until they are fixed or reset.
                self.record_apply(change.review[0])
                self.answer(wire.REPLY_MISMATCH, sender, entry, "apply refused: %s" % "; ".join(
                    "%s%s: %s" % (r["name"], "" if r["line"] is None else " line %d" % r["line"],
                                  r["reason"]) for r in refused))
                return
        self.answer(wire.REPLY_SUCCESS, sender, entry, "applied: %s" % change.summary,
                    after=lambda: self.commit(change))

    def answer(self, reply_type, sender, entry, verdict, after=None):
        t = reply_type | (0x80 if self.behaviour.get("reply_type_flag80") else 0)
        reply = wire.command_reply(int(self.settings.get("version", 2)), t, self.model, self.mac)
        entry["verdict"] = verdict
        entry["reply"] = reply.hex()
        self.record(entry)
        delay = float(self.behaviour.get("command_reply_delay") or 0)

        def go():
            self.send(reply, sender)
            if after is not None:
                after()
        if delay > 0:
            self.sim.schedule(delay, go)
        else:
            go()

    def commit(self, change):
        old_cred = (self.settings["admin_id"], self.settings["admin_password"])
        change.apply(self)
        self.received.append({"time": round(time.time(), 3), "command": change.summary,
                              "fields": change.describe()})
        cred_changed = (self.settings["admin_id"], self.settings["admin_password"]) != old_cred
        self.begin_restart()
        if cred_changed:
            self.restart_ftp()

    def review_uploads(self, action):
        """What an apply would take: the files changed since the last accepted
        apply, and the reasons the camera refuses any of them.  Returns the
        apply record and the scan it was made from."""
        self.ensure_root()
        current = self.scan_files()
        changed = []
        for rel, (size, digest) in sorted(current.items()):
            before = self.snapshot.get(rel)
            if before is None or before[1] != digest:
                item = {"name": rel, "size": size, "new": before is None}
                if size <= 4096:
                    try:
                        with open(os.path.join(self.root, rel), "rb") as f:
                            item["text"] = f.read().decode("latin-1")
                    except OSError:
                        pass
                changed.append(item)
        removed = sorted(set(self.snapshot) - set(current))
        leftovers = sorted(rel for rel in current if rel.endswith(".tmp"))
        refused = []
        if self.behaviour.get("apply_validate", True):
            for item in changed:
                try:
                    with open(os.path.join(self.root, item["name"]), "rb") as f:
                        data = f.read()
                except OSError:
                    continue
                refused.extend(camfiles.check_file(item["name"], data))
        result = {"time": round(time.time(), 3), "action": action, "changed": changed,
                  "removed": removed, "tmp_left": leftovers, "accepted": not refused,
                  "refused": refused}
        return result, current

    def record_apply(self, result):
        self.last_apply = result
        self.applies.append(result)

    def apply_uploads(self, action, review=None):
        result, current = review or self.review_uploads(action)
        self.snapshot = current
        self.record_apply(result)
        return result

    def reset_files(self, scope):
        self.ensure_root()
        seed = self.sim.seed_dir
        if not seed or not os.path.isdir(seed):
            return []
        names = self.seeded_names()
        if scope != 0:
            names = [n for n in RESET_FILES.get(scope, []) if n in names]
        restored = []
        for rel in names:
            src = os.path.join(seed, rel)
            if os.path.isfile(src):
                dst = os.path.join(self.root, rel)
                os.makedirs(os.path.dirname(dst), exist_ok=True)
                shutil.copyfile(src, dst)
                restored.append(rel)
        self.snapshot = self.scan_files()
        return restored


class Mismatch(Exception):
    pass


# Networks besides loopback a camera may have its address in (ZORA_ALLOWED_NETS),
# for runs inside a network namespace of the test's own; set by main().
ALLOWED_NETS = ()


def parse_allowed_nets(text):
    """"10.10.0.0/24,10.20.0.0/24" -> networks; an empty text allows none."""
    nets = []
    for part in (text or "").split(","):
        part = part.strip()
        if not part:
            continue
        try:
            nets.append(ipaddress.IPv4Network(part, strict=False))
        except ValueError:
            raise ValueError("ZORA_ALLOWED_NETS: %r is not an IPv4 network" % part)
    return tuple(nets)


def check_address(ip, nets=None):
    """A camera address: in 127.0.0.0/8 or one of the allowed networks (nets,
    default ALLOWED_NETS; () for loopback only), and not ending in .0 or .255."""
    try:
        addr = ipaddress.IPv4Address(ip)
    except ValueError:
        raise ValueError("not an IPv4 address: %r" % ip)
    if nets is None:
        nets = ALLOWED_NETS
    if not addr.is_loopback and not any(addr in net for net in nets):
        if nets:
            raise ValueError("%s is outside 127.0.0.0/8 and ZORA_ALLOWED_NETS (%s)"
                             % (ip, ",".join(str(n) for n in nets)))
        raise ValueError("%s is outside 127.0.0.0/8; the simulator binds loopback only" % ip)
    if int(addr) & 0xFF in (0, 255):
        raise ValueError("%s ends in .0 or .255; the simulator leaves those alone" % ip)


def nth_address(base, i):
    """The i-th usable address from base (0: base itself), stepping over
    every .0 and .255, so a fleet runs on from 127.0.0.254 to 127.0.1.1.
    Generated addresses stay on loopback whatever ZORA_ALLOWED_NETS says."""
    check_address(base, nets=())
    n = int(ipaddress.IPv4Address(base))
    pos = (n >> 8) * 254 + (n & 0xFF) - 1 + i
    ip = str(ipaddress.IPv4Address(((pos // 254) << 8) | (pos % 254 + 1)))
    if not ipaddress.IPv4Address(ip).is_loopback:
        raise ValueError("camera %d from %s would be outside 127.0.0.0/8" % (i + 1, base))
    return ip


def usable_address(ip):
    try:
        check_address(ip)
    except ValueError:
        return False
    return True


def decode_prefix(data):
    notes = []
    ident = data[16:24]
    nul = ident.find(b"\0")
    if nul < 0:
        notes.append("administrator ID fills all 8 bytes (no terminator)")
        admin_id = ident
    else:
        admin_id = ident[:nul]
        if any(ident[nul:]):
            notes.append("bytes after the administrator ID terminator are not zero")
    cred = wire.unscramble(data[24:46])
    notes.extend(cred["notes"])
    decoded = {
        "code": data[7] & 0x7F,
        "model": data[8],
        "mac": wire.mac_text(data[9:15]),
        "kind": data[15],
        "admin_id": admin_id.decode("latin-1"),
        "password": cred["password"],
        "key": cred["key"],
        "key_ok": cred["key_ok"],
        "r": cred["r"],
        "length": len(data),
    }
    return decoded, notes


def is_apply_command(data):
    return (len(data) > wire.PREFIX_LEN and data[7] & 0x7F == wire.CMD_TAGGED
            and data[wire.PREFIX_LEN] in APPLY_ACTIONS)


def identity_key(data, decoded):
    """Resends of one command count as copies even though each may carry a
    freshly scrambled block (new random value), so the blocks are compared
    by what they carry rather than by their bytes."""
    body = bytearray(data)
    body[24:46] = b"\0" * 22
    extra = ""
    if decoded["code"] == wire.CMD_ACCOUNT and len(data) >= 69:
        block = data[47:69]
        if any(block):
            extra = wire.unscramble(block)["password"]
        body[47:69] = b"\0" * 22
    return bytes(body), decoded["password"], decoded["admin_id"], extra


class Change:
    def __init__(self, summary):
        self.summary = summary
        self.fields = {}
        self.notes = []
        self.action = None      # control action, when the command is one
        self.scope = None
        self.review = None      # (apply record, scan) checked before an apply was answered

    def describe(self):
        d = dict(self.fields)
        if self.action is not None:
            d["action"] = self.action
        if self.scope is not None:
            d["scope"] = self.scope
        return d

    def apply(self, cam):
        s = cam.settings
        for key, value in self.fields.items():
            if key in ("md_sensitivity", "do_source"):
                tags = dict(s.get("tags") or {})
                tags["3" if key == "md_sensitivity" else "4"] = value
                s["tags"] = tags
            elif key == "new_password":
                s["admin_password"] = value
            elif key == "new_password_key":
                continue
            else:
                s[key] = copy.deepcopy(value)
        if self.action in APPLY_ACTIONS:
            result = cam.apply_uploads(self.action, self.review)
            cam.note("apply: %d changed, %d removed, %d .tmp left"
                     % (len(result["changed"]), len(result["removed"]), len(result["tmp_left"])))
        elif self.action == wire.ACTION_RESET:
            defaults = cam.behaviour.get("defaults") or cam.initial
            if self.scope == 0:
                cam.restore_defaults()
            elif self.scope == 9:
                for key in NETWORK_KEYS:
                    if key in defaults:
                        s[key] = copy.deepcopy(defaults[key])
            restored = cam.reset_files(self.scope)
            cam.resets.append({"time": round(time.time(), 3), "scope": self.scope,
                               "files": restored})


def parse_body(data, cam):
    """Check a command body against the camera and turn it into a Change.
    Raises Mismatch for a value the camera cannot take."""
    code = data[7] & 0x7F
    kind = data[15]
    n = len(data)
    s = cam.settings
    flags = wire.discovery_flags(s)
    strict = cam.behaviour.get("strict", True)
    rd = wire.Reader(data, wire.PREFIX_LEN)
    net_byte = int(s.get("network_type", 0)) & 0xFF
    try:
        if code == wire.CMD_NETWORK:
            high = net_byte & 0x80
            if kind == wire.NET_DHCP:
                if n != 46:
                    raise Mismatch("DHCP command of %d bytes, expected 46" % n)
                ch = Change("network type DHCP")
                ch.fields["network_type"] = high | wire.NET_DHCP
                return ch
            if kind == wire.NET_STATIC:
                has_dns = bool(flags & wire.FLAG_DNS)
                expected = 62 if has_dns else 58
                if n not in (58, 62) or (strict and n != expected):
                    raise Mismatch("static IP command of %d bytes; this camera %s a DNS server "
                                   "(expects %d)" % (n, "carries" if has_dns else "has no", expected))
                ch = Change("static IP")
                ip = rd.ip("IP address")
                try:
                    check_address(ip)
                except ValueError as exc:
                    raise Mismatch("new address refused: %s" % exc)
                ch.fields.update({"network_type": high | wire.NET_STATIC, "ip": ip,
                                  "mask": rd.ip("subnet mask"), "gateway": rd.ip("gateway"),
                                  "address_block": True})
                if n == 62:
                    ch.fields["dns"] = rd.ip("DNS server")
                ch.summary = "static IP %s/%s gw %s%s" % (
                    ch.fields["ip"], ch.fields["mask"], ch.fields["gateway"],
                    " dns %s" % ch.fields["dns"] if "dns" in ch.fields else "")
                if not (flags & wire.FLAG_ADDRESS):
                    ch.notes.append("camera did not report an address block")
                return ch
            if kind == wire.NET_PPPOE:
                user = rd.string("PPPoE user ID")
                password = rd.string("PPPoE password")
                service = rd.string("PPPoE service name")
                mtu = struct.unpack("<i", rd.take(4, "MTU"))[0]
                dns_mode = rd.byte("DNS mode")
                dns = rd.ip("PPPoE DNS server")
                expected = 58 + len(user) + len(password) + len(service)
                if n != expected:
                    raise Mismatch("PPPoE command of %d bytes, its strings make it %d" % (n, expected))
                if dns_mode not in (0, 1):
                    raise Mismatch("DNS mode %d, expected 0 or 1" % dns_mode)
                if not 0 < mtu <= 65535:
                    raise Mismatch("MTU %d out of range" % mtu)
                ch = Change("PPPoE user %r" % user)
                ch.fields["network_type"] = high | wire.NET_PPPOE
                ch.fields["pppoe"] = {"user": user, "password": password, "service": service,
                                      "mtu": mtu, "dns_mode": dns_mode, "dns": dns}
                if not (flags & wire.FLAG_PPPOE):
                    ch.notes.append("camera did not report PPPoE support")
                return ch
            if kind == wire.KIND_HOSTNAME:
                host = rd.string("host name")
                ch = Change("host name %r" % host)
                ch.fields["host_name"] = host
                if flags & wire.FLAG_DOMAIN:
                    if rd.remaining() == 0 and not strict:
                        ch.notes.append("domain name missing although the camera has one")
                    else:
                        domain = rd.string("domain name")
                        ch.fields["domain_name"] = domain
                        ch.summary += " domain %r" % domain
                if rd.remaining():
                    raise Mismatch("%d bytes left after the host name%s" % (
                        rd.remaining(), "" if flags & wire.FLAG_DOMAIN
                        else " (camera has no domain name)"))
                return ch
            raise Mismatch("network settings kind %d" % kind)

        if code == wire.CMD_ACCOUNT:
            if n != 69:
                raise Mismatch("account command of %d bytes, expected 69" % n)
            ch = Change("account")
            if kind != net_byte:
                ch.notes.append("offset 15 is %d, camera network type byte is %d" % (kind, net_byte))
            guest = data[46]
            if guest not in (0, 1):
                raise Mismatch("guest byte %d, expected 0 or 1" % guest)
            if s.get("guest") is not None:
                ch.fields["guest"] = bool(guest)
            elif guest:
                ch.notes.append("camera has no guest account; guest byte ignored")
            block = data[47:69]
            if any(block):
                cred = wire.unscramble(block)
                ch.notes.extend("new password: " + x for x in cred["notes"])
                if not cred["password"]:
                    raise Mismatch("new password block carries an empty password")
                ch.fields["new_password"] = cred["password"]
                ch.fields["new_password_key"] = cred["key"]
                ch.summary = "account guest=%d new password %r" % (guest, cred["password"])
            else:
                ch.summary = "account guest=%d, password unchanged" % guest
            return ch

        if code == wire.CMD_TAGGED:
            ch = Change("tagged")
            if kind != net_byte:
                ch.notes.append("offset 15 is %d, camera network type byte is %d" % (kind, net_byte))
            if n not in (49, 52):
                ch.notes.append("tagged command of %d bytes (49 or 52 expected)" % n)
            parts = []
            while rd.remaining():
                tag = rd.byte("tag")
                length = rd.byte("tag length")
                value = rd.take(length, "tag %d value" % tag)
                if length != 1:
                    raise Mismatch("tag %d carries %d bytes, expected 1" % (tag, length))
                v = value[0]
                if tag == 3:
                    if v == 0:
                        raise Mismatch("motion sensitivity 0 (1..255 expected)")
                    ch.fields["md_sensitivity"] = v
                    parts.append("sensitivity %d" % v)
                elif tag == 4:
                    if v > 3:
                        raise Mismatch("digital-output source %d (0..3 expected)" % v)
                    ch.fields["do_source"] = v
                    parts.append("output source %d" % v)
                elif tag in (wire.ACTION_APPLY, wire.ACTION_UPLOAD_RESTART):
                    if ch.action is not None:
                        raise Mismatch("two control actions in one command")
                    if v != 1:
                        ch.notes.append("action %d argument %d, expected 1" % (tag, v))
                    ch.action = tag
                    parts.append("apply (action %d)" % tag)
                elif tag == wire.ACTION_RESET:
                    if ch.action is not None:
                        raise Mismatch("two control actions in one command")
                    if v != 0 and not 2 <= v <= 10:
                        raise Mismatch("reset scope %d" % v)
                    ch.action = tag
                    ch.scope = v
                    parts.append("reset scope %d" % v)
                else:
                    raise Mismatch("unknown tag %d" % tag)
            if not parts:
                raise Mismatch("tagged command without entries")
            if ch.action is not None and ch.fields:
                raise Mismatch("settings and a control action in one command")
            ch.summary = ", ".join(parts)
            return ch
    except wire.WireError as exc:
        raise Mismatch(str(exc))
    raise Mismatch("command code %d" % code)


class Simulator:
    def __init__(self, args, fleet):
        self.camera_port = args.camera_port
        self.default_ftp_port = args.ftp_port
        self.no_ftp = args.no_ftp
        self.drop_broadcasts = args.drop_broadcasts
        self.broadcasts_dropped = 0
        self.seed_dir = args.seed_dir
        self._seed_tree = None
        self.own_state_dir = args.state_dir is None
        self.state_dir = args.state_dir or tempfile.mkdtemp(prefix="camsim-")
        os.makedirs(self.state_dir, exist_ok=True)
        self.sel = selectors.DefaultSelector()
        # Work handed over by FTP session threads; the socket pair wakes the loop.
        self.posted = collections.deque()
        self.wake_r, self.wake_w = socket.socketpair()
        self.wake_r.setblocking(False)
        self.wake_w.setblocking(False)
        self.sel.register(self.wake_r, selectors.EVENT_READ, ("wake", None))
        self.timers = []
        self.timer_seq = 0
        self.cameras = []
        self.by_id = {}
        self.stdin_buf = b""
        self.running = True
        self.wild = None
        self.global_log = []
        try:
            self.start(args, fleet)
        except BaseException:
            self.close()        # a fleet that cannot start leaves no sockets or state behind
            raise

    def start(self, args, fleet):
        for i, entry in enumerate(fleet):
            entry = dict(entry)
            entry.setdefault("id", "cam%d" % (i + 1))
            if entry["id"] in self.by_id:
                raise ValueError("duplicate camera id %r" % entry["id"])
            ip = entry.pop("ip", None) or nth_address(args.bind_base, i)
            cam = Camera(self, entry, ip)
            self.cameras.append(cam)
            self.by_id[cam.id] = cam
        self.wild = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.wild.setsockopt(socket.IPPROTO_IP, IP_PKTINFO, 1)
        if self.camera_port:
            self.wild.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.wild.bind(("0.0.0.0", self.camera_port))
        # Port 0: the system picks one that no socket holds (address reuse is allowed
        # only once it is bound, so the pick cannot be a port another simulator shares
        # out), and the cameras take the same; held from here on, no other program can
        # take it between the choice and the binding.
        self.wild.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.camera_port = self.wild.getsockname()[1]
        self.wild.setblocking(False)
        self.sel.register(self.wild, selectors.EVENT_READ, ("wild", None))
        for cam in self.cameras:
            cam.bind()
        for cam in self.cameras:
            cam.start_ftp()

    def seed_tree(self):
        """The seed tree read once (folders, {path: (bytes, mode, mtime)}), so
        a large fleet does not read it again for every camera; None without one."""
        if self._seed_tree is None:
            seed = self.seed_dir
            if not seed or not os.path.isdir(seed):
                return None
            folders, files = [], {}
            for base, dirs, names in os.walk(seed):
                rel_base = os.path.relpath(base, seed)
                folders.extend(os.path.normpath(os.path.join(rel_base, d)) for d in dirs)
                for name in names:
                    path = os.path.join(base, name)
                    st = os.stat(path)
                    with open(path, "rb") as f:
                        files[os.path.normpath(os.path.join(rel_base, name)).replace(os.sep, "/")] = \
                            (f.read(), st.st_mode & 0o7777, st.st_mtime_ns)
            self._seed_tree = (folders, files)
        return self._seed_tree

    def post(self, fn):
        """Run fn on the main loop; safe from any thread."""
        self.posted.append(fn)
        try:
            self.wake_w.send(b"\0")
        except OSError:
            pass       # a wake-up is already pending, or the simulator is closing

    def run_posted(self):
        try:
            while self.wake_r.recv(4096):
                pass
        except (BlockingIOError, InterruptedError):
            pass
        while self.posted:
            self.guarded(self.posted.popleft())

    def schedule(self, delay, fn):
        self.timer_seq += 1
        heapq.heappush(self.timers, (now() + max(0.0, delay), self.timer_seq, fn))

    def ready_line(self):
        return {"ready": True, "camera_port": self.camera_port, "state_dir": self.state_dir,
                "cameras": [{"id": c.id, "mac": c.mac, "ip": c.settings["ip"], "model": c.model,
                             "ftp_port": c.ftp_port_bound if c.ftp is not None else None}
                            for c in self.cameras]}

    def out(self, obj):
        sys.stdout.write(json.dumps(obj) + "\n")
        sys.stdout.flush()

    def run(self):
        self.out(self.ready_line())
        try:
            self.sel.register(sys.stdin.fileno(), selectors.EVENT_READ, ("stdin", None))
        except (ValueError, PermissionError, OSError):
            pass      # stdin is a regular file or closed: run until SIGTERM
        while self.running:
            timeout = None
            if self.timers:
                timeout = max(0.0, self.timers[0][0] - now())
            for key, _mask in self.sel.select(timeout):
                kind, cam = key.data
                if kind == "stdin":
                    self.read_stdin()
                elif kind == "wake":
                    self.run_posted()
                elif kind == "wild":
                    self.guarded(self.read_wild)
                else:
                    self.guarded(self.read_camera, cam, key.fileobj)
                if not self.running:
                    break
            t = now()
            while self.timers and self.timers[0][0] <= t:
                _, _, fn = heapq.heappop(self.timers)
                self.guarded(fn)

    def guarded(self, fn, *args):
        """A fault in one camera's handling must not take the whole fleet
        down in the middle of someone's test; it is reported on stderr."""
        try:
            fn(*args)
        except Shutdown:
            raise
        except Exception:
            traceback.print_exc(file=sys.stderr)

    def read_camera(self, cam, sock):
        try:
            data, sender = sock.recvfrom(2048)
        except (BlockingIOError, InterruptedError):
            return
        except OSError:
            return
        cam.handle(data, sender, "unicast")

    def read_wild(self):
        try:
            data, anc, _flags, sender = self.wild.recvmsg(2048, socket.CMSG_SPACE(12))
        except (BlockingIOError, InterruptedError):
            return
        except OSError:
            return
        # The destination address (IP_PKTINFO) tells a broadcast from a unicast
        # to a restarting camera, whose own socket is closed: camera addresses
        # never end in .255, and 255.255.255.255 does.
        dest = None
        for level, ctype, cdata in anc:
            if level == socket.IPPROTO_IP and ctype == IP_PKTINFO and len(cdata) >= 12:
                dest = socket.inet_ntoa(cdata[8:12])
        if dest is None or dest.endswith(".255"):
            if self.broadcasts_dropped < self.drop_broadcasts:
                # A lossy switch: the broadcast never reaches any camera.
                self.broadcasts_dropped += 1
                self.global_log.append({"time": round(time.time(), 3), "sender": "%s:%d" % sender,
                                        "dest": dest, "hex": data.hex(),
                                        "verdict": "broadcast dropped (%d of %d)"
                                                   % (self.broadcasts_dropped, self.drop_broadcasts)})
                del self.global_log[:-LOG_LIMIT]
                return
            for cam in self.cameras:
                cam.handle(data, sender, "broadcast")
            return
        targets = [c for c in self.cameras if c.settings["ip"] == dest or c.bound_ip == dest]
        if not targets:
            self.global_log.append({"time": round(time.time(), 3), "sender": "%s:%d" % sender,
                                    "dest": dest, "hex": data.hex(), "verdict": "no camera at this address"})
            del self.global_log[:-LOG_LIMIT]
            return
        for cam in targets:
            cam.handle(data, sender, "unicast")

    def read_stdin(self):
        try:
            chunk = os.read(sys.stdin.fileno(), 65536)
        except (BlockingIOError, InterruptedError):
            return
        if not chunk:
            self.running = False
            return
        self.stdin_buf += chunk
        while b"\n" in self.stdin_buf:
            line, self.stdin_buf = self.stdin_buf.split(b"\n", 1)
            line = line.strip()
            if line:
                self.out(self.control(line))
            if not self.running:
                return

    def control(self, line):
        # Whatever an FTP session handed over before this line arrived (the
        # outcome of an upload the client has seen end) is applied first.
        self.run_posted()
        try:
            req = json.loads(line)
            cmd = req.get("cmd")
            if cmd == "quit":
                self.running = False
                return {"ok": True, "cmd": "quit"}
            if cmd == "list":
                return dict(self.ready_line(), ok=True, cmd="list")
            if cmd == "log" and "id" not in req:
                return {"ok": True, "cmd": "log", "log": self.global_log}
            cam = self.by_id.get(req.get("id"))
            if cam is None:
                raise ValueError("no camera with id %r" % req.get("id"))
            if cmd == "get":
                return {"ok": True, "cmd": "get", "state": cam.state()}
            if cmd == "log":
                since = int(req.get("since", 0))
                return {"ok": True, "cmd": "log", "id": cam.id, "log": cam.log[since:],
                        "next": len(cam.log)}
            if cmd == "clear_log":
                cam.log = []
                return {"ok": True, "cmd": "clear_log", "id": cam.id}
            if cmd == "set":
                cam.apply_fields(req.get("fields") or {})
                return {"ok": True, "cmd": "set", "id": cam.id, "ip": cam.settings["ip"],
                        "ftp_port": cam.ftp_port_bound if cam.ftp is not None else None}
            if cmd == "restart":
                delay = req.get("delay")
                cam.begin_restart(None if delay is None else float(delay))
                return {"ok": True, "cmd": "restart", "id": cam.id}
            raise ValueError("unknown cmd %r" % cmd)
        except Exception as exc:     # the test gets the reason instead of a dead simulator
            return {"ok": False, "error": "%s: %s" % (type(exc).__name__, exc)}

    def close(self):
        for cam in self.cameras:
            try:
                cam.stop_ftp()
            except Exception:
                pass
            cam.unbind()
            cam.log_file.close()
        if self.wild is not None:
            self.wild.close()
        self.wake_r.close()
        self.wake_w.close()
        if self.own_state_dir:
            shutil.rmtree(self.state_dir, ignore_errors=True)


def load_fleet(path):
    with open(path, encoding="utf-8") as f:
        doc = json.load(f)
    if isinstance(doc, list):
        return doc
    common = doc.get("defaults", {})
    return [dict(common, **entry) for entry in doc.get("cameras", [])]


def generated_fleet(count):
    """cam1..camN with MACs 00:0A:1B:00:HH:LL from the index; the addresses
    come from --bind-base like those of any entry without an ip."""
    if not 1 <= count <= 0xFFFF:
        raise ValueError("--count must be 1..65535")
    return [{"id": "cam%d" % i, "mac": "00:0A:1B:00:%02X:%02X" % (i >> 8, i & 0xFF)}
            for i in range(1, count + 1)]


def load_defaults(text):
    """--defaults: an inline JSON object, or the path of a file holding one."""
    if text.lstrip().startswith("{"):
        doc = json.loads(text)
    else:
        with open(text, encoding="utf-8") as f:
            doc = json.load(f)
    if not isinstance(doc, dict):
        raise ValueError("--defaults must be a JSON object")
    own = sorted(k for k in ("id", "mac", "ip") if k in doc)
    if own:
        raise ValueError("--defaults cannot set %s (each camera has its own)" % ", ".join(own))
    return doc


def main(argv=None):
    global ALLOWED_NETS
    p = argparse.ArgumentParser(description="Simulated ZORA cameras on loopback.")
    src = p.add_mutually_exclusive_group(required=True)
    src.add_argument("--fleet", help="JSON fleet file")
    src.add_argument("--demo", action="store_true", help="built-in fleet of ten cameras")
    src.add_argument("--count", type=int, metavar="N",
                     help="generated fleet of N cameras cam1..camN")
    p.add_argument("--defaults", metavar="JSON",
                   help="JSON object (inline or a file) merged under every camera entry")
    p.add_argument("--camera-port", type=int, default=32154,
                   help="UDP port of every camera (0: a free one, given in the ready line)")
    p.add_argument("--ftp-port", type=int, default=0,
                   help="FTP port for cameras without ftp_port (0: a free port each)")
    p.add_argument("--no-ftp", action="store_true")
    p.add_argument("--drop-broadcasts", type=int, default=0, metavar="N",
                   help="drop the first N broadcasts the wildcard socket receives")
    p.add_argument("--state-dir", help="per-camera FTP roots and logs (default: a temporary dir)")
    p.add_argument("--bind-base", default="127.0.0.11",
                   help="address of the first camera without an ip; the next get +1")
    p.add_argument("--seed-dir", default=DEFAULT_SEED,
                   help="tree copied into each new FTP root (default tests/data/camfiles)")
    args = p.parse_args(argv)
    if args.drop_broadcasts < 0:
        p.error("--drop-broadcasts must be 0 or more")
    # Every FTP command is in the camera's ftp.log; the server's own session chatter on
    # standard error would only bury the tool's output.
    logging.basicConfig(level=logging.WARNING)
    logging.getLogger("pyftpdlib").setLevel(logging.WARNING)

    def on_term(_signo, _frame):
        raise Shutdown()
    signal.signal(signal.SIGTERM, on_term)
    signal.signal(signal.SIGINT, on_term)
    sim = None
    try:
        ALLOWED_NETS = parse_allowed_nets(os.environ.get("ZORA_ALLOWED_NETS"))
        check_address(args.bind_base, nets=())
        if args.demo:
            fleet = demo_fleet()
        elif args.count is not None:
            fleet = generated_fleet(args.count)
        else:
            fleet = load_fleet(args.fleet)
        if args.defaults is not None:
            common = load_defaults(args.defaults)
            fleet = [dict(common, **entry) for entry in fleet]
        sim = Simulator(args, fleet)
        sim.run()
    except Shutdown:
        pass
    except (ValueError, OSError) as exc:
        sys.stdout.write(json.dumps({"ready": False, "error": str(exc)}) + "\n")
        sys.stdout.flush()
        return 2
    finally:
        if sim is not None:
            sim.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
