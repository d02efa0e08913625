#!/usr/bin/env bash
# How often a hidden, idle launcher wakes up. Tessellon starts with the
# default settings (no hot corner) on a private virtual display, with its own
# session bus and a scratch home of a few generated application bundles; once
# it is ready it is hidden with Escape and left alone for 2 s. Then its
# context switches are counted over a window (10 s by default): for every
# thread, voluntary_ctxt_switches + nonvoluntary_ctxt_switches from
# /proc/<pid>/task/<tid>/status, after minus before. Prints the total and
# the count of each thread, by name.
#
# usage: bench/idle_wakeups.sh [--binary PATH] [--seconds S] [--apps N] [--keep]
#   --binary P    the tessellon to measure (default: a Release build made in
#                 build-release/ of this checkout)
#   --seconds S   the length of the counting window (default: 10)
#   --apps N      bundles in the scratch home (default: 12)
#   --keep        keep the scratch directory (its log has tessellon's output)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
binary=""
seconds=10
apps=12
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --binary) binary=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --apps) apps=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

for tool in Xvfb xdotool dbus-daemon python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "missing $tool (scripts/install-deps.sh)" >&2; exit 1; }
done

source "$root/bench/peer/launcher_run.sh"
resolve_tessellon_binary

scratch=$(mktemp -d /tmp/tessellon-idle.XXXXXX)
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
  [ -n "${bus_pid:-}" ] && kill "$bus_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ "$keep" -eq 1 ] && echo "scratch: $scratch" || rm -rf "$scratch"
}
trap cleanup EXIT


# --- Display and session bus --------------------------------------------------
source "$root/bench/peer/xvfb.sh"
start_private_xvfb

home="$scratch/home"
mkdir -p "$home/Applications" "$home/data" "$home/config" "$home/cache" "$home/state" "$home/empty-data-dirs" \
  "$home/runtime"
chmod 700 "$home/runtime"
bus_address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$scratch/bus.pid" \
  --address="unix:path=$home/runtime/bus")
bus_pid=$(cat "$scratch/bus.pid")

# --- Scratch home -------------------------------------------------------------
python3 "$root/bench/peer/make_bundles.py" "$apps" "$home" --icon-size 128

# --- Start, hide, wait --------------------------------------------------------
log="$scratch/tessellon.log"
env -u APP_STATE_DIR HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
  XDG_DATA_DIRS="$home/empty-data-dirs" XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime" \
  DBUS_SESSION_BUS_ADDRESS="$bus_address" GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 \
  "$binary" --state-dir "$home/state" >"$log" 2>&1 &
app_pid=$!

launcher_visible() { xdotool search --onlyvisible --name '^Tessellon$' >/dev/null 2>&1; }
wait_until 30 grep -q '^\[ready\]' "$log" || { echo "tessellon did not get ready:" >&2; cat "$log" >&2; exit 1; }
wait_until 10 launcher_visible || { echo "the launcher window did not show" >&2; exit 1; }
# No window manager gives it the focus: the key goes to the window under the pointer.
xdotool mousemove 960 540
xdotool key Escape
wait_until 10 bash -c '! xdotool search --onlyvisible --name "^Tessellon$" >/dev/null 2>&1' ||
  { echo "Escape did not hide the launcher" >&2; exit 1; }
sleep 2

# --- Count --------------------------------------------------------------------
# "tid name switches" for every thread alive now.
sample() {
  local task tid name v n
  for task in /proc/"$app_pid"/task/*; do
    tid=${task##*/}
    name=$(tr ' ' '_' <"$task/comm" 2>/dev/null) || continue
    v=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null) || continue
    n=$(awk '/^nonvoluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null) || continue
    echo "$tid $name $((v + n))"
  done
}
kill -0 "$app_pid" 2>/dev/null || { echo "tessellon ended:" >&2; cat "$log" >&2; exit 1; }
sample >"$scratch/before"
sleep "$seconds"
sample >"$scratch/after"
kill -0 "$app_pid" 2>/dev/null || { echo "tessellon ended while counted:" >&2; cat "$log" >&2; exit 1; }

echo "tessellon: $binary   display $DISPLAY   apps $apps   pid $app_pid"
# A thread that started during the window counts from zero; one that ended
# is left out (it cannot be read any more).
awk '
  NR == FNR { start[$1] = $3; next }
  {
    d = $3 - (($1 in start) ? start[$1] : 0)
    byName[$2] += d; threads[$2]++
  }
  END { for (n in byName) printf "%s %d %d\n", n, byName[n], threads[n] }' "$scratch/before" "$scratch/after" |
  sort -k2,2nr >"$scratch/threads"
echo "wake-ups in $seconds s: $(awk '{ total += $2 } END { print total + 0 }' "$scratch/threads")"
awk '{ printf "  %-24s %6d  (%d thread%s)\n", $1, $2, $3, $3 == 1 ? "" : "s" }' "$scratch/threads"
