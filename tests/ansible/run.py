#!/usr/bin/python3
"""The zora.site collection end to end: ansible-playbook against localhost (connection
local) with the simulator, inside a network namespace of its own.

    run.py --zoractl PATH [-v]

Started outside the namespace it re-executes itself under `unshare -n`, brings lo up and
checks lo is the only link before anything is sent. Exit status 0 passed, 1 a failure,
77 skipped (not root, no unshare, no ansible-playbook).
"""

import argparse
import json
import os
import signal
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
COLLECTIONS = os.path.join(ROOT, "contrib", "ansible")
CAMSIM = os.path.join(ROOT, "tools", "camsim", "camsim.py")
MARKER = "ZORA_ANSIBLE_NS"
SKIP = 77
IMAGE_SIZE = 3145752
# A namespace of our own: no other program holds a port in it.
CAMERA_PORT, LOCAL_PORT, FTP_PORT = 32154, 32153, 2121
NEW_VERSION = "2.1.0"
# Not a word the output holds: Ansible masks a no_log value wherever it appears.
ADMIN_PASSWORD = "Zk4-site"


def mac(i):
    return "00:0A:1B:5A:00:%02X" % i


FLEET = [
    dict(id="cam1", mac=mac(1), ip="127.0.9.11", model_name="L80", audio=True),
    dict(id="cam2", mac=mac(2), ip="127.0.9.12", model_name="L80", audio=True),
    dict(id="cam3", mac=mac(3), ip="127.0.9.13", model_name="L82", audio=False),
]
for c in FLEET:
    c.update(model=0, restart_delay=0.3, flash_seconds=0.5, flash_version=NEW_VERSION, admin_password=ADMIN_PASSWORD)


def why_skip():
    if os.geteuid() != 0:
        return "needs root for a network namespace"
    for tool in ("unshare", "ip", "ansible-playbook"):
        if shutil.which(tool) is None:
            return "%s is not installed" % tool
    done = subprocess.run(["unshare", "-n", "true"], capture_output=True, text=True)
    if done.returncode != 0:
        return "unshare -n failed: " + done.stderr.strip()
    return None


def links():
    out = subprocess.run(["ip", "-o", "link"], check=True, capture_output=True, text=True).stdout
    return [line.split(": ", 2)[1].split("@")[0] for line in out.splitlines() if line.strip()]


class Camsim:
    def __init__(self, state_dir):
        self.errors = os.path.join(state_dir, "camsim.err")
        with open(self.errors, "w") as err:
            self.p = subprocess.Popen(
                ["/usr/bin/python3", CAMSIM, "--fleet", os.path.join(state_dir, "fleet.json"),
                 "--camera-port", str(CAMERA_PORT), "--ftp-port", str(FTP_PORT), "--state-dir", state_dir],
                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=err, text=True)
        ready = json.loads(self.p.stdout.readline() or "{}")
        if not ready.get("ready"):
            raise AssertionError("the simulator did not start: %s" % ready)

    def ask(self, **cmd):
        try:
            self.p.stdin.write(json.dumps(cmd) + "\n")
            self.p.stdin.flush()
            line = self.p.stdout.readline()
        except BrokenPipeError:
            line = ""
        if not line:
            with open(self.errors) as f:
                raise AssertionError("the simulator ended (%s): %s" % (self.p.poll(), f.read()[-3000:]))
        answer = json.loads(line)
        if not answer.get("ok"):
            raise AssertionError("simulator: %s" % answer)
        return answer

    def state(self, cam):
        return self.ask(cmd="get", id=cam)["state"]

    def commands(self, cam):
        """Requests other than discovery that reached the camera."""
        log = self.ask(cmd="log", id=cam, since=0)["log"]
        return sum(1 for e in log if e.get("decoded") and e["decoded"].get("code") != "discovery")

    def sent(self, cam):
        """What the camera took in: commands, applies, firmware images."""
        s = self.state(cam)
        return (self.commands(cam), len(s.get("applies") or []), len(s.get("flashes") or []))

    def wait(self, cam, condition, what, seconds=30):
        end = time.monotonic() + seconds
        while not condition(self.state(cam)):
            if time.monotonic() > end:
                raise AssertionError("%s: %s did not happen within %d s" % (cam, what, seconds))
            time.sleep(0.02)

    def close(self):
        try:
            self.p.stdin.close()
        except BrokenPipeError:
            pass
        self.p.wait(10)


