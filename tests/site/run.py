#!/usr/bin/python3
"""Runs the site tests (tests/site/test_*.py) inside a network namespace of
their own, where sitebox.py builds adapters and camera segments.

    run.py [--zoractl PATH] [--window-test PATH] [-k PATTERN] [-v]

Started outside the box it re-executes itself under `unshare -n -m` with
ZORA_SITE_BOX=1 set. Exit status: 0 all passed, 1 a failure, 77 when this
machine cannot build the box (not root, no network namespaces, no veth),
which ctest reports as skipped. The binaries' paths reach the tests as
ZORA_ZORACTL and ZORA_SITE_WINDOW_TEST.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
MARKER = "ZORA_SITE_BOX"
SKIP = 77


def why_no_namespace():
    if os.geteuid() != 0:
        return "needs root for network namespaces and veth pairs"
    for tool in ("unshare", "nsenter", "ip"):
        if shutil.which(tool) is None:
            return "%s is not installed" % tool
    done = subprocess.run(["unshare", "-n", "-m", "true"], capture_output=True, text=True)
    if done.returncode != 0:
        return "unshare -n -m failed: %s" % done.stderr.strip()
    return None


def why_no_veth():
    done = subprocess.run(["ip", "link", "add", "probe0", "type", "veth", "peer", "name", "probe1"],
                          capture_output=True, text=True)
    if done.returncode != 0:
        return "cannot make a veth pair: %s" % done.stderr.strip()
    subprocess.run(["ip", "link", "del", "probe0"], check=True)
    return None


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--zoractl", help="zoractl binary")
    p.add_argument("--window-test", help="window test binary")
    p.add_argument("-k", dest="patterns", action="append", help="only tests matching this")
    p.add_argument("-v", dest="verbosity", action="store_const", const=2, default=1)
    args = p.parse_args()

    if os.environ.get(MARKER) != "1":
        reason = why_no_namespace()
        if reason:
            print("site tests skipped: " + reason)
            return SKIP
        sys.stdout.flush()
        os.execvpe("unshare", ["unshare", "-n", "-m", sys.executable, os.path.abspath(__file__)]
                   + sys.argv[1:], dict(os.environ, **{MARKER: "1"}))

    # Nothing is made before it is clear this is a namespace of our own.
    sys.path.insert(0, HERE)
    from sitebox import links
    found = links()
    if found != ["lo"]:
        print("%s=1 but this network namespace is not a fresh one (links: %s)"
              % (MARKER, ", ".join(found)))
        return 1
    reason = why_no_veth()
    if reason:
        print("site tests skipped: " + reason)
        return SKIP
    for var, path in (("ZORA_ZORACTL", args.zoractl), ("ZORA_SITE_WINDOW_TEST", args.window_test)):
        if path:
            os.environ[var] = os.path.abspath(path)

    def on_term(_signo, _frame):
        raise KeyboardInterrupt      # out through every box's cleanup
    signal.signal(signal.SIGTERM, on_term)

    loader = unittest.TestLoader()
    if args.patterns:
        loader.testNamePatterns = ["*%s*" % k if "*" not in k else k for k in args.patterns]
    suite = loader.discover(HERE, pattern="test_*.py", top_level_dir=HERE)
    result = unittest.TextTestRunner(verbosity=args.verbosity).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
