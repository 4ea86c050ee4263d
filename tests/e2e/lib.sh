# Helpers shared by the end-to-end scripts: an X display of the script's own,
# the real game run in it and waited for. Sourced, not run.
set -u
game="$TUMBRELIX_BINARY_DIR/tumbrelix"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Scripts run side by side, each in its own display, so no other window takes
# the focus, the grab or the screen from under its game.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

# Waits until a window named Tumbrelix is mapped; prints its id.
wait_window() {
  local id
  for _ in $(seq $((${1:-10} * 10))); do
    id=$(xdotool search --onlyvisible --name '^Tumbrelix$' 2>/dev/null | head -n 1)
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

finish() {
  [ "$failures" -eq 0 ] || { echo "$failures end-to-end check(s) failed"; exit 1; }
  exit 0
}
