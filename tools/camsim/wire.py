"""Byte-level pieces of the ZORA protocol as a camera sees them.

Kept apart from the simulator loop so the tests can build requests with the
same helpers the cameras use to take them apart, and so a reader can check
each layout against the wire in one place.
"""

import socket
import struct

REQUEST_MAGIC = b"ADCT"
REPLY_MAGIC = b"ZORA"
PREFIX_LEN = 46          # request header up to the body
REPLY_HEADER_LEN = 15

CMD_DISCOVERY = 3
CMD_NETWORK = 4
CMD_ACCOUNT = 5
CMD_TAGGED = 6
REMOTE_FLAG = 0x80

REPLY_SUCCESS = 0
REPLY_FAIL = 1
REPLY_AUTH = 2
REPLY_MISMATCH = 3
REPLY_UNKNOWN = 4
REPLY_DISCOVERY = 5

REPLY_NAMES = {
    "success": REPLY_SUCCESS,
    "fail": REPLY_FAIL,
    "auth": REPLY_AUTH,
    "mismatch": REPLY_MISMATCH,
    "unknown": REPLY_UNKNOWN,
    "none": None,
}

FLAG_DOMAIN = 0x01
FLAG_DNS = 0x02
FLAG_ADDRESS = 0x04
FLAG_DHCP = 0x08
FLAG_PPPOE = 0x10
FLAG_GUEST = 0x20

NET_DHCP = 0
NET_STATIC = 1
NET_PPPOE = 2
KIND_HOSTNAME = 3

ACTION_APPLY = 5
ACTION_RESET = 6
ACTION_UPLOAD_RESTART = 7


class WireError(ValueError):
    """A field does not fit inside the datagram."""


def mac_bytes(text):
    parts = text.split(":")
    if len(parts) != 6:
        raise ValueError("MAC must have six groups: %r" % text)
    return bytes(int(p, 16) for p in parts)


def mac_text(raw):
    return ":".join("%02X" % b for b in raw)


def ip_bytes(text):
    return socket.inet_aton(text)


def ip_text(raw):
    return socket.inet_ntoa(bytes(raw))


def counted(text):
    raw = text.encode("latin-1") if isinstance(text, str) else bytes(text)
    if len(raw) > 255:
        raise ValueError("string longer than 255 bytes: %r" % text)
    return bytes([len(raw)]) + raw


class Reader:
    """Moving read position over a datagram; every read is bounds-checked."""

    def __init__(self, data, pos=0, end=None):
        self.data = data
        self.pos = pos
        self.end = len(data) if end is None else end

    def take(self, n, what):
        if self.pos + n > self.end:
            raise WireError("%s runs past the end (needs %d bytes at %d, length %d)"
                            % (what, n, self.pos, self.end))
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def byte(self, what):
        return self.take(1, what)[0]

    def string(self, what):
        n = self.byte(what + " length")
        return self.take(n, what).decode("latin-1")

    def ip(self, what):
        return ip_text(self.take(4, what))

    def remaining(self):
        return self.end - self.pos


# --- credential block -------------------------------------------------------

def scramble(text, key_ip, r):
    """Build the 22-byte block the way the tool does (used by the tests and
    by anyone who wants to drive a camera by hand)."""
    raw = text.encode("latin-1")
    if len(raw) > 16:
        raise ValueError("password longer than 16 bytes")
    b = bytearray(22)
    b[0] = r & 0xFF
    b[1] = (r >> 8) & 0xFF
    b[2:6] = ip_bytes(key_ip)
    b[6:6 + len(raw)] = raw
    for i in range(2, 22):
        b[i] ^= b[0]
    b.reverse()
    return bytes(b)


def unscramble(block):
    """Undo the credential block. Returns a dict with the password text, the
    embedded key address, r and a list of oddities found on the way."""
    if len(block) != 22:
        raise WireError("credential block must be 22 bytes")
    k = block[21]
    b = bytearray(reversed(block))
    for i in range(2, 22):
        b[i] ^= k
    r = b[0] | (b[1] << 8)
    key = bytes(b[2:6])
    pw = bytes(b[6:22])
    notes = []
    nul = pw.find(b"\0")
    text = pw if nul < 0 else pw[:nul]
    if nul >= 0 and any(pw[nul:]):
        notes.append("bytes after the password terminator are not zero")
    if r == 0xFFFF:
        notes.append("random value 65535 is outside 0..65534")
    key_ok = True
    if key in (b"\0\0\0\0", b"\xff\xff\xff\xff"):
        key_ok = False
        notes.append("key address %s looks like an unresolved host address" % ip_text(key))
    elif key[0] == 0 or 224 <= key[0]:
        key_ok = False
        notes.append("key address %s is not a unicast host address" % ip_text(key))
    return {
        "password": text.decode("latin-1"),
        "key": ip_text(key),
        "key_ok": key_ok,
        "r": r,
        "notes": notes,
    }


