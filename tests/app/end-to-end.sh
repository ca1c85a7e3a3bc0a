#!/usr/bin/env bash
# The real program against the reference service under Xvfb, driven by scripts/desktop-tour with
# the keyboard and the mouse: a login through the window, a search, the next page, a double-click
# on a row, printing to a PDF file, About, closing; then a second start that logs in by itself.
# Checks what that left behind: the printed tender, the requests the service saw and the private
# credential store.
#
# Usage: end-to-end.sh QUORVANE QUORVANE-SERVICE DESKTOP-TOUR
set -euo pipefail
program=$1 service_program=$2 tour=$3

work=$(mktemp -d /tmp/qv-e2e-XXXXXX)
service= xvfb=
cleanup() {
  stop "$service"
  stop "$xvfb"
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "end-to-end: $*" >&2
  echo "--- service log" >&2
  cat "$work/service.log" >&2 || true
  exit 1
}
. "$(dirname "$(realpath "$0")")/peers.sh"

start_service 0
start_xvfb
export QUORVANE_SERVICE_HOST=$host XDG_CONFIG_HOME=$work/config
unset http_proxy HTTP_PROXY all_proxy ALL_PROXY
"$tour" "$program" "$work/shots" || fail "the visit did not go through"

pdftotext "$work/shots/print.pdf" - | grep -q "Contract notice" || fail "the printed tender lacks its text"
count() { grep -c "action=$1 200" "$work/service.log" || true; }
[ "$(count check_login)" -eq 2 ] || fail "expected one login through the window and one at the second start"
[ "$(count browse)" -ge 4 ] || fail "expected today's tenders, a search, its next page and the second start's listing"
[ "$(count view_tender)" -eq 1 ] || fail "expected one tender opened"
values=$XDG_CONFIG_HOME/quorvane/registry/HKEY_CURRENT_USER/Software/Quorvane/QVN/values
[ "$(stat -c %a "$values")" = 600 ] || fail "the credential store is readable by others"
echo "end-to-end: passed"
