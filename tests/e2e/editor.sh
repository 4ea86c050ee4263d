# The level editor driven as an author would: on a new map place two blocks,
# move one, undo the move and save; the checker finds nothing and print shows
# the two blocks where they were placed; F5 plays and F5 comes back; Escape
# with a change not saved leaves MAP.unsaved, which the next start offers back
# (R) or drops (Delete); a map that does not read is refused by its line.
source "$(dirname "$0")/lib.sh"

map_tool="$TUMBRELIX_BINARY_DIR/tumbrelix-map"
map="$work/new.map"
# Face on from 30 units with 45 degrees of field of view: 480 / 2 / tan(22.5)
# / 30 = 19.3 pixels per unit; the window's middle is the template's (0, 0).
at() { xdotool mousemove --window "$win" "$1" "$2"; sleep 0.3; }
key() { xdotool key "$@"; sleep 0.4; }
caption() { xdotool getwindowname "$win"; }
start() {
  "$game" --edit "$1" >"$work/out" 2>&1 &
  pid=$!
  win=$(wait_window 10 '^Tumbrelix editor') && sleep 1
}

start "$map" || { fail "no editor window; $(cat "$work/out")"; finish; }
[ ! -e "$map" ] && pass "a new map is not written before a save" || fail "the map was written"
at 320 240 && key n          # (0, 0)
at 378 182 && key n          # (3, 3)
xdotool mousedown 1; sleep 0.3; at 378 162; at 378 124; xdotool mouseup 1; sleep 0.4
key ctrl+z
key ctrl+s
"$map_tool" check "$map" >"$work/check" 2>&1 && grep -q ' 0 errors$' "$work/check" \
  && pass "the saved map checks clean" || fail "check: $(cat "$work/check")"
"$map_tool" print "$map" | grep ORIGIN | tr -s ' ' >"$work/origins"
[ "$(cat "$work/origins")" = "$(printf ' ORIGIN 0 0 0\n ORIGIN 3 3 0')" ] \
  && pass "print shows the two blocks where they were placed" || fail "origins: $(cat "$work/origins")"
key F5
case $(caption) in *"test play"*) pass "F5 plays" ;; *) fail "F5: $(caption)" ;; esac
key F5
case $(caption) in "Tumbrelix editor: $map") pass "F5 comes back, nothing to save" ;; *) fail "back: $(caption)" ;; esac
at 250 300 && key n
press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] || fail "Escape: status $status"
grep -q "unsaved changes written to $map.unsaved" "$work/out" && [ "$(grep -c ORIGIN "$map.unsaved")" = 3 ] \
  && pass "Escape keeps the change in MAP.unsaved" || fail "no MAP.unsaved; $(cat "$work/out")"

start "$map" || { fail "no editor window again"; finish; }
key r
case $(caption) in *" *") pass "R takes the unsaved level back" ;; *) fail "after R: $(caption)" ;; esac
key ctrl+s
[ ! -e "$map.unsaved" ] && [ "$(grep -c ORIGIN "$map")" = 3 ] && [ "$(grep -c ORIGIN "$map~")" = 2 ] \
  && pass "its save replaces MAP, the old one kept as MAP~" || fail "after the save: $(ls "$work")"
key n
press_escape_until_exit $pid 10
start "$map" || { fail "no editor window a third time"; finish; }
key Delete
[ ! -e "$map.unsaved" ] && pass "Delete drops MAP.unsaved" || fail "MAP.unsaved stays"
press_escape_until_exit $pid 10

printf 'WORLD\nLIMITS 1 2\n' >"$work/broken.map"
"$game" --edit "$work/broken.map" >"$work/out" 2>&1
status=$?
[ $status -eq 1 ] && grep -q "^$work/broken.map:2: expected a number" "$work/out" \
  && [ "$(cat "$work/broken.map")" = "$(printf 'WORLD\nLIMITS 1 2')" ] \
  && pass "a map that does not read is refused by its line" || fail "broken: $status $(cat "$work/out")"
finish