# --- requests ---------------------------------------------------------------

def discovery_request(code=CMD_DISCOVERY, model_filter=0xFF, version=2):
    return REQUEST_MAGIC + bytes([version]) + struct.pack("<H", 9) + bytes([code, model_filter])


def command_prefix(code, model, mac, kind, admin_id, password, key_ip, r, total_len):
    """Offsets 0..45 of a command request."""
    b = bytearray(PREFIX_LEN)
    b[0:4] = REQUEST_MAGIC
    b[4] = 2
    b[5:7] = struct.pack("<H", total_len)
    b[7] = code
    b[8] = model
    b[9:15] = mac_bytes(mac) if isinstance(mac, str) else mac
    b[15] = kind
    ident = admin_id.encode("latin-1")[:8]
    b[16:16 + len(ident)] = ident
    b[24:46] = scramble(password, key_ip, r)
    return bytes(b)


def build_command(code, body, kind, mac, admin_id, password, key_ip="192.168.0.10",
                  r=0x1234, model=0):
    total = PREFIX_LEN + len(body)
    return command_prefix(code, model, mac, kind, admin_id, password, key_ip, r, total) + bytes(body)


# --- replies ----------------------------------------------------------------

def reply_header(version, reply_type, model, mac, total_len):
    return (REPLY_MAGIC + bytes([version]) + struct.pack("<H", total_len)
            + bytes([reply_type, model]) + mac_bytes(mac))


def command_reply(version, reply_type, model, mac):
    return reply_header(version, reply_type, model, mac, REPLY_HEADER_LEN)


def pppoe_block(p):
    return (counted(p.get("user", "")) + counted(p.get("password", ""))
            + counted(p.get("service", "")) + struct.pack("<i", int(p.get("mtu", 1492)))
            + bytes([int(p.get("dns_mode", 0)) & 0xFF]) + ip_bytes(p.get("dns", "0.0.0.0")))


def discovery_flags(s):
    if s.get("flags") is not None:
        return int(s["flags"]) & 0xFF
    f = 0
    if s.get("domain_name") is not None:
        f |= FLAG_DOMAIN
    if s.get("address_block", True):
        f |= FLAG_ADDRESS
        if s.get("dns") is not None:
            f |= FLAG_DNS
    if s.get("dhcp_capable", True):
        f |= FLAG_DHCP
    if s.get("pppoe") is not None:
        f |= FLAG_PPPOE
    if s.get("guest") is not None:
        f |= FLAG_GUEST
    return f


TAG_AUDIO = 2


def tail_entries(s):
    out = b""
    tags = dict(s.get("tags") or {})
    if s.get("audio") is not None:
        # The audio setting wins over a tag 2 given in tags.
        tags = {k: v for k, v in tags.items() if int(k) != TAG_AUDIO}
        tags[str(TAG_AUDIO)] = 1 if s["audio"] else 0
    for tag in sorted(tags, key=int):
        value = tags[tag]
        raw = bytes(value) if isinstance(value, list) else bytes([int(value) & 0xFF])
        out += bytes([int(tag), len(raw)]) + raw
    if s.get("raw_tail"):
        out += bytes.fromhex(s["raw_tail"])
    return out


def discovery_reply(s):
    """Discovery reply from a camera's settings dict, field by field."""
    flags = discovery_flags(s)
    body = bytearray()
    body.append(int(s.get("network_type", NET_STATIC)) & 0xFF)
    body.append(flags)
    body += counted(s.get("model_name", ""))
    body += counted(s.get("host_name", ""))
    if flags & FLAG_DOMAIN:
        body += counted(s.get("domain_name") or "")
    if flags & FLAG_ADDRESS:
        body += ip_bytes(s.get("ip", "0.0.0.0")) + ip_bytes(s.get("mask", "255.0.0.0"))
        body += ip_bytes(s.get("gateway", "0.0.0.0"))
        if flags & FLAG_DNS:
            body += ip_bytes(s.get("dns") or "0.0.0.0")
    if flags & FLAG_PPPOE:
        body += pppoe_block(s.get("pppoe") or {})
    if flags & FLAG_GUEST:
        body.append(1 if s.get("guest") else 0)
    version = int(s.get("version", 2))
    if version >= 2:
        body += tail_entries(s)
    elif s.get("audio"):
        raise ValueError("a version-1 reply has no tagged tail to announce audio in")
    total = 9 + 6 + len(body)
    return reply_header(version, REPLY_DISCOVERY, int(s.get("model", 0)), s["mac"], total) + bytes(body)
