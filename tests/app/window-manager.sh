#!/usr/bin/env bash
# The real program under Xvfb with a window manager (openbox), driven with xdotool: Escape in the
# login window, maximize and restore by the title bar and by the window manager's keys, the
# search panel's caption, the window titles as the window manager reads them, and Next against a
# service that fails once. Leaves the details window maximized in SHOTS/details-maximized.png
# when SHOTS is given.
#
# Usage: window-manager.sh QUORVANE QUORVANE-SERVICE [SHOTS]
set -euo pipefail
program=$(realpath "$1") service_program=$2

work=$(mktemp -d /tmp/qv-wm-XXXXXX)
out=${3:-$work}
mkdir -p "$out"
service= xvfb= wm= pid=
cleanup() {
  for p in "$pid" "$service" "$wm" "$xvfb"; do stop "$p"; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "window-manager: $*" >&2
  import -window root "$out/failure.png" 2>/dev/null || true
  echo "--- program" >&2
  cat "$work/program.log" >&2 || true
  exit 1
}
here=$(dirname "$(realpath "$0")")
. "$here/peers.sh"
. "$here/../../scripts/desktop-helpers"

# Fails unless window ID has the outer geometry WIDTHxHEIGHT at X,Y.
expect_geometry() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  for _ in $(seq 1 50); do
    eval "$(xdotool getwindowgeometry --shell "$1")"
    [ "${WIDTH}x${HEIGHT}+${X}+${Y}" = "$2" ] && return 0
    sleep 0.1
  done
  fail "$3: ${WIDTH}x${HEIGHT}+${X}+${Y}, expected $2"
}

# What the window manager allows with window ID, as xprop prints it.
allowed_actions() {
  xprop -id "$1" _NET_WM_ALLOWED_ACTIONS
}

# The window manager's window menu by its key, Alt+Space, then the entry of KEY once the menu
# shows (as a new top-level window).
window_menu() {
  local before
  before=$(xdotool search --onlyvisible --maxdepth 1 --name '' | sort)
  xdotool key alt+space
  for _ in $(seq 1 100); do
    if [ -n "$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --maxdepth 1 --name '' | sort))" ]; then
      xdotool key "$1"
      return 0
    fi
    sleep 0.1
  done
  fail "Alt+Space did not open the window manager's window menu"
}

# Saves the title bar's maximize (or restore) button of window ID as the picture FILE.
max_button() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "20x18+$((X + WIDTH - 70))+$((Y + 14))" +repage "$2"
}

# Fails unless the title bar of window ID shows the button saved as PICTURE within 5 seconds.
expect_button() {
  for _ in $(seq 1 50); do
    max_button "$1" "$work/button.png"
    [ "$(compare -metric AE "$work/button.png" "$2" null: 2>&1)" = 0 ] && return 0
    sleep 0.1
  done
  fail "$3"
}

