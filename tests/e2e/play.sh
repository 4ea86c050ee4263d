# A two-level pack played with the mouse and keyboard: the titles, the picture
# of a level of solid colours in the window and full screen, a launch and P,
# the next level once the one block above the pad is cleared, a lost focus,
# the first level again, the tilt, Space and Escape.
source "$(dirname "$0")/lib.sh"

# Pixels that differ between two pictures.
differ() { compare -metric AE -fuzz 5% "$1" "$2" null: 2>&1; }
changed() { [ "$(differ "$1" "$work/now.png" | cut -d. -f1)" -gt 50 ] 2>/dev/null; }
# The window's bottom-left corner (world only) is dimmed from full brightness.
dimmed() { local sum=$(($(pixel "$work/now.png" 4 475 | tr , +))); [ "$sum" -gt 40 ] && [ "$sum" -lt 160 ]; }
# Light glyph pixels in the title's band (rows 172 to 211).
titled() {
  [ "$(convert "$work/now.png" -crop 640x40+0+172 -colorspace Gray -threshold 75% \
    -format '%[fx:int(mean*w*h)]' info:)" -gt 100 ] 2>/dev/null
}
# Within $1 seconds, two pictures a quarter second apart that are the same: still.png.
wait_still() {
  shot "$work/still.png"
  for _ in $(seq $(($1 * 4))); do
    sleep 0.25
    shot "$work/now.png"
    [ "$(differ "$work/still.png" "$work/now.png")" = 0 ] && return 0
    mv "$work/now.png" "$work/still.png"
  done
  return 1
}

# View 0 looks at (0, 0, 0) from 30 units with 45 degrees of vertical field of
# view: f = h / 2 / tan(22.5 degrees) pixels per unit at unit distance. Checks
# a w x h picture: red at the block's face (z 0.5) centred on (5, 4) and just
# inside its right edge (x 6.5), the world's green just outside it, at (-5, 3)
# (z 0) and in the far corners, so the drawable fills the window.
check_field() {
  local bx by wx wy edge got
  read -r bx by wx wy edge < <(python3 -c '
import math, sys
w, h = int(sys.argv[1]), int(sys.argv[2])
f = h / 2 / math.tan(math.radians(22.5))
print(round(w / 2 + 5 * f / 29.5), round(h / 2 - 4 * f / 29.5), round(w / 2 - 5 * f / 30),
      round(h / 2 - 3 * f / 30), math.floor(w / 2 + 6.5 * f / 29.5))' "$2" "$3")
  got="$(pixel "$1" "$bx" "$by") $(pixel "$1" $((edge - 2)) "$by") $(pixel "$1" $((edge + 3)) "$by")"
  got+=" $(pixel "$1" "$wx" "$wy") $(pixel "$1" 2 2) $(pixel "$1" $(($2 - 3)) $(($3 - 3)))"
  [ "$got" = "255,0,0 255,0,0 0,255,0 0,255,0 0,255,0 0,255,0" ] && pass "$4: the whole field in place" \
    || fail "$4: block, its edge, world and corners of $2 x $3 are $got"
}
geometry() { xwininfo "$@" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }

pack="$work/pack"
make_pack "$pack"

(cd "$pack" && exec "$game" .) >"$work/out" 2>&1 &
pid=$!
win=$(wait_window 20) || { fail "no window; $(cat "$work/out")"; finish; }
# A pack opens on the title: Continue, its first entry, plays.
sleep 1
xdotool mousemove --window "$win" 320 165 click 1
poll 3 titled && pass "the first level's title shows" || fail "no title in the title band"
sleep 2
wait_still 10 || fail "the picture never settles"
check_field "$work/still.png" 640 480 "the window"
# F11: full screen at the screen's size, then the window's size again.
xdotool key F11
sleep 1
import -window root "$work/full.png"
[ "$(geometry -id "$win")" = "$(geometry -root)" ] && check_field "$work/full.png" 1280 1024 "full screen" \
  || fail "F11: window $(geometry -id "$win")"
xdotool key F11
sleep 1
[ "$(geometry -id "$win")" = 640x480 ] && pass "F11 again: the window" || fail "F11 again: window $(geometry -id "$win")"

# A click, far shorter than a frame, launches a ball; P freezes it, P again lets it fly on.
wait_still 10
xdotool click 1
poll 5 changed "$work/still.png" && pass "a click launches a ball that shows" || fail "nothing moved after the click"
xdotool key p
sleep 0.5
shot "$work/p1.png"
sleep 0.5
shot "$work/p2.png"
[ "$(differ "$work/p1.png" "$work/p2.png")" = 0 ] && pass "P: the picture stands still" || fail "P: the picture moved"
xdotool mousemove --window "$win" 320 240 key p
# On a busy machine the click may come before the pad is ready: a player clicks again.
{ poll 15 world 0,0,255 || { xdotool click 1; poll 15 world 0,0,255; }; } \
  && pass "the block cleared, the second level follows" || fail "no second level"
titled && pass "its title shows with it" || fail "no title for the second level"

# Another window taking the focus pauses; a click on Resume resumes, the next launches.
sleep 2
xmessage -geometry +700+600 away &
other=$!
xdotool search --sync --name '^xmessage$' windowfocus --sync
poll 2 dimmed && pass "lost focus pauses" || fail "lost focus: corner $(pixel "$work/now.png" 4 475)"
kill $other
xdotool mousemove --window "$win" 320 165 click 1 sleep 0.5 click 1
{ poll 15 world 0,255,0 || { xdotool click 1; poll 15 world 0,255,0; }; } \
  && pass "the second level cleared, the first follows" || fail "no first level again"

# The right button held while the mouse moves tilts the view; Space changes it.
sleep 2
wait_still 10
xdotool mousedown 3
for _ in $(seq 10); do xdotool mousemove_relative -- 0 15; sleep 0.05; done
xdotool mouseup 3
poll 5 changed "$work/still.png" && pass "a right-button drag changes the picture" || fail "the drag changed nothing"
wait_still 10
xdotool key space
poll 5 changed "$work/still.png" && pass "Space changes the picture" || fail "Space changed nothing"
press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && pass "Escape ends with status 0" \
  || fail "Escape: status $status; $(cat "$work/out")"
[ -s "$work/out" ] && fail "the game wrote: $(cat "$work/out")"
finish
