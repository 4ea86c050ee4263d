# Faults from outside the game: no sound device at all, and the process stopped
# for two seconds in play; the game plays on, silent, and ends cleanly. A device
# named as the map, or by a replay, is refused at once; a broken pack is told
# before any window opens (here, with no display to open one on).
source "$(dirname "$0")/lib.sh"

printf 'tumbrelix replay 1\nmap /dev/zero\nhash 0123456789abcdef\nseed 1\nticks 1\nend 0 0\n' >"$work/zero.replay"
mkdir "$work/pack" && printf 'WORLD\nLIMITS 1 2\n' >"$work/pack/a.map"
err=$(DISPLAY= "$game" "$work/pack" 2>&1); status=$?
[ "$status" -eq 1 ] && [ "$err" = "$work/pack/a.map:2: expected a number after LIMITS, found the end of the file" ] \
  && pass "a broken pack is told before the window" || fail "broken pack: status $status, '$err'"
for args in "/dev/zero" "--replay $work/zero.replay"; do
  err=$(timeout 10 "$game" $args 2>&1); status=$?
  [ "$status" -eq 1 ] && [[ "$err" == *"/dev/zero: is not a regular file (a device, a FIFO or a socket)" ]] \
    && pass "tumbrelix $args: $err" || fail "tumbrelix $args: status $status, '$err'"
done

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
