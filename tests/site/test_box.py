"""The box itself: two adapters, cameras behind each (one of them in a foreign
subnet), and what a plain socket sees of them. This is what the tool has to
cope with: a broadcast to 255.255.255.255 leaves by the default route's
adapter only, unless it names the adapter itself (IP_PKTINFO)."""

import os
import socket
import struct
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tools", "camsim"))

import wire  # noqa: E402
from sitebox import CAMERA_PORT, TOOL_PORT, SiteBox, SiteBoxError  # noqa: E402

IP_PKTINFO = getattr(socket, "IP_PKTINFO", 8)
WAIT = 5.0

SEGMENTS = [
    {"name": "office", "tool_address": "10.10.0.1/24", "default_route": True,
     "cameras": [{"id": "office1", "mac": "00:0A:1B:5A:00:11", "ip": "10.10.0.11"}]},
    {"name": "yard", "tool_address": "10.20.0.1/24",
     "cameras": [{"id": "yard1", "mac": "00:0A:1B:5A:01:11", "ip": "10.20.0.11"},
                 {"id": "yard2", "mac": "00:0A:1B:5A:01:12", "ip": "10.20.0.12"},
                 {"id": "stray", "mac": "00:0A:1B:5A:01:50", "ip": "192.168.77.50"}]},
]
CAMERAS = {c["ip"]: (s["name"], c["mac"]) for s in SEGMENTS for c in s["cameras"]}


class BoxTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.box = cls.enterClassContext(SiteBox(SEGMENTS))

    def setUp(self):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.addCleanup(self.sock.close)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.sock.setsockopt(socket.IPPROTO_IP, IP_PKTINFO, 1)     # arrival adapter of replies
        self.sock.bind(("0.0.0.0", TOOL_PORT))

    def broadcast(self, segment=None):
        """Discovery to 255.255.255.255, out of one adapter when segment is given."""
        anc = []
        if segment is not None:
            pktinfo = struct.pack("=i4s4s", self.box.ifindex(segment), bytes(4), bytes(4))
            anc = [(socket.IPPROTO_IP, IP_PKTINFO, pktinfo)]
        self.sock.sendmsg([wire.discovery_request()], anc, 0, ("255.255.255.255", CAMERA_PORT))

    def replies(self, expected):
        """Replies until every address of expected has answered:
        [(sender address, adapter it arrived on, MAC)]."""
        got = []
        deadline = time.monotonic() + WAIT
        while not set(expected) <= {g[0] for g in got}:
            self.sock.settimeout(max(0.0, deadline - time.monotonic()))
            try:
                data, anc, _flags, sender = self.sock.recvmsg(2048, socket.CMSG_SPACE(12))
            except (socket.timeout, BlockingIOError):
                self.fail("no reply from %s" % sorted(set(expected) - {g[0] for g in got}))
            index = next(struct.unpack_from("=i", c)[0] for lvl, t, c in anc
                         if lvl == socket.IPPROTO_IP and t == IP_PKTINFO)
            self.assertEqual((data[:4], data[7]), (wire.REPLY_MAGIC, wire.REPLY_DISCOVERY))
            got.append((sender[0], socket.if_indextoname(index), wire.mac_text(data[9:15])))
        return got

    def expected(self, segment):
        return sorted((ip, self.box.adapter(seg), mac) for ip, (seg, mac) in CAMERAS.items()
                      if seg == segment)

    def broadcasts_seen(self):
        return {cid: self.box.get(cid)["requests"]["broadcast"]
                for cid in ("office1", "yard1", "yard2", "stray")}

    def test_a_broadcast_out_of_each_adapter_reaches_its_cameras(self):
        for segment in ("office", "yard"):
            with self.subTest(segment):
                self.broadcast(segment)
                want = self.expected(segment)
                self.assertEqual(sorted(self.replies([w[0] for w in want])), want)

    def test_a_plain_broadcast_leaves_by_the_default_route_only(self):
        before = self.broadcasts_seen()
        self.broadcast()
        self.assertEqual(self.replies(["10.10.0.11"]), self.expected("office"))
        # The yard link delivers in order: once the yard cameras have answered a
        # later broadcast sent out of their adapter, the plain one is known lost.
        self.broadcast("yard")
        self.assertEqual(sorted(self.replies(["10.20.0.11", "10.20.0.12", "192.168.77.50"])),
                         self.expected("yard"))
        after = self.broadcasts_seen()
        self.assertEqual({cid: after[cid] - before[cid] for cid in after},
                         {"office1": 1, "yard1": 1, "yard2": 1, "stray": 1})

    def test_box_refuses_a_namespace_that_is_not_fresh(self):
        with self.assertRaisesRegex(SiteBoxError, "not in a fresh network namespace"):
            with SiteBox(SEGMENTS[:1]):
                pass
        self.assertEqual(self.box.get("office1")["status"], "up")     # the running box is untouched
        self.assertEqual(self.box.nets, ["10.10.0.0/24", "10.20.0.0/24", "192.168.77.0/24"])


if __name__ == "__main__":
    unittest.main()
