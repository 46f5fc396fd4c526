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
            ./usr/share/man/man1/zora.1 ./usr/share/man/man1/zoractl.1 \
            ./usr/share/bash-completion/completions/zoractl; do
  grep -qx -- "$want" <<<"$files" || { echo "FAIL: $want is not in the package"; exit 1; }
done
if grep -q camsim <<<"$files"; then echo "FAIL: the simulator is in the package"; exit 1; fi
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt6network6 <<<"$depends" && grep -q libcurl4 <<<"$depends" \
  || { echo "FAIL: dependencies not computed: $depends"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
version=$("$work/root/usr/bin/zoractl" --version)
[ "$version" = "zoractl $(dpkg-deb -f "$deb" Version)" ] || { echo "FAIL: zoractl --version: $version"; exit 1; }
# No display: help must come without the window system.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/zora" --help | grep -q "^Usage: zora" \
  || { echo "FAIL: zora --help"; exit 1; }
bash -n "$work/root/usr/share/bash-completion/completions/zoractl"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$work/root/usr/share/applications/zora.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$work/root/usr/share/metainfo/net.zora.zora.metainfo.xml" >/dev/null
fi
echo "package ok: $(basename "$deb")"
