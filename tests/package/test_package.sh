#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks its files, unpacks it into a
# scratch root and runs the unpacked programs from there. Skipped (77) without the dpkg
# tools.
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (Debian's dpkg-dev and cmake provide the packaging tools)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/zora_*.deb)

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for want in ./usr/bin/zora ./usr/bin/zoractl ./usr/share/applications/zora.desktop \
            ./usr/share/metainfo/net.zora.zora.metainfo.xml \
            ./usr/share/icons/hicolor/48x48/apps/zora.png ./usr/share/icons/hicolor/scalable/apps/zora.svg \
            ./usr/share/man/man1/zora.1.gz ./usr/share/man/man1/zoractl.1.gz \
            ./usr/share/doc/zora/copyright ./usr/share/doc/zora/changelog.Debian.gz \
            ./usr/share/bash-completion/completions/zoractl ./usr/lib/systemd/system/zora-watch.service; do
  grep -qx -- "$want" <<<"$files" || { echo "FAIL: $want is not in the package"; exit 1; }
done
if grep -q camsim <<<"$files"; then echo "FAIL: the simulator is in the package"; exit 1; fi
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt6network6 <<<"$depends" && grep -q libcurl4 <<<"$depends" \
  || { echo "FAIL: dependencies not computed: $depends"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
version=$("$work/root/usr/bin/zoractl" --version)
# The package's version is the program's with the package's own revision after a dash.
package_version=$(dpkg-deb -f "$deb" Version)
[ "$version" = "zoractl ${package_version%-*}" ] || { echo "FAIL: zoractl --version: $version"; exit 1; }
# No display: help must come without the window system.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/zora" --help | grep -q "^Usage: zora" \
  || { echo "FAIL: zora --help"; exit 1; }
bash -n "$work/root/usr/share/bash-completion/completions/zoractl"
# The service as systemd reads it, run from the unpacked program (the manual page it
# names is not installed here).
if command -v systemd-analyze >/dev/null; then
  sed "s|/usr/bin/zoractl|$work/root/usr/bin/zoractl|" "$work/root/usr/lib/systemd/system/zora-watch.service" \
    >"$work/zora-watch.service"
  systemd-analyze verify --man=no "$work/zora-watch.service" || { echo "FAIL: systemd-analyze verify"; exit 1; }
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$work/root/usr/share/applications/zora.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$work/root/usr/share/metainfo/net.zora.zora.metainfo.xml" >/dev/null
fi

# The changelog names the package's version; the copyright's license is the metainfo's.
changelog=$(zcat "$work/root/usr/share/doc/zora/changelog.Debian.gz" | head -1)
[ "$changelog" = "zora ($package_version) unstable; urgency=medium" ] \
  || { echo "FAIL: changelog: $changelog"; exit 1; }
license=$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' \
  "$work/root/usr/share/metainfo/net.zora.zora.metainfo.xml")
grep -qx "License: $license" "$work/root/usr/share/doc/zora/copyright" \
  || { echo "FAIL: the copyright file does not give the metainfo's license $license"; exit 1; }

# Hardening, read from the binaries themselves: position-independent, a read-only GOT
# bound at start, checked buffer functions and stack guards. Only the Release build
# carries it (a package is built so); the sanitizer build has its own flags.
hardened=0
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt" \
  && ! grep -q '^ZORA_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt" && hardened=1
[ $hardened -eq 1 ] || echo "note: not a Release build; its hardening is not checked"
for program in zora zoractl; do
  [ $hardened -eq 1 ] || break
  binary="$work/root/usr/bin/$program"
  headers=$(readelf -h -l -d --dyn-syms -W "$binary")
  grep -q 'Type: *DYN' <<<"$headers" || { echo "FAIL: $program is not position-independent"; exit 1; }
  grep -q GNU_RELRO <<<"$headers" || { echo "FAIL: $program has no RELRO segment"; exit 1; }
  grep -Eq 'FLAGS.*(BIND_NOW|NOW)' <<<"$headers" || { echo "FAIL: $program is not bound at start (-z now)"; exit 1; }
  grep -q '__stack_chk_fail' <<<"$headers" || { echo "FAIL: $program has no stack protector"; exit 1; }
done
# zoractl's fortifiable calls all have sizes the compiler settles (see its lintian
# override); the window's printf and fprintf become checked ones.
[ $hardened -eq 0 ] \
  || grep -Eq '__(f?printf|memcpy|read|snprintf)_chk' <<<"$(readelf --dyn-syms -W "$work/root/usr/bin/zora")" \
  || { echo "FAIL: zora has no fortified functions"; exit 1; }

# (grep -q reads its input from a variable: under pipefail a grep that stops early would
# fail the writer of a pipe.)
# The manual page and the completion against zoractl's own table: every command and
# option it takes is in both.
"$work/root/usr/bin/zoractl" --print-options >"$work/options"
zcat "$work/root/usr/share/man/man1/zoractl.1.gz" >"$work/zoractl.1"
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$work/zoractl.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "FAIL: the manual page draws warnings: $warnings"; exit 1; }
fi
${ZORA_PYTHON:-python3} - "$work/options" "$work/zoractl.1" <<'PY' || exit 1
import re, sys
table = [line.rstrip("\n").split("\t") for line in open(sys.argv[1])]
page = open(sys.argv[2]).read()
def bold(word):
    return r"\fB" + word.replace("-", r"\-") + r"\fR"
# Each command's part: from its tagged heading to the next one.
sections, commands = {}, [c for c, o in table if c and not o]
headings = [(m.start(), m.group(1)) for m in re.finditer(r"^\.TP\n(.*)$", page, re.M)]
for name in commands:
    head = " ".join(bold(w) for w in name.split())
    at = [pos for pos, text in headings if text.startswith(head + " ") or text == head]
    if not at:
        sys.exit("FAIL: the manual page lacks the command %s" % name)
    later = [pos for pos, text in headings if pos > at[0] and any(
        text.startswith(" ".join(bold(w) for w in c.split()) + " ") for c in commands)]
    sections[name] = page[at[0]:later[0] if later else page.index(".SH OPTIONS OF EVERY COMMAND")]
shared = page[page.index(".SH OPTIONS OF EVERY COMMAND"):]
for command, option in table:
    if option and bold(option) not in (sections[command] if command else shared):
        sys.exit("FAIL: the manual page lacks %s %s" % (command or "the shared option", option))
PY
completion() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=(); _zoractl
           printf "%s\n" "${COMPREPLY[@]}"' sh "$work/root/usr/share/bash-completion/completions/zoractl" "$@"
}
top=$(completion zoractl "")
# A tab in IFS is white space, which read drops at the start: the table is read with '|'.
while IFS='|' read -r command option; do
  if [ -z "$command" ]; then
    grep -qx -- "$option" <<<"$(completion zoractl --)" || { echo "FAIL: completion lacks the shared $option"; exit 1; }
  elif [ -z "$option" ]; then
    read -ra words <<<"$command"
    grep -qx -- "${words[0]}" <<<"$top" || { echo "FAIL: completion lacks the command $command"; exit 1; }
    if [ ${#words[@]} -eq 2 ]; then
      second=$(completion zoractl "${words[0]}" "")
      grep -qx -- "${words[1]}" <<<"$second" || { echo "FAIL: completion lacks $command"; exit 1; }
      # The second word is the command's own, never a first word again.
      ! grep -qx -- scan <<<"$second" || { echo "FAIL: zoractl ${words[0]} <Tab> offers the commands"; exit 1; }
    fi
  else
    read -ra words <<<"$command"
    grep -qx -- "$option" <<<"$(completion zoractl "${words[@]}" --)" \
      || { echo "FAIL: completion of $command lacks $option"; exit 1; }
  fi
done < <(tr '\t' '|' <"$work/options")

# lintian judges the package as Debian's archive would: no error, no warning, and none
# of its hardening tags (on a Release build: a package is never made of another).
if [ $hardened -eq 0 ]; then
  :
elif command -v lintian >/dev/null; then
  if ! lintian -I --pedantic --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 \
     || grep -q 'hardening-' "$work/lintian.log"; then
    cat "$work/lintian.log"
    echo "FAIL: lintian"
    exit 1
  fi
else
  echo "note: lintian is missing (scripts/setup installs it); its checks were skipped"
fi
echo "package ok: $(basename "$deb")"
