#!/usr/bin/env bash
# Writes fuzz seeds made from tests/data into OUT/<target>/, in each target's input
# form (see the head of each target's source): the camera's /etc tree for every page,
# and the tool's own zora.ini and the camera's INI-style files for the ini layer.
set -euo pipefail
out=${1:?usage: data_seeds.sh OUT}
etc="$(cd "$(dirname "$0")/../data/camfiles/etc" && pwd)"
ini="$(cd "$(dirname "$0")/../data" && pwd)/zora_default.ini"
sep=$'\x1e'

# seed FILE PICK PART...: byte PICK, then the parts separated by 0x1e.
seed() {
  local file=$1 pick=$2 first=1
  shift 2
  {
    printf "\\x$(printf %02x "$pick")"
    for part in "$@"; do
      [ $first -eq 1 ] || printf '%s' "$sep"
      first=0
      cat "$part"
    done
  } >"$file"
}

pages="$out/config_pages"
rm -rf "$pages" "$out/profile_file"
mkdir -p "$pages" "$out/profile_file"
listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
ls "$etc/control_deamon" >"$listing"
events=("$etc/event/dio_input.conf" "$etc/event/periodic_timer.conf" "$etc/event/hw_motion.conf")
for keep in 0 27; do
  seed "$pages/ddns-$keep" $((0 + keep)) "$etc/ddns.conf"
  seed "$pages/web-$keep" $((1 + keep)) "$etc/thttpd.conf" "$etc/html/title.js"
  seed "$pages/stream-$keep" $((2 + keep)) "$etc/udp_server.conf" "$etc/tcp_server.conf" "$etc/rc.server"
  for source in 0 1 2; do
    seed "$pages/event-$source-$keep" $((3 + 9 * source + keep)) "${events[@]}"
  done
  seed "$pages/event-nomotion-$keep" $((3 + 18 + keep + 54)) "${events[@]:0:2}"
  seed "$pages/video-$keep" $((4 + keep)) "$etc/middle.conf"
  seed "$pages/control-$keep" $((5 + keep)) "$etc/control.conf" "$listing"
  seed "$pages/system-$keep" $((6 + keep)) "$etc/general.conf"
  seed "$pages/security-$keep" $((7 + keep)) "$etc/rc.iptables"
  seed "$pages/audio-$keep" $((8 + keep)) "$etc/audio.conf"
done

# profile_file: section, contents, then key and value pairs.
profile() {
  local file=$1 section=$2 contents=$3
  shift 3
  { printf '%s%s' "$section" "$sep"; cat "$contents"; for kv in "$@"; do printf '%s%s' "$sep" "$kv"; done; } \
    >"$out/profile_file/$file"
}
profile ini-name ZORA "$ini" APPNAME "Site tool" HANDLE 4711
profile ini-models MODELS "$ini" 7 T90 0 L80
profile ini-oem oem "$ini" ICON site.ico COMPANY '"Example"'
profile middle middle_info "$etc/middle.conf" init_quality 70 video_type 1
profile audio audio_server_info "$etc/audio.conf" max_connect 4 server_port 1853
profile control channel_2 "$etc/control.conf" cam_alias '"Gate"' control_deamon none
profile event FTP "$etc/event/hw_motion.conf" user_pw secret enable true
