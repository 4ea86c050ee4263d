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

err=$("$game" "$work/missing.map" 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [ "$err" = "Could not open file $work/missing.map" ] \
  && pass "unreadable map: the reader's message and status 1" || fail "missing map: status $status, '$err'"

printf 'WORLD\nLIMITS -10 10 -7 7\nEND\nFACE\nVERTEX 1 2 oops\nEND\n' >"$work/bad.map"
err=$("$game" "$work/bad.map" 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [[ "$err" == "$work/bad.map:5: "* ]] && [ "$(echo "$err" | wc -l)" -eq 1 ] \
  && pass "malformed map: one line naming file and line, status 1" || fail "bad map: status $status, '$err'"

finish
