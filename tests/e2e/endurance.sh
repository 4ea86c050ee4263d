# The self-playing demo, twice at once with the same seed: sixteen balls on the
# busiest bundled level in fixed steps. Both runs play the same game; after
# warm-up nothing is allocated, the resident size stays flat and every ball and
# bonus position stays finite.
source "$(dirname "$0")/lib.sh"
frames=${TUMBRELIX_ENDURANCE_FRAMES:-1500}
run() {
  "$TUMBRELIX_BINARY_DIR/tumbrelix-demo" --fixed-step 10 --seed 1 --balls 16 --frames "$frames" \
    --warmup 700 --level "$TUMBRELIX_SOURCE_DIR/levels/nebula.map" --endurance >"$work/$1" 2>"$work/$1.err"
}
run a &
first=$!
run b
wait $first
value() { tr ' ' '\n' <"$work/$1" | sed -n "s/^$2=//p"; }
# The wall-clock figures differ from run to run; every gameplay figure must not.
gameplay() { tr ' ' '\n' <"$work/$1" | grep -v -E '^(wall_seconds|fps_median|fps_1pct_low)='; }
echo "$(cat "$work/a") $(cat "$work/a.err")"

[ "$(value a frames)" = "$frames" ] && [ "$(gameplay a)" = "$(gameplay b)" ] \
  && pass "$frames frames, the same game twice" || fail "runs differ: '$(cat "$work/a")' vs '$(cat "$work/b")'"
[ "$(value a blocks_destroyed)" -gt 0 ] 2>/dev/null && pass "blocks destroyed" || fail "no block destroyed"
[ "$(value a allocations_after_warmup)" = 0 ] && pass "no allocation after warm-up" \
  || fail "allocations after warm-up: $(value a allocations_after_warmup)"
growth=$(value a.err rss_growth_kib)
[ -n "$growth" ] && [ "$growth" -lt 1024 ] && pass "resident size grew by $growth KiB (< 1 MiB)" \
  || fail "resident size grew by '$growth' KiB"
[ "$(value a.err nonfinite_positions)" = 0 ] && pass "every ball and bonus position finite" \
  || fail "non-finite positions: $(value a.err nonfinite_positions)"
finish
