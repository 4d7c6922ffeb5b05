#!/usr/bin/env bash
# Opens the Linux plug-in's editor in a real host, Ardour 7 (Debian's
# `ardour` package), on a virtual display, and takes screenshots. Not part of
# the test command (tests/daw runs Ardour headless there). Run after a Linux
# build:
#   bash scripts/ardour.sh [MODULE] [SHOT.png]
# MODULE is the VST 2.4 module (build/linux/Kestrion.so, the default), the
# VST 3 bundle (build/linux/Kestrion.vst3) or the LV2 bundle
# (build/linux/Kestrion.lv2). SHOT shows the editor open in
# Ardour's window; with "-knob" before its extension, after a drag on the
# CutOff knob; with "-menu", the program menu opened by a click.
# ARDOUR_DISPLAY names the virtual display (default :73); with LV2_TRACE
# set, ardour.log lists the LV2 features Ardour hands over and the control
# port values the plug-in takes.
# Everything Ardour writes goes under build/ardour (a private HOME), never
# into the user's own configuration.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

MODULE=$(realpath "${1:-$BUILD_ROOT/linux/Kestrion.so}")
SHOT=$(realpath -m "${2:-$BUILD_ROOT/ardour/ardour.png}")
KNOB_SHOT=${SHOT%.png}-knob.png
MENU_SHOT=${SHOT%.png}-menu.png
WORK=$BUILD_ROOT/ardour
SCREEN=${ARDOUR_DISPLAY:-:73}
[ -e "$MODULE" ] || die "no plug-in at $MODULE: build first"
source "$(dirname "${BASH_SOURCE[0]}")/ardour-home.sh"
PLUGIN_TYPE=$(ardour_plugin_type "$MODULE")
{ command -v ardour && command -v import && command -v Xvfb && command -v xdotool; } >/dev/null || {
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends ardour imagemagick xvfb xdotool
}

# Where things sit on the panel, in pixels from the editor's corner: the
# CutOff knob and the program number, whose click opens the program menu.
CUTOFF_KNOB=("$(at_panel_size 870)" "$(at_panel_size 43)")
PROGRAM_NUMBER=("$(at_panel_size 610)" "$(at_panel_size 350)")

log "ardour: a private home, the module scanned"
prepare_ardour_home "$WORK" "$MODULE"

log "ardour: a session with one MIDI track playing Kestrion ($PLUGIN_TYPE)"
cat >"$WORK/make-session.lua" <<LUA
ARDOUR.config():set_hide_dummy_backend(false)
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session("$WORK/session", "kestrion", 44100)
assert(s, "no session")
local tracks = s:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
  ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Kestrion",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local track = tracks:front()
local plugin = ARDOUR.LuaAPI.new_plugin(s, "Kestrion", ARDOUR.PluginType.$PLUGIN_TYPE, "")
assert(not plugin:isnil(), "Ardour does not know the plug-in")
track:add_processor_by_index(plugin, 0, nil, true)
print("WINDOW P-" .. track:to_stateful():id():to_s() .. "-" .. plugin:to_stateful():id():to_s())
s:save_state("", false, false, false, false, false)
close_session()
LUA
window=$(timeout 60 ardour7-lua "$WORK/make-session.lua" 2>&1 | sed -n 's/^WINDOW //p')
[ -n "$window" ] || die "ardour7-lua made no session"
# Ardour reopens the plug-in's own editor while loading a session that says
# its window was open.
sed -i "s|</Session>|  <Extra><UI><Window name=\"$window\" visible=\"1\" custom-ui=\"1\" x-off=\"20\" y-off=\"40\" x-size=\"1120\" y-size=\"460\"/></UI></Extra>\n</Session>|" \
  "$WORK/session/kestrion.ardour"

log "ardour: opening the session on a virtual display ($SCREEN)"
trap stop_started EXIT
start_display "$SCREEN" 1400x900 "$WORK/xvfb.log"
# Ardour's launcher runs it under DEBUGGER when that is set.
DEBUGGER=$(host_wrapper) timeout 120 ardour -n -a "$WORK/session/kestrion.ardour" >"$WORK/ardour.log" 2>&1 &
started+=($!)
# The panel's own window is a child of Ardour's plug-in window, named as the
# instrument is.
editor=$(timeout 90 xdotool search --sync --name '^Kestrion$' | head -1) ||
  die "no editor window (see $WORK/ardour.log)"
# Ardour lays out its windows for a while after the editor appears.
sleep "${ARDOUR_WAIT:-8}"
mkdir -p "$(dirname "$SHOT")"
import -window root -trim +repage "$SHOT"

log "ardour: a drag up on the CutOff knob"
drag_cutoff "$editor"
import -window root -trim +repage "$KNOB_SHOT"

# The saved session holds the new value only if Ardour heard of the drag.
log "ardour: saving the session (Ctrl+S)"
before=$(stat -c %Y "$WORK/session/kestrion.ardour")
# The editor may hold the keyboard focus: the keys go to Ardour's own window.
main=$(xdotool search --onlyvisible --name 'Ardour' | head -1)
xdotool windowfocus "$main" key --window "$main" ctrl+s
for _ in $(seq 50); do [ "$(stat -c %Y "$WORK/session/kestrion.ardour")" = "$before" ] || break; sleep 0.2; done
cutoff=$(sed -n 's/.*<Controllable name="CutOff"[^>]* value="\([^"]*\)".*/\1/p' "$WORK/session/kestrion.ardour")
echo "CutOff in the saved session: ${cutoff:-none}"

log "ardour: the program menu opened by a click"
xdotool mousemove --window "$editor" "${PROGRAM_NUMBER[@]}" click 1
sleep 1
import -window root -trim +repage "$MENU_SHOT"
xdotool key Escape

# KESTRION_CHOOSE_SIZE (a percent): the size chosen from the options menu,
# to see whether Ardour resizes its window.
if [ -n "${KESTRION_CHOOSE_SIZE:-}" ]; then
  log "ardour: Options > Panel Size > $KESTRION_CHOOSE_SIZE %"
  choose_panel_size "$editor" "$KESTRION_CHOOSE_SIZE"
  import -window root -trim +repage "${SHOT%.png}-resized.png"
  xdotool getwindowgeometry "$editor"
fi
echo "ardour: screenshots $SHOT, $KNOB_SHOT, $MENU_SHOT (log: $WORK/ardour.log)"
