#!/usr/bin/env bash
# Tessellon beside rofi (drun) on a private virtual display, runs interleaved:
#   - cold start (a new process; file caches warm) to its window viewable,
#   - start to the first frame drawn with content (a good share of the
#     window's rows not one flat colour: tessellon's grid, rofi's list; not
#     the X server's fill of a new window), and start to the first damage,
#   - resident memory after every page was seen (tessellon is turned through
#     its pages with the Right arrow key, 0.5 s apart; rofi just shows its
#     list), read 2 s after the last page,
# with a scratch home of N generated application bundles (512 px icons) and
# N matching .desktop entries for rofi. Prints the medians and the ratios.
#
# usage: bench/peer_start.sh [--apps N]... [--runs R] [--binary PATH]... [--keep]
#                             [--server-keeps-memory]
#   --apps N      bundles in the scratch home; repeat for several sizes
#                 (default: 300)
#   --runs R      runs of each program per size (default: 7)
#   --binary P    a tessellon to measure; repeat to compare builds, all runs
#                 interleaved (default: a Release build made in
#                 build-release/ of this checkout)
#   --keep        keep the scratch directory
#   --server-keeps-memory
#                 run the X server with its allocator's give-back to the
#                 system turned off. Each window of a translucent program
#                 makes the server allocate an off-screen picture of the
#                 window's size when it maps; after one program exits, a
#                 server that handed that memory back has to fault it in
#                 afresh for the next one (15-20 ms for a full-screen window
#                 in a virtual machine), and that time falls between the map
#                 and the first pixels. This option separates the server's
#                 share from the program's own.
# rofi is a reference, not a dependency: this script installs it (and the X
# damage headers for its window probe) when missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
sizes=()
runs=7
binaries=()
keep=0
xvfb_env=()
while [ $# -gt 0 ]; do
  case "$1" in
    --apps) sizes+=("$2"); shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --binary) binaries+=("$2"); shift 2 ;;
    --keep) keep=1; shift ;;
    --server-keeps-memory)
      # Both thresholds at once: setting either turns off glibc's own
      # adjustment, and without a raised mmap threshold every large picture
      # is a fresh mapping anyway.
      xvfb_env=(GLIBC_TUNABLES=glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=1073741824)
      shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
