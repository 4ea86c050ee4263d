# The front end, driven as a player drives it, with settings and progress in
# fresh folders: a pack cleared level by level leaves its progress, and
# Continue after a restart takes the next level; Levels plays the first again;
# the pause menu's Settings doubles the sensitivity, which doubles the pad's
# way for the same motion; Resume; a music volume of 0 silences the music in
# OpenAL Soft's wave-file output; a settings file of random bytes is named and
# survives; the title's "Edit a level" opens the editor on a level of the
# pack, and leaving the editor comes back to the title. ./test runs it a
# second time on sdl12-compat.
source "$(dirname "$0")/lib.sh"

settings="$XDG_CONFIG_HOME/tumbrelix/settings.ini"
progress="$XDG_DATA_HOME/tumbrelix/progress.txt"
pack="$work/pack"
make_pack "$pack"
folder=$(cd "$pack" && pwd -P)

# Starts the game on its arguments in the pack's folder and waits for its window.
start() {
  (cd "$pack" && exec "$game" "$@") >"$work/out" 2>&1 &
  pid=$!
  win=$(wait_window 20) || { fail "no window; $(cat "$work/out")"; finish; }
  sleep 1
}
# Within $1 seconds the progress file holds the line $2.
progress_has() {
  for _ in $(seq $(($1 * 4))); do grep -qxF "$2" "$progress" 2>/dev/null && return 0; sleep 0.25; done
  return 1
}
# Keys one after another, a frame or more apart, so each counts.
keys() { for k in "$@"; do xdotool key "$k"; sleep 0.4; done; }
quit() { press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] || fail "$1: Escape: status $status"; }
# The middle of the pad's row: the mean x of the pixels there that are not the world's green.
pad_x() {
  shot "$work/pad.png"
  convert "$work/pad.png" -crop 640x24+0+382 +repage txt:- |
    awk -F'[,:() ]+' '/^[0-9]/ && !($3 < 60 && $4 > 200 && $5 < 60) { s += $1; n++ } END { print n ? int(s / n) : -1 }'
}

# The title's Continue plays the first level; one launch clears it, and the
# pack goes on to the second.
start .
xdotool mousemove --window "$win" 320 165 click 1
sleep 1
xdotool click 1
progress_has 15 "$(printf 'cleared\t%s\tone.map' "$folder")" && pass "the cleared level is kept" \
  || fail "no cleared level in $progress: $(cat "$progress" 2>&1)"
progress_has 10 "$(printf 'last\t%s\ttwo.map' "$folder")" && pass "so is the level played next" \
  || fail "no last level in $progress: $(cat "$progress" 2>&1)"
quit "first run"

# After a restart Enter continues at the second level.
start .
keys Return
poll 5 world 0,0,255 && pass "Enter on the title continues at the second level" \
  || fail "Continue: corner $(pixel "$work/now.png" 4 475); $(kill -0 $pid 2>&1) $(cat "$work/out")"
# P, then Levels (third in the pause menu) and the level above the current one.
keys p Down Down Return Up Return
poll 5 world 0,255,0 && pass "Levels chooses the first level again" \
  || fail "Levels: corner $(pixel "$work/now.png" 4 475)"

# The same motion with a sensitivity of 1, then of 2 (Settings, four steps
# right from 1), moves the pad about twice as far.
# The first motions into a grabbed window only place the pointer.
xdotool mousemove_relative -- 30 0 sleep 0.3 mousemove_relative -- -30 0
sleep 0.5
declare -a moved
for sensitivity in 1 2; do
  if [ "$sensitivity" = 2 ]; then
    # Right until the file says 2 (four steps): a key lost to a slow frame is pressed again.
    keys p Down Return
    for _ in $(seq 8); do grep -qx 'mouse_sensitivity = 2' "$settings" 2>/dev/null || keys Right; done
    keys BackSpace Up Return
  fi
  sleep 0.5
  before=$(pad_x)
  for _ in 1 2 3 4; do xdotool mousemove_relative -- 40 0; sleep 0.1; done
  sleep 0.5
  moved[$sensitivity]=$(($(pad_x) - before))
done
grep -qx 'mouse_sensitivity = 2' "$settings" && pass "the sensitivity is saved at once" \
  || fail "settings: $(cat "$settings" 2>&1)"
ratio=$(awk -v a="${moved[1]}" -v b="${moved[2]}" 'BEGIN { print (a > 5 && b > 1.7 * a && b < 2.3 * a) }')
[ "$ratio" = 1 ] && pass "sensitivity 2 moves the pad ${moved[2]} pixels against ${moved[1]}" \
  || fail "the pad moved ${moved[1]} then ${moved[2]} pixels"

# The pause menu's Resume, its first entry.
keys p
poll 3 world 0,102,0 || fail "P: the picture is not dimmed: $(pixel "$work/now.png" 4 475)"
keys Return
poll 3 world 0,255,0 && pass "Resume plays on" || fail "Resume: corner $(pixel "$work/now.png" 4 475)"
quit "second run"

# A music volume of 0: nothing in OpenAL Soft's wave-file output.
sed -i 's/^music_volume = .*/music_volume = 0/' "$settings"
printf '[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n[wave]\nfile = %s\n' \
  "$work/out.wav" >"$work/alsoft.conf"
export ALSOFT_CONF="$work/alsoft.conf"
start one.map
sleep 2
peak=$(tail -c +1025 "$work/out.wav" | od -An -v -t d2 |
  awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } } END { print m + 0 }')
[ "$(stat -c %s "$work/out.wav")" -gt 100000 ] && [ "$peak" -lt 50 ] \
  && pass "music volume 0: silence (peak $peak)" || fail "music volume 0: peak $peak"
quit "muted run"
unset ALSOFT_CONF

# Edit a level (third on the title), the first of the pack: the editor opens
# on it; a held Escape leaves it for the title again.
start .
keys Down Down Return Return
wait_window 10 "^Tumbrelix editor: .*one.map" >/dev/null && pass "Edit a level opens the editor on the level" || fail "no editor; $(cat "$work/out")"
for _ in $(seq 20); do
  xdotool keydown Escape; sleep 0.25; xdotool keyup Escape; sleep 0.25
  xdotool search --onlyvisible --name '^Tumbrelix editor' >/dev/null 2>&1 || break
done
wait_window 20 >/dev/null && kill -0 $pid 2>/dev/null && pass "leaving the editor comes back to the title" \
  || fail "after the editor: $(cat "$work/out")"
quit "editor"

# A settings file of random bytes: the game starts, names it, and leaves it be.
head -c 2000 /dev/urandom >"$settings"
cp "$settings" "$work/noise"
start one.map
grep -q "^$settings:" "$work/out" && pass "the bad settings file is named" \
  || fail "no line naming $settings: $(cat "$work/out")"
quit "bad settings"
cmp -s "$settings" "$work/noise" && pass "its bytes survive" || fail "the bad settings file changed"

finish