class Site:
    def __init__(self, zoractl, work, verbose):
        self.work = work
        self.verbose = verbose
        self.sim = Camsim(work)
        self.step = 0
        self.image = os.path.join(work, "L80-%s.bin" % NEW_VERSION)
        with open(self.image, "wb") as f:
            f.write(b"\x5a" * IMAGE_SIZE)
        self.defaults = dict(zoractl_path=zoractl, user="root", password=ADMIN_PASSWORD, broadcast="127.255.255.255",
                             camera_port=CAMERA_PORT, local_port=LOCAL_PORT, ftp_port=FTP_PORT,
                             app_dir=os.path.join(work, "app"), timeout=1)
        os.makedirs(self.defaults["app_dir"])
        with open(os.path.join(work, "hosts"), "w") as f:
            f.write("site1 ansible_connection=local ansible_python_interpreter=/usr/bin/python3\n")

    def playbook(self, tasks, path):
        """One play of tasks [(name, task)], each registered and written to path as JSON."""
        body = []
        for name, task in tasks:
            body.append(dict(task, name=name, register=name, ignore_errors=True))
        keep = ", ".join("'%s': %s" % (name, name) for name, _ in tasks)
        body.append({"name": "keep", "check_mode": False, "diff": False,
                     "ansible.builtin.copy": {"dest": path, "content": "{{ {%s} | to_json }}" % keep}})
        play = [{"hosts": "site1", "gather_facts": False,
                 "environment": {"ZORA_LOOPBACK_ONLY": "1", "ZORACTL_CLOCK_MS": "50"},
                 "module_defaults": {"group/zora.site.all": self.defaults}, "tasks": body}]
        self.step += 1
        name = os.path.join(self.work, "play%d.yml" % self.step)
        with open(name, "w") as f:
            json.dump(play, f, indent=1)
        return name

    def command(self, book, diff):
        tmp = os.path.join(self.work, "tmp")
        env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=COLLECTIONS, ANSIBLE_HOST_KEY_CHECKING="False",
                   ANSIBLE_LOCAL_TEMP=tmp, ANSIBLE_REMOTE_TEMP=tmp, ANSIBLE_NOCOLOR="1", ANSIBLE_RETRY_FILES_ENABLED="False", ANSIBLE_PIPELINING="True",
                   HOME=self.work)
        return ["ansible-playbook", "-i", os.path.join(self.work, "hosts"), book] + (["--diff"] if diff else []), env

    def settle(self):
        """A camera that took a change restarts: every play starts with all of them up."""
        for c in FLEET:
            self.sim.wait(c["id"], lambda s: s["status"] == "up", "the end of the restart")

    def play(self, tasks, diff=False):
        """Runs the play; the registered results by name."""
        self.settle()
        out = os.path.join(self.work, "results%d.json" % (self.step + 1))
        cmd, env = self.command(self.playbook(tasks, out), diff)
        done = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=120)
        if self.verbose or done.returncode != 0:
            sys.stdout.write(done.stdout + done.stderr)
        if done.returncode != 0:
            raise AssertionError("ansible-playbook ended with %d" % done.returncode)
        with open(out) as f:
            return json.load(f), done.stdout

    def close(self):
        self.sim.close()


def expect(ok, what):
    if not ok:
        raise AssertionError(what)


def by_mac(result):
    return {c["mac"]: c for c in result.get("cameras", [])}


MODULES = ("facts", "config", "plan", "firmware", "backup")


