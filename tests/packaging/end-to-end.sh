#!/usr/bin/env bash
# The programs as the packages install them, unpacked into a folder of their own: the desktop
# program's visit against the packaged service (tests/app/end-to-end.sh), then the stripped crash
# demo, whose report names CrashDemoFault through its packed symbols in lib/quorvane/, and whose
# dialog program is found there too.
#
# Usage: end-to-end.sh PACKAGES APP-END-TO-END DESKTOP-TOUR
set -euo pipefail
packages=$1 app_end_to_end=$2 tour=$3

work=$(mktemp -d /tmp/qv-installed-XXXXXX)
xvfb=
cleanup() {
  stop "$xvfb"
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "installed end-to-end: $*" >&2
  exit 1
}
. "$(dirname "$(realpath "$0")")/../app/peers.sh"

root=$work/root
for deb in "$packages"/quorvane_*.deb "$packages"/quorvane-service_*.deb "$packages"/quorvane-tools_*.deb; do
  dpkg-deb -x "$deb" "$root"
done

"$app_end_to_end" "$root/usr/bin/quorvane" "$root/usr/bin/quorvane-service" "$tour" ||
  fail "the installed program's visit failed"

demo=$root/usr/bin/quorvane-crashdemo
symbols=$root/usr/lib/quorvane/quorvane-crashdemo.zor
report() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$demo" segv || true; }
report | grep -q "CrashDemoFault" || fail "the installed demo's report does not name CrashDemoFault"
mv "$symbols" "$work/"
report | grep -q "CrashDemoFault" && fail "the stripped demo named CrashDemoFault without its packed symbols"
mv "$work/$(basename "$symbols")" "$symbols"

start_xvfb
unset QT_QPA_PLATFORM
"$demo" segv --dialog >"$work/dialog.out" &
demo_pid=$!
window=$(timeout 30 xdotool search --sync --name quorvane-crashdemo | head -1) ||
  { kill "$demo_pid"; fail "the dialog program did not show the exception dialog"; }
xdotool windowfocus --sync "$window" key Escape
status=0
wait "$demo_pid" || status=$?
[ "$status" -eq 1 ] || fail "the demo ended with $status after the dialog closed it"
[ ! -s "$work/dialog.out" ] || { cat "$work/dialog.out" >&2; fail "the report went to the console, not to the dialog"; }
echo "installed end-to-end: passed"
