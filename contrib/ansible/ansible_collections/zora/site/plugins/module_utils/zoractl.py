# -*- coding: utf-8 -*-
# Runs the zoractl of a site machine for the zora.site modules: its shared options, the
# administrator password on standard input (never an argument), --json read back.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os
import re

MAC_RE = re.compile(r'^[0-9A-Fa-f]{2}([:-][0-9A-Fa-f]{2}){5}$')

# Options every module takes; the documentation fragment zora.site.zoractl describes them.
COMMON_ARGS = dict(
    zoractl_path=dict(type='str', default='zoractl'),
    user=dict(type='str'),
    password=dict(type='str', no_log=True),
    password_file=dict(type='path', no_log=False),
    broadcast=dict(type='str'),
    adapter=dict(type='str'),
    camera_port=dict(type='int'),
    local_port=dict(type='int'),
    ftp_port=dict(type='int'),
    app_dir=dict(type='path'),
    timeout=dict(type='float'),
)

# The camera selection of config, backup and firmware.
CAMERA_ARGS = dict(
    cameras=dict(type='list', elements='str', default=[]),
    model=dict(type='str'),
    parallel=dict(type='int'),
)

SHARED_FLAGS = (('broadcast', '--broadcast'), ('adapter', '--adapter'), ('camera_port', '--camera-port'),
                ('local_port', '--local-port'), ('ftp_port', '--ftp-port'), ('app_dir', '--app-dir'))


def arguments(cameras=False, **extra):
    taken = dict(COMMON_ARGS)
    if cameras:
        taken.update(CAMERA_ARGS)
    taken.update(extra)
    return taken


def mac_text(word):
    """The MAC as zoractl prints it (upper case, colons); None when word is none."""
    word = str(word).strip()
    if not MAC_RE.match(word):
        return None
    return word.replace('-', ':').upper()


def folder_name(mac):
    """The folder config backup gives a camera."""
    return mac.replace(':', '-')


class Zoractl(object):
    """One module's zoractl: the same shared options and login for every run."""

    def __init__(self, module):
        self.module = module
        self.params = module.params

    def _binary(self):
        path = self.params['zoractl_path']
        if os.sep not in path:
            found = self.module.get_bin_path(path)
            if not found:
                self.module.fail_json(msg='zoractl not found: %s (set zoractl_path)' % path)
            return found
        return path

    def shared(self):
        args = []
        for key, flag in SHARED_FLAGS:
            if self.params.get(key) is not None:
                args += [flag, str(self.params[key])]
        return args

    def timeout(self):
        if self.params.get('timeout') is None:
            return []
        return ['--timeout', '%g' % self.params['timeout']]

    def parallel(self):
        if self.params.get('parallel') is None:
            return []
        return ['--parallel', str(self.params['parallel'])]

    def _login(self):
        """The --user and password options and what goes on standard input."""
        user = self.params.get('user')
        if not user:
            self.module.fail_json(msg='user is required to reach the cameras')
        if self.params.get('password') is not None:
            return ['--user', user, '--password-file', '-'], self.params['password']
        if self.params.get('password_file'):
            return ['--user', user, '--password-file', self.params['password_file']], None
        # zoractl falls back on $ZORA_PASSWORD; without it, it refuses with status 2.
        return ['--user', user], None

    def run(self, args, login=False):
        """Runs zoractl with --json: (status, parsed output or None, standard error)."""
        cmd = [self._binary()] + list(args) + self.shared() + ['--json']
        data = None
        if login:
            more, data = self._login()
            cmd += more
        rc, out, err = self.module.run_command(cmd, data=data, binary_data=True,
                                               environ_update={'TERM': 'dumb', 'NO_COLOR': '1'})
        parsed = None
        if out.strip():
            try:
                parsed = json.loads(out)
            except ValueError:
                parsed = None
        return rc, parsed, err.strip()

    def fail(self, what, rc, err, **result):
        msg = '%s failed (zoractl exit status %d)' % (what, rc)
        if err:
            msg += ': ' + err
        result.update(rc=rc, stderr=err)
        self.module.fail_json(msg=msg, **result)

    def scan(self, rounds=None):
        args = ['scan'] + self.timeout()
        if rounds is not None:
            args += ['--rounds', str(rounds)]
        rc, cameras, err = self.run(args)
        if rc != 0 or not isinstance(cameras, list):
            self.fail('zoractl scan', rc, err)
        return cameras, err

    def select(self, allow_all=False):
        """The MACs the task names: cameras, or every camera of model that answers."""
        p = self.params
        macs = []
        for word in p.get('cameras') or []:
            mac = mac_text(word)
            if mac is None:
                self.module.fail_json(msg='%s is not a MAC address' % word)
            if mac not in macs:
                macs.append(mac)
        model = p.get('model')
        if model:
            if macs:
                self.module.fail_json(msg='name cameras or model, not both')
            cameras, err = self.scan()
            macs = [c['mac'] for c in cameras if str(c.get('model_name', '')).lower() == model.lower()]
            if not macs:
                self.module.fail_json(msg='no camera of model %s answered' % model, stderr=err)
        elif not macs and not allow_all:
            self.module.fail_json(msg='name the cameras (cameras) or a model (model)')
        return macs


def camera_failures(results):
    """'MAC: result: message' of each camera that did not succeed."""
    return ['%s: %s: %s' % (r.get('mac'), r.get('result'), r.get('message'))
            for r in results if r.get('status', 0) != 0]


def exit_with(module, cameras, rc, result):
    """Ends the task: failed, naming each camera that did not succeed, or done."""
    failures = camera_failures(cameras)
    if failures:
        module.fail_json(msg='; '.join(failures), rc=rc, **result)
    module.exit_json(**result)
