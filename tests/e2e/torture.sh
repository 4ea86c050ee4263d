# A minute of wild input on the busiest level for the game built with the
# sanitizers: seeded random motion, clicks, held buttons, Space, B, resizes,
# focus lost and regained and the process stopped and continued. The game must
# still run at the end, end with status 0 on a held Escape, and the sanitizers
# must have nothing to say. A random click may choose Quit in the pause menu:
# a game that ends so, with status 0, is started again. ./test runs it in its own display beside the
# sanitizer pass (TUMBRELIX_BINARY_DIR=build/asan).
source "$(dirname "$0")/lib.sh"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$TUMBRELIX_SOURCE_DIR/tests/lsan.supp}
RANDOM=${TUMBRELIX_TORTURE_SEED:-1}
seconds=${TUMBRELIX_TORTURE_SECONDS:-60}

start_game() {
  "$game" levels/nebula.map >>"$work/out" 2>&1 &
  pid=$!
  win=$(wait_window 30) || { fail "no window; $(cat "$work/out")"; finish; }
}
start_game
held=()
quits=0
SECONDS=0
while [ $SECONDS -lt "$seconds" ]; do
  if ! kill -0 $pid 2>/dev/null; then
    wait $pid; status=$?
    [ "$status" -eq 0 ] || break
    quits=$((quits + 1))
    held=()
    start_game
  fi
  case $((RANDOM % 12)) in
    0 | 1 | 2) xdotool mousemove_relative -- $((RANDOM % 601 - 300)) $((RANDOM % 601 - 300)) ;;
    3) xdotool click 1 ;;
    4) b=$((RANDOM % 2 * 2 + 1)); xdotool mousedown $b; held+=("$b") ;;
    5) [ ${#held[@]} -gt 0 ] && { xdotool mouseup "${held[-1]}"; unset 'held[-1]'; } ;;
    6) xdotool key space ;;
    7) xdotool key b ;;
    8) xdotool windowsize "$win" $((RANDOM % 900 + 1)) $((RANDOM % 700 + 1)) ;;
    9) xmessage -geometry +0+0 away 2>/dev/null & other=$!
       timeout 5 xdotool search --sync --name '^xmessage$' windowfocus 2>/dev/null
       kill $other; xdotool windowfocus "$win" key p ;;
    10) [ $((RANDOM % 8)) = 0 ] && { kill -STOP $pid; sleep 0.5; kill -CONT $pid; } ;;
    11) sleep 0.2 ;;
  esac
  sleep 0.02
done
for b in "${held[@]}"; do xdotool mouseup "$b"; done
kill -0 $pid 2>/dev/null && pass "still playing after ${seconds} s of wild input ($quits quit from a menu)" \
  || fail "the game ended during the input; $(tail -n 30 "$work/out")"
press_escape_until_exit $pid 20 && [ "$status" -eq 0 ] && pass "held Escape ends with status 0" \
  || fail "Escape: status $status; $(tail -n 30 "$work/out")"
grep -E 'Sanitizer|runtime error' "$work/out" && fail "the sanitizers reported" || pass "no sanitizer report"
finish
