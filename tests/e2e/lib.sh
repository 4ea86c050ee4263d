# Helpers shared by the end-to-end scripts: run the real game in the test's X
# display and wait for its window. Sourced, not run.
set -u
game="$TUMBRELIX_BINARY_DIR/tumbrelix"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Waits until a window named Tumbrelix is mapped; prints its id.
wait_window() {
  local seconds=${1:-10} id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name '^Tumbrelix$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits for a process to end within the given seconds; sets $status.
wait_exit() {
  local pid=$1 seconds=$2
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; status=$?; return 0; }
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  status=124
  return 1
}

# Holds Escape in short presses until the game ends: the keyboard reaches the
# game only once it has grabbed the input, late in its start-up.
press_escape_until_exit() {
  local pid=$1 seconds=$2
  for _ in $(seq $((seconds * 2))); do
    kill -0 "$pid" 2>/dev/null || break
    xdotool keydown Escape; sleep 0.25; xdotool keyup Escape; sleep 0.25
  done
  wait_exit "$pid" 1
}

# Prints the colour of one pixel of a picture as "r,g,b" (0 to 255).
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info: 2>/dev/null
}

finish() {
  [ "$failures" -eq 0 ] || { echo "$failures end-to-end check(s) failed"; exit 1; }
  exit 0
}
