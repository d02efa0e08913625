# Sourced by the benchmark scripts that run one tessellon on a private
# virtual display.

# Sets `binary` to a Release build made in build-release/ of this checkout
# when it is empty, and exits the script when there is no program there.
# Needs `root`, the checkout.
resolve_tessellon_binary() {
  if [ -z "$binary" ]; then
    cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSELLON_BUILD_BENCH=OFF \
      -DTESSELLON_BUILD_TESTS=OFF >/dev/null
    cmake --build "$root/build-release" -j4 --target tessellon >/dev/null
    binary="$root/build-release/app/tessellon"
  fi
  [ -x "$binary" ] || { echo "no tessellon at $binary" >&2; exit 1; }
}

# Waits up to $1 seconds for the command after it to succeed.
wait_until() {
  local limit=$1; shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
