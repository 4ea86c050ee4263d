# Live reload: a watched map edited while it plays shows the edit without a
# restart; a texture edited on disk shows too; a broken save keeps the level
# and names its line on standard error and on screen; a mended save plays again.
source "$(dirname "$0")/lib.sh"

shot() { import -window "$win" "$work/now.png" 2>/dev/null; }
pixel() {
  convert "$work/now.png" -crop "1x1+${1:-4}+${2:-475}" -depth 8 \
    -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info: 2>/dev/null
}
# Within $1 seconds the window's bottom-left corner (the world) turns $2.
corner() { for _ in $(seq $(($1 * 4))); do shot && [ "$(pixel)" = "$2" ] && return 0; sleep 0.25; done; return 1; }

level="$work/level"
mkdir -p "$level"
ln -s "$TUMBRELIX_SOURCE_DIR/data" "$level/data"
bmp() {
  python3 -c 'import struct, sys
rgb = bytes(int(c) for c in sys.argv[2].split(","))
head = struct.pack("<2sIHHIIiiHHIIiiII", b"BM", 102, 0, 0, 54, 40, 4, 4, 1, 24, 0, 48, 0, 0, 0, 0)
open(sys.argv[1], "wb").write(head + rgb[::-1] * 16)' "$level/$1.bmp" "$2"
}
bmp green 0,255,0
bmp blue 0,0,255
bmp red 255,0,0
# Saves the map with the world's texture $1; $2 goes in the middle of the world block.
save() {
  cat >"$level/watched.map.new" <<EOF
WORLD NUMFACES 1 FACES back ${2:-}
LIMITS -10 10 -8 8 END
FACE ID back VERTEX -40 -40 0 VERTEX 40 -40 0 VERTEX 40 40 0 VERTEX -40 40 0
TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 TEXTURE $1.bmp END
EOF
  mv "$level/watched.map.new" "$level/watched.map"
}
save green

(cd "$level" && exec "$game" --watch watched.map) >"$work/out" 2>&1 &
pid=$!
win=$(wait_window 20) || { fail "no window; $(cat "$work/out")"; finish; }
corner 10 0,255,0 && pass "the level plays" || fail "corner $(pixel)"
save blue
corner 5 0,0,255 && pass "an edit shows without a restart" || fail "after the edit: corner $(pixel)"
bmp blue 255,0,0
corner 5 255,0,0 && pass "an edited texture shows" || fail "after the texture edit: corner $(pixel)"
save green "LIMITS 1"
sleep 3
grep -q '^watched.map:2: expected a number after LIMITS' "$work/out" \
  && pass "a broken save names its line" || fail "no message; $(cat "$work/out")"
shot
[ "$(pixel)" = 255,0,0 ] && kill -0 $pid 2>/dev/null && pass "the old level stays" \
  || fail "after the broken save: corner $(pixel)"
# The message's band darkens the top of the picture to a quarter of the world's red.
case $(pixel 2 2) in 6[34],0,0) pass "the message shows on its band" ;; *) fail "top $(pixel 2 2)" ;; esac
save green
corner 5 0,255,0 && pass "a mended save plays" || fail "after mending: corner $(pixel)"
press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && pass "Escape ends with 0" || fail "status $status"
finish
