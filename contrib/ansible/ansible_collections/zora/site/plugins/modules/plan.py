#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: plan
short_description: A site network plan checked and applied
description:
  - Holds a site plan (the CSV of C(zoractl plan apply), or the same rows in YAML) against the cameras that
    answer with C(zoractl plan check --json); a plan with errors fails before anything is sent.
  - Cameras that differ get their network and host-name commands with C(zoractl plan apply --json); a camera
    already as planned is not touched, and when every camera is, nothing is run at all.
  - Check mode is C(plan check). With C(--diff) each camera's fields current and planned.
version_added: 2.0.0
options:
  src:
    description: A plan file on the site machine (CSV with a header line). One of I(src) and I(rows).
    type: path
  rows:
    description:
      - The plan's rows, one dict a camera with the keys of the CSV's columns (C(mac), C(ip), C(mask),
        C(gateway), C(dns), C(host), C(domain), C(network), C(password_file)); a key left out keeps the
        camera's value.
    type: list
    elements: dict
  log:
    description:
      - The apply's log on the site machine (zoractl's C(--log)); an apply with the same log never sends a step
        a camera already accepted, so an interrupted play resumes.
    type: path
  parallel:
    description: At most this many cameras at once.
    type: int
extends_documentation_fragment:
  - zora.site.zoractl
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
author:
  - ZORA developers
'''

EXAMPLES = r'''
- name: The yard cameras renumbered for the new switch
  zora.site.plan:
    rows:
      - {mac: "00:0A:1B:2C:3D:41", ip: 192.168.10.41, mask: 255.255.255.0, gateway: 192.168.10.1,
         host: gate-north, network: static}
      - {mac: "00:0A:1B:2C:3D:42", host: gate-south}
    log: /var/lib/zora/yard-plan.log
    user: admin
    password: "{{ vault_camera_password }}"

- name: The site's plan kept on the site machine
  zora.site.plan:
    src: /srv/site/plan.csv
    user: admin
    password_file: /etc/zora/pw
'''

RETURN = r'''
check:
  description: The report of C(plan check --json) (rows, problems, wrong).
  returned: always
  type: dict
cameras:
  description: The apply's rows (mac, result, address, message, sent, failed, part_way); empty when nothing ran.
  returned: always
  type: list
  elements: dict
'''

import csv
import io
import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.zora.site.plugins.module_utils.zoractl import Zoractl, arguments

COLUMNS = ['mac', 'ip', 'mask', 'gateway', 'dns', 'host', 'domain', 'network', 'password_file']


def csv_of(module, rows):
    known = set(COLUMNS)
    for row in rows:
        unknown = set(row) - known
        if unknown:
            module.fail_json(msg='unknown plan columns: %s' % ', '.join(sorted(unknown)))
        if not row.get('mac'):
            module.fail_json(msg='a plan row without mac')
    columns = COLUMNS if any(row.get('password_file') for row in rows) else COLUMNS[:-1]
    out = io.StringIO()
    writer = csv.writer(out, lineterminator='\n')
    writer.writerow(columns)
    for row in rows:
        writer.writerow(['' if row.get(c) is None else str(row.get(c)) for c in columns])
    return out.getvalue()


def diff_of(row):
    changes = row.get('changes') or []

    def side(key):
        return ''.join('%s: %s\n' % (c['field'], '' if c[key] is None else c[key]) for c in changes)
    return dict(before_header=row['mac'], after_header=row['mac'], before=side('current'), after=side('planned'))


ARGUMENTS = arguments(src=dict(type='path'), rows=dict(type='list', elements='dict'), log=dict(type='path'),
                      parallel=dict(type='int'))


def main():
    module = AnsibleModule(argument_spec=ARGUMENTS,
                           mutually_exclusive=[('src', 'rows')], required_one_of=[('src', 'rows')],
                           supports_check_mode=True)
    tool = Zoractl(module)
    p = module.params
    path = p['src']
    scratch = None
    if p['rows'] is not None:
        fd, scratch = tempfile.mkstemp(prefix='zora-plan-', suffix='.csv', dir=module.tmpdir)
        with os.fdopen(fd, 'w') as f:
            f.write(csv_of(module, p['rows']))
        path = scratch
    try:
        rc, check, err = tool.run(['plan', 'check', path] + tool.timeout())
        if not isinstance(check, dict):
            tool.fail('zoractl plan check', rc, err)
        rows = check.get('rows', [])
        pending = [r for r in rows if r.get('found') and not r.get('as_planned')]
        result = dict(changed=bool(pending), check=check, cameras=[], stderr=err)
        if module._diff:
            result['diff'] = [diff_of(r) for r in pending]
        if check.get('wrong'):
            problems = ['%s%s' % (q['mac'] + ': ' if q.get('mac') else '', q['message'])
                        for q in check.get('problems', []) if q.get('severity') != 'warning']
            module.fail_json(msg='the plan is wrong: ' + '; '.join(problems), **result)
        if module.check_mode or not pending:
            module.exit_json(**result)
        args = ['plan', 'apply', path] + tool.timeout()
        if p['log']:
            args += ['--log', p['log']]
        if p['parallel'] is not None:
            args += ['--parallel', str(p['parallel'])]
        rc, cameras, err = tool.run(args, login=True)
        if not isinstance(cameras, list):
            tool.fail('zoractl plan apply', rc, err, **result)
        result.update(cameras=cameras, stderr=err, changed=any(c.get('sent') for c in cameras))
        failed = ['%s: %s: %s' % (c['mac'], c['result'], c['message']) for c in cameras if c.get('failed')]
        if failed:
            module.fail_json(msg='; '.join(failed), rc=rc, **result)
        module.exit_json(**result)
    finally:
        if scratch:
            os.unlink(scratch)


if __name__ == '__main__':
    main()
