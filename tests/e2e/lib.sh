# Helpers shared by the end-to-end scripts: an X display of the script's own,
# the real game run in it and waited for. Sourced, not run.
set -u
game="$TUMBRELIX_BINARY_DIR/tumbrelix"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
failures=0

# The player's settings and progress stay in the script's own folders.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share"

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Scripts run side by side, each in its own display, so no other window takes
# the focus, the grab or the screen from under its game.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

# Waits up to $1 seconds until a window named Tumbrelix (or matching the
# pattern $2) is mapped; prints its id.
wait_window() {
  local id
  for _ in $(seq $((${1:-10} * 10))); do
    id=$(xdotool search --onlyvisible --name "${2:-^Tumbrelix\$}" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits for a process to end within the given seconds, else kills it; sets $status.
wait_exit() {
  for _ in $(seq $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; status=$?; return 0; }
    sleep 0.1
  done
  kill -9 "$1" 2>/dev/null
  status=124
  return 1
}

# Holds Escape in short presses until the game ends: the keyboard reaches the
# game only once it has grabbed the input, late in its start-up.
press_escape_until_exit() {
  for _ in $(seq $(($2 * 2))); do
    kill -0 "$1" 2>/dev/null || break
    xdotool keydown Escape; sleep 0.25; xdotool keyup Escape; sleep 0.25
  done
  wait_exit "$1" 1
}

shot() { timeout 10 import -window "$win" "$1" 2>/dev/null; }
# Prints the colour of one pixel of a picture as "r,g,b" (0 to 255).
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info: 2>/dev/null
}
# Shoots now.png every quarter second for up to $1 seconds until the rest of the
# arguments, a test of that picture, holds.
poll() {
  local tries=$(($1 * 4))
  shift
  for _ in $(seq $tries); do shot "$work/now.png" && "$@" && return 0; sleep 0.25; done
  return 1
}
# The window's bottom-left corner (world only) is the colour given.
world() { [ "$(pixel "$work/now.png" 4 475)" = "$1" ]; }

# A pack of two levels in $1 (data linked in): worlds of pure green (one.map)
# and pure blue (two.map), each with a red unbreakable block at (5, 4) and a
# wide red block of one hit right above the pad, so one launch clears it.
make_pack() {
  mkdir -p "$1"
  ln -s "$TUMBRELIX_SOURCE_DIR/data" "$1/data"
  python3 - "$1" <<'EOF'
import struct, sys
for name, rgb in ("green", (0, 255, 0)), ("blue", (0, 0, 255)), ("red", (255, 0, 0)):
    head = struct.pack("<2sIHHIIiiHHIIiiII", b"BM", 102, 0, 0, 54, 40, 4, 4, 1, 24, 0, 48, 0, 0, 0, 0)
    open(f"{sys.argv[1]}/{name}.bmp", "wb").write(head + bytes(rgb[::-1]) * 16)
EOF
  local uv="TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1" level
  for level in "one green" "two blue"; do
    set -- "$1" $level
    cat >"$1/$2.map" <<EOF
WORLD NUMFACES 1 FACES back LIMITS -10 10 -8 8 END
FACE ID back VERTEX -40 -40 0 VERTEX 40 -40 0 VERTEX 40 40 0 VERTEX -40 40 0 $uv TEXTURE $3.bmp END
FACE ID front VERTEX -1.5 -1 0.5 VERTEX 1.5 -1 0.5 VERTEX 1.5 1 0.5 VERTEX -1.5 1 0.5 $uv TEXTURE red.bmp END
FACE ID wide VERTEX -3 -0.5 0.5 VERTEX 3 -0.5 0.5 VERTEX 3 0.5 0.5 VERTEX -3 0.5 0.5 $uv TEXTURE red.bmp END
BLOCKS NUMFACES 1 FACES front LIVES 0 ORIGIN 5 4 0 END
BLOCKS NUMFACES 1 FACES wide LIVES 1 ORIGIN 0 -4 0 END
EOF
  done
  printf '# two levels\none.map Level One\ntwo.map Level Two\n' >"$1/pack.txt"
}

finish() {
  [ "$failures" -eq 0 ] || { echo "$failures end-to-end check(s) failed"; exit 1; }
  exit 0
}
