# A two-level pack played with the mouse: the title shows, a launched ball
# clears the one block, the second level follows and after it the first again;
# the demo plays the same pack without allocating once play resumes.
source "$(dirname "$0")/lib.sh"

# Waits until the window's corner (world only) shows the colour given.
wait_world() {
  for _ in $(seq $(($2 * 4))); do
    import -window "$win" "$work/now.png" 2>/dev/null
    [ "$(pixel "$work/now.png" 4 475)" = "$1" ] && return 0
    sleep 0.25
  done
  return 1
}

# Waits until the title's band (window rows 172 to 211) holds light glyph pixels.
wait_title() {
  local light
  for _ in $(seq 12); do
    import -window "$win" "$work/title.png" 2>/dev/null
    light=$(convert "$work/title.png" -crop 640x40+0+172 -colorspace Gray -threshold 75% -format '%[fx:int(mean*w*h)]' info:)
    [ "${light:-0}" -gt 100 ] && return 0
    sleep 0.25
  done
  return 1
}

# Worlds of pure blue and pure green, one red block (one hit) right above the pad.
pack="$work/pack"
mkdir -p "$pack"
ln -s "$TUMBRELIX_SOURCE_DIR/data" "$pack/data"
for colour in "blue 0 0 255" "green 0 255 0" "red 255 0 0"; do
  set -- $colour
  python3 -c 'import struct, sys
r, g, b = map(int, sys.argv[2:])
head = b"BM" + struct.pack("<IHHI", 54 + 48, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, 4, 4, 1, 24, 0, 48, 0, 0, 0, 0)
open(sys.argv[1], "wb").write(head + bytes([b, g, r]) * 16)' "$pack/$1.bmp" "$2" "$3" "$4"
done
for level in "one blue" "two green"; do
  set -- $level
  cat >"$pack/$1.map" <<EOF
WORLD NUMFACES 1 FACES back LIMITS -10 10 -8 8 END
FACE ID back VERTEX -40 -40 -1 VERTEX 40 -40 -1 VERTEX 40 40 -1 VERTEX -40 40 -1
  TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 TEXTURE $2.bmp END
FACE ID front VERTEX -2 -0.5 0.5 VERTEX 2 -0.5 0.5 VERTEX 2 0.5 0.5 VERTEX -2 0.5 0.5
  TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 TEXTURE red.bmp END
BLOCKS NUMFACES 1 FACES front LIVES 1 ORIGIN 0 -4 0 END
EOF
done
printf '# two levels\none.map Level One\ntwo.map Level Two\n' >"$pack/pack.txt"

(cd "$pack" && exec "$game" .) >"$work/out" 2>&1 &
pid=$!
win=$(wait_window 20) || fail "pack: no window; $(cat "$work/out")"
if [ -n "${win:-}" ]; then
  wait_title && pass "the first level's title shows" || fail "no title in the title band"
  wait_world "0,0,255" 10 && pass "the first level plays" || fail "first level: corner $(pixel "$work/now.png" 4 475)"
  for next in "0,255,0 second" "0,0,255 first"; do
    set -- $next
    xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
    wait_world "$1" 15 && pass "the block cleared, the $2 level follows" || fail "no $2 level: corner $(pixel "$work/now.png" 4 475)"
    wait_title && pass "the $2 level's title shows" || fail "no title for the $2 level"
  done
  press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && pass "Escape ends with status 0" \
    || fail "Escape: status $status; $(cat "$work/out")"
fi

summary=$(cd "$pack" && "${game%/*}/tumbrelix-demo" --level . --fixed-step 10 --seed 1 --frames 900 2>&1)
[[ "$summary" == *" allocations_after_warmup=0" ]] && \
  [ "$(sed -E 's/.*blocks_destroyed=([0-9]+).*/\1/' <<<"$summary")" -ge 3 ] \
  && pass "the demo plays on through the switches and allocates nothing" || fail "demo: $summary"

finish
