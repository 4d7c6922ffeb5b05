#!/usr/bin/env bash
# Opens the Linux plug-in's editor in a real host, Ardour 7 (Debian's `ardour`
# package), on a virtual display: a session with one MIDI track holding
# Kestrion and a region of notes, the editor opened with the session, its
# CutOff knob dragged, the session saved, then reopened, with screenshots;
# Ardour's Lua session runner then plays the saved session's notes through
# the plug-in into a sound file. Not part of the test command (tests/daw
# runs Ardour headless there). Run after a Linux build:
#   bash scripts/ardour.sh [MODULE] [SHOT.png]
# MODULE is the VST 2.4 module (build/linux/Kestrion.so, the default), the
# VST 3 bundle (build/linux/Kestrion.vst3) or the LV2 bundle
# (build/linux/Kestrion.lv2). SHOT shows the editor open in
# Ardour's window; with "-knob" before its extension, after a drag on the
# CutOff knob; with "-menu", the program menu opened by a click; with
# "-reopened", the saved session reopened. Its "check:" lines say whether
# Ardour loaded the plug-in, its notes sounded, the editor showed, the drag
# reached Ardour and the reopened session restored it; it fails when one
# did not. ARDOUR_DISPLAY names the virtual display (default :73; "auto" for
# a free one); with LV2_TRACE set, ardour.log lists the LV2 features Ardour
# hands over and the control port values the plug-in takes.
# Everything Ardour writes goes under build/ardour (a private HOME;
# ARDOUR_WORK names another), never into the user's own configuration.
#
# Ardour runs on its dummy engine, which plays into nothing: on a JACK
# server, Ardour 7.3 lost its connection in about one start in three here
# (jackd 1.9.21 logs malformed requests carrying port metadata).
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
need_commands ardour ardour7-lua xdotool import identify compare Xvfb sox

# Where things sit on the panel, in pixels from the editor's corner: the
# CutOff knob and the program number, whose click opens the program menu.
CUTOFF_KNOB=("$(at_panel_size 870)" "$(at_panel_size 43)")
PROGRAM_NUMBER=("$(at_panel_size 610)" "$(at_panel_size 350)")

log "ardour: a private home, the module scanned"
prepare_ardour_home "$WORK" "$MODULE"
case $PLUGIN_TYPE in
LV2) BINARY=$LV2_PATH/Kestrion.lv2/Kestrion.so ;;
VST3) BINARY=$VST3_PATH/Kestrion.vst3/Contents/x86_64-linux/Kestrion.so ;;
*) BINARY=$LXVST_PATH/Kestrion.so ;;
esac

# The Lua runs share the daw tests' engine, notes and renders.
export DAW_TEST_DIR=$KESTRION_ROOT/tests/daw DAW_PLUGIN_TYPE=$PLUGIN_TYPE
run_lua() {
  local script=$1
  shift
  timeout -k 10 60 ardour7-lua "$script" "$@" >"${script%.lua}.log" 2>&1 ||
    die "ardour7-lua $(basename "$script") failed (see ${script%.lua}.log)"
}

log "ardour: a session with one MIDI track playing Kestrion ($PLUGIN_TYPE)"
cat >"$WORK/make-session.lua" <<'LUA'
dofile(os.getenv("DAW_TEST_DIR") .. "/session-common.lua")
local session = create_session(arg[1], "kestrion", 44100)
assert(session, "no session")
run_and_close(session, function(session)
  local tracks = session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
    ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Kestrion",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
  local track = tracks:front():to_track()
  local plugin = ARDOUR.LuaAPI.new_plugin(session, "Kestrion", kPluginType, "")
  assert(not plugin:isnil(), "Ardour does not know the plug-in")
  track:add_processor_by_index(plugin, 0, nil, true)
  -- A region of notes, made as the daw tests make theirs.
  local region = track:bounce_range(0, 3 * 44100, ARDOUR.InterThreadInfo(), ARDOUR.LuaAPI.nil_proc(),
    false, "notes"):to_midiregion()
  assert(not region:isnil(), "no MIDI region")
  local notes = region:model():new_note_diff_command("notes")
  for beat, key in ipairs(kKeys) do
    notes:add(ARDOUR.LuaAPI.new_noteptr(0, Temporal.Beats(beat - 1, 0), Temporal.Beats(1, 0), key, 100))
  end
  region:model():apply_command(session, notes)
  track:playlist():add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)
  wait_for_notes(track)
  print("WINDOW P-" .. track:to_stateful():id():to_s() .. "-" .. plugin:to_stateful():id():to_s())
  assert(session:save_state("", false, false, false, false, false) == 0, "the session was not saved")
end)
LUA
run_lua "$WORK/make-session.lua" "$WORK/session"
window=$(sed -n 's/^WINDOW //p' "$WORK/make-session.log")
[ -n "$window" ] || die "ardour7-lua made no session (see $WORK/make-session.log)"
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

log "ardour: opening the session on a virtual display ($SCREEN)"
trap stop_started EXIT
start_display "$SCREEN" 1400x900 "$WORK/xvfb.log"
open_session ardour.log
check_loaded "$ardour_pid" "$BINARY"
mkdir -p "$(dirname "$SHOT")"
import -window root -trim +repage "$SHOT"
editor_image "$editor" "$WORK/editor.png"
check_editor "$WORK/editor.png"
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

log "ardour: the saved session's notes played through the plug-in"
cat >"$WORK/play-session.lua" <<'LUA'
dofile(os.getenv("DAW_TEST_DIR") .. "/session-common.lua")
local session = load_session(arg[1], "kestrion")
assert(session, "the session did not load")
run_and_close(session, function(session)
  local track, plugin = kestrion_of(session)
  wait_for_notes(track)
  render_region(track, plugin, arg[2], "played")
end)
LUA
run_lua "$WORK/play-session.lua" "$WORK/session" "$WORK"
measure "$WORK/played.wav"
check_sound "$WORK/played.wav"
echo "ardour: screenshots $SHOT, $KNOB_SHOT, $MENU_SHOT, $REOPENED_SHOT (logs in $WORK)"
checks_passed