# Whether window ID is gone within 10 seconds.
window_gone() {
  for _ in $(seq 1 100); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# Fails unless the window manager reads TITLE as window ID's name.
expect_title() {
  local name
  name=$(xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')
  [ "$name" = "$2" ] || fail "the window manager reads the title \"$name\", expected \"$2\""
}

start_service 0
port=${host##*:}
start_xvfb
export QUORVANE_SERVICE_HOST=$host XDG_CONFIG_HOME=$work/config
unset http_proxy HTTP_PROXY all_proxy ALL_PROXY
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager is ready once it lists the activation request among what it supports.
for _ in $(seq 1 100); do xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break; sleep 0.1; done

(cd "$work" && HOME="$work" exec "$program" >>"$work/program.log" 2>&1) &
pid=$!

# The work area is the whole screen; maximized, a window reaches 2 pixels past its left, top
# and right edges and stops 1 pixel short of its bottom.
maximized=1284x1025+-2+-2

login=$(window Quorvane 392) || fail "the login window did not open"
expect_title "$login" Quorvane
xdotool windowactivate --sync "$login"
xdotool key Escape
sleep 0.5
window_now Quorvane 392 || fail "Escape closed the login window"
normal=$(xdotool getwindowgeometry --shell "$login" | tr '\n' ' ')
eval "$normal"
click "$login" $((WIDTH - 60)) 23
expect_geometry "$login" "$maximized" "the maximized login window"
click "$login" $((1284 - 60)) 23
expect_geometry "$login" "${WIDTH}x${HEIGHT}+${X}+${Y}" "the restored login window"
click "$login" 188 277
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 demo@quorvane.example
xdotool key Tab
xdotool type --delay 20 demo
xdotool key Tab space
gone Quorvane 392 || fail "the login window did not close after the login"

main=$(window Quorvane 800) || fail "the main window is not there"
expect_title "$main" Quorvane
sleep 1
# Where a folding panel shows its arrow; the search panel is docked and keeps its controls.
click "$main" 177 126
sleep 0.5
[ "$(pixel "$main" 12 166)" = 4F6BA0 ] || fail "the search box is gone after a click on the search panel's caption"
allowed_actions "$main" | grep -q _NET_WM_ACTION_MAXIMIZE && fail "the window manager offers to maximize the main window"
click "$main" 740 23
expect_geometry "$main" 800x560+-2+-2 "the maximized main window"
click "$main" 740 23
expect_geometry "$main" 800x560+240+232 "the restored main window"

# Next while the service is down: the exception dialog, Escape to continue; then Next again
# asks for page 2, the one after the page shown.
stop "$service"
service=
click "$main" 746 531
# The dialog, not the progress window that the dialog program shows before it.
box=$(window_of_class quorvane-crashbox quorvane) ||
  fail "the exception dialog did not show"
# The window manager may not have taken the new window on yet: the key goes where the focus is.
for _ in $(seq 1 50); do
  xdotool windowactivate --sync "$box" 2>/dev/null && [ "$(xdotool getactivewindow 2>/dev/null)" = "$box" ] && break
  sleep 0.1
done
xdotool key Escape
window_gone "$box" || fail "Escape did not close the exception dialog"
start_service "$port"
sleep 0.5
click "$main" 746 531
for _ in $(seq 1 100); do grep -q "action=browse 200" "$work/service.log" && break; sleep 0.1; done
grep "action=browse 200" "$work/service.log" | grep -q " page=2$" ||
  fail "Next after a failed Next did not ask for page 2: $(grep action=browse "$work/service.log")"

click "$main" 300 149 2
details=$(window "Quorvane - View tender details" 704) || fail "the details window did not open"
expect_title "$details" "Quorvane - View tender details"
eval "$(xdotool getwindowgeometry --shell "$details")"
click "$details" $((WIDTH - 60)) 23
expect_geometry "$details" "$maximized" "the maximized details window"
# The text fills the window down to the button panel at the bottom.
[ "$(pixel "$details" 640 $((1025 - 4 - 41 - 40)))" = FFFFFF ] || fail "the text does not fill the maximized window"
shot "$details" details-maximized
max_button "$details" "$work/restore-button.png"
click "$details" $((1284 - 60)) 23
expect_geometry "$details" "${WIDTH}x${HEIGHT}+${X}+${Y}" "the restored details window"
sleep 0.6
max_button "$details" "$work/maximize-button.png"
# The window manager maximizes it by its own keys too (its window menu, Alt+Space, then
# Ma_ximize): the window fills the work area and its title bar shows the restore button, which
# restores it; so does the menu's R_estore.
allowed_actions "$details" | grep -q _NET_WM_ACTION_MAXIMIZE_HORZ ||
  fail "the window manager does not offer to maximize the details window"
wm_maximized=1280x1024+0+0
for restore in "its restore button" "the window manager's menu"; do
  # Away from the buttons, which show other pictures under the mouse.
  xdotool mousemove 640 600
  xdotool windowactivate --sync "$details"
  window_menu x
  expect_geometry "$details" "$wm_maximized" "the details window maximized by the window manager"
  [ "$(pixel "$details" 640 $((1024 - 4 - 41 - 40)))" = FFFFFF ] ||
    fail "the text does not fill the window the window manager maximized"
  expect_button "$details" "$work/restore-button.png" \
    "the title bar does not show its restore button while the window manager keeps the window maximized"
  if [ "$restore" = "its restore button" ]; then
    click "$details" $((1280 - 60)) 23
  else
    window_menu e
  fi
  expect_geometry "$details" "${WIDTH}x${HEIGHT}+${X}+${Y}" "the details window restored by $restore"
  expect_button "$details" "$work/maximize-button.png" \
    "the title bar does not show its maximize button after a restore by $restore"
done
# A double click on the caption maximizes and restores; a drag on it moves the window, which the
# window manager takes over once the mouse has gone the drag distance (10 pixels).
click "$details" 300 23 2
expect_geometry "$details" "$maximized" "the details window after a double click on its caption"
click "$details" 300 23 2
expect_geometry "$details" "${WIDTH}x${HEIGHT}+${X}+${Y}" "the details window after a second double click"
drag="mousemove --window $details 300 23 mousedown 1"
for _ in $(seq 1 60); do drag="$drag mousemove_relative --sync 1 0 sleep 0.01"; done
xdotool $drag sleep 0.3 mouseup 1
eval "$(xdotool getwindowgeometry --shell "$details" | sed 's/^/DRAGGED_/')"
[ "$DRAGGED_X" -ge $((X + 50)) ] && [ "$DRAGGED_Y" -eq "$Y" ] ||
  fail "a drag of 60 pixels on the caption moved the details window from $X,$Y to $DRAGGED_X,$DRAGGED_Y"
click "$details" 649 475
gone "Quorvane - View tender details" 704 || fail "the details window did not close"

click "$main" 96 529
about=$(window "Quorvane Linux Edition - About" 446) || fail "the about window did not open"
expect_title "$about" "Quorvane Linux Edition - About"
xdotool key Escape
sleep 0.5
window_now "Quorvane Linux Edition - About" 446 || fail "Escape closed the about window"
click "$about" 228 195
gone "Quorvane Linux Edition - About" 446 || fail "the about window did not close"

click "$main" 760 23
wait "$pid" || fail "the program ended with an error"
pid=
echo "window-manager: passed"
