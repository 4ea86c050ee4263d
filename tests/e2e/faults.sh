# Faults from outside the game: no sound device at all, and the process stopped
# for two seconds in play; the game plays on, silent, and ends cleanly.
source "$(dirname "$0")/lib.sh"

ALSOFT_DRIVERS=nonexistent "$game" "$TUMBRELIX_SOURCE_DIR/levels/default.map" >"$work/out" 2>&1 &
pid=$!
wait_window 20 >/dev/null || fail "no window without a sound device; $(cat "$work/out")"
xdotool click 1
sleep 0.5
kill -STOP $pid
sleep 2
kill -CONT $pid
sleep 1
kill -0 $pid 2>/dev/null && pass "plays on after two seconds stopped" || fail "ended after the stop; $(cat "$work/out")"
press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && [ ! -s "$work/out" ] \
  && pass "silent throughout, Escape ends with 0" || fail "status $status; $(cat "$work/out")"
finish
