# The game's music end to end: OpenAL Soft's wave-file output must hold
# non-silent samples within three seconds of the start; a close request then
# ends the game with status 0.
source "$(dirname "$0")/lib.sh"
map="$TUMBRELIX_SOURCE_DIR/levels/default.map"

# Largest absolute 16-bit sample after the header of a wave file.
peak() {
  tail -c +1025 "$1" 2>/dev/null | od -An -v -t d2 | \
    awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } } END { print m + 0 }'
}

cat >"$work/alsoft.conf" <<CONF
[general]
drivers = wave
channels = stereo
sample-type = int16
frequency = 44100
[wave]
file = $work/out.wav
CONF

start=$(date +%s%N)
ALSOFT_CONF="$work/alsoft.conf" ALSOFT_DRIVERS=wave "$game" "$map" >"$work/out" 2>&1 &
pid=$!
wait_window 10 >/dev/null || fail "no window within 10 s"
left=$(( 3000 - ($(date +%s%N) - start) / 1000000 ))
[ "$left" -gt 0 ] && sleep "$(awk -v ms="$left" 'BEGIN { printf "%.3f", ms / 1000 }')"
level=$(peak "$work/out.wav")
[ "${level:-0}" -gt 300 ] && pass "music heard within 3 s (peak $level)" \
  || fail "no music within 3 s: peak ${level:-none} in $work/out.wav; $(cat "$work/out")"
kill -TERM $pid
wait_exit $pid 5 && [ "$status" -eq 0 ] && pass "a close request ends it with status 0" \
  || fail "close request: status $status; $(cat "$work/out")"

finish
