#!/usr/bin/env bash
# The edit-mode wobble's share of one core: Tessellon shows a full page of
# 35 tiles on a private virtual display, once at rest and once in edit mode
# (every tile wobbling), and its CPU time (user + system, all threads, from
# /proc/<pid>/stat) is counted over a window after the show has settled.
# Prints the share of one core for each screen size and mode, and the X
# server's share beside it (what it spends taking in the frames).
# Goals: the wobble under 10 % of a core at 1920x1080, under 20 % at 3840x2160.
#
# usage: bench/wobble_cpu.sh [--binary PATH] [--seconds S] [--screen WxH]... [--wallpaper] [--keep]
#   --binary P    the tessellon to measure (default: a Release build made in
#                 build-release/ of this checkout)
#   --seconds S   the length of each counting window (default: 5)
#   --screen WxH  a screen size; repeat for several (default: 1920x1080 and
#                 3840x2160)
#   --wallpaper   show a desktop picture under the tiles (GNOME's setting,
#                 through GSettings' key file backend), as most desktops
#                 have, instead of the plain grey shown without one
#   --keep        keep the scratch directory
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
binary=""
seconds=5
screens=()
keep=0
wallpaper=0
while [ $# -gt 0 ]; do
  case "$1" in
    --binary) binary=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --screen) screens+=("$2"); shift 2 ;;
    --wallpaper) wallpaper=1; shift ;;
    --keep) keep=1; shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
[ ${#screens[@]} -gt 0 ] || screens=(1920x1080 3840x2160)

for tool in Xvfb python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "missing $tool (scripts/install-deps.sh)" >&2; exit 1; }
done

source "$root/bench/peer/launcher_run.sh"
resolve_tessellon_binary

scratch=$(mktemp -d /tmp/tessellon-wobble.XXXXXX)
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ "$keep" -eq 1 ] && echo "scratch: $scratch" || rm -rf "$scratch"
}
trap cleanup EXIT


# CPU ticks (user + system) of a process so far.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

home="$scratch/home"
mkdir -p "$home/Applications" "$home/data" "$home/config" "$home/cache" "$home/empty-data-dirs" "$home/runtime"
chmod 700 "$home/runtime"
python3 "$root/bench/peer/make_bundles.py" 35 "$home" --icon-size 512
settings=(GSETTINGS_BACKEND=memory)
if [ "$wallpaper" -eq 1 ]; then
  schemas=/usr/share/glib-2.0/schemas
  [ -f "$schemas/org.gnome.desktop.background.gschema.xml" ] ||
    { echo "missing the desktop schemas (scripts/install-deps.sh)" >&2; exit 1; }
  # A picture that differs at every pixel, as a photograph does.
  python3 - "$home/wallpaper.png" <<'PY'
import struct, sys, zlib
width, height = 1920, 1080
rows = bytearray()
for y in range(height):
    rows.append(0)
    for x in range(width):
        rows += bytes(((x * 255) // width, (y * 255) // height, ((x + y) * 7) % 256))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
with open(sys.argv[1], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
              + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b""))
PY
  mkdir -p "$home/config/glib-2.0/settings"
  printf "[org/gnome/desktop/background]\npicture-uri='file://%s'\npicture-uri-dark='file://%s'\n" \
    "$home/wallpaper.png" "$home/wallpaper.png" >"$home/config/glib-2.0/settings/keyfile"
  # The data directories stay empty (no other applications); the schemas
  # are named on their own.
  settings=(GSETTINGS_BACKEND=keyfile GSETTINGS_SCHEMA_DIR="$schemas")
fi

source "$root/bench/peer/xvfb.sh"
echo "tessellon: $binary   35 tiles   ${seconds} s windows   wallpaper: $([ "$wallpaper" -eq 1 ] && echo yes || echo no)"
printf "%-12s %-10s %14s %14s\n" screen mode "tessellon (%)" "X server (%)"
for screen in "${screens[@]}"; do
  xvfb_screen="${screen}x24"
  start_private_xvfb
  for mode in rest wobble; do
    extra=()
    [ "$mode" = wobble ] && extra=(--edit-mode)
    log="$scratch/tessellon-$screen-$mode.log"
    rm -rf "$home/state"
    env -u APP_STATE_DIR -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_CONFIG_HOME="$home/config" \
      XDG_DATA_HOME="$home/data" XDG_DATA_DIRS="$home/empty-data-dirs" XDG_CACHE_HOME="$home/cache" \
      XDG_RUNTIME_DIR="$home/runtime" "${settings[@]}" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 \
      "$binary" --state-dir "$home/state" --show --no-event-tap "${extra[@]}" >"$log" 2>&1 &
    app_pid=$!
    wait_until 30 grep -qs '^\[ready\]' "$log" || { echo "tessellon did not get ready:" >&2; cat "$log" >&2; exit 1; }
    # The show's animation and the start of edit mode are over by then.
    sleep 2
    a0=$(ticks "$app_pid"); x0=$(ticks "$xvfb_pid")
    sleep "$seconds"
    a1=$(ticks "$app_pid"); x1=$(ticks "$xvfb_pid")
    printf "%-12s %-10s %14.1f %14.1f\n" "$screen" "$mode" \
      "$(awk -v d=$((a1 - a0)) -v s="$seconds" -v hz="$hz" 'BEGIN { print 100 * d / hz / s }')" \
      "$(awk -v d=$((x1 - x0)) -v s="$seconds" -v hz="$hz" 'BEGIN { print 100 * d / hz / s }')"
    kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
    app_pid=""
  done
  kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
