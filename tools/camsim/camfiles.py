"""How a file-configured camera reads its /etc files when it is asked to apply
an upload.

The camera only looks at the values it would act on at start-up: the ports
its servers listen on, the client limits, whether rc.server starts a stream
server at all, and whether ddns.conf can still be sourced by its shell.  A
value it cannot use makes it refuse the whole apply (reply 3) instead of
restarting into a server that cannot come up.  Files without a rule here are
taken as they are.
"""

import re

# Models without motion detection ship without the motion event file.
NO_MOTION_MODELS = (2, 6)
MOTION_FILE = "etc/event/hw_motion.conf"

PORT_RANGE = (1, 65535)
MAX_CONNECT_RANGE = (0, 255)

_NUMBER = re.compile(r"^[+-]?[0-9]+$")
_DDNS_LINE = re.compile(r'^[A-Za-z_][A-Za-z0-9_]*="[^"]*"$')


def seeded_files_for(model, names):
    """The seed tree's paths a camera of this model gets (and gets back on a reset)."""
    if int(model) in NO_MOTION_MODELS:
        return [n for n in names if n != MOTION_FILE]
    return list(names)


def _lines(data):
    text = data.decode("latin-1")
    # Text-mode uploads may leave carriage returns; the camera's readers drop them.
    return [line.rstrip("\r") for line in text.split("\n")]


def _unquote(value):
    if len(value) >= 2 and value[0] == value[-1] == '"':
        return value[1:-1]
    return value


def _key_values(data):
    """(line number, lower-case key, value) of every key=value line."""
    for no, line in enumerate(_lines(data), 1):
        if not line or line[0] in "#%":
            continue
        key, sep, value = line.partition("=")
        if sep:
            yield no, key.strip().lower(), _unquote(value.strip())


def _ini_values(data):
    """(line number, lower-case section, lower-case key, value) of an INI-style file."""
    section = ""
    for no, line in enumerate(_lines(data), 1):
        stripped = line.strip()
        if not stripped or stripped[0] in "#;":
            continue
        if stripped.startswith("["):
            end = stripped.find("]")
            section = stripped[1:end if end > 0 else None].strip().lower()
            continue
        key, sep, value = stripped.partition("=")
        if sep:
            yield no, section, key.strip().lower(), _unquote(value.strip())


def _range_problem(what, value, bounds):
    if not _NUMBER.match(value):
        return "%s %r is not a number" % (what, value)
    low, high = bounds
    if not low <= int(value) <= high:
        return "%s %s outside %d..%d" % (what, value, low, high)
    return None


def _check_keys(data, rules):
    problems = []
    for no, key, value in _key_values(data):
        if key in rules:
            reason = _range_problem(key, value, rules[key])
            if reason:
                problems.append((no, reason))
    return problems


def _check_ini(data, rules):
    problems = []
    for no, section, key, value in _ini_values(data):
        bounds = rules.get((section, key)) or rules.get((None, key))
        if bounds:
            label = "[%s] %s" % (section, key) if section else key
            reason = _range_problem(label, value, bounds)
            if reason:
                problems.append((no, reason))
    return problems


def _check_rc_server(data):
    for line in _lines(data):
        cmd = line.strip().lower()
        if cmd.startswith("/bin/udp_server") or cmd.startswith("/bin/tcp_server"):
            return []
    return [(None, "starts neither /bin/udp_server nor /bin/tcp_server")]


def _check_ddns(data):
    # The camera sources ddns.conf from its shell, so every setting must be a
    # plain KEY="value" assignment.
    problems = []
    for no, line in enumerate(_lines(data), 1):
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        if not _DDNS_LINE.match(stripped):
            problems.append((no, 'line %r is not KEY="value"' % stripped))
    return problems


_SERVER_RULES = {"server_port": PORT_RANGE, "max_connect": MAX_CONNECT_RANGE}
_EVENT_RULES = {("ftp", "port"): PORT_RANGE, ("email", "port"): PORT_RANGE}

CHECKS = {
    "etc/thttpd.conf": lambda d: _check_keys(d, {"port": PORT_RANGE}),
    "etc/udp_server.conf": lambda d: _check_keys(d, _SERVER_RULES),
    "etc/tcp_server.conf": lambda d: _check_keys(d, _SERVER_RULES),
    "etc/rc.server": _check_rc_server,
    "etc/ddns.conf": _check_ddns,
    "etc/event/dio_input.conf": lambda d: _check_ini(d, _EVENT_RULES),
    "etc/event/hw_motion.conf": lambda d: _check_ini(d, _EVENT_RULES),
    "etc/event/periodic_timer.conf": lambda d: _check_ini(d, _EVENT_RULES),
    "etc/audio.conf": lambda d: _check_ini(d, {(None, "server_port"): PORT_RANGE,
                                               (None, "max_connect"): MAX_CONNECT_RANGE}),
}


def check_file(rel, data):
    """Why the camera would refuse this file: a list of {"name", "line", "reason"}
    (line is 1-based, or None for the file as a whole); empty when it takes it."""
    check = CHECKS.get(rel)
    if check is None:
        return []
    return [{"name": rel, "line": no, "reason": reason} for no, reason in check(data)]
