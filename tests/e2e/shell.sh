# The game binary end to end: usage line, window, Escape, close request, no display.
source "$(dirname "$0")/lib.sh"
map="$TUMBRELIX_SOURCE_DIR/levels/default.map"

out=$(DISPLAY=:nowhere "$game" 2>&1); status=$?
[ "$status" -eq 0 ] && [ "$out" = "usage: $game <map file>" ] \
  && pass "usage line without argument" || fail "usage: status $status, output '$out'"

"$game" "$map" >"$work/out" 2>&1 &
pid=$!
if wait_window 10 >/dev/null; then pass "window Tumbrelix appears"; else fail "no window within 10 s"; fi
press_escape_until_exit $pid 5 && [ "$status" -eq 0 ] && pass "held Escape ends with status 0" \
  || fail "Escape: status $status; $(cat "$work/out")"

# SDL turns SIGTERM into the same close request as the window manager's.
"$game" "$map" >"$work/out" 2>&1 &
pid=$!
wait_window 10 >/dev/null
kill -TERM $pid
wait_exit $pid 5 && [ "$status" -eq 0 ] && pass "close request ends with status 0" \
  || fail "close request: status $status; $(cat "$work/out")"

err=$(DISPLAY=:nowhere "$game" "$map" 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [[ "$err" == "Could not open the window: "* ]] && [ "$(echo "$err" | wc -l)" -eq 1 ] \
  && pass "no display: one line and status 1" || fail "no display: status $status, '$err'"

finish
