# Playing the real game with the mouse and keyboard: launch, loss, relaunch,
# the camera views, resizing, full screen, pause, Escape; and the picture of a
# level of solid colours.
source "$(dirname "$0")/lib.sh"

# Screenshot of the game's window into the given file.
shot() {
  import -window "$win" "$1" 2>/dev/null
}

# Takes screenshots until one differs from the reference by more than a few
# pixels, within the given seconds; 0 when one did.
wait_change() {
  local reference=$1 seconds=$2 diff
  for _ in $(seq $((seconds * 4))); do
    shot "$work/now.png"
    diff=$(compare -metric AE -fuzz 5% "$reference" "$work/now.png" null: 2>&1)
    [ "${diff%%.*}" -gt 50 ] 2>/dev/null && return 0
    sleep 0.25
  done
  return 1
}

# Waits until two screenshots a quarter second apart are the same.
wait_still() {
  local seconds=$1 diff
  shot "$work/a.png"
  for _ in $(seq $((seconds * 4))); do
    sleep 0.25
    shot "$work/b.png"
    diff=$(compare -metric AE -fuzz 5% "$work/a.png" "$work/b.png" null: 2>&1)
    [ "${diff%%.*}" = 0 ] && return 0
    mv "$work/b.png" "$work/a.png"
  done
  return 1
}

# The game grabs the pointer, so buttons and motion reach it wherever they are.
# A click lasts a millisecond, far less than a frame.
click() { xdotool click 1; }

# View 0 looks at (0, 0, 0) from 30 units, 45 degrees of vertical field of view
# over the drawable's height h: f = h / 2 / tan(22.5 degrees) pixels per unit at
# unit distance. Prints the pixels of the block's face (z 0.5) centred on (5, 4)
# and of the world (z 0) at (-5, 3) for a drawable of w x h.
field_points() {
  python3 -c '
import math, sys
w, h = int(sys.argv[1]), int(sys.argv[2])
f = h / 2 / math.tan(math.radians(22.5))
print(round(w / 2 + 5 * f / 29.5), round(h / 2 - 4 * f / 29.5), round(w / 2 - 5 * f / 30), round(h / 2 - 3 * f / 30))' "$1" "$2"
}

# Checks a w x h picture: the block red and the world green where the projection
# puts them, and the world's green in the far corners (the drawable fills it).
check_field() {
  local file=$1 w=$2 h=$3 what=$4 bx by wx wy got
  read -r bx by wx wy < <(field_points "$w" "$h")
  got="$(pixel "$file" "$bx" "$by") $(pixel "$file" "$wx" "$wy") $(pixel "$file" 2 2) $(pixel "$file" $((w - 3)) $((h - 3)))"
  [ "$got" = "255,0,0 0,255,0 0,255,0 0,255,0" ] && pass "$what: the whole field in place ($w x $h)" \
    || fail "$what: block ($bx, $by), world ($wx, $wy) and corners of $w x $h are $got"
}

# The pad's centre column in the row through it (y 395 in 640 x 480): the middle of
# the pixels that are not the world's green.
pad_x() {
  convert "$1" -crop 640x1+0+395 -depth 8 txt:- | python3 -c '
import re, sys
xs = [int(m[1]) for m in re.finditer(r"^(\d+),\d+: \((\d+),(\d+),(\d+)", sys.stdin.read(), re.M)
      if not (int(m[2]) < 60 and int(m[3]) > 200 and int(m[4]) < 60)]
print((min(xs) + max(xs)) / 2 if xs else -1)'
}

# Geometry of the game's window as "width x height".
geometry() {
  xwininfo -id "$win" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'
}

# Ten relative mouse motions of dx, dy pixels.
move() {
  for _ in $(seq 10); do xdotool mousemove_relative -- "$1" "$2"; sleep 0.05; done
}

# --- A level whose world is pure green and whose one block is pure red.
level="$work/level"
mkdir -p "$level"
ln -s "$TUMBRELIX_SOURCE_DIR/data" "$level/data"
python3 - "$level" <<'EOF'
import struct, sys
def bmp(path, rgb):
    w = h = 4
    row = w * 3
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + row * h, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, row * h, 2835, 2835, 0, 0))
        f.write(bytes([rgb[2], rgb[1], rgb[0]]) * (w * h))
bmp(sys.argv[1] + "/green.bmp", (0, 255, 0))
bmp(sys.argv[1] + "/red.bmp", (255, 0, 0))
EOF
cat >"$level/solid.map" <<'EOF'
WORLD
  NUMFACES 1
  FACES back
  LIMITS -10 10 -8 8
END
FACE
  ID back
  VERTEX -40 -40 0
  VERTEX 40 -40 0
  VERTEX 40 40 0
  VERTEX -40 40 0
  TEXCOORD 0 0
  TEXCOORD 1 0
  TEXCOORD 1 1
  TEXCOORD 0 1
  TEXTURE green.bmp
END
FACE
  ID front
  VERTEX -1.5 -1 0.5
  VERTEX 1.5 -1 0.5
  VERTEX 1.5 1 0.5
  VERTEX -1.5 1 0.5
  TEXCOORD 0 0
  TEXCOORD 1 0
  TEXCOORD 1 1
  TEXCOORD 0 1
  TEXTURE red.bmp
END
BLOCKS
  NUMFACES 1
  FACES front
  LIVES 0
  ORIGIN 5 4 0
END
EOF

