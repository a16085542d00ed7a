#!/usr/bin/env bash
# The program installed into a fresh prefix: it runs from there, moved to
# another folder (so nothing of the build tree is found by its place), and
# draws a world with textures, 3-D text and the avatar exactly as the
# program of the build tree does; it opens a world named by a "file:" URL,
# as a desktop passes it; its desktop entry is valid and, once the desktop's
# databases know the prefix, names it the default for model/vrml, and
# "*.wrl.gz" is a VRML world.
#   install_test.sh BUILD_DIR PROGRAM WORLD.wrl
set -u
build="$1"
program="$2"
world="$(realpath "$3")"
for tool in desktop-file-validate update-desktop-database update-mime-database xdg-mime cmp; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
unset DISPLAY
export LUMENFOLD_HOME="$work/home" LUMENFOLD_SOUND_DEVICE=none

cmake --install "$build" --prefix "$work/installed" >"$work/install.out" || { cat "$work/install.out"; fail "install"; }
for file in bin/lumenfold lib/lumenfold/web.so lib/lumenfold/fonts/065.rwx share/lumenfold/person.wrl \
  share/lumenfold/zminit.tcl share/applications/lumenfold.desktop share/mime/packages/lumenfold.xml \
  share/icons/hicolor/48x48/apps/lumenfold.xpm; do
  [ -e "$work/installed/$file" ] || fail "$file is not installed"
done
mv "$work/installed" "$work/prefix"
prefix="$work/prefix"

"$program" --headless --frames 5 --screenshot "$work/built.bmp" "$world" >"$work/built.out" 2>&1 ||
  { cat "$work/built.out"; fail "the build tree's program"; }
(cd "$work" && "$prefix/bin/lumenfold" --headless --frames 5 --screenshot "$work/installed.bmp" "$world") \
  >"$work/installed.out" 2>&1 || { cat "$work/installed.out"; fail "the installed program"; }
grep -qi "cannot\|can not\|warning" "$work/installed.out" && { cat "$work/installed.out"; fail "the installed program misses files"; }
cmp -s "$work/built.bmp" "$work/installed.bmp" || fail "the installed program draws the world otherwise"

"$prefix/bin/lumenfold" --headless --frames 2 "file://$world" >"$work/url.out" 2>&1 ||
  { cat "$work/url.out"; fail "a file: URL is not opened"; }

desktop-file-validate "$prefix/share/applications/lumenfold.desktop" || fail "the desktop entry is not valid"
export XDG_DATA_HOME="$prefix/share" XDG_CONFIG_HOME="$work/config"
update-desktop-database "$prefix/share/applications" || fail "update-desktop-database"
update-mime-database "$prefix/share/mime" >/dev/null || fail "update-mime-database"
default=$(xdg-mime query default model/vrml 2>/dev/null)
[ "$default" = "lumenfold.desktop" ] || fail "xdg-mime names '$default' for model/vrml"
grep -q '^[0-9]*:model/vrml:\*\.wrl\.gz$' "$prefix/share/mime/globs2" || fail "*.wrl.gz is not model/vrml"
echo "passed"
