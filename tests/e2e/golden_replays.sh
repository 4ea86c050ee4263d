# The golden replays, recorded by the demo's autopilot, played back headless:
# any change to gameplay shows as a divergence with its frame. When a change is
# meant to alter gameplay, scripts/replays records them again.
source "$(dirname "$0")/lib.sh"
cd "$TUMBRELIX_SOURCE_DIR"
export TUMBRELIX_NO_VSYNC=1
for replay in tests/replays/*.replay; do
  "$TUMBRELIX_BINARY_DIR/tumbrelix-demo" --replay "$replay" >"$work/out" 2>&1; status=$?
  [ "$status" -eq 0 ] && grep -q "^$replay: .* frames played back, [1-9][0-9]* checksums matched$" "$work/out" \
    && pass "$(tail -n 1 "$work/out")" || fail "$replay: status $status; $(grep -v '^frames=' "$work/out")"
done
finish
