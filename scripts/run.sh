#!/usr/bin/env bash
# Installs what is missing, builds, and starts the launcher.
# Without an X display it runs under Xvfb, saves a screenshot to
# build/screenshot.png and stops. On a machine without application bundles it
# uses generated demo bundles in a home of its own under build/demo, so the
# user's real files are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh run

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSELLON_BUILD_TESTS=OFF
cmake --build build -j "$(nproc)" --target tessellon

has_bundles() {
  for d in /Applications /System/Applications "$HOME/Applications"; do
    if compgen -G "$d/*.app" >/dev/null 2>&1; then return 0; fi
  done
  return 1
}

args=("$@")
if ! has_bundles; then
  demo="$root/build/demo"
  rm -rf "$demo/home/Applications"
  scripts/make-demo-bundles.sh "$demo/home/Applications"
  mkdir -p "$demo/home/.config" "$demo/home/.local/share" "$demo/home/.cache"
  export HOME="$demo/home"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
  args=(--state-dir "$demo/state" "${args[@]}")
  # A desktop picture of its own, told through the desktop's own setting in a
  # settings file of the demo home, so the backdrop has something to blur.
  if command -v convert >/dev/null 2>&1; then
    convert -size 1920x1080 plasma:steelblue-darkorange -blur 0x2 "$demo/wallpaper.jpg" 2>/dev/null || true
  fi
  if [ -f "$demo/wallpaper.jpg" ]; then
    mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
    printf "[org/gnome/desktop/background]\npicture-uri='file://%s'\npicture-uri-dark='file://%s'\n" \
      "$demo/wallpaper.jpg" "$demo/wallpaper.jpg" > "$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
    export GSETTINGS_BACKEND=keyfile
  fi
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$root/build/app/tessellon" "${args[@]}"
fi

# No display: a virtual one, a screenshot of what the launcher shows, then stop.
# Xvfb picks a free display itself and writes its number once it accepts
# clients, so a display in use by someone else is never taken.
run_dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$run_dir/display" >/dev/null 2>&1 &
xvfb=$!
app=""
stop() {
  # The launcher first, so it saves its state while the display still exists.
  if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then
    kill -TERM "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$run_dir"
}
trap stop EXIT
until [ -s "$run_dir/display" ]; do
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "Xvfb could not be started" >&2
    exit 1
  fi
  sleep 0.1
done
export DISPLAY=:$(head -n 1 "$run_dir/display")

# The launcher says "[ready]" once its icons and the backdrop are in; the
# screenshot waits for that (and for the launcher's end, should it fail).
"$root/build/app/tessellon" --show "${args[@]}" 2> >(tee "$run_dir/log" >&2) &
app=$!
for _ in $(seq 600); do
  grep -q '^\[ready\] ' "$run_dir/log" 2>/dev/null && break
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
# One more frame for what the ready line announced to reach the screen.
sleep 0.5
if kill -0 "$app" 2>/dev/null; then
  import -window root "$root/build/screenshot.png"
  echo "screenshot: $root/build/screenshot.png"
else
  wait "$app" || true
  import -window root "$root/build/screenshot.png"
  echo "the launcher exited; screenshot of the display: $root/build/screenshot.png"
fi