def documented(_site):
    """Each module's documentation, as ansible-doc reads it, names the options its code takes."""
    names = ["zora.site." + m for m in MODULES]
    done = subprocess.run(["ansible-doc", "--json"] + names, env=dict(os.environ, ANSIBLE_COLLECTIONS_PATH=COLLECTIONS),
                          capture_output=True, text=True, timeout=60)
    expect(done.returncode == 0, "ansible-doc: " + done.stderr)
    docs = json.loads(done.stdout)
    sys.dont_write_bytecode = True
    sys.path.insert(0, COLLECTIONS)
    import importlib
    for m in MODULES:
        doc = docs["zora.site." + m]
        expect(doc.get("examples") and doc.get("return"), "%s: no EXAMPLES or RETURN" % m)
        options = doc["doc"]["options"]
        taken = importlib.import_module("ansible_collections.zora.site.plugins.modules." + m).ARGUMENTS
        expect(set(options) == set(taken), "%s: documented %s, taken %s" % (m, sorted(options), sorted(taken)))
        for key, s in taken.items():
            o = options[key]
            for what in ("type", "default", "elements"):
                expect(o.get(what) == s.get(what) or (what == "type" and o.get(what, "str") == s.get(what, "str")),
                       "%s: %s's %s is documented %r, taken %r" % (m, key, what, o.get(what), s.get(what)))
            expect(bool(o.get("required")) == bool(s.get("required")), "%s: %s's required" % (m, key))
            # Secrets never reach a log.
            expect(s.get("type", "str") != "str" or "password" not in key or s.get("no_log"),
                   "%s: %s is not no_log" % (m, key))


SECRET = "n3w ddns pw"
CONFIG = {"zora.site.config": {"model": "L80", "fields": {"stream.port": 8554, "web.title": "Yard"},
                               "secret_fields": {"ddns.password": SECRET}}}
PLAN_ROWS = [{"mac": mac(1), "host": "gate-north"}, {"mac": mac(2), "host": "gate-south"}, {"mac": mac(3)}]


def sent_by_all(site):
    return {c["id"]: site.sim.sent(c["id"]) for c in FLEET}


def facts_and_a_look(site):
    before = sent_by_all(site)
    r, out = site.play([("scan", {"zora.site.facts": {}}), ("look", dict(CONFIG, check_mode=True))], diff=True)
    cams = {c["mac"]: c for c in r["scan"]["ansible_facts"]["zora_cameras"]}
    expect(set(cams) == {c["mac"] for c in FLEET}, "facts: cameras %s" % sorted(cams))
    cam3 = cams[mac(3)]
    expect((cam3["model"], cam3["address"], cam3["adapter"]) == ("L82", "127.0.9.13", "lo"), "facts: %s" % cam3)
    expect(r["scan"]["ansible_facts"]["zora_adapters"] == {"lo": 3} and not r["scan"]["changed"], "facts: adapters")

    expect(r["look"]["changed"] and not r["look"].get("failed"), "config check mode: %s" % r["look"])
    expect(sent_by_all(site) == before, "config check mode sent something")
    expect("-stream.port: 5001" in out and "+stream.port: 8554" in out, "config --diff: no before/after in\n" + out)
    expect("-ddns.password: (set)" in out and "+ddns.password: (changed)" in out, "config --diff: the password")
    expect(SECRET not in out + json.dumps(r), "config: the password is in the play's output")


