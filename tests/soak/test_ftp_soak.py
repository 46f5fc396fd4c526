#!/usr/bin/python3
"""FTP fault soak: a hundred simulated file-configured cameras, each with one
fault of its FTP server (or none), go through one `zoractl config backup --all`
and one `zoractl config set --cameras FILE` (200 camera runs), and every
camera must end as its fault says: in bounded time, with the right result,
local copies never lost or half-written, no half-written file on the
camera under a final name, and no temporary name left behind by a failed set.

    test_ftp_soak.py --zoractl PATH [unittest options]

The binary may also come as ZORA_ZORACTL. The fleet is drawn from a fixed
seed, so every run soaks the same fleet.
"""

import hashlib
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "support"))
import test_ports  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
CAMSIM = os.path.join(REPO, "tools", "camsim", "camsim.py")
SEED_DIR = os.path.join(REPO, "tests", "data", "camfiles")
PYTHON = "/usr/bin/python3"

SEED = 20240611
CAMERAS = 100
PARALLEL = 16
SCAN_S = 2.0
ADDRESS = "127.0.70.%d"          # cameras at .10 up
MAC = "00:0A:1B:5E:00:%02X"

# What the tool allows a transfer of one file set (ConfigTransferSession::kTimeoutMs);
# a camera that never finishes one is "no answer" after it. The FTP client's own
# reply limit (FtpClient::Limits::replyMs, 15 s) is longer, so this one ends them.
RUN_LIMIT_S = 10.0
# The limit is a coarse QTimer, which may fire up to 5 % early.
RUN_LIMIT_EARLIEST_S = 0.95 * RUN_LIMIT_S - 0.05
# Late values above both: the run's limit ends them, not the server.
ABOVE_LIMITS_S = 16

# One fault a camera, with the values it may take: small enough that a camera
# with a fault that does not break the run still ends well inside RUN_LIMIT_S.
FAULTS = {
    "login_530": [1],
    "no_greeting": [1],
    "drop_after": [120, 200, 300, 400],
    "stor_553": [1, "periodic_timer.conf.tmp", "hw_motion.conf.tmp"],
    "disk_full": [16, 100, 250],
    "rnto_refused": [1],
    # 130 B/s holds back the one file over 384 bytes (thttpd.conf) once, ~2 s.
    "slow_data": [130],
    "late_reply": [0.01, 0.02, 0.03, ABOVE_LIMITS_S],
    "late_final": [0.05, 0.1, 0.2, ABOVE_LIMITS_S],
}

# What a backup of a model 0 camera without audio fetches, in the tool's local names.
BACKUP_FILES = {
    "ddns.conf": "etc/ddns.conf",
    "thttpd.conf": "etc/thttpd.conf",
    "title.js": "etc/html/title.js",
    "udp_server.conf": "etc/udp_server.conf",
    "tcp_server.conf": "etc/tcp_server.conf",
    "rc.server": "etc/rc.server",
    "dio_input.conf": "etc/event/dio_input.conf",
    "periodic_timer.conf": "etc/event/periodic_timer.conf",
    "hw_motion.conf": "etc/event/hw_motion.conf",
    "middle.conf": "etc/middle.conf",
    "control.conf": "etc/control.conf",
    "general.conf": "etc/general.conf",
    "rc.iptables": "etc/rc.iptables",
}
# The field the set changes, and the event page's files: fetched, then all three
# stored as NAME.tmp in this order and moved into place.
ASSIGNMENT = "event.input.ftp_port=2121"
SET_FILE = "etc/event/dio_input.conf"
SET_FILES = ["etc/event/dio_input.conf", "etc/event/periodic_timer.conf",
             "etc/event/hw_motion.conf"]

STATUS = {"success": 0, "transfer failed": 3, "authentication failed": 4, "no answer": 7}
MAC_RE = re.compile(r"^[0-9A-F]{2}(:[0-9A-F]{2}){5}$")

ZORACTL = os.environ.get("ZORA_ZORACTL", "")


