"""A site in a box: several network adapters, each with simulated cameras
behind it, for end-to-end tests of what loopback cannot show (which adapter a
broadcast leaves by, cameras in a foreign subnet, a lossy segment).

It must run inside a fresh network namespace of the test's own (run.py puts
the tests under `unshare -n -m`); it refuses to start anywhere else, so it
never touches the machine's real network.

    from sitebox import SiteBox

    segments = [
        {"name": "office", "tool_address": "10.10.0.1/24", "default_route": True,
         "cameras": [{"id": "o1", "mac": "00:0A:1B:5A:00:11", "ip": "10.10.0.11"}]},
        {"name": "yard", "tool_address": "10.20.0.1/24", "drop_broadcasts": 1,
         "cameras": [{"id": "y1", "mac": "00:0A:1B:5A:01:11", "ip": "10.20.0.11"},
                     {"id": "lost", "mac": "00:0A:1B:5A:01:50", "ip": "192.168.77.50"}],
         "extra_addresses": ["10.20.0.60"]},
    ]
    with SiteBox(segments) as box:
        subprocess.run([zoractl, ...], env=box.env())
        box.control("yard", {"cmd": "get", "id": "y1"})   # any camsim control line
        box.get("y1")                                      # the same, found by camera id

Segment keys:
  name            adapter name stem: the tool's adapter is <name>0 (at most 14 characters)
  tool_address    the tool's address on it with its prefix, "10.20.0.1/24"
  cameras         camsim fleet entries, each with its own "ip" (anywhere: an address
                  outside the segment's subnet makes a misaddressed camera); "mask" and
                  "gateway" default to the segment's prefix and the last host of the
                  camera's own subnet (.254), "id" to <name><n>
  extra_addresses further addresses answered on the camera side (no camera behind
                  them; datagrams to them end in camsim's own log), e.g. where a camera
                  will be moved to
  default_route   the tool's default route goes via this segment (at most one segment)
  gateway         that route's gateway, default the last host of the tool's subnet (.254)
  drop_broadcasts camsim --drop-broadcasts: the first N broadcasts on this segment are lost
  ftp             start camsim's FTP servers (default off: --no-ftp)
  camsim_args     further camsim options, a list

Each segment is a network namespace of its own holding one camsim; a veth pair
links it to the tool's namespace (<name>0 there, eth0 on the camera side, which
also has an on-link default route so every camera can answer whatever its
address). Camera addresses take the segment's prefix length, 8..24 (camsim
tells a broadcast by a destination ending in .255).

What the kernel does with this, which tests can lean on:
  - a send to 255.255.255.255 without naming an adapter leaves by the default
    route's adapter only (none at all without a default route); out of another
    adapter it takes IP_PKTINFO (or SO_BINDTODEVICE) with that adapter's index;
  - rp_filter is loose (2) on the tool's side: with strict filtering the reply
    of a misaddressed camera, and even its ARP request for the tool's address,
    are dropped, as they come in on an adapter the route back does not use.
    Loose filtering still needs some route to the sender: the default route;
  - a unicast from the tool to a misaddressed camera follows the routing table
    (the default route), not the adapter the camera answered on.

Also exported: SiteBoxError, CAMERA_PORT (32154), TOOL_PORT (32153), links().

Attributes and methods of a running box:
  box.nets                 the box's networks, collapsed ("10.10.0.0/24", ...)
  box.env(**extra)         environment for the tool: ZORA_LOOPBACK_ONLY=1,
                           ZORA_ALLOWED_NETS=<box.nets>, QT_QPA_PLATFORM=offscreen
  box.adapter(segment)     the tool's adapter name, "yard0"
  box.ifindex(segment)     its interface index
  box.ready[segment]       camsim's ready line (cameras with their addresses)
  box.control(segment, obj) one control line to that segment's camsim, its answer
  box.get(camera_id)       that camera's state (camsim "get"), found by its id
  box.segment_of(camera_id)
  box.ns_pid(segment)      a process in the camera namespace (nsenter -t PID -n ...)
  box.close()              what leaving the with block does (also after a failure)
"""

