# A game played with the mouse and keys and recorded, then played back in the
# window while the mouse and keys do something else; a replay with one input
# changed is caught at the checksum after it, one on another map at once. The
# player's sensitivity (2) goes into the replay, which plays back with it
# under another (0.5). A recording never costs a file: not the map named in
# its place, not the replay it would replace when the game fails to start or
# is killed, which leaves its part beside it to play back.
source "$(dirname "$0")/lib.sh"
cd "$TUMBRELIX_SOURCE_DIR"
replay="$work/game.replay"
mkdir -p "$XDG_CONFIG_HOME/tumbrelix"
echo "mouse_sensitivity = 2" >"$XDG_CONFIG_HOME/tumbrelix/settings.ini"

"$game" --record "$replay" levels/default.map >"$work/out" 2>&1 &
pid=$!
wait_window 20 >/dev/null || fail "record: no window; $(cat "$work/out")"
sleep 1
xdotool click 1
for dx in 30 -30 -30 30 20 -20; do
  for _ in $(seq 5); do xdotool mousemove_relative -- "$dx" 0; sleep 0.05; done
done
xdotool key space mousedown 3 mousemove_relative -- 0 20 mouseup 3
sleep 2
press_escape_until_exit $pid 10
checks=$(grep -c '^c ' "$replay")
[ "$status" -eq 0 ] && [ "$checks" -ge 3 ] && grep -q '^end ' "$replay" \
  && pass "recorded a game with $checks checksums" || fail "record: status $status, $checks checksums; $(cat "$work/out")"
grep -qx 'settings mouse_sensitivity=2 game_speed=100' "$replay" && pass "the replay keeps the sensitivity" \
  || fail "no settings line: $(head -n 6 "$replay")"
echo "mouse_sensitivity = 0.5" >"$XDG_CONFIG_HOME/tumbrelix/settings.ini"

# Playback ends by itself with status 0; what the mouse does meanwhile is ignored.
"$game" --replay "$replay" >"$work/out" 2>&1 &
pid=$!
wait_window 20 >/dev/null
sleep 1
xdotool click 1 mousemove_relative -- 200 0 key space
wait_exit $pid 60
grep -q ": [0-9]* frames played back, $checks checksums matched" "$work/out" && [ "$status" -eq 0 ] \
  && pass "played back in the window: $(tail -n 1 "$work/out")" || fail "playback: status $status; $(cat "$work/out")"

# The first mouse motion a unit larger: the pad, and with it the checksum,
# differs from that frame on; prints the frame of the first checksum after it.
python3 - "$replay" "$work/tampered" >"$work/expected" <<'EOF'
import re, sys
lines, frames, tampered = open(sys.argv[1]).read().split("\n"), 0, False
start = 6 if lines[5].startswith("settings ") else 5
for i, line in enumerate(lines[start:], start):
    if line.startswith("c ") and tampered:
        print(frames)
        break
    frames += int(line[2:]) if line.startswith("* ") else 0 if line.startswith("c ") else 1
    motion = re.search(r"x(-?\d+)", line)
    if motion and not tampered:
        lines[i], tampered = line[:motion.start()] + "x%d" % (int(motion[1]) + 100) + line[motion.end():], True
open(sys.argv[2], "w").write("\n".join(lines))
EOF
err=$("$game" --replay "$work/tampered" 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [[ "$err" == *"replay diverged at frame $(cat "$work/expected") "* ]] \
  && pass "a changed motion: diverged at frame $(cat "$work/expected")" || fail "tampered: status $status, '$err'"

sed 's/^hash .*/hash 0123456789abcdef/' "$replay" >"$work/other"
err=$("$game" --replay "$work/other" 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [ "$err" = "$work/other: the map levels/default.map differs from the one this replay was recorded on" ] \
  && pass "another map is refused before play" || fail "map hash: status $status, '$err'"
cp "$replay" "$work/kept"
cp levels/nebula.map "$work/nebula.map"
err=$("$game" --record "$work/nebula.map" levels/ 2>&1); status=$?
[ "$status" -eq 1 ] && [ "$err" = "$work/nebula.map: is not a replay; recording would overwrite it" ] \
  && cmp -s levels/nebula.map "$work/nebula.map" && pass "a map named as the recording is refused whole" \
  || fail "swapped arguments: status $status, '$err'"
DISPLAY= "$game" --record "$replay" levels/default.map >/dev/null 2>&1; status=$?
[ "$status" -eq 1 ] && cmp -s "$replay" "$work/kept" && [ ! -e "$replay.part" ] \
  && pass "a failed start leaves the old replay" || fail "no display: status $status"
"$game" --record "$replay" levels/default.map >"$work/out" 2>&1 &
pid=$!
wait_window 20 >/dev/null || fail "record again: no window; $(cat "$work/out")"
xdotool click 1
sleep 3.5
kill -9 $pid
wait $pid 2>/dev/null
out=$("$TUMBRELIX_BINARY_DIR/tumbrelix-demo" --replay "$replay.part" 2>&1 | tail -n 1); status=$?
cmp -s "$replay" "$work/kept" && [[ "$out" == *" checksums matched (a recording cut short: played to its last checksum)" ]] \
  && pass "killed while recording: the old replay stays, the part plays: $out" || fail "killed: '$out'"
finish
