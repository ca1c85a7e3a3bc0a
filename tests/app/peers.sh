# What the end-to-end scripts start around the program, sourced by them. They set `work` (their
# folder), `service_program` and a `fail` function first.

# Stops a process the script started, if any, and never fails.
stop() {
  if [ -n "${1:-}" ]; then kill "$1" 2>/dev/null && wait "$1" 2>/dev/null || true; fi
}

# Starts the reference service on PORT (0: a free one) over "$work/tenders.db", logging to
# "$work/service.log"; sets `service` to its process and `host` to its address once it listens.
start_service() {
  # The log exists before the service opens it, so that the first look at it cannot fail.
  : >"$work/service.log"
  "$service_program" --port "$1" --db "$work/tenders.db" 2>"$work/service.log" &
  service=$!
  host=
  for _ in $(seq 1 300); do
    host=$(sed -n 's|^quorvane-service listening on http://\([^/ ]*\)/.*$|\1|p' "$work/service.log")
    [ -n "$host" ] && return 0
    sleep 0.1
  done
  fail "the service did not start"
}

# Starts Xvfb with a 1280 by 1024 screen; sets `xvfb` and exports DISPLAY. Without -noreset the
# server resets when its last client leaves, and a program starting at that moment (the second
# start of a visit) finds the display gone.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$work/display")"
}