import atexit
import ctypes
import ipaddress
import json
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO_ROOT = os.path.dirname(os.path.dirname(HERE))
CAMSIM = os.path.join(REPO_ROOT, "tools", "camsim", "camsim.py")
PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
CAMERA_PORT = 32154
TOOL_PORT = 32153
CAMERA_IFNAME = "eth0"
WAIT = 5.0          # upper bound for a camsim to start or answer a control line

SEGMENT_KEYS = {"name", "tool_address", "cameras", "extra_addresses", "default_route", "gateway",
                "drop_broadcasts", "ftp", "camsim_args"}
NAME = re.compile(r"^[a-z][a-z0-9]{0,13}$")
_open_boxes = set()        # closed at exit too, for a run cut short by a signal


class SiteBoxError(RuntimeError):
    pass


def links():
    """Names of the links of this network namespace, "office0@if2" read as "office0"."""
    out = subprocess.run(["ip", "-o", "link"], check=True, capture_output=True, text=True).stdout
    return [line.split(": ", 2)[1].split("@")[0] for line in out.splitlines() if line.strip()]


def _die_with_parent():
    """Camera namespaces and camsims must not outlive the harness, even a killed one."""
    parent = os.getpid()

    def prepare():
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(1, signal.SIGKILL)          # PR_SET_PDEATHSIG
        if os.getppid() != parent:
            os._exit(1)
    return prepare


def _ip_batch(commands, ns_pid=None, force=False):
    argv = ["ip"] + (["-force"] if force else []) + ["-batch", "-"]
    if ns_pid is not None:
        argv = ["nsenter", "-t", str(ns_pid), "-n"] + argv
    done = subprocess.run(argv, input="".join(c + "\n" for c in commands),
                          capture_output=True, text=True)
    if done.returncode != 0 and not force:
        raise SiteBoxError("ip failed (%s): %s" % ("camera namespace %d" % ns_pid if ns_pid
                                                   else "tool namespace", done.stderr.strip()))


def _write_sysctl(path, value):
    with open("/proc/sys/net/ipv4/" + path, "w") as f:
        f.write(str(value))


class _Lines:
    """Line reader on a pipe with a deadline, so a hung camsim fails the test
    instead of hanging it."""

    def __init__(self, fd):
        self.fd = fd
        self.buf = b""

    def readline(self, timeout):
        deadline = time.monotonic() + timeout
        while b"\n" not in self.buf:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                raise SiteBoxError("camsim said nothing within %.1f s" % timeout)
            chunk = os.read(self.fd, 65536)
            if not chunk:
                raise SiteBoxError("camsim exited")
            self.buf += chunk
        line, self.buf = self.buf.split(b"\n", 1)
        return line.decode("utf-8")


