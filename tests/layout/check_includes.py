#!/usr/bin/env python3
"""Every include under src/ points down the link order, or stays in its own folder.

The linker catches a call into a library above; it does not catch an include of a
header-only part of one (an inline function, a struct, an enum), which ties the folders
together just the same. This check reads every #include "folder/..." of src/ and fails on
one that reaches a folder its own may not use, on a widget header outside desktop/ui/,
on a header included twice, and on a project header named by a relative path or in
angle brackets (both would slip past the folder test). A folder that is not in the table fails too: a new folder takes its place in
the order here first.
"""
import os
import re
import sys

# Each folder and the folders it may include (what its library links, all the way down).
BELOW = {
    "base": set(),
    "protocol": {"base"},
    "protoconfig": {"protocol", "base"},
    "transfer": {"protocol", "base"},
    "fileconfig": {"transfer", "protoconfig", "protocol", "base"},
    "site": {"fileconfig", "transfer", "protoconfig", "protocol", "base"},
    "desktop": {"site", "fileconfig", "transfer", "protoconfig", "protocol", "base"},
    "desktop/ui": {"desktop", "site", "fileconfig", "transfer", "protoconfig", "protocol", "base"},
    "zoractl": {"site", "fileconfig", "transfer", "protoconfig", "protocol", "base"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def folder_of(rel):
    """The folder of a path below src/: desktop/ui for everything under it, and a
    program's main.cpp stands above all of its front end (desktop/main.cpp above
    desktop/ui)."""
    parts = rel.split("/")
    if rel == "desktop/main.cpp":
        return "desktop/ui"
    if parts[0] == "desktop" and len(parts) > 2 and parts[1] == "ui":
        return "desktop/ui"
    return parts[0]


def widget_headers():
    for root in ("/usr/include/x86_64-linux-gnu/qt6/QtWidgets", "/usr/include/qt6/QtWidgets"):
        if os.path.isdir(root):
            return {name for name in os.listdir(root) if not name.endswith(".h") or name.startswith("q")}
    return set()


def main(src):
    widgets = widget_headers()
    problems = []
    for dirpath, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, src)
            own = folder_of(rel)
            if own not in BELOW or "/" not in rel:
                problems.append("%s: folder %s has no place in the link order" % (rel, own))
                continue
            with open(path, encoding="latin-1") as f:
                text = f.read()
            found = INCLUDE.findall(text)
            for target in sorted({t for _, t in found if [x for _, x in found].count(t) > 1}):
                problems.append("%s: includes %s twice" % (rel, target))
            for kind, target in found:
                if ".." in target.split("/"):
                    problems.append("%s: includes %s by a relative path" % (rel, target))
                    continue
                if kind == "<" and folder_of(target) in BELOW and "/" in target:
                    problems.append("%s: includes <%s>; project headers go in quotes" % (rel, target))
                    continue
                if kind == "<":
                    top = target.split("/")[0]
                    if own != "desktop/ui" and (target in widgets or top == "QtWidgets"):
                        problems.append("%s: includes the widget header <%s>" % (rel, target))
                    continue
                if "/" not in target:
                    continue
                other = folder_of(target)
                if other not in BELOW:
                    continue
                if other != own and other not in BELOW[own]:
                    problems.append("%s: includes %s, which %s may not use" % (rel, target, own))
    for p in problems:
        print(p)
    print("%d include(s) against the link order" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "src")))
