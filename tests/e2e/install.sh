# The installed game: cmake --install into a temporary prefix, then the
# programs started from another directory with relative paths.
source "$(dirname "$0")/lib.sh"
prefix="$work/prefix"

if ! cmake --install "$TUMBRELIX_BINARY_DIR" --prefix "$prefix" >"$work/install.log" 2>&1; then
  fail "cmake --install: $(tail -n 5 "$work/install.log")"
  finish
fi
for path in bin/tumbrelix bin/tumbrelix-map bin/tumbrelix-demo lib/tumbrelix/tumbrelix \
            share/tumbrelix/data/particle.bmp share/tumbrelix/levels/default.map \
            share/applications/tumbrelix.desktop share/pixmaps/tumbrelix.png; do
  [ -e "$prefix/$path" ] || fail "not installed: $path"
done
[ -x "$prefix/bin/tumbrelix" ] && pass "programs, data, levels, desktop entry and icon installed"

# A map of the user's own, named relative to the user's directory.
mkdir -p "$work/home/maps"
cp "$TUMBRELIX_SOURCE_DIR/levels/temple.map" "$work/home/maps/mine.map"
cd "$work/home"
"$prefix/bin/tumbrelix" maps/mine.map >"$work/out" 2>&1 &
pid=$!
if wait_window 20 >/dev/null; then pass "installed tumbrelix opens its window"; else fail "no window; $(cat "$work/out")"; fi
press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && pass "installed tumbrelix ends with 0 on Escape" \
  || fail "installed tumbrelix: status $status; $(cat "$work/out")"
[ -s "$work/out" ] && fail "installed tumbrelix wrote: $(cat "$work/out")"

# A path that does not exist names the path the user gave, made absolute.
err=$("$prefix/bin/tumbrelix" maps/none.map 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [[ "$err" == *"$work/home/maps/none.map"* ]] && pass "a missing map is named, status 1" \
  || fail "missing map: status $status, '$err'"

out=$("$prefix/bin/tumbrelix-map" check maps/mine.map 2>&1); status=$?
[ "$status" -eq 0 ] && pass "installed tumbrelix-map checks a relative map" || fail "tumbrelix-map: status $status, '$out'"

# A display under load now and then refuses a new window: a few tries.
for _ in 1 2 3; do
  out=$("$prefix/bin/tumbrelix-demo" --frames 50 --fixed-step 10 --seed 1 2>&1); status=$?
  [[ "$out" == *"Couldn't open X11 display"* ]] || break
  sleep 0.5
done
[ "$status" -eq 0 ] && [[ "$out" == *"frames=50 "* ]] && pass "installed tumbrelix-demo runs 50 frames" \
  || fail "tumbrelix-demo: status $status, '$out'"

finish
