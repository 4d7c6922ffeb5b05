#!/usr/bin/env bash
# Plays the Linux plug-in in a real host, Ardour 7 (Debian's `ardour`
# package), on a virtual display: one MIDI track with Kestrion on it, fed
# notes by a JACK MIDI sequencer through Ardour's JACK engine on a dummy JACK
# server, the editor opened with the session, its CutOff knob dragged, the
# session saved, then reopened, with screenshots. Not part of the test
# command (tests/daw runs Ardour headless there). Run after a Linux build:
#   bash scripts/ardour.sh [MODULE] [SHOT.png]
# MODULE is the VST 2.4 module (build/linux/Kestrion.so, the default), the
# VST 3 bundle (build/linux/Kestrion.vst3) or the LV2 bundle
# (build/linux/Kestrion.lv2). SHOT shows the editor open in
# Ardour's window; with "-knob" before its extension, after a drag on the
# CutOff knob; with "-menu", the program menu opened by a click; with
# "-reopened", the saved session reopened. Its "check:" lines say whether
# Ardour loaded the plug-in, it sounded, the editor showed, the drag reached
# Ardour and the reopened session restored it; it fails when one did not.
# ARDOUR_DISPLAY names the virtual display (default :73; "auto" for a free
# one); with LV2_TRACE set, ardour.log lists the LV2 features Ardour hands
# over and the control port values the plug-in takes.
# Everything Ardour writes goes under build/ardour (a private HOME;
# ARDOUR_WORK names another), never into the user's own configuration.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

MODULE=$(realpath "${1:-$BUILD_ROOT/linux/Kestrion.so}")
WORK=$(realpath -m "${ARDOUR_WORK:-$BUILD_ROOT/ardour}")
SHOT=$(realpath -m "${2:-$WORK/ardour.png}")
KNOB_SHOT=${SHOT%.png}-knob.png
MENU_SHOT=${SHOT%.png}-menu.png
REOPENED_SHOT=${SHOT%.png}-reopened.png
SESSION=$WORK/session/kestrion.ardour
SCREEN=${ARDOUR_DISPLAY:-:73}
[ -e "$MODULE" ] || die "no plug-in at $MODULE: build first"
source "$(dirname "${BASH_SOURCE[0]}")/ardour-home.sh"
PLUGIN_TYPE=$(ardour_plugin_type "$MODULE")
need_commands ardour ardour7-lua jackd jack_midiseq jack_connect jack_rec xdotool import identify compare Xvfb sox

# Where things sit on the panel, in pixels from the editor's corner: the
# CutOff knob and the program number, whose click opens the program menu.
CUTOFF_KNOB=("$(at_panel_size 870)" "$(at_panel_size 43)")
PROGRAM_NUMBER=("$(at_panel_size 610)" "$(at_panel_size 350)")

log "ardour: a private home, the module scanned"
prepare_ardour_home "$WORK" "$MODULE" jack
case $PLUGIN_TYPE in
LV2) BINARY=$LV2_PATH/Kestrion.lv2/Kestrion.so ;;
VST3) BINARY=$VST3_PATH/Kestrion.vst3/Contents/x86_64-linux/Kestrion.so ;;
*) BINARY=$LXVST_PATH/Kestrion.so ;;
esac

trap stop_started EXIT
log "ardour: a virtual display ($SCREEN) and a dummy JACK server"
start_display "$SCREEN" 1400x900 "$WORK/xvfb.log"
start_jack "kestrion-ardour-$$" "$WORK/jackd.log"

# The session is made on the same JACK server as Ardour then runs on, or
# Ardour asks about the changed engine while loading it.
log "ardour: a session with one MIDI track playing Kestrion ($PLUGIN_TYPE)"
cat >"$WORK/make-session.lua" <<LUA
assert(AudioEngine:set_backend("JACK", "", ""), "no JACK engine")
local s = create_session("$WORK/session", "kestrion", 48000)
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
  "$SESSION"

# saved_cutoff: CutOff as the saved session holds it.
saved_cutoff() { sed -n 's/.*<Controllable name="CutOff"[^>]* value="\([^"]*\)".*/\1/p' "$SESSION" | head -1; }