def config(site):
    before = sent_by_all(site)
    # Then the audio port on a camera without audio: it fails that camera only.
    mixed = {"zora.site.config": {"cameras": [mac(1), mac(3)], "fields": {"audio.port": 5002}}}
    r, out = site.play([("set", CONFIG)])
    expect(r["set"]["changed"] and all(c["sent"] for c in r["set"]["cameras"]), "config set: %s" % r["set"])
    r, more = site.play([("again", CONFIG), ("mixed", mixed)])
    expect(SECRET not in out + more + json.dumps(r), "config: the password is in the play's output")
    expect(not r["again"]["changed"] and not r["again"].get("failed"), "config again: %s" % r["again"])
    expect(all(not c["sent"] and not c["changes"] for c in r["again"]["cameras"]), "config again sent")
    m = r["mixed"]
    cams = by_mac(m)
    expect(m.get("failed") and m["failed_cameras"] == [mac(3)], "refused value: %s" % m)
    expect(cams[mac(3)]["result"] == "refused value" and "no audio" in m["msg"], "refused value: %s" % m["msg"])
    expect(cams[mac(1)]["sent"] and m["changed"], "refused value: the other camera was not changed: %s" % m)
    # What reached the cameras: an apply command a page changed (stream, web and ddns, then
    # audio on cam1), nothing from the second run, nothing to cam3.
    after = sent_by_all(site)
    for cam, pages in (("cam1", 4), ("cam2", 3), ("cam3", 0)):
        expect(after[cam][:2] == (before[cam][0] + pages, before[cam][1] + pages),
               "%s: %d pages changed, the simulator saw %s after %s" % (cam, pages, after[cam], before[cam]))


def backup_and_a_plan_look(site):
    dest = os.path.join(site.work, "site-backup")
    fetched = os.path.join(site.work, "controller")
    archive = os.path.join(site.work, "site-backup.tar.gz")
    task = {"zora.site.backup": {"all": True, "dest": dest, "archive": archive}}
    fetch = {"ansible.builtin.fetch": {"src": archive, "dest": fetched + "/", "flat": True}}
    look = {"zora.site.plan": {"rows": PLAN_ROWS}, "check_mode": True}
    before = sent_by_all(site)
    r, _ = site.play([("first", task), ("fetch", fetch), ("second", task), ("look", look)])
    expect(sent_by_all(site) == before, "a backup or the plan's check mode sent something")
    expect(r["first"]["changed"] and len(r["first"]["cameras"]) == 3, "backup: %s" % r["first"])
    expect(os.stat(archive).st_mode & 0o777 == 0o600, "backup: the archive is not for the owner alone")
    with tarfile.open(os.path.join(fetched, os.path.basename(archive))) as tar:
        names = tar.getnames()
    expect(mac(1).replace(":", "-") + "/manifest.json" in names, "backup: the fetched archive holds %s" % names)
    expect(not r["second"]["changed"], "backup of unchanged cameras: changed")
    mode = os.stat(os.path.join(dest, mac(2).replace(":", "-"), "settings.json")).st_mode & 0o777
    expect(mode == 0o600, "backup: settings.json mode %o" % mode)
    expect(r["look"]["changed"] and not r["look"].get("failed"), "plan check mode: %s" % r["look"])


def plan(site):
    task = {"zora.site.plan": {"rows": PLAN_ROWS, "log": os.path.join(site.work, "plan.log")}}
    before = sent_by_all(site)
    r, _ = site.play([("apply", task), ("again", task)])
    expect(r["apply"]["changed"] and {c["mac"] for c in r["apply"]["cameras"] if c["sent"]} == {mac(1), mac(2)},
           "plan apply: %s" % r["apply"])
    expect(site.sim.state("cam2")["settings"]["host_name"] == "gate-south", "plan: cam2's host name")
    # One host-name command each, from the first run; the second found the site as planned.
    after = sent_by_all(site)
    expect([after[c][0] - before[c][0] for c in ("cam1", "cam2", "cam3")] == [1, 1, 0],
           "plan: commands %s after %s" % (after, before))
    expect(not r["again"]["changed"] and r["again"]["cameras"] == [], "plan again: %s" % r["again"])


