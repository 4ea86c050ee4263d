# A longer self-played game (50 simulated seconds in 20 ms steps) drops and
# catches bonuses.
source "$(dirname "$0")/lib.sh"
demo="$TUMBRELIX_BINARY_DIR/tumbrelix-demo"
"$demo" --fixed-step 20 --seed 1 --frames 2500 >"$work/out" 2>"$work/err"
field() { tr ' ' '\n' <"$work/out" | sed -n "s/^$1=//p"; }
[ "$(field bonuses_caught)" -ge 1 ] 2>/dev/null \
  && pass "catches a bonus ($(field bonuses_caught) of $(field bonuses_dropped))" \
  || fail "no bonus caught: '$(cat "$work/out")' $(cat "$work/err")"
finish
