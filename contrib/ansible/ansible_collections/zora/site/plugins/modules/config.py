#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: config
short_description: Settings fields of the cameras of a site
description:
  - Sets C(PAGE.FIELD) values on cameras with C(zoractl config set --json). Each camera's page files are fetched
    and only the lines of fields that differ are changed; a camera already as asked is sent nothing.
  - C(changed) only when something was sent to a camera (an upload, a network or host-name command).
  - In check mode runs C(config set --dry-run) and reports what would change; sends nothing.
  - With C(--diff) shows each camera's fields before and after (passwords only as changed).
  - A value a camera refuses, or a camera that cannot be reached, fails that camera with zoractl's message;
    the other cameras are still changed and the task fails naming the cameras that failed.
  - The values reach zoractl in a file only its user can read (C(config set --fields)), never as arguments.
version_added: 2.0.0
options:
  fields:
    description:
      - The fields and their values, C(stream.port) => C(8554); C(zoractl config fields) lists them.
      - Booleans become C(on)/C(off). One of I(fields) and I(secret_fields) is required.
    type: dict
    default: {}
  secret_fields:
    description:
      - Fields whose values are passwords (C(ddns.password), the event servers' passwords), kept out of logs
        and output; diff mode shows them only as changed.
    type: dict
    default: {}
extends_documentation_fragment:
  - zora.site.zoractl
  - zora.site.zoractl.cameras
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
author:
  - ZORA developers
'''

EXAMPLES = r'''
- name: The stream port of two cameras
  zora.site.config:
    cameras: [00:0A:1B:2C:3D:41, 00:0A:1B:2C:3D:42]
    fields:
      stream.port: 8554
    user: admin
    password: "{{ vault_camera_password }}"

- name: The DDNS login of one camera
  zora.site.config:
    cameras: [00:0A:1B:2C:3D:41]
    fields:
      ddns.enabled: true
      ddns.id: gate-north
    secret_fields:
      ddns.password: "{{ vault_ddns_password }}"
    user: admin
    password: "{{ vault_camera_password }}"

- name: Web port and title of every L80 camera
  zora.site.config:
    model: L80
    fields:
      web.port: 80
      web.title: Yard
    user: admin
    password_file: /etc/zora/pw
'''

RETURN = r'''
cameras:
  description: One entry a camera, as zoractl reports it.
  returned: always
  type: list
  elements: dict
  contains:
    mac: {description: MAC address, type: str}
    result: {description: success, dry run, refused value, not found, ..., type: str}
    status: {description: zoractl's exit status for this camera (0 success), type: int}
    message: {description: What zoractl said, type: str}
    sent: {description: Something was sent to the camera, type: bool}
    changes: {description: "The fields that differed: field, before, after", type: list, elements: dict}
failed_cameras:
  description: The MACs of the cameras that did not succeed.
  returned: always
  type: list
  elements: str
'''

import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.six import string_types
from ansible_collections.zora.site.plugins.module_utils.zoractl import (Zoractl, arguments,
                                                                         exit_with)


def value_text(value):
    if isinstance(value, bool):
        return 'on' if value else 'off'
    if isinstance(value, string_types):
        return value
    return str(value)


def diff_of(camera):
    changes = camera.get('changes') or []

    def lines(side):
        return ''.join('%s: %s\n' % (c['field'], c[side]) for c in changes)
    return dict(before_header=camera['mac'], after_header=camera['mac'],
                before=lines('before'), after=lines('after'))


ARGUMENTS = arguments(cameras=True, fields=dict(type='dict', default={}),
                      secret_fields=dict(type='dict', default={}, no_log=True))


def main():
    module = AnsibleModule(argument_spec=ARGUMENTS, supports_check_mode=True)
    tool = Zoractl(module)
    fields = dict(module.params['fields'])
    fields.update(module.params['secret_fields'])
    if not fields:
        module.fail_json(msg='give fields or secret_fields')
    lines = []
    for key in sorted(fields):
        value = value_text(fields[key])
        if '.' not in key or '=' in key or '\n' in key:
            module.fail_json(msg='%s is not PAGE.FIELD' % key)
        if '\n' in value or '\r' in value:
            module.fail_json(msg='the value of %s holds a line break' % key)
        lines.append('%s=%s\n' % (key, value))
    macs = tool.select()
    # mkstemp makes the file for its owner alone.
    fd, path = tempfile.mkstemp(prefix='zora-fields-', dir=module.tmpdir)
    try:
        with os.fdopen(fd, 'w') as f:
            f.write(''.join(lines))
        args = ['config', 'set'] + macs + ['--fields', path] + tool.timeout() + tool.parallel()
        if module.check_mode:
            args.append('--dry-run')
        rc, cameras, err = tool.run(args, login=True)
    finally:
        os.unlink(path)
    if not isinstance(cameras, list):
        tool.fail('zoractl config set', rc, err)
    if module.check_mode:
        changed = any(c.get('changes') for c in cameras if c.get('status') == 0)
    else:
        changed = any(c.get('sent') for c in cameras)
    result = dict(changed=changed, cameras=cameras, stderr=err,
                  failed_cameras=[c['mac'] for c in cameras if c.get('status', 0) != 0])
    if module._diff:
        result['diff'] = [diff_of(c) for c in cameras if c.get('changes')]
    exit_with(module, cameras, rc, result)


if __name__ == '__main__':
    main()