class _Segment:
    def __init__(self, layout):
        unknown = set(layout) - SEGMENT_KEYS
        if unknown:
            raise SiteBoxError("unknown segment keys %s" % sorted(unknown))
        self.name = layout["name"]
        if not NAME.match(self.name):
            raise SiteBoxError("segment name %r: a-z0-9, at most 14, starting with a letter"
                               % self.name)
        self.adapter = self.name + "0"
        self.tool = ipaddress.IPv4Interface(layout["tool_address"])
        if "/" not in layout["tool_address"] or not 8 <= self.tool.network.prefixlen <= 24:
            # camsim tells a broadcast by its destination ending in .255, so a
            # longer prefix would make the subnet's broadcast look like a unicast.
            raise SiteBoxError("%s: tool_address needs a prefix length of 8..24" % self.name)
        self.prefix = self.tool.network.prefixlen
        self.cameras = [dict(c) for c in layout.get("cameras", [])]
        for cam in self.cameras:
            if "ip" not in cam:
                raise SiteBoxError("%s: every camera needs its own ip" % self.name)
            own = ipaddress.IPv4Interface("%s/%d" % (cam["ip"], self.prefix)).network
            cam.setdefault("mask", str(own.netmask))
            cam.setdefault("gateway", str(own.broadcast_address - 1))
        self.default_route = bool(layout.get("default_route", False))
        self.gateway = layout.get("gateway") or str(self.tool.network.broadcast_address - 1)
        self.drop_broadcasts = int(layout.get("drop_broadcasts", 0))
        self.ftp = bool(layout.get("ftp", False))
        self.camsim_args = list(layout.get("camsim_args", []))
        wanted = [c["ip"] for c in self.cameras] + list(layout.get("extra_addresses", []))
        if self.default_route:
            wanted.append(self.gateway)
        self.camera_side = list(dict.fromkeys(str(ipaddress.IPv4Address(a)) for a in wanted))
        self.holder = None
        self.sim = None
        self.lines = None
        self.lock = threading.Lock()

    def interfaces(self):
        return [self.tool] + [ipaddress.IPv4Interface("%s/%d" % (a, self.prefix))
                              for a in self.camera_side]


@atexit.register
def _close_all():
    for box in list(_open_boxes):
        box.close()


