# The game's music end to end: OpenAL Soft's wave-file output must hold
# non-silent samples within three seconds of the start, and without any audio
# device the game must still start quietly.
source "$(dirname "$0")/lib.sh"
map="$TUMBRELIX_SOURCE_DIR/levels/default.map"
tracks="$TUMBRELIX_SOURCE_DIR/data/musics/random"

if ! ls "$tracks" 2>/dev/null | grep -qiE '\.(it|mod|mp3|ogg|s3m|xm)$'; then
  echo "skipped: no music track in $tracks yet"
  exit 0
fi
[ -x "$game" ] || { echo "FAIL: no game binary at $game"; exit 1; }

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
wait_exit $pid 5 && [ "$status" -eq 0 ] && pass "game with wave output ends with status 0" \
  || fail "wave output run: status $status; $(cat "$work/out")"

# No device at all: ALSA finds no card, the game falls back to silent mixing and says nothing.
ALSOFT_DRIVERS=alsa "$game" "$map" >"$work/out" 2>"$work/err" &
pid=$!
if wait_window 10 >/dev/null; then pass "starts without an audio device"; else fail "no window without an audio device"; fi
sleep 1
kill -0 $pid 2>/dev/null && pass "runs without an audio device" || fail "ended early without an audio device"
kill -TERM $pid
wait_exit $pid 5
[ ! -s "$work/err" ] && pass "nothing on stderr without an audio device" \
  || fail "stderr without an audio device: $(head -n 5 "$work/err")"

finish