def firmware(site):
    task = {"zora.site.firmware": {"image": site.image, "cameras": [mac(1), mac(2)], "expect_version": NEW_VERSION,
                                   "canary": 1, "log": os.path.join(site.work, "firmware.log")}}
    book = site.playbook([("rollout", task)], os.path.join(site.work, "interrupted.json"))
    cmd, env = site.command(book, False)
    site.settle()
    # The play is killed once the canary has its image, as a lost controller would leave it.
    p = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        site.sim.wait("cam1", lambda s: s.get("flashes"), "the canary's image")
    finally:
        try:
            os.killpg(p.pid, signal.SIGKILL)
        except ProcessLookupError:       # a slow look: the play had already ended
            pass
        p.wait()
    end = time.monotonic() + 30
    while True:                          # every process of the play is gone, zoractl too
        try:
            os.killpg(p.pid, 0)
        except ProcessLookupError:
            break
        expect(time.monotonic() < end, "the killed play's processes did not end")
        time.sleep(0.02)
    site.sim.wait("cam1", lambda s: s["restarts"] > 0 and s["status"] == "up" and not s["flashing"],
                  "the canary's restart")
    # However late the kill came, every camera is sent the image once in all.
    cam2_flashed = len(site.sim.state("cam2")["flashes"])

    # And a file that is no image: zoractl's own message, nothing sent.
    bad = {"zora.site.firmware": dict(task["zora.site.firmware"], image=os.path.join(site.work, "fleet.json"))}
    r, _ = site.play([("resumed", task), ("again", task), ("look", dict(task, check_mode=True)), ("bad", bad)])
    expect(r["bad"].get("failed") and "not an image a camera takes" in r["bad"]["msg"], "bad image: %s" % r["bad"])
    cams = by_mac(r["resumed"])
    expect(not r["resumed"].get("failed"), "resumed rollout: %s" % r["resumed"])
    expect(cams[mac(1)]["result"] == "updated" and not cams[mac(1)]["sent"], "the canary was sent the image again")
    expect(cams[mac(2)]["sent"] == (cam2_flashed == 0) and r["resumed"]["changed"] == (cam2_flashed == 0),
           "resumed rollout, cam2: %s" % cams[mac(2)])
    for cam in ("cam1", "cam2"):
        s = site.sim.state(cam)
        expect(len(s["flashes"]) == 1, "%s took %d images" % (cam, len(s["flashes"])))
    expect(not r["again"]["changed"] and not r["look"]["changed"], "rollout again: %s" % r["again"])
    expect(len(site.sim.state("cam2")["flashes"]) == 1, "the rollout sent an image again")


def inside(args):
    found = links()
    if found != ["lo"]:
        print("%s=1 but this network namespace is not a fresh one (links: %s)" % (MARKER, ", ".join(found)))
        return 1
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    work = tempfile.mkdtemp(prefix="zora-ansible-")
    os.chmod(work, 0o700)
    with open(os.path.join(work, "fleet.json"), "w") as f:
        json.dump(FLEET, f)
    site = None
    try:
        site = Site(os.path.abspath(args.zoractl), work, args.verbose)
        for flow in (documented, facts_and_a_look, config, backup_and_a_plan_look, plan, firmware):
            started = time.monotonic()
            flow(site)
            print("ok  %-22s %.1f s" % (flow.__name__, time.monotonic() - started))
        return 0
    except (AssertionError, subprocess.TimeoutExpired) as e:
        print("FAIL: %s" % e)
        return 1
    finally:
        if site:
            site.close()
        shutil.rmtree(work, ignore_errors=True)


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--zoractl", required=True)
    p.add_argument("-v", dest="verbose", action="store_true")
    args = p.parse_args()
    if os.environ.get(MARKER) != "1":
        reason = why_skip()
        if reason:
            print("ansible playbook test skipped: " + reason)
            return SKIP
        sys.stdout.flush()
        os.execvpe("unshare", ["unshare", "-n", "/usr/bin/python3", os.path.abspath(__file__)] + sys.argv[1:],
                   dict(os.environ, **{MARKER: "1"}))
    return inside(args)


if __name__ == "__main__":
    sys.exit(main())