def read_tree(root):
    tree = {}
    for base, _dirs, names in os.walk(root):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                tree[os.path.relpath(path, root)] = f.read()
    return tree


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def draw_fleet():
    """Every fault value once, the rest drawn, in a drawn order."""
    rng = random.Random(SEED)
    kinds = ["none"] + sorted(FAULTS)
    picks = [("none", None)] + [(k, v) for k in sorted(FAULTS) for v in FAULTS[k]]
    while len(picks) < CAMERAS:
        kind = rng.choice(kinds)
        picks.append((kind, None if kind == "none" else rng.choice(FAULTS[kind])))
    rng.shuffle(picks)
    fleet = []
    for i, (kind, value) in enumerate(picks):
        cam = {"id": "s%d" % i, "mac": MAC % i, "ip": ADDRESS % (10 + i), "model": 0,
               "host_name": "soak-%d" % i, "audio": False, "restart_delay": 0.2}
        if kind != "none":
            cam["ftp_faults"] = {kind: value}
        fleet.append((cam, kind, value))
    return fleet


class Expect:
    """What one camera's fault does to a backup and to the set."""

    def __init__(self, kind, value, seed):
        self.kind, self.value = kind, value
        backup_sizes = [len(seed[p]) for p in BACKUP_FILES.values()]
        set_sizes = [len(seed[p]) for p in SET_FILES]
        stored = [p + ".tmp" for p in SET_FILES]
        timeout = kind == "no_greeting" or (kind in ("late_reply", "late_final")
                                            and value >= RUN_LIMIT_S)
        if kind == "login_530":
            self.backup = self.set = "authentication failed"
        elif timeout:
            self.backup = self.set = "no answer"
        elif kind == "drop_after":
            # Cut after K bytes, both ways: a file that fits goes through.
            self.backup = "transfer failed" if max(backup_sizes) > value else "success"
            self.set = "transfer failed" if max(set_sizes) > value else "success"
        elif kind == "stor_553":
            refused = [s for s in stored if value == 1 or s.endswith(str(value))]
            self.backup, self.set = "success", "transfer failed" if refused else "success"
        elif kind == "disk_full":
            self.backup, self.set = "success", ("transfer failed" if max(set_sizes) > value
                                                else "success")
        elif kind == "rnto_refused":
            self.backup, self.set = "success", "transfer failed"
        else:
            self.backup = self.set = "success"
        self.timeout = timeout
        # The tool moves each NAME.tmp into place with "DELE NAME", "RNFR", "RNTO": a
        # refused rename leaves the camera without that file.
        self.lacking = {SET_FILE} if kind == "rnto_refused" else set()

    def label(self):
        return self.kind if self.kind == "none" else "%s=%s" % (self.kind, self.value)

    def bound_s(self):
        """How long one camera's run may take: a camera the run's limit ends, that
        limit and a margin; any other camera, far less than the limit."""
        return RUN_LIMIT_S + 4.0 if self.timeout else 8.0


class Watch:
    """Looks at the local copies while a command runs: every file under its final
    name, in the tool's scratch folders and in the backup folder, must be whole.
    The tool writes each under another name first and renames it, so a check here
    never meets a file in the middle of being written; a folder that moves away while
    it is read is skipped."""

    def __init__(self, scratch, allowed, backups=None):
        self.scratch, self.allowed, self.backups = scratch, allowed, backups
        self.faults, self.seen = [], 0
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join()

    def _run(self):
        while not self._stop.wait(0.1):
            self._scratch()
            if self.backups:
                self._backup_folders()

    def _scratch(self):
        for base, _dirs, names in os.walk(self.scratch):
            for name in names:
                if name not in self.allowed:
                    continue          # NAME.fetching and the like: not in place yet
                try:
                    with open(os.path.join(base, name), "rb") as f:
                        data = f.read()
                except FileNotFoundError:
                    continue
                self.seen += 1
                if data not in self.allowed[name]:
                    self.faults.append("working copy %s: %d bytes, none of its known contents"
                                       % (os.path.join(base, name), len(data)))

    def _backup_folders(self):
        root, judge = self.backups
        try:
            names = os.listdir(root)
        except FileNotFoundError:
            return
        for name in names:
            # Only folders under a camera's name: ".MAC.partial" is not done yet, and
            # "MAC.old" is the older backup stepping aside, on its way out.
            if not MAC_RE.match(name.replace("-", ":")):
                continue
            path = os.path.join(root, name)
            try:
                fd = os.open(path, os.O_RDONLY | os.O_DIRECTORY)
            except (FileNotFoundError, NotADirectoryError):
                continue
            try:
                files = {}
                for entry in os.listdir(fd):
                    f = os.open(entry, os.O_RDONLY, dir_fd=fd)
                    with os.fdopen(f, "rb") as fo:
                        files[entry] = fo.read()
                # Still the folder of that name: it was not being removed meanwhile.
                if os.stat(path).st_ino != os.fstat(fd).st_ino:
                    continue
            except FileNotFoundError:
                continue
            finally:
                os.close(fd)
            problem = judge(name, files)
            if problem:
                self.faults.append("backup folder %s: %s" % (name, problem))