[ ${#sizes[@]} -gt 0 ] || sizes=(300)

# --- Tools --------------------------------------------------------------------
need=()
command -v rofi >/dev/null 2>&1 || need+=(rofi)
[ -f /usr/include/X11/extensions/Xdamage.h ] || need+=(libxdamage-dev)
command -v Xvfb >/dev/null 2>&1 || need+=(xvfb)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

if [ ${#binaries[@]} -eq 0 ]; then
  cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSELLON_BUILD_BENCH=OFF \
    -DTESSELLON_BUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build-release" -j4 --target tessellon >/dev/null
  binaries=("$root/build-release/app/tessellon")
fi
for b in "${binaries[@]}"; do
  [ -x "$b" ] || { echo "no tessellon at $b" >&2; exit 1; }
done

scratch=$(mktemp -d /tmp/tessellon-peer.XXXXXX)
cleanup() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ "$keep" -eq 1 ] || rm -rf "$scratch"
}
trap cleanup EXIT

probe="$scratch/map_wait"
cc -O2 -o "$probe" "$root/bench/peer/map_wait.c" -lXdamage -lXtst -lX11

# --- Display ------------------------------------------------------------------
source "$root/bench/peer/xvfb.sh"
start_private_xvfb "${xvfb_env[@]}"

# --- Scratch homes ------------------------------------------------------------
# N bundles with 512 px PNG icons, and N desktop entries naming the same icons.
make_home() {
  local count=$1 home=$2
  mkdir -p "$home/Applications" "$home/data/applications" "$home/config" "$home/cache" "$home/state" \
    "$home/empty-data-dirs" "$home/runtime"
  chmod 700 "$home/runtime"
  python3 "$root/bench/peer/make_bundles.py" "$count" "$home" --icon-size 512 --desktop-entries
}

# The environment of a program living in the scratch home: no user settings,
# no system desktop entries, no session bus.
run_in_home() {
  local home=$1; shift
  env -u DBUS_SESSION_BUS_ADDRESS -u APP_STATE_DIR HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" XDG_DATA_DIRS="$home/empty-data-dirs" XDG_CACHE_HOME="$home/cache" \
    XDG_RUNTIME_DIR="$home/runtime" GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 "$@"
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/.*$1=\\([-0-9.]*\\).*/\\1/p"; }

hold_ms=2000
page_size=35 # the default 7 x 5 grid
for k in "${!binaries[@]}"; do echo "tessellon-$((k + 1)): ${binaries[$k]}"; done
echo "rofi: $(rofi -v 2>/dev/null | head -1)   display $DISPLAY 1920x1080   runs $runs"
[ ${#xvfb_env[@]} -eq 0 ] || echo "X server: ${xvfb_env[*]}"
for count in "${sizes[@]}"; do
  home="$scratch/home-$count"
  make_home "$count" "$home"
  results="$scratch/results-$count"
  : > "$results"
  turns=$(( (count + page_size - 1) / page_size - 1 ))
  rofi_cmd=(rofi -show drun -no-config)
  tessellon() { cmd=("${binaries[$1]}" --state-dir "$home/state-$1" --show --no-event-tap); }
  # One start of each to settle the file caches and tessellon's saved layout.
  for k in "${!binaries[@]}"; do
    tessellon "$k"
    run_in_home "$home" "$probe" 500 "${cmd[@]}" >/dev/null 2>>"$scratch/warmup.log" || true
  done
  run_in_home "$home" "$probe" 500 "${rofi_cmd[@]}" >/dev/null 2>>"$scratch/warmup.log" || true
  for r in $(seq "$runs"); do
    # Each run starts with another build: the program right after rofi pays
    # for the X server faulting in afresh what rofi's exit gave back (see
    # --server-keeps-memory), and a fixed order would charge that to one
    # build every time.
    for i in "${!binaries[@]}"; do
      k=$(( (i + r) % ${#binaries[@]} ))
      tessellon "$k"
      t=$(run_in_home "$home" "$probe" "$hold_ms" --pages "$turns" "${cmd[@]}" 2>>"$scratch/tessellon.log" || true)
      echo "tessellon-$((k + 1)) $t" >> "$results"
    done
    f=$(run_in_home "$home" "$probe" "$hold_ms" "${rofi_cmd[@]}" 2>>"$scratch/rofi.log" || true)
    echo "rofi $f" >> "$results"
  done
  pick() { grep "^$1 " "$results" | field "$2" | awk '$1 >= 0' | median; }
  # Map to the first frame with content: the median of each run's own difference.
  gap() {
    grep "^$1 " "$results" | while read -r line; do
      m=$(echo "$line" | field map_ms); p=$(echo "$line" | field pixels_ms)
      awk -v m="$m" -v p="$p" 'BEGIN { if (m >= 0 && p >= 0) print p - m }'
    done | median
  }
  rm_=$(pick rofi map_ms); rp=$(pick rofi pixels_ms); rr=$(pick rofi rss_kb); rg=$(gap rofi)
  echo
  rd=$(pick rofi damage_ms)
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "nan" }'; }
  echo "== $count applications (medians of $runs interleaved runs; ms, ratios to rofi)"
  printf "%-14s %12s %6s %12s %12s %6s %12s %9s %6s\n" "" "to viewable" "ratio" "to damage" "to frame" "ratio" \
    "map->frame" "RSS (MB)" "ratio"
  for k in "${!binaries[@]}"; do
    name="tessellon-$((k + 1))"
    tm=$(pick "$name" map_ms); td=$(pick "$name" damage_ms); tp=$(pick "$name" pixels_ms); tr=$(pick "$name" rss_kb)
    tg=$(gap "$name")
    printf "%-14s %12.1f %6s %12.1f %12.1f %6s %12.1f %9.1f %6s\n" "$name" "$tm" "$(ratio "$tm" "$rm_")" "$td" "$tp" \
      "$(ratio "$tp" "$rp")" "$tg" "$(awk -v a="$tr" 'BEGIN { print a / 1024 }')" "$(ratio "$tr" "$rr")"
  done
  printf "%-14s %12.1f %6s %12.1f %12.1f %6s %12.1f %9.1f\n" rofi "$rm_" "" "$rd" "$rp" "" "$rg" \
    "$(awk -v a="$rr" 'BEGIN { print a / 1024 }')"
  echo "runs (ms, kB):"; sed 's/^/  /' "$results"
done
