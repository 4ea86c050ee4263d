# Playing the real game with the mouse and keyboard: launch, loss, relaunch,
# the camera views, Escape; and the picture of a level of solid colours.
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
click() { xdotool mousedown 1; sleep 0.2; xdotool mouseup 1; }

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
  # View 0: eye 30 units in front of (0, 0, 0), 45 degrees of vertical field of
  # view over 480 pixels: f = 240 / tan(22.5 degrees) pixels per unit at unit
  # distance. The block's face (z 0.5) centred on (5, 4) lands at
  # (320 + 5f / 29.5, 240 - 4f / 29.5); the world (z 0) at (-5, 3) at
  # (320 - 5f / 30, 240 - 3f / 30).
  read -r bx by wx wy < <(python3 -c '
import math
f = 240 / math.tan(math.radians(22.5))
print(round(320 + 5 * f / 29.5), round(240 - 4 * f / 29.5), round(320 - 5 * f / 30), round(240 - 3 * f / 30))')
  block=$(pixel "$work/solid.png" "$bx" "$by")
  world=$(pixel "$work/solid.png" "$wx" "$wy")
  [ "$block" = "255,0,0" ] && pass "the block's colour at ($bx, $by)" || fail "block pixel ($bx, $by) is $block"
  [ "$world" = "0,255,0" ] && pass "the world's colour at ($wx, $wy)" || fail "world pixel ($wx, $wy) is $world"
  # Edges: just inside and just outside the block's right edge (x = 6.5).
  inside=$(python3 -c 'import math; f=240/math.tan(math.radians(22.5)); print(math.floor(320+6.5*f/29.5)-2)')
  [ "$(pixel "$work/solid.png" "$inside" "$by")" = "255,0,0" ] && \
    [ "$(pixel "$work/solid.png" $((inside + 5)) "$by")" = "0,255,0" ] && pass "the block ends where view 0 puts its edge" \
    || fail "block edge near x $inside: $(pixel "$work/solid.png" "$inside" "$by") / $(pixel "$work/solid.png" $((inside + 5)) "$by")"

  # A click launches a ball from the pad in the middle; the pad then moves
  # aside, and the ball, left alone, falls past it and is lost.
  click
  wait_change "$work/solid.png" 5 && pass "a click launches a ball that shows" || fail "nothing moved after the click"
  move 40 0
  wait_still 30 && pass "left alone the ball is lost (the picture comes to rest)" \
    || fail "the picture never came to rest after the launch"
  shot "$work/lost.png"
  # With no ball in play the next click launches another.
  click
  wait_change "$work/lost.png" 5 && pass "a second click launches another ball" || fail "the second click did nothing"
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