(cd "$level" && exec "$game" solid.map) >"$work/out" 2>&1 &
pid=$!
win=$(wait_window 20) || fail "solid level: no window; $(cat "$work/out")"
if [ -n "${win:-}" ]; then
  # Let the start-up and the first frames pass, then wait for a steady picture.
  for _ in $(seq 40); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
  sleep 2
  wait_still 10 || fail "solid level: the picture never settles"
  shot "$work/solid.png"
  check_field "$work/solid.png" 640 480 "view 0"
  read -r bx by wx wy < <(field_points 640 480)
  # Edges: just inside and just outside the block's right edge (x = 6.5).
  inside=$(python3 -c 'import math; f=240/math.tan(math.radians(22.5)); print(math.floor(320+6.5*f/29.5)-2)')
  [ "$(pixel "$work/solid.png" "$inside" "$by")" = "255,0,0" ] && \
    [ "$(pixel "$work/solid.png" $((inside + 5)) "$by")" = "0,255,0" ] && pass "the block ends where view 0 puts its edge" \
    || fail "block edge near x $inside: $(pixel "$work/solid.png" "$inside" "$by") / $(pixel "$work/solid.png" $((inside + 5)) "$by")"

  # A resize sets the drawable to the window's size, there and back again.
  for size in 1000x700 640x480; do
    xdotool windowsize "$win" ${size/x/ }
    sleep 1
    wait_still 10 && shot "$work/sized.png"
    check_field "$work/sized.png" ${size/x/ } "resized to $size"
  done
  # F11: full screen at the screen's size, then the window's size again.
  read -r sw sh < <(xwininfo -root | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
  xdotool key F11
  sleep 1
  [ "$(geometry)" = "${sw}x${sh}" ] && pass "F11: full screen" || fail "F11: window $(geometry), screen ${sw}x${sh}"
  import -window root "$work/full.png"
  check_field "$work/full.png" "$sw" "$sh" "full screen"
  xdotool key F11
  sleep 1
  [ "$(geometry)" = 640x480 ] && pass "F11 again: the window" || fail "F11 again: window $(geometry)"
  wait_still 10 && shot "$work/back.png"
  check_field "$work/back.png" 640 480 "back from full screen"

  # A click launches a ball from the pad in the middle; the pad then moves
  # aside, and the ball, left alone, falls past it and is lost.
  click
  wait_change "$work/solid.png" 5 && pass "a click launches a ball that shows" || fail "nothing moved after the click"
  # P freezes the flying ball under a dimmed picture; P again lets it fly on.
  xdotool key p
  sleep 0.5
  shot "$work/p1.png"
  sleep 0.5
  shot "$work/p2.png"
  [ "$(compare -metric AE "$work/p1.png" "$work/p2.png" null: 2>&1)" = 0 ] && pass "P: the picture stands still" \
    || fail "P: the picture moved while paused"
  dim=$(pixel "$work/p1.png" "$bx" "$by")
  [ "${dim%%,*}" -gt 40 ] && [ "${dim%%,*}" -lt 160 ] && pass "P: the picture is dimmed" || fail "P: block pixel $dim"
  xdotool mousemove --window "$win" 320 240 key p
  move 40 0
  wait_still 30 && pass "left alone the ball is lost (the picture comes to rest)" \
    || fail "the picture never came to rest after the launch"
  shot "$work/lost.png"
  # Twenty motions of 6 pixels to the left sent at once, many within one frame,
  # move the pad by their sum: 1.2 units, 1.2 f / 30 pixels at 640 x 480.
  xdotool $(for _ in $(seq 20); do echo mousemove_relative -- -6 0; done)
  wait_still 10 && shot "$work/burst.png"
  moved=$(python3 -c "import math; print(round(($(pad_x "$work/lost.png")) - ($(pad_x "$work/burst.png")) - 1.2 * 240 / math.tan(math.radians(22.5)) / 30))")
  [ "${moved#-}" -le 3 ] && pass "a burst of motions moves the pad by their sum" || fail "the pad's move is off its sum by $moved pixels"

  # Another window taking the focus pauses; a click on the window resumes and
  # launches nothing.
  xmessage -geometry +700+600 away &
  other=$!
  xdotool search --sync --name '^xmessage$' windowfocus --sync
  sleep 0.5
  shot "$work/away.png"
  dim=$(pixel "$work/away.png" "$bx" "$by")
  [ "${dim%%,*}" -gt 40 ] && [ "${dim%%,*}" -lt 160 ] && pass "lost focus pauses" || fail "lost focus: block pixel $dim"
  kill $other
  xdotool mousemove --window "$win" 320 240 click 1
  sleep 1
  shot "$work/resumed.png"
  [ "$(compare -metric AE -fuzz 5% "$work/burst.png" "$work/resumed.png" null: 2>&1)" = 0 ] \
    && pass "a click resumes and launches nothing" || fail "the resuming click: the picture changed"
  # With no ball in play the next click launches another.
  click
  wait_change "$work/resumed.png" 5 && pass "a second click launches another ball" || fail "the second click did nothing"
  wait_still 30 || fail "the second ball was never lost"

  # The right button held while the mouse moves tilts the view.
  shot "$work/flat.png"
  xdotool mousedown 3
  move 0 15
  xdotool mouseup 3
  wait_change "$work/flat.png" 5 && pass "a right-button drag changes the picture" || fail "the right-button drag changed nothing"
  wait_still 10 || fail "the tilted picture never settles"

  shot "$work/view0.png"
  xdotool key space
  wait_change "$work/view0.png" 5 && pass "Space changes the picture" || fail "Space changed nothing"
  press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && pass "Escape ends with status 0" \
    || fail "Escape: status $status; $(cat "$work/out")"
fi

finish
