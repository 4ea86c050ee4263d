# A longer self-played game (50 simulated seconds in 20 ms steps) drops and
# catches bonuses, and loses balls only through the autopilot's deliberate error.
source "$(dirname "$0")/lib.sh"
demo="$TUMBRELIX_BINARY_DIR/tumbrelix-demo"
field() { tr ' ' '\n' <"$1" | sed -n "s/^$2=//p"; }

"$demo" --fixed-step 20 --seed 1 --frames 2500 >"$work/out" 2>"$work/err"
[ "$(field "$work/out" bonuses_caught)" -ge 1 ] 2>/dev/null \
  && pass "catches a bonus ($(field "$work/out" bonuses_caught) of $(field "$work/out" bonuses_dropped))" \
  || fail "no bonus caught: '$(cat "$work/out")' $(cat "$work/err")"
[ "$(field "$work/out" balls_lost)" -ge 1 ] 2>/dev/null \
  && pass "its deliberate error misses now and then" \
  || fail "never misses: '$(cat "$work/out")'"

# Without the deliberate error the same game keeps its ball.
"$demo" --fixed-step 20 --seed 1 --frames 2500 --aim-error 0 >"$work/out" 2>"$work/err"
[ "$(field "$work/out" balls_lost)" = 0 ] && [ "$(field "$work/out" blocks_destroyed)" -ge 1 ] \
  && pass "without the error no ball is lost" \
  || fail "ball lost without the error: '$(cat "$work/out")' $(cat "$work/err")"
finish
