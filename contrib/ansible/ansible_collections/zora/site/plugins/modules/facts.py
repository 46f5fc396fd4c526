#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: facts
short_description: The cameras of a site as facts
description:
  - Scans the site machine's network with C(zoractl scan --json) and sets the cameras that answered as facts.
  - Sends only discovery requests; nothing is changed on any camera.
version_added: 2.0.0
options:
  rounds:
    description: Discovery rounds, 300 ms apart, within I(timeout) (zoractl's default is 3).
    type: int
extends_documentation_fragment:
  - zora.site.zoractl
attributes:
  check_mode:
    support: full
author:
  - ZORA developers
'''

EXAMPLES = r'''
- name: Find the cameras
  zora.site.facts:
    timeout: 5

- name: Name each camera
  ansible.builtin.debug:
    msg: "{{ item.mac }} {{ item.model }} at {{ item.address }} ({{ item.host }}) on {{ item.adapter }}"
  loop: "{{ zora_cameras }}"
'''

RETURN = r'''
ansible_facts:
  description: The facts set.
  returned: always
  type: dict
  contains:
    zora_cameras:
      description: One entry a camera that answered.
      type: list
      elements: dict
      contains:
        mac: {description: MAC address, type: str}
        model: {description: Model name, type: str}
        model_code: {description: Model code, type: int}
        address: {description: The address it answered from, type: str}
        host: {description: Host name, type: str}
        domain: {description: Domain name (null when the camera announces none), type: str}
        network_type: {description: dhcp, static, pppoe or none, type: str}
        adapter: {description: The adapter it answered on (null when unknown), type: str}
        in_subnet: {description: False when its address lies outside the adapter's subnets, type: bool}
        connection_kind: {description: local or remote, type: str}
        conflicts: {description: Shared addresses and the like, as zoractl reports them, type: list, elements: dict}
    zora_adapters:
      description: Cameras by adapter.
      type: dict
    zora_conflicts:
      description: MACs of the cameras with a conflict.
      type: list
      elements: str
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.zora.site.plugins.module_utils.zoractl import Zoractl, arguments


def camera_fact(c):
    return dict(mac=c.get('mac'), model=c.get('model_name'), model_code=c.get('model_code'),
                address=c.get('ip'), host=c.get('host_name'), domain=c.get('domain_name'),
                network_type=c.get('network_type'), adapter=c.get('adapter'), in_subnet=c.get('in_subnet'),
                connection_kind=c.get('connection_kind'), conflicts=c.get('conflicts') or [])


ARGUMENTS = arguments(rounds=dict(type='int'))


def main():
    module = AnsibleModule(argument_spec=ARGUMENTS, supports_check_mode=True)
    tool = Zoractl(module)
    records, err = tool.scan(module.params['rounds'])
    cameras = [camera_fact(c) for c in records]
    adapters = {}
    for c in cameras:
        name = c['adapter'] or 'unknown'
        adapters[name] = adapters.get(name, 0) + 1
    module.exit_json(changed=False, stderr=err, ansible_facts=dict(
        zora_cameras=cameras, zora_adapters=adapters,
        zora_conflicts=[c['mac'] for c in cameras if c['conflicts']]))


if __name__ == '__main__':
    main()