class SiteBox:
    def __init__(self, segments):
        self.segments = {}
        for layout in segments:
            seg = _Segment(layout)
            if seg.name in self.segments:
                raise SiteBoxError("two segments named %r" % seg.name)
            self.segments[seg.name] = seg
        if sum(s.default_route for s in self.segments.values()) > 1:
            raise SiteBoxError("at most one segment carries the default route")
        self.by_camera = {}
        for seg in self.segments.values():
            for i, cam in enumerate(seg.cameras):
                cam.setdefault("id", "%s%d" % (seg.name, i + 1))
                if cam["id"] in self.by_camera:
                    raise SiteBoxError("two cameras with id %r" % cam["id"])
                self.by_camera[cam["id"]] = seg.name
        nets = [i.network for s in self.segments.values() for i in s.interfaces()]
        self.nets = [str(n) for n in ipaddress.collapse_addresses(nets)]
        self.ready = {}
        self.dir = None
        self.started = False

    # --- with ------------------------------------------------------------
    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def start(self):
        found = links()
        if found != ["lo"]:
            raise SiteBoxError("not in a fresh network namespace of our own (links: %s); "
                               "run under `unshare -n -m` (tests/site/run.py does)"
                               % ", ".join(found))
        self.started = True
        _open_boxes.add(self)
        self.dir = tempfile.mkdtemp(prefix="sitebox-")
        segs = list(self.segments.values())
        for seg in segs:
            seg.holder = subprocess.Popen(
                ["unshare", "-n", "sh", "-c", "echo up; exec sleep infinity"],
                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, preexec_fn=_die_with_parent())
        for seg in segs:
            if _Lines(seg.holder.stdout.fileno()).readline(WAIT) != "up":
                raise SiteBoxError("camera namespace of %s did not come up" % seg.name)
        # Loose reverse-path filtering: a reply from a camera outside the
        # adapter's subnet would otherwise be dropped (and so would its ARP).
        _write_sysctl("conf/default/rp_filter", 2)
        _write_sysctl("conf/all/rp_filter", 2)
        _ip_batch(["link set lo up"] + ["link add %s type veth peer name %s netns %d"
                                        % (s.adapter, CAMERA_IFNAME, s.holder.pid) for s in segs])
        for seg in segs:
            _ip_batch(["link set lo up"]
                      + ["addr add %s/%d dev %s" % (a, seg.prefix, CAMERA_IFNAME)
                         for a in seg.camera_side]
                      + ["link set %s up" % CAMERA_IFNAME,
                         "route add default dev %s" % CAMERA_IFNAME], ns_pid=seg.holder.pid)
        tool = []
        for seg in segs:
            tool += ["addr add %s dev %s" % (seg.tool.with_prefixlen, seg.adapter),
                     "link set %s up" % seg.adapter]
            if seg.default_route:
                tool.append("route add default via %s dev %s" % (seg.gateway, seg.adapter))
        _ip_batch(tool)
        for seg in segs:
            _write_sysctl("conf/%s/rp_filter" % seg.adapter, 2)
        found = links()
        if sorted(found) != sorted(["lo"] + [s.adapter for s in segs]):
            raise SiteBoxError("unexpected links after setup: %s" % ", ".join(found))
        for seg in segs:
            self._start_camsim(seg)
        for seg in segs:
            ready = json.loads(seg.lines.readline(WAIT))
            if not ready.get("ready"):
                raise SiteBoxError("camsim of %s refused its fleet: %s"
                                   % (seg.name, ready.get("error")))
            self.ready[seg.name] = ready

    def _start_camsim(self, seg):
        fleet = os.path.join(self.dir, seg.name + ".json")
        with open(fleet, "w") as f:
            json.dump({"cameras": seg.cameras}, f)
        argv = ["nsenter", "-t", str(seg.holder.pid), "-n", PYTHON, CAMSIM, "--fleet", fleet,
                "--camera-port", str(CAMERA_PORT), "--drop-broadcasts", str(seg.drop_broadcasts),
                "--state-dir", os.path.join(self.dir, seg.name)]
        if not seg.ftp:
            argv.append("--no-ftp")
        seg.sim = subprocess.Popen(argv + seg.camsim_args, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, env=self.env(),
                                   preexec_fn=_die_with_parent())
        seg.lines = _Lines(seg.sim.stdout.fileno())

    def close(self):
        """Stops the camsims, removes the veths and the camera namespaces.
        Safe to call more than once and after a setup that failed half way."""
        segs = list(self.segments.values())
        for seg in segs:
            if seg.sim is not None:
                try:
                    seg.sim.stdin.close()          # end of input: camsim exits cleanly
                except OSError:
                    pass
        for seg in segs:
            if seg.sim is not None:
                try:
                    seg.sim.wait(WAIT)
                except subprocess.TimeoutExpired:
                    seg.sim.kill()
                    seg.sim.wait()
                seg.sim.stdout.close()
                seg.sim = None
        if self.started:
            present = set(links())
            _ip_batch(["link del %s" % s.adapter for s in segs if s.adapter in present], force=True)
            self.started = False
        for seg in segs:
            if seg.holder is not None:
                seg.holder.kill()
                seg.holder.wait()
                seg.holder.stdout.close()
                seg.holder = None
        if self.dir is not None:
            shutil.rmtree(self.dir, ignore_errors=True)
            self.dir = None
        _open_boxes.discard(self)

    # --- use -------------------------------------------------------------
    def env(self, **extra):
        env = dict(os.environ, ZORA_LOOPBACK_ONLY="1", ZORA_ALLOWED_NETS=",".join(self.nets),
                   QT_QPA_PLATFORM="offscreen")
        env.update(extra)
        return env

    def adapter(self, segment):
        return self.segments[segment].adapter

    def ifindex(self, segment):
        return socket.if_nametoindex(self.adapter(segment))

    def ns_pid(self, segment):
        return self.segments[segment].holder.pid

    def segment_of(self, camera_id):
        return self.by_camera[camera_id]

    def control(self, segment, obj):
        seg = self.segments[segment]
        with seg.lock:
            seg.sim.stdin.write((json.dumps(obj) + "\n").encode("utf-8"))
            seg.sim.stdin.flush()
            return json.loads(seg.lines.readline(WAIT))

    def get(self, camera_id):
        answer = self.control(self.segment_of(camera_id), {"cmd": "get", "id": camera_id})
        if not answer.get("ok"):
            raise SiteBoxError("get %s: %s" % (camera_id, answer.get("error")))
        return answer["state"]
