#!/usr/bin/env bash
# Installs the build into a fresh prefix and starts the installed program as a new user
# would from the menu: a fresh home, no VELLAMORINTH_HOME, on the test desktop.
# Usage: install_and_start.sh <build dir>
set -euo pipefail
build="$1"
: "${VL_TEST_DISPLAY:?needs the desktop that scripts/test.sh starts}"
work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.vellamorinth.Vellamorinth
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "the metainfo file does not validate"
[ -x "$prefix/bin/vellamorinth" ] || fail "no program in bin/"
[ -n "$(find "$prefix" -name libvellamorinth-engine.so)" ] || fail "no engine module installed"
grep -q "The first start" "$prefix/share/doc/vellamorinth/guide.html" || fail "no user guide for HELP installed"

home="$work/home"
mkdir -p "$home"
# The program folder is chosen by the program, so nothing that names one may leak in.
env -u VELLAMORINTH_HOME -u XDG_DATA_HOME HOME="$home" DISPLAY="$VL_TEST_DISPLAY" QT_QPA_PLATFORM=xcb \
  "$prefix/bin/vellamorinth" >"$work/log" 2>&1 &
pid=$!
folder="$home/.local/share/vellamorinth"

shown() { # ids of the program's viewable windows whose title starts with $1
  for w in $(DISPLAY="$VL_TEST_DISPLAY" xdotool search --all --pid "$pid" --name "^$1" 2>/dev/null); do
    DISPLAY="$VL_TEST_DISPLAY" xwininfo -id "$w" | grep -q "IsViewable" && echo "$w"
  done
  return 0
}
wait_for() { # title; prints the first window id
  for _ in $(seq 1 300); do
    w="$(shown "$1" | head -n1)"
    [ -n "$w" ] && { echo "$w"; return 0; }
    kill -0 "$pid" 2>/dev/null || { cat "$work/log" >&2; fail "the program ended waiting for \"$1\""; }
    sleep 0.1
  done
  cat "$work/log" >&2
  fail "no window \"$1\""
}

language="$(wait_for "Vellamorinth language")"
[ -f "$folder/Data/emptySong.p" ] || fail "the program folder was not seeded from the installed data"
[ -L "$folder/Data/gm.sf2" ] || fail "the sound font link was not kept a link"
[ -d "$folder/YourSongs" ] || fail "no YourSongs in the program folder"
DISPLAY="$VL_TEST_DISPLAY" xdotool mousemove --window "$language" 140 110 click 1 # OK
# A first start asks for the audio driver: the note first, then the settings window.
DISPLAY="$VL_TEST_DISPLAY" wmctrl -i -c "$(wait_for "first time driver select")"
settings="$(wait_for "settings")"
DISPLAY="$VL_TEST_DISPLAY" wmctrl -i -c "$settings" # the close box acts as OK
main="$(wait_for "Vellamorinth v2.5")"
DISPLAY="$VL_TEST_DISPLAY" wmctrl -i -c "$main"
for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end at the main window's close box"
wait "$pid" || fail "the program ended with an error"
pid=""
[ -s "$folder/prefs" ] || fail "no prefs written into the program folder"
[ -s "$folder/language" ] || fail "no language written into the program folder"
[ ! -e "$prefix/bin/prefs" ] || fail "the program wrote into its install folder"
echo "installed program started in $folder"
