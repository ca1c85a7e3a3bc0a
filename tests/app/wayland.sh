#!/usr/bin/env bash
# The real program as a native Wayland client of weston's headless compositor, with an account
# remembered from an earlier run: a weston-screenshooter picture of the main window shows its
# rounded corners with the desktop behind them, not the skin's magenta key colour.
#
# Usage: wayland.sh QUORVANE QUORVANE-SERVICE
set -euo pipefail
program=$(realpath "$1") service_program=$2

work=$(mktemp -d /tmp/qv-wayland-XXXXXX)
service= compositor= pid=
cleanup() {
  for p in "$pid" "$compositor" "$service"; do stop "$p"; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "wayland: $*" >&2
  echo "--- program" >&2
  cat "$work/program.log" >&2 || true
  exit 1
}
. "$(dirname "$(realpath "$0")")/peers.sh"

start_service 0
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime WAYLAND_DISPLAY=wayland-quorvane
# --debug lets weston-screenshooter take pictures.
weston --backend=headless-backend.so --use-pixman --width=1280 --height=1024 --idle-time=0 --debug \
  --socket="$WAYLAND_DISPLAY" >"$work/weston.log" 2>&1 &
compositor=$!
for _ in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not start: $(cat "$work/weston.log")"

# The account an earlier run remembered, in the credential store's file.
store=$work/config/quorvane/registry/HKEY_CURRENT_USER/Software/Quorvane/QVN
mkdir -p -m 700 "$work/config" "$work/config/quorvane" && mkdir -p "$store"
printf 'QVREG 1\ns 5 21\nemaildemo@quorvane.example\ns 8 4\npassworddemo\n' >"$store/values"
chmod -R go-rwx "$work/config"

unset DISPLAY http_proxy HTTP_PROXY all_proxy ALL_PROXY
(cd "$work" && QT_QPA_PLATFORM=wayland QUORVANE_SERVICE_HOST=$host XDG_CONFIG_HOME=$work/config \
  exec "$program" >"$work/program.log" 2>&1) &
pid=$!
for _ in $(seq 1 200); do grep -q "action=browse 200" "$work/service.log" && break; sleep 0.1; done
grep -q "action=browse 200" "$work/service.log" || fail "the program did not log in and list"
sleep 1

mkdir "$work/shots"
(cd "$work/shots" && weston-screenshooter) || fail "weston-screenshooter took no picture"
picture=$(ls "$work"/shots/*.png)
# How many pixels of the picture have the colour RRGGBB.
count() { convert "$picture" -fill black +opaque "#$1" -fill white -opaque "#$1" -format '%[fx:round(mean*w*h)]' info:; }
# The skin's form colour fills the window's frame and panels.
[ "$(count DAE4F6)" -gt 1000 ] || fail "the main window is not on the screen"
[ "$(count FF00FF)" -eq 0 ] || fail "the window shows the skin's key colour"
echo "wayland: passed"
