"""Drives camsim over loopback the way the tool would and checks its answers
against bytes written out by hand from the protocol tables."""

import ftplib
import io
import json
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CAMSIM_DIR = os.path.dirname(HERE)
sys.path.insert(0, CAMSIM_DIR)

import wire  # noqa: E402

PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
WAIT = 5.0
REPO_CAMFILES = os.path.join(os.path.dirname(os.path.dirname(CAMSIM_DIR)), "tests", "data", "camfiles")

# r = 0x1234, key 192.168.0.10, text "pass"
PASS_BLOCK = bytes.fromhex("34" * 12 + "47 47 55 44 3E 34 9C F4 12 34")


def mac(last):
    return bytes([0x00, 0x0A, 0x1B, 0x2C, 0x3D, last])


def prefix(code, mac_raw, kind, length, block=PASS_BLOCK, admin=b"root", model=0):
    """Offsets 0..45 written out field by field."""
    return (b"ADCT" + b"\x02" + struct.pack("<H", length) + bytes([code, model]) + mac_raw
            + bytes([kind]) + admin.ljust(8, b"\0") + block)


def command(code, mac_raw, kind, body, **kw):
    return prefix(code, mac_raw, kind, 46 + len(body), **kw) + body


def cmd_reply(mac_raw, rtype, model, version=2):
    return b"ZORA" + bytes([version]) + b"\x0f\x00" + bytes([rtype, model]) + mac_raw


STATIC_DNS_BODY = bytes.fromhex("7F00001F FF000000 7F000001 7F000035")     # 127.0.0.31 ...
STATIC_BODY = bytes.fromhex("7F000020 FFFFFF00 7F000001")                   # 127.0.0.32 ...
PPPOE_BODY = b"\x01u" + b"\x02pw" + b"\x00" + bytes.fromhex("D4050000") + b"\x01" + bytes.fromhex("7F000035")
HOST_BODY_EMPTY_DOMAIN = b"\x04cam9" + b"\x00"


def camera(last, **kw):
    entry = {"id": "c%02x" % last, "mac": "00:0A:1B:2C:3D:%02X" % last, "ip": "127.0.0.%d" % (100 + last),
             "model": 0, "model_name": "L80", "host_name": "h%d" % last, "restart_delay": 0.2}
    entry.update(kw)
    return entry


FLEET = [
    # discovery layouts
    camera(0x4E, model=2, model_name="T80K", version=1, network_type=0, host_name="cam",
           ip="127.0.0.21", mask="255.255.255.0", gateway="127.0.0.1"),
    camera(0x4F, model=1, model_name="L60", version=2, network_type=1, host_name="h1",
           domain_name="d", ip="127.0.0.22", mask="255.0.0.0", gateway="127.0.0.1",
           dns="127.0.0.53", guest=True, tags={"2": 1, "3": 5, "4": 2},
           pppoe={"user": "u", "password": "pw", "service": "", "mtu": 1492, "dns_mode": 1,
                  "dns": "127.0.0.53"}),
    camera(0x50, model=4, model_name="T50K", version=1, network_type=0x81, host_name="",
           flags=0x04, ip="127.0.0.23", mask="255.255.255.0", gateway="127.0.0.1",
           dns="127.0.0.53", honour_model_filter=False),
    # commands: one camera per case so a restart never overlaps the next case
    camera(0x01, dns="127.0.0.53", domain_name="lan"),
    camera(0x02),
    camera(0x03),
    camera(0x04, dns="127.0.0.53"),
    camera(0x05, domain_name="lan"),
    camera(0x06, dns="127.0.0.53", domain_name="lan"),
    camera(0x07, guest=False),
    camera(0x08, model=1, model_name="L60"),
    camera(0x09),
    camera(0x0A),
    camera(0x0B),
    # reply behaviour
    camera(0x20, reply="fail"),
    camera(0x21, reply="mismatch"),
    camera(0x22, reply="unknown"),
    camera(0x23, reply="auth"),
    camera(0x24, reply_type_flag80=True),
    camera(0x25, reply="none"),
    camera(0x26, silent=True),
    camera(0x27, answer_on_send=3, reply="fail"),
    camera(0x28, unicast_only=True, restart_delay=0.5),
    # restart and apply
    camera(0x30, after_restart={"ip": "127.0.0.131", "host_name": "moved"}),
    camera(0x31),
    camera(0x32),
    # what an apply takes, resets, seeding, audio
    camera(0x33),
    camera(0x34, apply_validate=False),
    camera(0x35, apply_answer="unknown"),
    camera(0x36, reply="fail", apply_answer="success"),
    camera(0x37),
    camera(0x38, model=2, model_name="T80K"),
    camera(0x39, model=6, model_name="T80"),
    camera(0x3A, model=5, model_name="L80K"),
]

# Files of every reset scope, written out from the page table rather than taken
# from the simulator.
SCOPE_FILES = {
    2: ["etc/ddns.conf"],
    3: ["etc/thttpd.conf", "etc/html/title.js"],
    4: ["etc/rc.server", "etc/udp_server.conf", "etc/tcp_server.conf"],
    5: ["etc/event/dio_input.conf", "etc/event/hw_motion.conf", "etc/event/periodic_timer.conf"],
    6: ["etc/middle.conf"],
    7: ["etc/control.conf"],
    8: ["etc/general.conf"],
    9: ["etc/rc.iptables"],
    10: ["etc/audio.conf"],
}
MOTION_FILE = "etc/event/hw_motion.conf"
APPLY = b"\x05\x01\x01"
UPLOAD_RESTART = b"\x07\x01\x01"


def seed_bytes(rel):
    with open(os.path.join(REPO_CAMFILES, rel), "rb") as f:
        return f.read()


def write_file(root, rel, data):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read_file(root, rel):
    with open(os.path.join(root, rel), "rb") as f:
        return f.read()