# save: Session > Save (Ctrl+S), and CutOff as the saved session holds it.
save() {
  local before
  before=$(stat -c %y "$SESSION")
  # The editor may hold the keyboard focus: the keys go to Ardour's own window.
  xdotool windowfocus "$main" key --window "$main" ctrl+s
  for _ in $(seq 50); do [ "$(stat -c %y "$SESSION")" = "$before" ] || break; sleep 0.2; done
  saved_cutoff
}

# open_session LOG: Ardour on the session; the editor's window is the
# panel's own, a child of Ardour's plug-in window named as the instrument
# is, which Ardour opens while loading.
open_session() {
  # Ardour's launcher runs it under DEBUGGER when that is set.
  DEBUGGER=$(host_wrapper) timeout 180 ardour -n -a "$SESSION" >"$WORK/$1" 2>&1 &
  ardour_pid=$!
  started+=("$ardour_pid")
  editor=$(timeout 90 xdotool search --sync --name '^Kestrion$' | head -1) ||
    die "no editor window (see $WORK/$1)"
  main=$(timeout 30 xdotool search --sync --onlyvisible --name '^kestrion - Ardour' | head -1) ||
    die "no Ardour window (see $WORK/$1)"
  # Ardour lays out its windows for a while after the editor appears.
  sleep "${ARDOUR_WAIT:-8}"
}

# quit LOG: Session > Quit (Ctrl+Q) on the saved session, and how Ardour
# ended.
quit() {
  local status=0
  xdotool windowfocus "$main" key --window "$main" ctrl+q
  timeout 30 tail --pid="$ardour_pid" -f /dev/null || {
    echo "ardour: still running 30 s after Quit; killed"
    kill "$ardour_pid"
  }
  wait "$ardour_pid" || status=$?
  echo "ardour: exit status $status"
}

log "ardour: opening the session, notes from a JACK MIDI sequencer"
open_session ardour.log
check_loaded "$ardour_pid" "$BINARY"
mkdir -p "$(dirname "$SHOT")"
import -window root -trim +repage "$SHOT"
editor_image "$editor" "$WORK/editor.png"
check_editor "$WORK/editor.png"
# Four notes a loop of two seconds at 48 kHz, each held for 0.375 s, into
# the track's input, which a MIDI track plays through while stopped.
jack_midiseq notes 96000 0 48 18000 24000 55 18000 48000 60 18000 72000 64 18000 >"$WORK/midiseq.log" 2>&1 &
started+=($!)
for _ in $(seq 50); do
  if jack_connect notes:out "ardour:Kestrion/midi_in 1" 2>/dev/null; then break; fi
  sleep 0.2
done
sleep 1
record "$WORK/before-knob.wav" "ardour:Master/audio_out 1" "ardour:Master/audio_out 2"
check_sound "$WORK/before-knob.wav"
knob_image "$editor" "$WORK/knob-before.png"
# Saved by Ardour before the drag: the session made above holds the VST 3
# plug-in's controls as Ardour made them, not yet as the plug-in has them.
cutoff_before=$(save)
echo "CutOff in the session saved before the drag: ${cutoff_before:-none}"

log "ardour: a drag up on the CutOff knob"
drag_cutoff "$editor"
knob_image "$editor" "$WORK/knob-after.png"
import -window root -trim +repage "$KNOB_SHOT"

# The saved session holds the new value only if Ardour heard of the drag.
log "ardour: saving the session (Ctrl+S)"
cutoff_after=$(save)
echo "CutOff in the saved session: ${cutoff_after:-none}"
check_drag "$cutoff_before" "$cutoff_after"

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
quit

log "ardour: reopening the saved session"
open_session ardour-reopened.log
import -window root -trim +repage "$REOPENED_SHOT"
knob_image "$editor" "$WORK/knob-reopened.png"
check_reload "$WORK/knob-before.png" "$WORK/knob-after.png" "$WORK/knob-reopened.png"
quit
echo "ardour: screenshots $SHOT, $KNOB_SHOT, $MENU_SHOT, $REOPENED_SHOT (logs in $WORK)"
checks_passed
