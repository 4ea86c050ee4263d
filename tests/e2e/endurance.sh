# Endurance of the self-playing demo: sixteen balls on the busiest bundled
# level for 5,000 fixed-step frames; memory, allocations and the particle pool
# stay flat after warm-up and every ball and bonus position stays finite.
source "$(dirname "$0")/lib.sh"
demo="$TUMBRELIX_BINARY_DIR/tumbrelix-demo"
frames=${TUMBRELIX_ENDURANCE_FRAMES:-5000}

for _ in 1 2 3; do  # a display under load now and then refuses a new window
  "$demo" --fixed-step 10 --seed 1 --balls 16 --frames "$frames" --warmup 1000 \
    --level "$TUMBRELIX_SOURCE_DIR/levels/nebula.map" --endurance >"$work/out" 2>"$work/err"
  status=$?
  grep -q "Couldn't open X11 display" "$work/err" || break
  sleep 0.5
done
[ "$status" -eq 0 ] || fail "demo: status $status; $(cat "$work/err")"
summary=$(cat "$work/out")
figures=$(grep '^endurance: ' "$work/err")
echo "$summary"
echo "$figures"
value() { printf '%s\n' "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }

[ "$(value "$summary" frames)" = "$frames" ] && pass "$frames frames" || fail "frames: $summary"
[ "$(value "$summary" allocations_after_warmup)" = 0 ] && pass "no allocation after warm-up" \
  || fail "allocations after warm-up: $(value "$summary" allocations_after_warmup)"
growth=$(value "$figures" rss_growth_kib)
[ -n "$growth" ] && [ "$growth" -lt 1024 ] && pass "resident size grew by $growth KiB (< 1 MiB)" \
  || fail "resident size grew by '$growth' KiB"
[ "$(value "$figures" particle_capacity_growth)" = 0 ] && pass "the particle group array stopped growing" \
  || fail "particle group array grew by $(value "$figures" particle_capacity_growth) after warm-up"
[ "$(value "$figures" nonfinite_positions)" = 0 ] && pass "every ball and bonus position finite" \
  || fail "non-finite positions: $(value "$figures" nonfinite_positions)"
finish
