# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):

    # The options every module of zora.site passes on to zoractl.
    DOCUMENTATION = r'''
options:
  zoractl_path:
    description: The zoractl program of the site machine, a name looked up in C(PATH) or a path.
    type: str
    default: zoractl
  user:
    description: Administrator ID of the cameras (1 to 7 characters).
    type: str
  password:
    description:
      - Administrator password, given to zoractl on its standard input (never on its command line).
      - Without I(password) and I(password_file), zoractl takes C(ZORA_PASSWORD) from the environment.
    type: str
  password_file:
    description: A file on the site machine holding the administrator password (readable by its owner only).
    type: path
  broadcast:
    description: Discovery broadcast address (zoractl's C(--broadcast)); zoractl's default is 255.255.255.255.
    type: str
  adapter:
    description: Discovery and broadcast commands through this network adapter only (C(--adapter)).
    type: str
  camera_port:
    description: UDP port of the cameras (C(--camera-port), default 32154).
    type: int
  local_port:
    description: Local UDP port the replies come to (C(--local-port), default 32153).
    type: int
  ftp_port:
    description: FTP port of the cameras (C(--ftp-port), default 21).
    type: int
  app_dir:
    description: zoractl's application directory (C(--app-dir)).
    type: path
  timeout:
    description: Seconds the scan waits for the cameras (C(--timeout), default 3).
    type: float
notes:
  - Runs zoractl on the site machine with C(--json) and reads nothing but its JSON.
  - The exit statuses and result words are zoractl's; see its manual page.
'''

    CAMERAS = r'''
options:
  cameras:
    description: The cameras by MAC (C(00:0A:1B:2C:3D:41) or with dashes).
    type: list
    elements: str
    default: []
  model:
    description: Every camera of this model name that answers a scan, in place of I(cameras).
    type: str
  parallel:
    description: At most this many cameras at once (zoractl's C(--parallel)).
    type: int
'''
