# Faults from outside the game: no sound device, the particle picture missing,
# the process stopped for two seconds.
source "$(dirname "$0")/lib.sh"
map="$TUMBRELIX_SOURCE_DIR/levels/default.map"

# No audio backend at all: the game runs silently.
ALSOFT_DRIVERS=nonexistent "$game" "$map" >"$work/out" 2>&1 &
pid=$!
if wait_window 20 >/dev/null; then pass "no sound device: the window opens"; else fail "no sound device: no window; $(cat "$work/out")"; fi
press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && [ ! -s "$work/out" ] \
  && pass "no sound device: silent run, Escape ends with 0" || fail "no sound device: status $status; $(cat "$work/out")"

# Without data/particle.bmp start-up ends with one line naming it and status 1.
mkdir -p "$work/game/data"
for entry in "$TUMBRELIX_SOURCE_DIR"/data/*; do
  [ "$(basename "$entry")" = particle.bmp ] || ln -s "$entry" "$work/game/data/"
done
err=$(cd "$work/game" && "$game" "$map" 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] && [[ "$err" == *"data/particle.bmp"* ]] \
  && pass "missing particle picture: one line naming it, status 1" || fail "missing particle picture: status $status, '$err'"

# Stopped for two seconds and continued: the game goes on and still ends cleanly.
"$game" "$map" >"$work/out" 2>&1 &
pid=$!
wait_window 20 >/dev/null || fail "stall: no window"
xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
sleep 0.5
kill -STOP $pid; sleep 2; kill -CONT $pid
sleep 1
kill -0 $pid 2>/dev/null && pass "stall: the game goes on after SIGCONT" || fail "stall: the game died; $(cat "$work/out")"
press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && pass "stall: Escape ends with 0" \
  || fail "stall: status $status; $(cat "$work/out")"

finish
