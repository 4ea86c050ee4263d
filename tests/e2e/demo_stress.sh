# Sixteen balls kept in play for 1,000 frames after warm-up: the busiest
# particle and collision load still allocates nothing in our code.
source "$(dirname "$0")/lib.sh"
demo="$TUMBRELIX_BINARY_DIR/tumbrelix-demo"
"$demo" --fixed-step 10 --seed 3 --frames 1200 --balls 16 >"$work/out" 2>"$work/err"
field() { tr ' ' '\n' <"$work/out" | sed -n "s/^$1=//p"; }
[ "$(field frames)" = 1200 ] && [ "$(field allocations_after_warmup)" = 0 ] \
  && pass "0 allocations over 1000 warm frames with 16 balls" \
  || fail "stress run: '$(cat "$work/out")' $(cat "$work/err")"
[ "$(field balls_launched)" -ge 16 ] 2>/dev/null \
  && pass "balls are added up to the asked number" || fail "few balls: $(cat "$work/out")"
finish
