# The self-playing demo with a fixed step and seed: the same game twice, blocks
# destroyed, nothing allocated once warm.
source "$(dirname "$0")/lib.sh"
demo="$TUMBRELIX_BINARY_DIR/tumbrelix-demo"
run=(--fixed-step 10 --seed 1 --frames 3000)

# Both runs at once: each is mostly one core of software rendering.
"$demo" "${run[@]}" >"$work/a" 2>"$work/a.err" &
first=$!
"$demo" "${run[@]}" >"$work/b" 2>"$work/b.err"
wait $first

# The wall-clock figures differ from run to run; every gameplay figure must not.
gameplay() { tr ' ' '\n' <"$1" | grep -v -E '^(wall_seconds|fps_median|fps_1pct_low)='; }
keys=$(tr ' ' '\n' <"$work/a" | cut -d= -f1 | tr '\n' ' ')
[ "$keys" = "frames sim_seconds wall_seconds fps_median fps_1pct_low blocks_destroyed blocks_remaining bonuses_dropped bonuses_caught balls_launched balls_lost particles_peak allocations_after_warmup " ] \
  && pass "summary has the fixed keys in order" || fail "summary keys: '$keys' ($(cat "$work/a.err"))"
[ -s "$work/a" ] && [ "$(gameplay "$work/a")" = "$(gameplay "$work/b")" ] \
  && pass "same gameplay figures twice" || fail "runs differ: '$(cat "$work/a")' vs '$(cat "$work/b")'"

field() { tr ' ' '\n' <"$1" | sed -n "s/^$2=//p"; }
[ "$(field "$work/a" frames)" = 3000 ] && [ "$(field "$work/a" sim_seconds)" = 30.000 ] \
  && pass "3000 frames of 10 ms" || fail "frames/time: $(cat "$work/a")"
destroyed=$(field "$work/a" blocks_destroyed)
[ "${destroyed:-0}" -gt 0 ] 2>/dev/null \
  && pass "destroys blocks ($destroyed)" || fail "no block destroyed: $(cat "$work/a")"
[ "$(field "$work/a" allocations_after_warmup)" = 0 ] \
  && pass "no allocation in 2800 warm frames" || fail "allocations: $(cat "$work/a")"
finish
