# The Debian package: made by cpack from the build under test (stripped, so the
# same programs as a Release package), its control fields and contents, then
# unpacked into a temporary root and used as a player would, from another
# directory. Nothing is installed system-wide.
source "$(dirname "$0")/lib.sh"
config="$TUMBRELIX_BINARY_DIR/CPackConfig.cmake"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$config")
deb="$work/tumbrelix_${version}_$(dpkg --print-architecture).deb"
if ! cpack -G DEB --config "$config" -B "$work" >"$work/cpack.log" 2>&1 || [ ! -f "$deb" ]; then
  fail "cpack made no $deb: $(tail -n 5 "$work/cpack.log")"
  finish
fi

# lintian judges the fields' form; what it cannot know is checked here.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package) $(field Version) $(field Section) $(field Priority)" = "tumbrelix $version games optional" ] \
  && pass "control fields of $(basename "$deb")" || fail "control: $(dpkg-deb -I "$deb" | sed -n '/Package:/,$p')"
# dpkg-shlibdeps finds what the programs link; a hand-written list would drift.
for lib in libgl1 libsdl1.2debian libopenal1 libopenmpt0 libsndfile1 libpng16-16 libglu1-mesa; do
  [[ ", $(field Depends)," =~ ,\ ${lib}[\ ,] ]] || fail "Depends lacks $lib: $(field Depends)"
done

out=$(lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'running with root privileges'; exit "${PIPESTATUS[0]}") \
  && pass "lintian: no errors, no warnings" || fail "lintian: $out"

listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
expected="usr/share/games/tumbrelix/data/particle.bmp usr/share/games/tumbrelix/levels/default.map
  usr/share/applications/tumbrelix.desktop usr/share/metainfo/org.tumbrelix.tumbrelix.metainfo.xml
  usr/share/man/man6/tumbrelix.6.gz usr/share/man/man1/tumbrelix-map.1.gz usr/share/man/man6/tumbrelix-demo.6.gz
  usr/share/doc/tumbrelix/copyright usr/share/doc/tumbrelix/changelog.gz"
for program in tumbrelix tumbrelix-map tumbrelix-demo; do
  expected+=" usr/games/$program usr/lib/games/tumbrelix/$program"
done
for size in 16 22 24 32 48 64 128 256; do
  expected+=" usr/share/icons/hicolor/${size}x$size/apps/tumbrelix.png"
done
missing=0
for path in $expected; do
  grep -qx "\./$path" <<<"$listing" || { fail "not in the package: $path"; missing=1; }
done
[ $missing -eq 0 ] && pass "programs, launchers, data, levels, desktop entry, metainfo, icons, manuals, copyright"

