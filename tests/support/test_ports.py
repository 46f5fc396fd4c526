"""Ports for the programs a test starts, as tests/support/camsim_process.cpp gives them:
from below the system's ephemeral range, where no program gets a port without naming it,
each held by a lock file under $TMPDIR/zora-test-ports for as long as this process runs,
so that no test running beside it takes the port before the program meant for it binds
it.  A port probed with a socket and closed could be taken in between."""

import fcntl
import os
import random
import socket
import tempfile

_held = []          # the lock files' descriptors: the locks last until the process ends


def _bindable(kind, port):
    with socket.socket(socket.AF_INET, kind) as s:
        try:
            s.bind(("0.0.0.0", port))
            return True
        except OSError:
            return False


def reserved_port():
    """A port free for UDP and TCP alike; raises RuntimeError when none is left."""
    low = 32768
    try:
        with open("/proc/sys/net/ipv4/ip_local_port_range") as f:
            low = int(f.read().split()[0])
    except (OSError, ValueError, IndexError):
        pass
    first = max(1024, low // 2)
    count = low - first
    if count < 256:
        raise RuntimeError("no room below the ephemeral port range")
    folder = os.path.join(tempfile.gettempdir(), "zora-test-ports")
    os.makedirs(folder, exist_ok=True)
    start = random.randrange(count)
    for i in range(count):
        port = first + (start + i) % count
        fd = os.open(os.path.join(folder, str(port)), os.O_RDWR | os.O_CREAT | os.O_CLOEXEC, 0o666)
        try:
            fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except OSError:
            os.close(fd)
            continue
        if _bindable(socket.SOCK_DGRAM, port) and _bindable(socket.SOCK_STREAM, port):
            _held.append(fd)
            return port
        os.close(fd)
    raise RuntimeError("no free port below the ephemeral range")