class FtpFaultSoak(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        if not ZORACTL:
            raise unittest.SkipTest("needs --zoractl PATH or ZORA_ZORACTL")
        cls.work = tempfile.mkdtemp(prefix="zora-soak-")
        cls.seed = read_tree(SEED_DIR)
        cls.fleet = draw_fleet()
        cls.expect = {cam["mac"]: Expect(kind, value, cls.seed) for cam, kind, value in cls.fleet}
        fleet_file = os.path.join(cls.work, "fleet.json")
        with open(fleet_file, "w") as f:
            json.dump([cam for cam, _k, _v in cls.fleet], f)
        cls.ftp_port = test_ports.reserved_port()
        env = dict(os.environ, ZORA_LOOPBACK_ONLY="1")
        cls.sim = subprocess.Popen(
            # Camera port 0: the simulator binds a free one and names it when ready.
            [PYTHON, CAMSIM, "--fleet", fleet_file, "--camera-port", "0",
             "--ftp-port", str(cls.ftp_port), "--state-dir", os.path.join(cls.work, "state")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, env=env)
        ready = json.loads(cls.sim.stdout.readline() or "{}")
        if not ready.get("ready"):
            cls.sim.kill()
            cls.sim.wait()
            raise RuntimeError("camsim did not start: %s" % ready)
        cls.camera_port = ready["camera_port"]
        cls.roots = {cam["mac"]: cls.control({"cmd": "get", "id": cam["id"]})["state"]["root"]
                     for cam, _k, _v in cls.fleet}
        cls.app_dir = os.path.join(cls.work, "app")
        cls.scratch = os.path.join(cls.work, "tmp")
        cls.out = os.path.join(cls.work, "backup")
        os.makedirs(cls.scratch)
        os.makedirs(cls.out)
        cls.runs = {}

    @classmethod
    def tearDownClass(cls):
        try:
            cls.control({"cmd": "quit"})
        finally:
            cls.sim.stdin.close()
            cls.sim.wait(20)
            cls.sim.stdout.close()
            shutil.rmtree(cls.work, ignore_errors=True)

    @classmethod
    def control(cls, request):
        cls.sim.stdin.write(json.dumps(request) + "\n")
        cls.sim.stdin.flush()
        answer = json.loads(cls.sim.stdout.readline())
        if not answer.get("ok"):
            raise RuntimeError("camsim: %s" % answer)
        return answer

    @classmethod
    def zoractl(cls, args, bound_s):
        """Runs one command; its JSON results by MAC, when each camera's result line
        reached standard error (seconds after the start), the status and the time."""
        env = {k: v for k, v in os.environ.items() if k not in ("ZORA_PASSWORD", "ZORA_PPPOE_PASSWORD")}
        env.update(ZORA_LOOPBACK_ONLY="1", ZORA_PASSWORD="pass", TMPDIR=cls.scratch)
        shared = ["--broadcast", "127.255.255.255", "--camera-port", str(cls.camera_port),
                  "--local-port", str(test_ports.reserved_port()), "--ftp-port", str(cls.ftp_port),
                  "--app-dir", cls.app_dir, "--user", "root", "--parallel", str(PARALLEL),
                  "--timeout", str(SCAN_S), "--json"]
        start = time.monotonic()
        p = subprocess.Popen([ZORACTL] + args + shared, env=env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        ended, err = {}, []
        out = []
        reader = threading.Thread(target=lambda: out.append(p.stdout.read()), daemon=True)
        reader.start()
        # Only a guard against a hang: the bound itself is asserted by the caller.
        killer = threading.Timer(bound_s + 30, p.kill)
        killer.start()
        for line in p.stderr:
            err.append(line)
            word = line.split(" ", 1)[0]
            if MAC_RE.match(word):
                ended.setdefault(word, time.monotonic() - start)
        status = p.wait()
        elapsed = time.monotonic() - start
        killer.cancel()
        reader.join()
        p.stdout.close()
        p.stderr.close()
        try:
            results = json.loads(out[0])
        except ValueError:
            raise AssertionError("zoractl %s: status %d, no JSON:\n%s%s"
                                 % (args[:2], status, out[0], "".join(err)))
        return {"results": results, "ended": ended, "status": status, "elapsed": elapsed,
                "stderr": "".join(err), "took": [], "took_timeout": []}

    def command_bound(self):
        """List scheduling: no command outlasts its scan, the cameras' bounds shared
        out over the parallel slots, and the longest of them."""
        bounds = [e.bound_s() for e in self.expect.values()]
        return SCAN_S + 3.0 + sum(bounds) / PARALLEL + max(bounds)

    # The runs go in order: a backup of the fleet, then the set, then the camera files.

    def test_1_backup(self):
        # Every other camera has an older backup; a camera that fails must keep it whole.
        previous = {}
        for i, (cam, _k, _v) in enumerate(self.fleet):
            if i % 2:
                continue
            folder = os.path.join(self.out, cam["mac"].replace(":", "-"))
            os.makedirs(folder)
            tree = {name: self.seed[rel] + b"# older backup\n" for name, rel in BACKUP_FILES.items()}
            tree["manifest.json"] = json.dumps({"mac": cam["mac"], "time_utc": "2001-01-01T00:00:00Z",
                                                "files": [{"name": n, "sha256": sha256(d)}
                                                          for n, d in sorted(tree.items())]}).encode()
            tree["settings.json"] = b"{}"
            for name, data in tree.items():
                with open(os.path.join(folder, name), "wb") as f:
                    f.write(data)
            previous[cam["mac"].replace(":", "-")] = tree

        def judge(name, files):
            if name in previous and files == previous[name]:
                return None
            return self.fresh_backup_problem(name.replace("-", ":"), files)

        allowed = {name: {self.seed[rel]} for name, rel in BACKUP_FILES.items()}
        bound = self.command_bound()
        with Watch(self.scratch, allowed, (self.out, judge)) as watch:
            run = self.zoractl(["config", "backup", "--all", "--out", self.out], bound)
        type(self).runs["backup"] = run
        self.assertEqual(watch.faults, [])
        self.assertGreater(watch.seen, 0, "no working copy was ever looked at")
        self.check_run(run, "backup", bound)

        # Each camera's own time: its result line came when it ended, and it began when
        # a slot freed (the cameras go in the order of the results; the first slots
        # right after the scan).
        self.assertEqual(sorted(run["ended"]), sorted(self.expect), "a camera printed no result line")
        ends = sorted(run["ended"].values())
        for k, r in enumerate(run["results"]):
            mac, e = r["mac"], self.expect[r["mac"]]
            took = run["ended"][mac] - (ends[k - PARALLEL] if k >= PARALLEL else 0.0)
            limit = e.bound_s() + (SCAN_S + 1.0 if k < PARALLEL else 0.0)
            self.assertLessEqual(took, limit, "%s (%s) took %.1f s" % (mac, e.label(), took))
            if e.timeout:
                self.assertGreaterEqual(took, RUN_LIMIT_EARLIEST_S,
                                        "%s (%s) ended before the run's limit" % (mac, e.label()))
            run["took_timeout" if e.timeout else "took"].append(took)

        # The folders: a fresh whole one for each camera that succeeded; the older one,
        # byte for byte, or nothing for each that failed; nothing half-made beside them.
        self.assertEqual(sorted(n for n in os.listdir(self.out)
                                if n.startswith(".") or not MAC_RE.match(n.replace("-", ":"))), [])
        cases = set()
        for r in run["results"]:
            mac, folder = r["mac"], r["mac"].replace(":", "-")
            path = os.path.join(self.out, folder)
            cases.add((r["result"] == "success", folder in previous))
            if r["result"] == "success":
                self.assertEqual(r["message"], path)
                self.assertIsNone(self.fresh_backup_problem(mac, read_tree(path)), mac)
            elif folder in previous:
                self.assertEqual(read_tree(path), previous[folder], "%s lost its older backup" % mac)
            else:
                self.assertFalse(os.path.exists(path), "%s failed but has a folder" % mac)
        self.assertEqual(cases, {(True, True), (True, False), (False, True), (False, False)})

        # Fetching left every camera as it was.
        for mac, root in self.roots.items():
            self.assertEqual(read_tree(root), self.seeded(), "%s changed by a backup" % mac)

    def fresh_backup_problem(self, mac, files):
        if set(files) != set(BACKUP_FILES) | {"manifest.json", "settings.json"}:
            return "files %s" % sorted(files)
        try:
            manifest = json.loads(files["manifest.json"])
            settings = json.loads(files["settings.json"])
        except ValueError as exc:
            return "unreadable JSON: %s" % exc
        if manifest.get("mac") != mac or manifest.get("daemons") != ["head_a", "head_b"]:
            return "manifest %s" % manifest
        if settings.get("host", {}).get("host") != "soak-%d" % int(mac[-2:], 16):
            return "settings %s" % settings
        listed = {f["name"]: f for f in manifest.get("files", [])}
        for name, rel in BACKUP_FILES.items():
            if files[name] != self.seed[rel]:
                return "%s is not the camera's" % name
            if name not in listed or listed[name]["sha256"] != sha256(files[name]) \
                    or listed[name]["size"] != len(files[name]):
                return "%s does not match the manifest" % name
        return None

    def seeded(self):
        return dict(self.seed)

    def written(self):
        seed = self.seed[SET_FILE]
        # The [FTP] section's port, the only line the field moves.
        changed = seed.replace(b"[FTP]\nenable=true\nserver=127.0.0.1\nport=21\n",
                               b"[FTP]\nenable=true\nserver=127.0.0.1\nport=2121\n")
        self.assertNotEqual(changed, seed)
        return changed

    def test_2_set(self):
        if "backup" not in self.runs:
            self.skipTest("the backup did not run")
        cameras = os.path.join(self.work, "cameras.txt")
        with open(cameras, "w") as f:
            f.write("# the soak fleet\n" + "".join(cam["mac"] + "\n" for cam, _k, _v in self.fleet))
        allowed = {os.path.basename(p): {self.seed[p]} for p in SET_FILES}
        allowed[os.path.basename(SET_FILE)].add(self.written())
        bound = self.command_bound()
        with Watch(self.scratch, allowed) as watch:
            run = self.zoractl(["config", "set", "--cameras", cameras, ASSIGNMENT], bound)
        type(self).runs["set"] = run
        self.assertEqual(watch.faults, [])
        self.assertGreater(watch.seen, 0, "no working copy was ever looked at")
        self.check_run(run, "set", bound)
        for r in run["results"]:
            if r["result"] == "success":
                self.assertEqual(r["message"], "changed event", r["mac"])

        # The camera side: each file its seed, or the set's value where the set succeeded;
        # none half-written under its final name. A failed set takes its NAME.tmp off the
        # camera, except where the move failed: with NAME gone, that is its only copy.
        for r in run["results"]:
            mac, e = r["mac"], self.expect[r["mac"]]
            now = read_tree(self.roots[mac])
            want = self.seeded()
            if r["result"] == "success":
                want[SET_FILE] = self.written()
            for rel in e.lacking:
                del want[rel]
            finals = {rel: data for rel, data in now.items() if not rel.endswith(".tmp")}
            for rel, data in finals.items():
                self.assertIn(rel, want, "%s (%s) holds an unknown file %s" % (mac, e.label(), rel))
                self.assertEqual(data, want[rel], "%s (%s): %s is neither seed nor set value"
                                 % (mac, e.label(), rel))
            self.assertEqual(sorted(set(want) - set(finals)), [],
                             "%s (%s) lost files" % (mac, e.label()))
            leftovers = sorted(rel for rel in now if rel.endswith(".tmp"))
            self.assertEqual(leftovers, sorted(rel + ".tmp" for rel in e.lacking),
                             "%s (%s)" % (mac, e.label()))

    def check_run(self, run, which, bound):
        results = run["results"]
        self.assertEqual(sorted(r["mac"] for r in results), sorted(self.expect),
                         run["stderr"][-2000:])
        self.assertLessEqual(run["elapsed"], bound, "%s took %.1f s" % (which, run["elapsed"]))
        wrong = []
        for r in results:
            e = self.expect[r["mac"]]
            want = getattr(e, which)
            if r["result"] != want or r["status"] != STATUS[want] or (
                    want == "no answer" and "did not end within 10 s" not in r["message"]):
                wrong.append("%s (%s): %s/%s %r, expected %s" % (r["mac"], e.label(), r["result"],
                                                                r["status"], r["message"], want))
        self.assertEqual(wrong, [])
        failed = any(r["status"] != 0 for r in results)
        self.assertEqual(run["status"], 9 if failed else 0)
        # The scratch folders went with the run, and no working copy is in the
        # application folder.
        self.assertEqual(os.listdir(self.scratch), [])
        for base, _dirs, names in os.walk(self.app_dir):
            for name in names:
                self.assertFalse(name in BACKUP_FILES or name.endswith((".fetching", ".tmp")),
                                 os.path.join(base, name))

    def test_3_summary(self):
        if set(self.runs) != {"backup", "set"}:
            self.skipTest("the runs did not both end")
        table = {}
        for which in ("backup", "set"):
            for r in self.runs[which]["results"]:
                kind = self.expect[r["mac"]].kind
                row = table.setdefault(kind, {"n": 0, "backup": {}, "set": {}})
                row[which][r["result"]] = row[which].get(r["result"], 0) + 1
                if which == "backup":
                    row["n"] += 1
        parts = []
        for kind in sorted(table):
            row = table[kind]
            cells = ["%s %s" % (w, ",".join("%d %s" % (n, res) for res, n in sorted(row[w].items())))
                     for w in ("backup", "set")]
            parts.append("%s(%d): %s" % (kind, row["n"], "; ".join(cells)))
        total = sum(self.runs[w]["elapsed"] for w in ("backup", "set"))
        backup = self.runs["backup"]
        cameras = ""
        if backup["took"] and backup["took_timeout"]:
            cameras = "; a backup camera at most %.1f s, %.1f-%.1f s when the run's limit ended it" % (
                max(backup["took"]), min(backup["took_timeout"]), max(backup["took_timeout"]))
        print("\nftp soak: %d runs over %d cameras in %.1f s (backup %.1f s, set %.1f s%s) | %s"
              % (2 * CAMERAS, CAMERAS, total, backup["elapsed"], self.runs["set"]["elapsed"],
                 cameras, " | ".join(parts)), file=sys.stderr)


def main():
    argv = sys.argv[:1]
    args = iter(sys.argv[1:])
    for a in args:
        if a == "--zoractl":
            os.environ["ZORA_ZORACTL"] = os.path.abspath(next(args))
        elif a.startswith("--zoractl="):
            os.environ["ZORA_ZORACTL"] = os.path.abspath(a.split("=", 1)[1])
        else:
            argv.append(a)
    global ZORACTL
    ZORACTL = os.environ.get("ZORA_ZORACTL", "")
    unittest.main(argv=argv, verbosity=2)


if __name__ == "__main__":
    main()
