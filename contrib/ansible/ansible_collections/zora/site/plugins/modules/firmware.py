#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: firmware
short_description: A firmware rollout over the cameras of a site
description:
  - Updates cameras of one model with one image through C(zoractl firmware --json), canaries first.
  - Its log stays on the site machine; a play that was interrupted, or failed on some cameras, is resumed by
    running it again with the same log and image; cameras already updated are not sent the image again.
  - Idempotent by version; with I(expect_version) a camera already at that version is sent nothing.
  - Check mode prints the dry-run plan (C(firmware --dry-run --json)); C(changed) when a camera is to be updated.
version_added: 2.0.0
options:
  image:
    description: The firmware image on the site machine (exactly 3145752 bytes).
    type: path
    required: true
  expect_version:
    description: The version an updated camera reports; else any version other than the one before.
    type: str
  canary:
    description: Cameras that go first, alone (zoractl's default 1; 0 none).
    type: int
  all_data:
    description: Write the whole flash (the camera comes back with factory settings); else the kernel only.
    type: bool
    default: false
  backup:
    description: Back each camera's configuration up into this folder first; a camera whose backup fails is skipped.
    type: path
  log:
    description:
      - The rollout's log on the site machine. Without it, C(zora/firmware.log) under C($XDG_STATE_HOME)
        (C(~/.local/state)) of the user the task runs as.
    type: path
extends_documentation_fragment:
  - zora.site.zoractl
  - zora.site.zoractl.cameras
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
author:
  - ZORA developers
'''

EXAMPLES = r'''
- name: Every L80 camera to 2.1.0, one canary first
  zora.site.firmware:
    image: /srv/firmware/L80-2.1.0.bin
    model: L80
    expect_version: 2.1.0
    backup: /srv/site
    user: admin
    password: "{{ vault_camera_password }}"
'''

RETURN = r'''
plan:
  description: The dry run's plan (to_update with mac and stage, already_updated, sent_earlier, image_tag).
  returned: always
  type: dict
cameras:
  description: One entry a camera (mac, result, status, message, sent); empty in check mode or when none was due.
  returned: always
  type: list
  elements: dict
log:
  description: The log used.
  returned: always
  type: str
'''

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.zora.site.plugins.module_utils.zoractl import (Zoractl, arguments,
                                                                         exit_with, mac_text)


def default_log():
    state = os.environ.get('XDG_STATE_HOME') or os.path.join(os.path.expanduser('~'), '.local', 'state')
    return os.path.join(state, 'zora', 'firmware.log')


ARGUMENTS = arguments(
    cameras=True, image=dict(type='path', required=True), expect_version=dict(type='str'), canary=dict(type='int'),
    all_data=dict(type='bool', default=False), backup=dict(type='path'), log=dict(type='path'))


def main():
    module = AnsibleModule(argument_spec=ARGUMENTS, supports_check_mode=True)
    tool = Zoractl(module)
    p = module.params
    log = p['log'] or default_log()
    folder = os.path.dirname(log)
    if folder and not os.path.isdir(folder):
        os.makedirs(folder, 0o700)
    args = ['firmware', '--image', p['image'], '--log', log] + tool.timeout()
    if p['model']:
        if p['cameras']:
            module.fail_json(msg='name cameras or model, not both')
        args += ['--model', p['model']]
    else:
        macs = [mac_text(c) for c in p['cameras']]
        if not macs or None in macs:
            module.fail_json(msg='name the cameras by MAC (cameras) or a model (model)')
        args += macs
    if p['expect_version'] is not None:
        args += ['--expect-version', p['expect_version']]
    if p['canary'] is not None:
        args += ['--canary', str(p['canary'])]
    if p['all_data']:
        args.append('--all-data')
    if p['backup']:
        args += ['--backup', p['backup']]
    args += tool.parallel()

    rc, plan, err = tool.run(args + ['--dry-run'])
    if rc != 0 or not isinstance(plan, dict):
        tool.fail('zoractl firmware --dry-run', rc, err)
    due = plan.get('to_update', [])
    result = dict(changed=bool(due), plan=plan, cameras=[], log=log, stderr=err)
    if module.check_mode or not due:
        result['changed'] = bool(due) and module.check_mode
        module.exit_json(**result)
    rc, cameras, err = tool.run(args, login=True)
    if not isinstance(cameras, list):
        tool.fail('zoractl firmware', rc, err, **result)
    result.update(cameras=cameras, stderr=err, changed=any(c.get('sent') for c in cameras))
    exit_with(module, cameras, rc, result)


if __name__ == '__main__':
    main()