root="$work/root"
dpkg -x "$deb" "$root"
for icon in "$root"/usr/share/icons/hicolor/*/apps/tumbrelix.png; do
  size=$(basename "$(dirname "$(dirname "$icon")")")
  [ "$(identify -format '%wx%h' "$icon")" = "$size" ] || fail "$icon is not $size"
done
out=$(desktop-file-validate "$root/usr/share/applications/tumbrelix.desktop" 2>&1) \
  && pass "desktop entry valid" || fail "desktop entry: $out"
out=$(appstreamcli validate-tree --no-net "$root" 2>&1) \
  && pass "metainfo valid" || fail "metainfo: $out"
# The release histories name the version being shipped.
[ "$(zcat "$root/usr/share/doc/tumbrelix/changelog.gz" | head -n 1)" = "tumbrelix ($version) unstable; urgency=medium" ] \
  && grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.xml \
  && pass "changelog and metainfo name $version" || fail "changelog or metainfo lack $version"

# Every program: GNU --help and --version, a refused option, and a manual that
# documents exactly the options --help lists.
help_options() { grep -E '^ {2,6}-' | grep -oE -- '--?[a-zA-Z][a-zA-Z-]*' | sort -u; }
man_options() {
  zcat "$1" | sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' | grep '^\\fB-' \
    | grep -oE -- '\\fB--?[a-zA-Z][a-zA-Z-]*' | cut -c4- | sort -u
}
for entry in tumbrelix:6 tumbrelix-map:1 tumbrelix-demo:6 tumbrelix-assets:; do
  program=${entry%%:*}
  section=${entry#*:}
  command="$root/usr/games/$program"
  [ -n "$section" ] || command="$TUMBRELIX_BINARY_DIR/$program"
  help=$("$command" --help 2>&1); status=$?
  [ "$status" -eq 0 ] && [[ "$help" == "Usage: $program "* ]] || fail "$program --help: status $status, '$help'"
  out=$("$command" --version 2>&1); status=$?
  [ "$status" -eq 0 ] && [ "$(head -n 1 <<<"$out")" = "$program $version" ] \
    || fail "$program --version: status $status, '$out'"
  out=$("$command" --bogus 2>&1 >/dev/null); status=$?
  [ "$status" -eq 2 ] && [ "$out" = "$program: unrecognized option '--bogus'
Try '$program --help' for more information." ] || fail "$program --bogus: status $status, '$out'"
  if [ -n "$section" ]; then
    page="$root/usr/share/man/man$section/$program.$section.gz"
    from_help=$(help_options <<<"$help")
    from_man=$(man_options "$page")
    [ -n "$from_help" ] && [ "$from_help" = "$from_man" ] \
      || fail "$program: --help lists '$(echo $from_help)', its manual '$(echo $from_man)'"
  fi
done
pass "--help, --version and a refused option of every program; manuals match --help"

# A map of the player's own, named relative to the player's directory.
mkdir -p "$work/home/maps"
cp "$TUMBRELIX_SOURCE_DIR/levels/temple.map" "$work/home/maps/mine.map"
cd "$work/home"
out=$("$root/usr/games/tumbrelix-map" check maps/mine.map 2>&1); status=$?
[ "$status" -eq 0 ] && [[ "$out" == *" 0 warnings, 0 errors" ]] && pass "unpacked tumbrelix-map checks a relative map" \
  || fail "tumbrelix-map: status $status, '$out'"

"$root/usr/games/tumbrelix" maps/mine.map >"$work/out" 2>&1 &
pid=$!
if wait_window 20 >/dev/null; then pass "unpacked tumbrelix opens its window"; else fail "no window; $(cat "$work/out")"; fi
press_escape_until_exit $pid 10 && [ "$status" -eq 0 ] && pass "unpacked tumbrelix ends with 0 on Escape" \
  || fail "unpacked tumbrelix: status $status; $(cat "$work/out")"
[ -s "$work/out" ] && fail "unpacked tumbrelix wrote: $(cat "$work/out")"

err=$("$root/usr/games/tumbrelix" maps/none.map 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [[ "$err" == *"$work/home/maps/none.map"* ]] && pass "a missing map is named in full, status 1" \
  || fail "missing map: status $status, '$err'"

out=$("$root/usr/games/tumbrelix-demo" --frames 20 --fixed-step 10 --seed 1 --level=maps/mine.map 2>&1); status=$?
[ "$status" -eq 0 ] && [[ "$out" == *"frames=20 "* ]] && pass "unpacked tumbrelix-demo plays a relative --level" \
  || fail "tumbrelix-demo: status $status, '$out'"
out=$("$root/usr/lib/games/tumbrelix/tumbrelix" 2>&1); status=$?
[ "$status" -eq 0 ] && [ "$out" = "usage: $root/usr/lib/games/tumbrelix/tumbrelix <map file>" ] \
  && pass "the program alone: its usage line, status 0" || fail "usage: status $status, '$out'"
err=$(DISPLAY=:nowhere "$root/usr/games/tumbrelix" maps/mine.map 2>&1 >/dev/null); status=$?
[ "$status" -eq 1 ] && [[ "$err" == "Could not open the window: "* ]] && [ "$(wc -l <<<"$err")" -eq 1 ] \
  && pass "no display: one line, status 1" || fail "no display: status $status, '$err'"

finish
