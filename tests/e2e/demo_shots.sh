# Demo screenshots are real 640 x 480 pictures of the game; bad options and a
# missing level end with a message, not a run.
source "$(dirname "$0")/lib.sh"
demo="$TUMBRELIX_BINARY_DIR/tumbrelix-demo"

"$demo" --fixed-step 10 --seed 2 --frames 25 --shots "$work/shots" --shot-every 10 --overlay \
  >"$work/out" 2>"$work/err"
shots=$(ls "$work/shots" 2>/dev/null)
[ "$(echo $shots)" = "frame_000000.png frame_000010.png frame_000020.png" ] \
  && pass "one PNG every 10 frames" || fail "screenshots: '$shots' $(cat "$work/err")"
for shot in "$work"/shots/*.png; do
  [ -f "$shot" ] || continue
  read -r w h colours < <(identify -format '%w %h %k\n' "$shot" 2>&1)
  [ "$w $h" = "640 480" ] && [ "${colours:-0}" -gt 16 ] 2>/dev/null \
    && pass "$(basename "$shot") is 640x480 with $colours colours" \
    || fail "$(basename "$shot"): '$w $h $colours'"
done

out=$("$demo" --frames many 2>&1); status=$?
[ "$status" -eq 2 ] && [[ "$out" == *"--frames: expected a number"*"'many'"* ]] \
  && pass "a bad number is named" || fail "bad number: status $status, '$out'"
out=$("$demo" --level "$work/none.map" --frames 5 2>&1); status=$?
[ "$status" -eq 1 ] && [[ "$out" == *"$work/none.map"* ]] \
  && pass "a missing level is named" || fail "missing level: status $status, '$out'"
out=$("$demo" --frames 5 --shots /proc/forbidden 2>&1); status=$?
[ "$status" -ne 0 ] && [[ "$out" == *"/proc/forbidden"* ]] \
  && pass "an unusable screenshot folder is named" || fail "shots folder: status $status, '$out'"
finish
