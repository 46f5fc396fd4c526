#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: backup
short_description: The configuration of a site's cameras kept in a folder of the site machine
description:
  - Runs C(zoractl config backup --json) into I(dest) on the site machine, one folder a camera (its MAC with
    dashes) holding the camera files byte for byte, C(settings.json) and C(manifest.json); folders for the owner
    alone (0700, files 0600). A camera that fails keeps its previous folder, whole.
  - C(changed) when a camera's files differ from its previous backup (or it had none).
  - Check mode backs up into a scratch folder, compares and leaves I(dest) as it was; only reads from the
    cameras in either case.
  - To keep the backups on the controller, fetch the I(archive) (or each of the returned I(files)) with
    C(ansible.builtin.fetch).
version_added: 2.0.0
options:
  dest:
    description: The folder on the site machine (made when missing).
    type: path
    required: true
  all:
    description: Every camera that answers the scan, in place of I(cameras) or I(model).
    type: bool
    default: false
  archive:
    description:
      - Also write the folders of the cameras backed up in this run into this C(.tar.gz) on the site machine
        (for the owner only), one file to fetch. Not written in check mode.
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
- name: Back up every camera of the site
  zora.site.backup:
    all: true
    dest: /srv/site
    user: admin
    password_file: /etc/zora/pw
  register: backup

- name: The same, with one archive to fetch
  zora.site.backup:
    all: true
    dest: /srv/site
    archive: /srv/site-backup.tar.gz
    user: admin
    password_file: /etc/zora/pw

- name: Keep a copy on the controller
  ansible.builtin.fetch:
    src: /srv/site-backup.tar.gz
    dest: "backups/{{ inventory_hostname }}-{{ ansible_date_time.date }}.tar.gz"
    flat: true
'''

RETURN = r'''
cameras:
  description: One entry a camera (mac, result, status, message, path, changed).
  returned: always
  type: list
  elements: dict
files:
  description: Every file of the cameras backed up in this run, as paths on the site machine.
  returned: always
  type: list
  elements: str
archive:
  description: The archive written, when I(archive) was given and a camera was backed up.
  returned: when written
  type: str
'''

import json
import os
import shutil
import tarfile
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.zora.site.plugins.module_utils.zoractl import (Zoractl, arguments,
                                                                         exit_with, folder_name)


def read_json(path):
    fd = os.open(path, os.O_RDONLY | getattr(os, 'O_NOFOLLOW', 0))
    with os.fdopen(fd) as f:
        return json.loads(f.read(1 << 20))


def contents(folder):
    """What a backup holds, but for when it was made: each file's hash, the settings, the version."""
    # A link is not followed: the folder is read as zoractl wrote it, or not at all.
    if os.path.islink(folder) or not os.path.isdir(folder):
        return None
    try:
        manifest = read_json(os.path.join(folder, 'manifest.json'))
        settings = read_json(os.path.join(folder, 'settings.json'))
    except (IOError, OSError, ValueError):
        return None
    files = sorted((e.get('name'), e.get('sha256')) for e in manifest.get('files', []))
    return dict(files=files, settings=settings, version=manifest.get('software_version'),
                daemons=manifest.get('daemons'))


def write_archive(path, dest, names):
    """The camera folders into a .tar.gz for the owner alone, put in place whole."""
    fd, partial = tempfile.mkstemp(prefix='.zora-backup-', suffix='.partial', dir=os.path.dirname(path) or '.')
    try:
        with os.fdopen(fd, 'wb') as f:
            with tarfile.open(fileobj=f, mode='w:gz') as tar:
                for name in names:
                    tar.add(os.path.join(dest, name), arcname=name)
        os.replace(partial, path)
    except BaseException:
        os.unlink(partial)
        raise


ARGUMENTS = arguments(cameras=True, dest=dict(type='path', required=True), all=dict(type='bool', default=False),
                      archive=dict(type='path'))


def main():
    module = AnsibleModule(argument_spec=ARGUMENTS, supports_check_mode=True)
    tool = Zoractl(module)
    p = module.params
    macs = tool.select(allow_all=p['all'])
    if p['all'] and macs:
        module.fail_json(msg='all excludes cameras and model')
    dest = p['dest']
    # The folders as they were: a new backup replaces them whole.
    earlier = {}
    if os.path.isdir(dest):
        for name in os.listdir(dest):
            if not name.startswith('.'):
                earlier[name] = contents(os.path.join(dest, name))
    out = tempfile.mkdtemp(prefix='zora-backup-', dir=module.tmpdir) if module.check_mode else dest
    try:
        args = ['config', 'backup'] + (['--all'] if p['all'] else macs) + ['--out', out]
        rc, cameras, err = tool.run(args + tool.timeout() + tool.parallel(), login=True)
        if not isinstance(cameras, list):
            tool.fail('zoractl config backup', rc, err)
        files = []
        for c in cameras:
            name = folder_name(c['mac'])
            now = os.path.join(out, name)
            c['path'] = os.path.join(dest, name)
            c['changed'] = False
            if c.get('status') != 0:
                continue
            if module.check_mode:
                c['changed'] = earlier.get(name) is None or contents(now) != earlier[name]
                continue
            c['changed'] = earlier.get(name) is None or contents(now) != earlier[name]
            for entry in sorted(os.listdir(now)):
                files.append(os.path.join(c['path'], entry))
    finally:
        if module.check_mode:
            shutil.rmtree(out, ignore_errors=True)
    result = dict(changed=any(c['changed'] for c in cameras), cameras=cameras, files=files, stderr=err)
    done = [folder_name(c['mac']) for c in cameras if c.get('status') == 0]
    if p['archive'] and done and not module.check_mode:
        write_archive(p['archive'], dest, done)
        result['archive'] = p['archive']
    exit_with(module, cameras, rc, result)


if __name__ == '__main__':
    main()