class Sim:
    def __init__(self, fleet, extra_args=(), extra_env=None):
        """fleet None starts the built-in demo fleet, or the generated one
        when extra_args hold --count."""
        self.dir = tempfile.mkdtemp(prefix="camsim-test-")
        source = [] if "--count" in extra_args else ["--demo"]
        if fleet is not None:
            path = os.path.join(self.dir, "fleet.json")
            with open(path, "w") as f:
                json.dump({"cameras": fleet}, f)
            source = ["--fleet", path]
        env = dict(os.environ, ZORA_LOOPBACK_ONLY="1")
        env.pop("ZORA_ALLOWED_NETS", None)
        env.update(extra_env or {})
        self.proc = subprocess.Popen(
            # Port 0: the simulator binds a free port and names it in its ready line.
            [PYTHON, os.path.join(CAMSIM_DIR, "camsim.py")] + source + ["--camera-port",
             "0", "--state-dir", os.path.join(self.dir, "state")] + list(extra_args),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, env=env)
        self.ready = json.loads(self.proc.stdout.readline())
        self.port = self.ready.get("camera_port", 0)
        self.ctl_lock = threading.Lock()
        self.tool = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.tool.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.tool.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 20)   # a fleet's burst
        self.tool.bind(("127.0.0.1", 0))

    def close(self):
        self.tool.close()
        if not self.proc.stdin.closed:
            try:
                self.proc.stdin.close()
            except BrokenPipeError:
                pass
        self.proc.wait(5)
        self.proc.stdout.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def ctl(self, **req):
        with self.ctl_lock:      # tests may ask from a second thread
            self.proc.stdin.write(json.dumps(req) + "\n")
            self.proc.stdin.flush()
            return json.loads(self.proc.stdout.readline())

    def send(self, data, ip="127.255.255.255"):
        self.tool.sendto(data, (ip, self.port))

    def recv(self, timeout=WAIT):
        self.tool.settimeout(timeout)
        return self.tool.recvfrom(2048)

    def recv_from(self, ip, timeout=WAIT):
        deadline = time.monotonic() + timeout
        while True:
            data, sender = self.recv(max(0.01, deadline - time.monotonic()))
            if sender[0] == ip:
                return data

    def pending(self):
        """Datagrams already queued at the tool's socket, without waiting."""
        out = []
        self.tool.setblocking(False)
        try:
            while True:
                out.append(self.tool.recvfrom(2048))
        except BlockingIOError:
            pass
        return out

    def log_len(self, cid):
        return len(self.ctl(cmd="log", id=cid)["log"])

    def wait_for(self, predicate, what, timeout=WAIT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = predicate()
            if value:
                return value
            time.sleep(0.01)
        raise AssertionError("timed out waiting for " + what)

    def wait_logged(self, cid, count):
        """The camera handles datagrams in arrival order on one thread and
        sends before it answers the control line, so once the log has grown
        any reply is already queued at our socket."""
        def grown():
            log = self.ctl(cmd="log", id=cid)["log"]
            return log[count:] if len(log) > count else None
        return self.wait_for(grown, "log entry of " + cid)

    def wait_up(self, cid):
        return self.wait_for(lambda: self.ctl(cmd="get", id=cid)["state"]["status"] == "up",
                             cid + " to come back")

    def state(self, cid):
        return self.ctl(cmd="get", id=cid)["state"]


class CamsimTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sim = Sim(FLEET, ["--no-ftp"])
        assert cls.sim.ready.get("ready"), cls.sim.ready

    @classmethod
    def tearDownClass(cls):
        cls.sim.close()

    def setUp(self):
        self.sim.pending()

    def expect_silence(self, cid, data, ip):
        n = self.sim.log_len(cid)
        self.sim.send(data, ip)
        entries = self.sim.wait_logged(cid, n)
        self.assertEqual([p for p in self.sim.pending() if p[1][0] == ip], [])
        return entries[-1]

    # --- credential block ------------------------------------------------
    def test_scramble_block_matches_worked_example(self):
        self.assertEqual(wire.scramble("pass", "192.168.0.10", 0x1234), PASS_BLOCK)
        got = wire.unscramble(PASS_BLOCK)
        self.assertEqual((got["password"], got["key"], got["r"], got["key_ok"]),
                         ("pass", "192.168.0.10", 0x1234, True))
        cases = [("", "empty password: 16 copies of k", lambda b: b[:16] == b"\x34" * 16),
                 ("0123456789abcdef", "16 characters, no zero left",
                  lambda b: 0x34 not in b[:16])]
        for text, why, check in cases:
            with self.subTest(why):
                block = wire.scramble(text, "192.168.0.10", 0x1234)
                self.assertTrue(check(block))
                self.assertEqual(wire.unscramble(block)["password"], text)
        self.assertFalse(wire.unscramble(wire.scramble("x", "0.0.0.0", 7))["key_ok"])

    # --- discovery -------------------------------------------------------
    def test_discovery_reply_layouts(self):
        cases = [
            ("v1 DHCP, no domain, 12-byte block", "127.0.0.21",
             "5A4F5241 01 2600 05 02 000A1B2C3D4E 00 0C"
             "04 5438304B 03 63616D 7F000015 FFFFFF00 7F000001"),
            ("v2 with domain, DNS, PPPoE, guest and tags", "127.0.0.22",
             "5A4F5241 02 4300 05 01 000A1B2C3D4F 01 3F"
             "03 4C3630 02 6831 01 64 7F000016 FF000000 7F000001 7F000035"
             "01 75 02 7077 00 D4050000 01 7F000035 01 020101 030105 040102"),
            ("flags 0x04 only: DNS left out, type 0x81, empty host", "127.0.0.23",
             "5A4F5241 01 2300 05 04 000A1B2C3D50 81 04"
             "04 5435304B 00 7F000017 FFFFFF00 7F000001"),
        ]
        for why, ip, expected in cases:
            with self.subTest(why):
                self.sim.send(wire.discovery_request(0x83), ip)
                self.assertEqual(self.sim.recv_from(ip).hex(), bytes.fromhex(expected).hex())

    def test_broadcast_reaches_every_camera_from_its_own_address(self):
        wanted = set()
        for c in self.sim.ready["cameras"]:
            st = self.sim.state(c["id"])
            if st["status"] == "up" and not (st["behaviour"]["silent"] or st["behaviour"]["unicast_only"]):
                wanted.add(st["settings"]["ip"])
        self.sim.send(b"ADCT\x02\x09\x00\x03\xff")
        seen = set()
        deadline = time.monotonic() + WAIT
        while not wanted <= seen and time.monotonic() < deadline:
            data, sender = self.sim.recv()
            self.assertEqual(data[:4], b"ZORA")
            self.assertEqual(data[7], 5)
            self.assertEqual(struct.unpack_from("<H", data, 5)[0], len(data))
            seen.add(sender[0])
        self.assertLessEqual(wanted, seen)
        self.assertNotIn("127.0.0.138", seen)     # the silent camera
        self.assertNotIn("127.0.0.140", seen)     # the unicast-only one

    def test_model_filter(self):
        cases = [  # (camera ip, model filter byte, answers)
            ("127.0.0.21", 0xFF, True),
            ("127.0.0.21", 2, True),
            ("127.0.0.21", 1, False),
            ("127.0.0.23", 1, True),     # honour_model_filter false
        ]
        for ip, filt, answers in cases:
            with self.subTest(ip=ip, filt=filt):
                cid = {"127.0.0.21": "c4e", "127.0.0.23": "c50"}[ip]
                req = b"ADCT\x02\x09\x00\x83" + bytes([filt])
                if answers:
                    self.sim.send(req, ip)
                    self.assertEqual(self.sim.recv_from(ip)[7], 5)
                else:
                    self.expect_silence(cid, req, ip)

    def test_malformed_requests_are_dropped(self):
        cases = [
            ("wrong magic", b"ADCX\x02\x09\x00\x83\xff"),
            ("eight bytes", b"ADCT\x02\x08\x00\x83"),
            ("length field disagrees", b"ADCT\x02\x0a\x00\x83\xff"),
            ("version 1", b"ADCT\x01\x09\x00\x83\xff"),
        ]
        for why, data in cases:
            with self.subTest(why):
                entry = self.expect_silence("c4e", data, "127.0.0.21")
                self.assertIn("malformed", entry["verdict"])

    # --- commands --------------------------------------------------------
    def run_command(self, cid, ip, data, expected_reply):
        self.sim.send(data, ip)
        got = self.sim.recv_from(ip)
        self.assertEqual(got.hex(), expected_reply.hex())
        return got

    def test_settings_commands(self):
        ok = wire.REPLY_SUCCESS
        cases = [
            # (camera, datagram, expected length, reply, settings after the restart)
            ("c01", command(4, mac(1), 1, STATIC_DNS_BODY), 62, ok,
             {"ip": "127.0.0.31", "mask": "255.0.0.0", "gateway": "127.0.0.1", "dns": "127.0.0.53",
              "network_type": 1}),
            ("c02", command(4, mac(2), 1, STATIC_BODY), 58, ok,
             {"ip": "127.0.0.32", "mask": "255.255.255.0", "dns": None}),
            ("c03", command(0x84, mac(3), 0, b""), 46, ok, {"network_type": 0}),
            ("c04", command(4, mac(4), 2, PPPOE_BODY), 61, ok,
             {"network_type": 2, "pppoe": {"user": "u", "password": "pw", "service": "",
                                           "mtu": 1492, "dns_mode": 1, "dns": "127.0.0.53"}}),
            ("c05", command(4, mac(5), 3, HOST_BODY_EMPTY_DOMAIN), 52, ok,
             {"host_name": "cam9", "domain_name": ""}),
            ("c07", command(5, mac(7), 1, b"\x01" + wire.scramble("n3w", "192.168.0.10", 0xBEEF)),
             69, ok, {"guest": True, "admin_password": "n3w"}),
            ("c08", command(6, mac(8), 1, b"\x03\x01\x2a\x04\x01\x02", model=1), 52, ok,
             {"tags": {"3": 42, "4": 2}}),
        ]
        for cid, data, length, reply, after in cases:
            with self.subTest(cid):
                self.assertEqual(len(data), length)
                st = self.sim.state(cid)
                ip, model = st["settings"]["ip"], st["settings"]["model"]
                self.run_command(cid, ip, data, cmd_reply(data[9:15], reply, model))
                self.sim.wait_up(cid)
                settings = self.sim.state(cid)["settings"]
                for key, value in after.items():
                    self.assertEqual(settings[key], value, key)
                # back at its (possibly new) address with the new settings
                new_ip = settings["ip"]
                self.sim.send(wire.discovery_request(0x83), new_ip)
                self.assertEqual(self.sim.recv_from(new_ip)[9:15], data[9:15])

    def test_refused_commands(self):
        mm, auth = wire.REPLY_MISMATCH, wire.REPLY_AUTH
        cases = [
            ("static without DNS to a camera that has one", "c06",
             command(4, mac(6), 1, STATIC_BODY), mm),
            ("host name without the domain byte", "c06", command(4, mac(6), 3, b"\x04cam9"), mm),
            ("address outside loopback", "c09",
             command(4, mac(9), 1, bytes.fromhex("C0A80032 FFFFFF00 C0A80001")), mm),
            ("PPPoE length disagrees with its strings", "c09",
             command(4, mac(9), 2, PPPOE_BODY + b"\0"), mm),
            ("unknown network kind", "c09", command(4, mac(9), 9, b""), mm),
            ("digital-output source 0xFF", "c09", command(6, mac(9), 1, b"\x03\x01\x05\x04\x01\xff"), mm),
            ("wrong password", "c09",
             command(4, mac(9), 0, b"", block=wire.scramble("nope", "192.168.0.10", 1)), auth),
            ("wrong ID", "c09", command(4, mac(9), 0, b"", admin=b"admin"), auth),
        ]
        for why, cid, data, reply in cases:
            with self.subTest(why):
                ip = self.sim.state(cid)["settings"]["ip"]
                self.run_command(cid, ip, data, cmd_reply(data[9:15], reply, 0))
                self.assertEqual(self.sim.state(cid)["status"], "up")
        self.assertEqual(self.sim.state("c09")["received"], [])

    def test_command_for_another_mac_is_ignored(self):
        entry = self.expect_silence("c0a", command(4, mac(0x77), 0, b""), "127.0.0.110")
        self.assertIn("another camera", entry["verdict"])

    def test_broadcast_command_is_taken_by_its_camera_only(self):
        self.sim.send(command(6, mac(0x0B), 1, b"\x03\x01\x09\x04\x01\x00"))
        data, sender = self.sim.recv()
        self.assertEqual(sender[0], "127.0.0.111")
        self.assertEqual(data, cmd_reply(mac(0x0B), 0, 0))
        self.sim.wait_up("c0b")
        log = self.sim.ctl(cmd="log", id="c0b")["log"]
        decoded = [e for e in log if e.get("decoded", {}).get("code") == 6][0]["decoded"]
        self.assertEqual((decoded["key"], decoded["r"], decoded["password"]),
                         ("192.168.0.10", 0x1234, "pass"))

    def test_reply_behaviour(self):
        body = b""
        cases = [  # (camera, expected reply type or None for silence)
            ("c20", 1), ("c21", 3), ("c22", 4), ("c23", 2), ("c24", 0x80), ("c25", None),
            ("c26", None),
        ]
        for cid, rtype in cases:
            with self.subTest(cid):
                last = int(cid[1:], 16)
                ip = "127.0.0.%d" % (100 + last)
                data = command(4, mac(last), 0, body)
                if rtype is None:
                    self.expect_silence(cid, data, ip)
                else:
                    self.run_command(cid, ip, data, cmd_reply(mac(last), rtype, 0))
                if rtype != 0x80:
                    self.assertEqual(self.sim.state(cid)["received"], [])

    def test_answer_on_send_counts_resends_with_fresh_scrambling(self):
        ip = "127.0.0.139"
        for r in (1, 2):
            data = command(4, mac(0x27), 0, b"", block=wire.scramble("pass", "127.0.0.1", r))
            entry = self.expect_silence("c27", data, ip)
            self.assertIn("copy %d of 3" % r, entry["verdict"])
        data = command(4, mac(0x27), 0, b"", block=wire.scramble("pass", "127.0.0.1", 3))
        self.run_command("c27", ip, data, cmd_reply(mac(0x27), 1, 0))

    def test_unicast_only_camera_ignores_broadcasts(self):
        ip, bcast = "127.0.0.140", "127.255.255.255"
        before = self.sim.state("c28")["requests"]
        disc = wire.discovery_request(0x83)
        cmd = command(4, mac(0x28), 0, b"")
        cases = [  # (what, datagram, destination, verdict or None for an answer)
            ("broadcast discovery", b"ADCT\x02\x09\x00\x03\xff", bcast, "unicast only"),
            ("broadcast command", cmd, bcast, "unicast only"),
            ("0x83 discovery to its address", disc, ip, None),
            ("0x84 command to its address", command(0x84, mac(0x28), 0, b""), ip, None),
            # now restarting: a unicast lands on the wildcard socket
            ("unicast while restarting", disc, ip, "restarting"),
            ("broadcast while restarting", disc, bcast, "unicast only"),
        ]
        for what, data, dest, verdict in cases:
            with self.subTest(what):
                n = self.sim.log_len("c28")
                self.sim.send(data, dest)
                if verdict is None:
                    self.assertEqual(self.sim.recv_from(ip)[9:15], mac(0x28))
                else:
                    entry = self.sim.wait_logged("c28", n)[-1]
                    self.assertIn(verdict, entry["verdict"])
                    self.assertEqual([p for p in self.sim.pending() if p[1][0] == ip], [])
        after = self.sim.state("c28")["requests"]
        self.assertEqual((after["broadcast"] - before["broadcast"], after["unicast"] - before["unicast"]),
                         (3, 3))
        self.sim.wait_up("c28")
        # switched off at run time, a broadcast gets an answer again
        self.assertTrue(self.sim.ctl(cmd="set", id="c28", fields={"unicast_only": False})["ok"])
        try:
            self.sim.pending()
            self.sim.send(disc, bcast)
            self.assertEqual(self.sim.recv_from(ip)[9:15], mac(0x28))
        finally:
            self.sim.ctl(cmd="set", id="c28", fields={"unicast_only": True})

    # --- restart, apply, reset -------------------------------------------
    def test_restart_is_silent_then_after_restart_moves_the_camera(self):
        data = command(4, mac(0x30), 0, b"")
        self.run_command("c30", "127.0.0.148", data, cmd_reply(mac(0x30), 0, 0))
        entry = self.expect_silence("c30", wire.discovery_request(0x83), "127.0.0.148")
        self.assertIn("restarting", entry["verdict"])
        self.sim.wait_up("c30")
        self.sim.send(wire.discovery_request(0x83), "127.0.0.131")
        reply = self.sim.recv_from("127.0.0.131")
        self.assertEqual(reply[17:27], b"\x03L80\x05moved")

    def test_apply_reports_uploaded_files(self):
        root = self.sim.state("c31")["root"]
        os.makedirs(os.path.join(root, "etc"), exist_ok=True)
        with open(os.path.join(root, "etc", "ddns.conf"), "w") as f:
            f.write('DDNS_ENABLE="true"\n')
        with open(os.path.join(root, "etc", "middle.conf.tmp"), "w") as f:
            f.write("x")
        data = command(6, mac(0x31), 1, b"\x05\x01\x01")
        self.assertEqual(len(data), 49)
        self.run_command("c31", "127.0.0.149", data, cmd_reply(mac(0x31), 0, 0))
        self.sim.wait_up("c31")
        applied = self.sim.state("c31")["last_apply"]
        self.assertEqual(applied["action"], 5)
        # The root is seeded from the sample tree, so ddns.conf is there before the upload.
        seeded = os.path.exists(os.path.join(REPO_CAMFILES, "etc", "ddns.conf"))
        self.assertIn({"name": "etc/ddns.conf", "size": 19, "new": not seeded,
                       "text": 'DDNS_ENABLE="true"\n'}, applied["changed"])
        self.assertEqual(applied["tmp_left"], ["etc/middle.conf.tmp"])

    def test_factory_reset_restores_settings(self):
        self.assertTrue(self.sim.ctl(cmd="set", id="c32", fields={"host_name": "changed"})["ok"])
        data = command(6, mac(0x32), 1, b"\x06\x01\x00")
        self.run_command("c32", "127.0.0.150", data, cmd_reply(mac(0x32), 0, 0))
        self.sim.wait_up("c32")
        st = self.sim.state("c32")
        self.assertEqual(st["settings"]["host_name"], "h50")
        self.assertEqual(st["resets"][-1]["scope"], 0)

    def test_apply_checks_the_changed_files(self):
        cases = [  # (why, file, uploaded text, part of the refusal or None when taken)
            ("web port 0", "etc/thttpd.conf", "dir=/etc/html\nport=0\n", "port 0 outside 1..65535"),
            ("web port 65535, text-mode line end", "etc/thttpd.conf", "port=65535\r\n", None),
            ("commented port is not read", "etc/thttpd.conf", "# port=0\nport=80\n", None),
            ("stream port 65536", "etc/tcp_server.conf", "server_port = 65536\nmax_connect=5\n",
             "server_port 65536 outside 1..65535"),
            ("UDP clients 256", "etc/udp_server.conf", "server_port=5001\nmax_connect=256\n",
             "max_connect 256 outside 0..255"),
            ("TCP bounds", "etc/tcp_server.conf", "server_port=1\nmax_connect=255\n", None),
            ("no stream server started", "etc/rc.server", "#!/bin/sh\n# /bin/udp_server &\nexit 0\n",
             "starts neither"),
            ("TCP server only", "etc/rc.server", "#!/bin/sh\n/bin/tcp_server &\nexit 0\n", None),
            ("DDNS value unquoted", "etc/ddns.conf", "# c\n\nDDNS_ENABLE=true\n", 'not KEY="value"'),
            ("DDNS as the tool writes it", "etc/ddns.conf",
             'DDNS_ENABLE="false"\nDDNS_ID="a b"\nDDNS_PW=""\nDDNS_HD="h"\n', None),
            ("event FTP port 0", "etc/event/dio_input.conf", "[FTP]\nenable=true\nport=0\n",
             "[ftp] port 0 outside"),
            ("mail port, lower-case section", "etc/event/hw_motion.conf", "[email]\nport=70000\n",
             "[email] port 70000 outside"),
            ("a port outside FTP and EMAIL", "etc/event/periodic_timer.conf", "[NOTIFY]\nport=0\n",
             None),
            ("audio port not a number", "etc/audio.conf", "[audio_server_info]\nserver_port=x\n",
             "server_port 'x' is not a number"),
            ("audio clients -1", "etc/audio.conf", "[audio_server_info]\nmax_connect=-1\n",
             "max_connect -1 outside 0..255"),
            ("file without rules", "etc/general.conf", "port=0\n", None),
        ]
        cid, ip, m = "c33", "127.0.0.151", mac(0x33)
        root = self.sim.state(cid)["root"]
        for why, rel, text, refusal in cases:
            with self.subTest(why):
                write_file(root, rel, text.encode("latin-1"))
                restarts = self.sim.state(cid)["restarts"]
                expected = wire.REPLY_SUCCESS if refusal is None else wire.REPLY_MISMATCH
                self.run_command(cid, ip, command(6, m, 1, APPLY), cmd_reply(m, expected, 0))
                if refusal is None:
                    self.sim.wait_up(cid)
                    applied = self.sim.state(cid)["last_apply"]
                    self.assertEqual((applied["accepted"], applied["refused"]), (True, []))
                else:
                    st = self.sim.state(cid)
                    self.assertEqual((st["status"], st["restarts"]), ("up", restarts))
                    self.assertFalse(st["last_apply"]["accepted"])
                    self.assertEqual([r["name"] for r in st["last_apply"]["refused"]], [rel])
                    self.assertIn(refusal, st["last_apply"]["refused"][0]["reason"])
                    self.assertEqual(read_file(root, rel), text.encode("latin-1"))
                    # The resend reads the same files and is refused again.
                    self.run_command(cid, ip, command(6, m, 1, UPLOAD_RESTART), cmd_reply(m, 3, 0))
                write_file(root, rel, seed_bytes(rel))

    def test_apply_answer_and_validation_switches(self):
        cases = [  # (why, camera, answer to an apply of a bad port, answer to another command)
            ("validation off takes the bad port", "c34", wire.REPLY_SUCCESS, wire.REPLY_SUCCESS),
            ("apply_answer replaces reply for applies only", "c35", wire.REPLY_UNKNOWN,
             wire.REPLY_SUCCESS),
            ("apply_answer success still checks the files", "c36", wire.REPLY_MISMATCH,
             wire.REPLY_FAIL),
        ]
        for why, cid, apply_reply, other_reply in cases:
            with self.subTest(why):
                last = int(cid[1:], 16)
                ip, m = "127.0.0.%d" % (100 + last), mac(last)
                write_file(self.sim.state(cid)["root"], "etc/thttpd.conf", b"port=0\n")
                self.run_command(cid, ip, command(6, m, 1, APPLY), cmd_reply(m, apply_reply, 0))
                self.sim.wait_up(cid)
                self.run_command(cid, ip, command(6, m, 1, b"\x03\x01\x05\x04\x01\x00"),
                                 cmd_reply(m, other_reply, 0))
                self.sim.wait_up(cid)

    def test_reset_restores_its_scope_only(self):
        every = sorted(f for files in SCOPE_FILES.values() for f in files)
        cases = [("scope %d" % scope, "c37", scope, files) for scope, files in SCOPE_FILES.items()]
        cases += [("scope 0 restores every page", "c37", 0, every),
                  ("scope 5 on a camera without motion detection", "c38", 5,
                   [f for f in SCOPE_FILES[5] if f != MOTION_FILE])]
        for why, cid, scope, restored in cases:
            with self.subTest(why):
                st = self.sim.state(cid)
                root, ip, model = st["root"], st["settings"]["ip"], st["settings"]["model"]
                own = [f for f in every if model not in (2, 6) or f != MOTION_FILE]
                for rel in own:
                    write_file(root, rel, b"edited\n")
                self.assertTrue(self.sim.ctl(cmd="set", id=cid, fields={"mask": "255.255.0.0"})["ok"])
                m = mac(int(cid[1:], 16))
                self.run_command(cid, ip, command(6, m, 1, bytes([6, 1, scope]), model=model),
                                 cmd_reply(m, 0, model))
                self.sim.wait_up(cid)
                st = self.sim.state(cid)
                for rel in own:
                    want = seed_bytes(rel) if rel in restored else b"edited\n"
                    self.assertEqual(read_file(root, rel), want, rel)
                self.assertLessEqual(set(restored), set(st["resets"][-1]["files"]))
                if scope != 0:
                    self.assertEqual(sorted(st["resets"][-1]["files"]), sorted(restored))
                self.assertEqual(st["settings"]["mask"],
                                 "255.0.0.0" if scope in (0, 9) else "255.255.0.0")
                if model in (2, 6):
                    self.assertFalse(os.path.exists(os.path.join(root, MOTION_FILE)))
                for rel in own:
                    write_file(root, rel, seed_bytes(rel))
                self.sim.ctl(cmd="set", id=cid, fields={"mask": "255.0.0.0"})

    def test_motion_file_is_seeded_only_where_there_is_motion_detection(self):
        for cid, present in (("c02", True), ("c3a", True), ("c4e", False), ("c39", False)):
            with self.subTest(cid):
                root = self.sim.state(cid)["root"]
                self.assertEqual(os.path.exists(os.path.join(root, MOTION_FILE)), present)
                self.assertTrue(os.path.exists(os.path.join(root, "etc/event/dio_input.conf")))

    def test_audio_setting_is_announced_in_tag_2(self):
        head = 38      # reply up to the end of the address block of c3a
        cases = [  # (why, fields, tail after the address block, or None when set refuses them)
            ("audio off beats tag 2", {"audio": False, "tags": {"2": 1, "3": 5}}, "020100 030105"),
            ("audio on without tags", {"audio": True, "tags": None}, "020101"),
            ("no audio key: tags as given", {"audio": None, "tags": {"2": 1}}, "020101"),
            ("version 1 has no tail", {"audio": False, "version": 1}, ""),
            ("version 1 cannot announce audio", {"audio": True, "version": 1}, None),
        ]
        ip = "127.0.0.158"
        for why, fields, tail in cases:
            with self.subTest(why):
                fields = dict({"version": 2}, **fields)
                answer = self.sim.ctl(cmd="set", id="c3a", fields=fields)
                self.assertEqual(answer["ok"], tail is not None, answer)
                if tail is None:
                    continue
                self.sim.send(wire.discovery_request(0x83), ip)
                reply = self.sim.recv_from(ip)
                self.assertEqual(reply[head:].hex(), tail.replace(" ", ""))

    # --- control interface -----------------------------------------------
    def test_control_errors(self):
        cases = [
            {"cmd": "set", "id": "c0a", "fields": {"ip": "192.168.0.5"}},
            {"cmd": "set", "id": "c0a", "fields": {"no_such_field": 1}},
            {"cmd": "set", "id": "c0a", "fields": {"reply": "maybe"}},
            {"cmd": "set", "id": "c0a", "fields": {"unicast_only": "yes"}},
            {"cmd": "get", "id": "nobody"},
            {"cmd": "frobnicate", "id": "c0a"},
        ]
        for req in cases:
            with self.subTest(req):
                self.assertFalse(self.sim.ctl(**req)["ok"])
        self.assertEqual(self.sim.state("c0a")["settings"]["ip"], "127.0.0.110")


def ftp_server_available():
    try:
        import ftpserver  # noqa: F401
        return True
    except ImportError:
        return False


@unittest.skipUnless(ftp_server_available(), "ftpserver.py not present")
class FtpHookupTest(unittest.TestCase):
    def setUp(self):
        self.seed = tempfile.mkdtemp(prefix="camsim-seed-")
        os.makedirs(os.path.join(self.seed, "etc"))
        with open(os.path.join(self.seed, "etc", "ddns.conf"), "w") as f:
            f.write("OLD\n")
        self.sim = Sim([camera(0x70), camera(0x71, model=1, model_name="L60")],
                       ["--seed-dir", self.seed, "--ftp-port", "0"])

    def tearDown(self):
        self.sim.close()
        shutil.rmtree(self.seed, ignore_errors=True)

    def ftp(self, password="pass"):
        import ftplib
        port = self.sim.state("c70")["ftp_port"]
        f = ftplib.FTP()
        f.connect("127.0.0.212", port, timeout=WAIT)
        try:
            f.login("root", password)
        except ftplib.Error:
            f.close()
            raise
        return f

    def test_upload_apply_and_reset(self):
        import ftplib
        import io
        cams = {c["id"]: c for c in self.sim.ready["cameras"]}
        self.assertIsInstance(cams["c70"]["ftp_port"], int)
        self.assertIsNone(cams["c71"]["ftp_port"])      # protocol-configured family
        f = self.ftp()
        f.storbinary("STOR /etc/ddns.conf.tmp", io.BytesIO(b'DDNS_ENABLE="true"\n'))
        f.delete("/etc/ddns.conf")
        f.rename("/etc/ddns.conf.tmp", "/etc/ddns.conf")
        f.quit()
        self.sim.send(command(6, mac(0x70), 1, b"\x07\x01\x01"), "127.0.0.212")
        self.assertEqual(self.sim.recv_from("127.0.0.212"), cmd_reply(mac(0x70), 0, 0))
        self.sim.wait_up("c70")
        applied = self.sim.state("c70")["last_apply"]
        self.assertEqual((applied["action"], applied["tmp_left"]), (7, []))
        self.assertEqual([(c["name"], c["size"]) for c in applied["changed"]], [("etc/ddns.conf", 19)])

        self.sim.send(command(6, mac(0x70), 1, b"\x06\x01\x02"), "127.0.0.212")
        self.assertEqual(self.sim.recv_from("127.0.0.212")[7], 0)
        self.sim.wait_up("c70")
        with open(os.path.join(self.sim.state("c70")["root"], "etc", "ddns.conf")) as fh:
            self.assertEqual(fh.read(), "OLD\n")

    def test_password_change_reaches_the_ftp_login(self):
        import ftplib
        port = self.sim.state("c70")["ftp_port"]
        cases = [  # (why, command body, password the FTP server takes, password it refuses)
            ("account command", (5, b"\x00" + wire.scramble("s3cret", "127.0.0.1", 99)),
             "s3cret", "pass"),
            ("factory reset brings the old one back", (6, b"\x06\x01\x00"), "pass", "s3cret"),
        ]
        for why, (code, body), taken, refused in cases:
            with self.subTest(why):
                block = wire.scramble(refused, "127.0.0.1", 7)     # the password in force
                self.sim.send(command(code, mac(0x70), 1, body, block=block), "127.0.0.212")
                self.assertEqual(self.sim.recv_from("127.0.0.212")[7], 0)
                # The control answer comes after the command was handled in full, so the
                # next login already meets the new server, before the camera is back.
                self.assertEqual(self.sim.state("c70")["ftp_port"], port)
                with self.assertRaises(ftplib.error_perm):
                    self.ftp(refused)
                self.ftp(taken).quit()
                self.sim.wait_up("c70")
        with self.subTest("set while the camera restarts"):
            self.assertTrue(self.sim.ctl(cmd="restart", id="c70", delay=2)["ok"])
            self.assertTrue(self.sim.ctl(cmd="set", id="c70", fields={"admin_password": "l8r"})["ok"])
            self.ftp("l8r").quit()


FIRMWARE_SIZE = 3145752
GENERAL = "etc/general.conf"


def general_conf(version):
    """The sample general.conf (Latin-1 text around software_version=2.0.14) after a flash."""
    return seed_bytes(GENERAL).replace(b"=2.0.14\n", b"=" + version.encode() + b"\n")


@unittest.skipUnless(ftp_server_available(), "ftpserver.py not present")
class FirmwareTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # c80 flashes for 2 s: long enough to look at it while it does.
        cls.sim = Sim([camera(0x80, flash_seconds=2.0), camera(0x82),
                       camera(0x81, flash_seconds=0.1, flash_version="3.1.0")], ["--ftp-port", "0"])

    @classmethod
    def tearDownClass(cls):
        cls.sim.close()

    def upload(self, st, name, size):
        with ftplib.FTP() as f:
            f.connect(st["settings"]["ip"], st["ftp_port"], timeout=30)
            f.login("root", "pass")
            return f.storbinary("STOR " + name, io.BytesIO(bytes(size)))

    def back(self, cid, restarts):
        def up_again():
            st = self.sim.state(cid)
            return st if st["restarts"] > restarts and st["status"] == "up" else None
        return self.sim.wait_for(up_again, cid + " back from its flash", timeout=30)

    def test_flash_takes_an_image_of_the_exact_size_only(self):
        cid, ip = "c80", "127.0.0.228"
        for size, version in ((FIRMWARE_SIZE - 1, None), (FIRMWARE_SIZE, "2.0.15"),
                              (FIRMWARE_SIZE + 1, None)):
            with self.subTest(size=size):
                before = self.sim.state(cid)
                conf = read_file(before["root"], GENERAL)
                done = {}
                upload = threading.Thread(
                    target=lambda: done.update(reply=self.upload(before, "flash", size)))
                upload.start()
                if version:
                    # While the 226 is held back the camera answers discovery and
                    # another camera's FTP server takes a picture.
                    self.sim.wait_for(lambda: self.sim.state(cid)["flashing"], "the flash", 30)
                    self.sim.send(wire.discovery_request(0x83), ip)
                    self.assertEqual(self.sim.recv_from(ip)[7], 5)
                    self.upload(self.sim.state("c82"), "/etc/html/logo.gif", 100)
                upload.join(60)
                self.assertTrue(done["reply"].startswith("226"))
                st = self.back(cid, before["restarts"]) if version else self.sim.state(cid)
                self.assertEqual(st["restarts"], before["restarts"] + bool(version))
                self.assertEqual(read_file(st["root"], GENERAL), general_conf(version) if version else conf)
                self.assertEqual([(f["name"], f["size"], f["accepted"], f["version"])
                                  for f in st["flashes"][len(before["flashes"]):]],
                                 [("flash", size, bool(version), version)])
                self.assertNotIn("flash", os.listdir(st["root"]))
        # The camera wrote general.conf itself: the next apply does not report it.
        self.sim.send(command(6, mac(0x80), 1, APPLY), ip)
        self.assertEqual(self.sim.recv_from(ip)[7], 0)
        self.assertEqual(self.sim.state(cid)["last_apply"]["changed"], [])

    def test_flash_all_brings_the_factory_files_back_under_the_new_version(self):
        cid, ip = "c81", "127.0.0.240"
        self.assertTrue(self.sim.ctl(cmd="set", id=cid, fields={"host_name": "x", "ip": ip})["ok"])
        st = self.sim.state(cid)
        write_file(st["root"], "etc/ddns.conf", b"edited\n")
        self.assertTrue(self.upload(st, "/flash_all", FIRMWARE_SIZE).startswith("226"))
        st = self.back(cid, st["restarts"])
        self.assertEqual(read_file(st["root"], "etc/ddns.conf"), seed_bytes("etc/ddns.conf"))
        self.assertEqual(read_file(st["root"], GENERAL), general_conf("3.1.0"))
        self.assertEqual((st["settings"]["host_name"], st["settings"]["ip"]), ("h129", ip))

    def test_cut_or_refused_image_is_not_flashed(self):
        cases = [  # (why, FTP faults, bytes the camera took, None when it took no upload)
            ("data connection cut at 1 MiB", {"drop_after": 1048576}, 1048576),
            ("every byte in, then cut", {"drop_after": FIRMWARE_SIZE}, FIRMWARE_SIZE),
            ("disk full at 1 MiB", {"disk_full": 1048576}, 1048576),
            ("STOR refused", {"stor_553": 1}, None),
        ]
        for why, faults, taken in cases:
            with self.subTest(why):
                self.assertTrue(self.sim.ctl(cmd="set", id="c82", fields={"ftp_faults": faults})["ok"])
                before = self.sim.state("c82")
                conf = read_file(before["root"], GENERAL)
                with self.assertRaises((ftplib.Error, OSError)):
                    self.upload(before, "flash", FIRMWARE_SIZE)
                st = self.sim.state("c82")
                self.assertEqual((st["status"], st["restarts"]), ("up", before["restarts"]))
                self.assertEqual(read_file(st["root"], GENERAL), conf)
                self.assertEqual([(f["size"], f["accepted"]) for f in st["flashes"][len(before["flashes"]):]],
                                 [] if taken is None else [(taken, False)])
        self.sim.ctl(cmd="set", id="c82", fields={"ftp_faults": None})


FLEET_SIZE = 200
FLEET_BASE = "127.0.0.250"      # runs on past 127.0.0.254 into 127.0.1.x
FLEET_DEFAULTS = {"model": 1, "model_name": "L60", "command_reply_delay": 0.05,
                  "restart_delay": 0.3}
ANSWER_DELAY = 0.05
# Slack for a loaded machine (tests run several at a time): still well below what a camera
# waiting for another would show (the slow camera's 0.5 s; sixteen answers in a row, 0.8 s).
LATE = 0.4


def fleet_mac(i):
    return bytes([0x00, 0x0A, 0x1B, 0x00, i >> 8, i & 0xFF])


def fleet_ip(i):
    """Where cam<i> of the generated fleet starts: .250...254, then 127.0.1.1 on."""
    return "127.0.0.%d" % (249 + i) if i <= 5 else "127.0.1.%d" % (i - 5)


def host_command(i, name):
    return command(4, fleet_mac(i), 3, bytes([len(name)]) + name)


def static_command(i, ip):
    return command(4, fleet_mac(i), 1, socket.inet_aton(ip) + socket.inet_aton("255.0.0.0")
                   + socket.inet_aton("127.0.0.1"))


class FleetTest(unittest.TestCase):
    """A generated site of 200 cameras, each answering and restarting on its
    own schedule."""

    @classmethod
    def setUpClass(cls):
        cls.sim = Sim(None, ["--count", str(FLEET_SIZE), "--no-ftp", "--bind-base", FLEET_BASE,
                             "--defaults", json.dumps(FLEET_DEFAULTS)])
        if not cls.sim.ready.get("ready"):
            cls.sim.close()
            raise AssertionError(cls.sim.ready)
        cls.commanded = set()       # ids of cameras a test restarted

    def sent_to(self, *cams):
        self.commanded.update("cam%d" % i for i in cams)

    @classmethod
    def tearDownClass(cls):
        cls.sim.close()

    def setUp(self):
        self.sim.pending()

    def answers(self, sends, expect=None):
        """Sends (ip, datagram) pairs back to back, then waits for the first
        reply from each address of expect (default: those sent to).
        Returns {ip: (seconds since the first send, reply)}."""
        expect = set(expect or (ip for ip, _ in sends))
        start = time.monotonic()
        for ip, data in sends:
            self.sim.send(data, ip)
        got = {}
        deadline = start + WAIT
        while not expect <= set(got) and time.monotonic() < deadline:
            try:
                data, sender = self.sim.recv(max(0.01, deadline - time.monotonic()))
            except socket.timeout:
                break
            if sender[0] in expect:
                got.setdefault(sender[0], (time.monotonic() - start, data))
        self.assertEqual(sorted(got), sorted(expect), "cameras that answered")
        return got

    def assert_on_time(self, elapsed, why):
        self.assertGreaterEqual(elapsed, ANSWER_DELAY - 0.005, why)
        self.assertLess(elapsed, ANSWER_DELAY + LATE, why)

    def test_generated_fleet_answers_one_broadcast_with_every_camera(self):
        expected = [{"id": "cam%d" % i, "mac": wire.mac_text(fleet_mac(i)), "ip": fleet_ip(i),
                     "model": 1, "ftp_port": None} for i in range(1, FLEET_SIZE + 1)]
        self.assertEqual(self.sim.ready["cameras"], expected)
        self.assertEqual(fleet_ip(FLEET_SIZE), "127.0.1.195")
        for cid in self.commanded:     # cameras other tests sent commands may still restart
            self.sim.wait_up(cid)
        where = {c["ip"]: c["mac"] for c in self.sim.ctl(cmd="list")["cameras"]}
        got = self.answers([("127.255.255.255", wire.discovery_request())], expect=where)
        for ip, (_t, data) in got.items():
            self.assertEqual((data[7], data[8], wire.mac_text(data[9:15])), (5, 1, where[ip]), ip)
            self.assertIn(b"\x03L60", data)
        self.assertEqual(len(got), FLEET_SIZE)

    def test_sixteen_commands_at_once_are_answered_together(self):
        cams = range(11, 27)
        self.sent_to(*cams)
        got = self.answers([(fleet_ip(i), host_command(i, b"par%d" % i)) for i in cams])
        for i in cams:
            elapsed, data = got[fleet_ip(i)]
            self.assertEqual(data, cmd_reply(fleet_mac(i), wire.REPLY_SUCCESS, 1))
            self.assert_on_time(elapsed, "cam%d" % i)

    def test_a_camera_is_not_held_up_by_another_ones_answer_or_restart(self):
        slow = 30
        self.sent_to(slow, 31, 32)
        self.sim.ctl(cmd="set", id="cam30", fields={"command_reply_delay": 0.5, "restart_delay": 1.0})
        self.sim.send(host_command(slow, b"slow"), fleet_ip(slow))
        # cam31 asks while cam30 holds its answer back, cam32 while cam30 restarts
        got = self.answers([(fleet_ip(31), host_command(31, b"quick"))],
                           expect=[fleet_ip(31), fleet_ip(slow)])
        self.assert_on_time(got[fleet_ip(31)][0], "cam31 during the other's answer delay")
        self.assertGreater(got[fleet_ip(slow)][0], 0.4)
        self.assertEqual(self.sim.state("cam30")["status"], "restarting")
        got = self.answers([(fleet_ip(32), host_command(32, b"quick"))])
        self.assert_on_time(got[fleet_ip(32)][0], "cam32 during the other's restart")
        self.assertEqual(self.sim.state("cam30")["status"], "restarting")
        self.assertEqual(self.sim.state("cam32")["status"], "restarting")

    def test_twenty_cameras_move_at_once_to_new_addresses(self):
        moves = {i: "127.0.1.%d" % (159 + i) for i in range(41, 61)}      # .200 ... .219
        self.sent_to(*moves)
        start = time.monotonic()
        got = self.answers([(fleet_ip(i), static_command(i, ip)) for i, ip in moves.items()])
        for i in moves:
            self.assertEqual(got[fleet_ip(i)][1], cmd_reply(fleet_mac(i), wire.REPLY_SUCCESS, 1))
        for i in moves:
            self.sim.wait_up("cam%d" % i)
        # all of them restarting together: twenty in a row would take 20 x 0.35 s
        in_a_row = len(moves) * (ANSWER_DELAY + FLEET_DEFAULTS["restart_delay"])
        self.assertLess(time.monotonic() - start, in_a_row / 2)
        got = self.answers([(ip, wire.discovery_request(0x83)) for ip in moves.values()])
        self.assertEqual({ip: data[9:15] for ip, (_t, data) in got.items()},
                         {ip: fleet_mac(i) for i, ip in moves.items()})
        entry = self.expect_nothing_at(fleet_ip(41))
        self.assertEqual(entry["verdict"], "no camera at this address")

    def expect_nothing_at(self, ip):
        before = len(self.sim.ctl(cmd="log")["log"])
        self.sim.send(wire.discovery_request(0x83), ip)
        log = self.sim.wait_for(lambda: self.sim.ctl(cmd="log")["log"][before:], "wildcard log")
        self.assertEqual([p for p in self.sim.pending() if p[1][0] == ip], [])
        return log[-1]


class NetworkOptionsTest(unittest.TestCase):
    """ZORA_ALLOWED_NETS and --drop-broadcasts, for the multi-adapter harness
    of tests/site; here on loopback only."""

    def start(self, fleet, args=(), env=None):
        sim = Sim(fleet, ["--no-ftp"] + list(args), env)
        self.addCleanup(sim.close)
        return sim

    def test_allowed_nets_widen_what_a_camera_may_move_to(self):
        cases = [  # (why, new address, reply)
            ("first allowed net", "10.10.0.5", wire.REPLY_SUCCESS),
            ("second allowed net", "192.168.77.50", wire.REPLY_SUCCESS),
            ("outside every allowed net", "10.30.0.5", wire.REPLY_MISMATCH),
            ("allowed net but ending in .255", "10.10.0.255", wire.REPLY_MISMATCH),
        ]
        cams = [camera(0x62 + i) for i in range(len(cases))]
        sim = self.start(cams, env={"ZORA_ALLOWED_NETS": "10.10.0.0/24, 192.168.77.0/24"})
        self.assertTrue(sim.ready["ready"], sim.ready)
        for cam, (why, ip, reply) in zip(cams, cases):
            with self.subTest(why):
                last = int(cam["mac"][-2:], 16)
                body = socket.inet_aton(ip) + socket.inet_aton("255.255.255.0") + socket.inet_aton("127.0.0.1")
                sim.send(command(4, mac(last), 1, body), cam["ip"])
                self.assertEqual(sim.recv_from(cam["ip"]).hex(), cmd_reply(mac(last), reply, 0).hex())
        answer = sim.ctl(cmd="set", id=cams[-1]["id"], fields={"ip": "10.30.0.5"})
        self.assertFalse(answer["ok"])
        self.assertIn("outside 127.0.0.0/8 and ZORA_ALLOWED_NETS", answer["error"])
        # without the variable the same address is refused as before
        plain = self.start([camera(0x6A)])
        self.assertIn("loopback only", plain.ctl(cmd="set", id="c6a", fields={"ip": "10.10.0.5"})["error"])
        bad = self.start([camera(0x6B)], env={"ZORA_ALLOWED_NETS": "10.10.0.0/33"})
        self.assertFalse(bad.ready["ready"])
        self.assertIn("ZORA_ALLOWED_NETS", bad.ready["error"])

    def test_drop_broadcasts_loses_only_the_first_ones(self):
        sim = self.start([camera(0x6C)], ["--drop-broadcasts", "1"])
        ip = "127.0.0.208"
        disc = wire.discovery_request()

        def wild_log(count):
            return sim.wait_for(lambda: sim.ctl(cmd="log")["log"][count:], "wildcard log")
        # a unicast to no camera reaches the wildcard socket and is not dropped
        sim.send(disc, "127.0.0.9")
        self.assertEqual(wild_log(0)[-1]["verdict"], "no camera at this address")
        sim.send(disc)
        self.assertEqual(wild_log(1)[-1]["verdict"], "broadcast dropped (1 of 1)")
        self.assertEqual(sim.pending(), [])
        self.assertEqual(sim.state("c6c")["requests"]["broadcast"], 0)
        sim.send(disc)
        self.assertEqual(sim.recv_from(ip)[9:15], mac(0x6C))
        self.assertEqual(len(sim.ctl(cmd="log")["log"]), 2)


class LifecycleTest(unittest.TestCase):
    def test_exits_cleanly(self):
        for how in ("eof", "quit", "sigterm"):
            with self.subTest(how):
                sim = Sim([camera(0x60)], ["--no-ftp"])
                try:
                    self.assertTrue(sim.ready["ready"])
                    if how == "eof":
                        sim.proc.stdin.close()
                    elif how == "quit":
                        self.assertTrue(sim.ctl(cmd="quit")["ok"])
                    else:
                        sim.proc.send_signal(signal.SIGTERM)
                    self.assertEqual(sim.proc.wait(5), 0)
                finally:
                    sim.close()

    def test_demo_fleet(self):
        sim = Sim(None, ["--no-ftp"])
        try:
            cams = {c["id"]: c for c in sim.ready["cameras"]}
            tails = [  # (camera, end of its discovery reply)
                ("cam1", "010100 020101 030105 040101"),
                ("cam4", "020100 03010a 040100"),      # the file-configured camera without audio
            ]
            for cid, tail in tails:
                with self.subTest(cid):
                    ip = cams[cid]["ip"]
                    sim.send(wire.discovery_request(0x83), ip)
                    self.assertTrue(sim.recv_from(ip).hex().endswith(tail.replace(" ", "")))
        finally:
            sim.close()

    def test_refuses_what_it_cannot_bind(self):
        cases = [  # (why, fleet or None, options, part of the error)
            ("address outside loopback", [camera(0x61, ip="10.0.0.1")], [], "outside 127.0.0.0/8"),
            ("address ending in .0", [camera(0x61, ip="127.0.1.0")], [], ".0 or .255"),
            ("base ending in .255", None, ["--count", "2", "--bind-base", "127.0.0.255"],
             ".0 or .255"),
            ("fleet running past 127.255.255.254", None,
             ["--count", "3", "--bind-base", "127.255.255.253"], "camera 3"),
            ("defaults giving every camera one MAC", None,
             ["--count", "2", "--defaults", '{"mac": "00:0A:1B:00:00:01"}'], "cannot set mac"),
        ]
        for why, fleet, options, error in cases:
            with self.subTest(why):
                sim = Sim(fleet, ["--no-ftp"] + options)
                try:
                    self.assertFalse(sim.ready["ready"])
                    self.assertIn(error, sim.ready["error"])
                    self.assertEqual(sim.proc.wait(5), 2)
                finally:
                    sim.close()


if __name__ == "__main__":
    unittest.main()
