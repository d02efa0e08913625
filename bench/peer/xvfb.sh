# Sourced by the benchmark scripts: starts Xvfb (1920x1080, 24 bit, or the
# WIDTHxHEIGHTxDEPTH in $xvfb_screen) on the
# first free display from :140 on, sets xvfb_pid and exports DISPLAY; exits
# the script when no display is free or the server does not come up in 5 s.
# Arguments, if any, are NAME=VALUE pairs for the server's environment.
start_private_xvfb() {
  local n display=""
  for n in $(seq 140 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
  done
  [ -n "$display" ] || { echo "no free display" >&2; exit 1; }
  env "$@" Xvfb "$display" -screen 0 "${xvfb_screen:-1920x1080x24}" -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.05
  done
  [ -e "/tmp/.X11-unix/X${display#:}" ] || { echo "Xvfb did not start on $display" >&2; exit 1; }
  export DISPLAY=$display
}
