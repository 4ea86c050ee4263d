# ./play on a machine without a display: the demo plays in a virtual display,
# leaves screenshots in out/ and prints its summary and where the pictures are.
source "$(dirname "$0")/lib.sh"
cd "$TUMBRELIX_SOURCE_DIR"
env -u DISPLAY ./play >"$work/out" 2>"$work/err"; status=$?
[ "$status" -eq 0 ] && pass "./play ends with status 0" || fail "./play: status $status; $(tail -5 "$work/err")"
grep -q "no display is reachable" "$work/err" && pass "says why the demo runs instead" \
  || fail "no explanation on standard error: $(tail -3 "$work/err")"
summary=$(grep '^frames=' "$work/out")
[[ "$summary" == *" allocations_after_warmup="* ]] && pass "prints the summary" || fail "no summary: $(cat "$work/out")"
shots=$(ls out/*.png 2>/dev/null | wc -l)
[ "$shots" -ge 2 ] && pass "$shots screenshots in out/" || fail "screenshots in out/: $shots"
read -r w h colours < <(identify -format '%w %h %k\n' "$(ls out/*.png | tail -n 1)" 2>&1)
[ "$w $h" = "640 480" ] && [ "${colours:-0}" -gt 16 ] 2>/dev/null && pass "screenshots are 640x480 pictures" \
  || fail "screenshot: '$w $h $colours'"
grep -q "Screenshots of the run are in $TUMBRELIX_SOURCE_DIR/out/" "$work/out" && grep -q "To play for real" "$work/out" \
  && pass "says where the pictures are and how to play for real" || fail "closing lines: $(tail -3 "$work/out")"
finish
