#!/usr/bin/env bash
# Plays the CLAP, the LV2 or the VST 2.4 plug-in in a real host, Qtractor
# (Debian's `qtractor` package), on a virtual display: one MIDI track with Kestrion as
# its instrument plays a looped clip on a dummy JACK server, the editor is
# opened from the track's plug-in list and its CutOff knob dragged, and the
# host's saved session tells whether it saw the change. Not part of the test
# command. Run after a Linux build:
#   bash scripts/qtractor.sh [PLUGIN] [SHOT.png]
# PLUGIN is the CLAP file (build/linux/Kestrion.clap, the default), the LV2
# bundle (build/linux/Kestrion.lv2) or the VST 2.4 module
# (build/linux/Kestrion.so). Then it reopens the saved session, to see the
# plug-in restore its state. Its "check:" lines say whether Qtractor loaded
# the plug-in, it sounded, the editor showed, the drag reached Qtractor and
# the reopened session restored it; it fails when one did not.
# It leaves SHOT (the editor open over the playing session), SHOT with
# "-knob" before its extension (after the drag) and with "-reopened" (the
# saved session reopened), the session, the master output as WAV files with
# sox's measure of each, and the logs, all under build/qtractor (a private
# HOME; QTRACTOR_WORK names another), and stops everything it started. The
# display is a virtual one on QTRACTOR_DISPLAY ("auto" for a free one), or
# $DISPLAY when that is set and QTRACTOR_DISPLAY is not, else :57; with
# LV2_TRACE set, the
# logs list the LV2 features Qtractor hands over and the control port
# values the plug-in takes.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/hosts-common.sh"

PLUGIN=$(realpath "${1:-$BUILD_ROOT/linux/Kestrion.clap}")
WORK=$(realpath -m "${QTRACTOR_WORK:-$BUILD_ROOT/qtractor}")
SHOT=$(realpath -m "${2:-$WORK/qtractor.png}")
KNOB_SHOT=${SHOT%.png}-knob.png
REOPENED_SHOT=${SHOT%.png}-reopened.png
[ -e "$PLUGIN" ] || die "no plug-in at $PLUGIN: build first"
need_commands qtractor jackd jack_rec xdotool import identify compare Xvfb sox cc

# Where things sit in Qtractor's windows, in pixels from the window's corner,
# as its private configuration lays them out on the first run: the plug-in's
# row in the first track's plug-in list, the Play button, the File menu with
# its Save and Exit items, the Discard button of the "save changes?" dialog,
# and the panel's CutOff knob.
PLUGIN_ROW=(178 179)
PLAY_BUTTON=(240 74)
FILE_MENU=(20 8)
SAVE_ITEM=(48 99)
EXIT_ITEM=(44 169)
DISCARD_BUTTON=(258 104)
CUTOFF_KNOB=("$(at_panel_size 870)" "$(at_panel_size 43)")

log "qtractor: a private home, the plug-in and the ALSA stand-in"
private_home "$WORK"
mkdir -p "$WORK/plugins" "$WORK/session" "$(dirname "$SHOT")"
# The plug-in in the session, as Qtractor names it, CutOff's parameter
# number there (for LV2 its port index) and the binary Qtractor loads.
case $PLUGIN in
*.lv2)
  FORMAT=LV2 CUTOFF_INDEX=47
  install_lv2_bundle "$PLUGIN" "$WORK/plugins"
  PLUGIN_FILENAME=$(lv2_uri "$PLUGIN")
  BINARY=$WORK/plugins/Kestrion.lv2/Kestrion.so
  ;;
*.clap)
  FORMAT=CLAP CUTOFF_INDEX=43
  export CLAP_PATH=$WORK/plugins
  PLUGIN_FILENAME=$WORK/plugins/Kestrion.clap BINARY=$WORK/plugins/Kestrion.clap
  cp "$PLUGIN" "$PLUGIN_FILENAME"
  ;;
*)
  FORMAT=VST2 CUTOFF_INDEX=43
  export LXVST_PATH=$WORK/plugins
  PLUGIN_FILENAME=$WORK/plugins/Kestrion.so BINARY=$WORK/plugins/Kestrion.so
  cp "$PLUGIN" "$PLUGIN_FILENAME"
  ;;
esac
cc -O2 -Wall -shared -fPIC -o "$WORK/qtractor-seq.so" \
  "$KESTRION_ROOT/scripts/qtractor-seq.c" -l:libasound.so.2
trap stop_started EXIT

# SMF bytes as printf escapes: a variable-length quantity, a big-endian
# 32-bit number.
vlq() {
  local n=$1 out
  out=$(printf '\\x%02x' $((n & 0x7f)))
  for ((n >>= 7; n > 0; n >>= 7)); do out=$(printf '\\x%02x' $(((n & 0x7f) | 0x80)))$out; done
  printf '%s' "$out"
}
be32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255)); }

# write_clip FILE: four bars of arpeggios at 960 ticks a beat, one note a
# beat held for three quarters of it.
write_clip() {
  local events="" gap=0 note length
  for note in 48 55 60 64 67 72 67 64 45 52 57 60 64 69 64 60; do
    events+="$(vlq $gap)\\x90$(printf '\\x%02x' "$note")\\x64$(vlq 720)\\x80$(printf '\\x%02x' "$note")\\x40"
    gap=240
  done
  events+="$(vlq 240)\\xff\\x2f\\x00"
  length=$(printf "$events" | wc -c)
  # shellcheck disable=SC2059 # the format is the escapes themselves
  printf "MThd$(be32 6)\\x00\\x00\\x00\\x01\\x03\\xc0MTrk$(be32 "$length")$events" >"$1"
}

log "qtractor: a session with one MIDI track playing Kestrion ($FORMAT)"
write_clip "$WORK/session/clip.mid"
# Four bars at 120 beats a minute are 384000 frames at 48 kHz; the loop
# covers the clip, so the notes go on while the editor is driven.
cat >"$WORK/session/kestrion.qtr" <<XML
<!DOCTYPE qtractorSession>
<session version="Qtractor 0.9.31" name="kestrion">
 <properties>
  <directory>$WORK/session</directory>
  <description>Kestrion ($FORMAT) on one MIDI track</description>
  <sample-rate>48000</sample-rate>
  <tempo>120</tempo>
  <ticks-per-beat>960</ticks-per-beat>
  <beats-per-bar>4</beats-per-bar>
  <beat-divisor>2</beat-divisor>
 </properties>
 <state>
  <loop-start>0</loop-start>
  <loop-end>384000</loop-end>
  <punch-in>0</punch-in>
  <punch-out>0</punch-out>
 </state>
 <tracks>
  <track name="Kestrion" type="midi">
   <properties>
    <input-bus>Master</input-bus>
    <output-bus>Master</output-bus>
    <midi-omni>0</midi-omni>
    <midi-channel>0</midi-channel>
    <midi-drums>0</midi-drums>
   </properties>
   <state>
    <mute>0</mute><solo>0</solo><record>0</record><monitor>0</monitor>
    <gain>1</gain><panning>0</panning>
   </state>
   <view><height>96</height></view>
   <clips>
    <clip name="notes">
     <properties>
      <name>notes</name><start>0</start><offset>0</offset><length>384000</length>
      <gain>1</gain><panning>0</panning><mute>0</mute>
     </properties>
     <midi-clip><filename>clip.mid</filename><track-channel>0</track-channel></midi-clip>
    </clip>
   </clips>
   <plugins>
    <plugin type="$FORMAT">
     <filename>$PLUGIN_FILENAME</filename>
     <index>0</index>
     <activated>1</activated>
    </plugin>
    <audio-output-bus>0</audio-output-bus>
    <audio-output-auto-connect>1</audio-output-auto-connect>
   </plugins>
  </track>
 </tracks>
</session>
XML

if [ -n "${QTRACTOR_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
  log "qtractor: a virtual display"
  start_display "${QTRACTOR_DISPLAY:-:57}" 1600x1000 "$WORK/xvfb.log"
fi

log "qtractor: a dummy JACK server"
start_jack "kestrion-qtractor-$$" "$WORK/jackd.log"

# open_session LOG: Qtractor on the session, its window placed at the top of
# the screen. QTRACTOR_WRAPPER runs it under another command, e.g.
# QTRACTOR_WRAPPER="gdb -batch -ex run -ex bt --args" for a backtrace.
open_session() {
  # shellcheck disable=SC2086 # the wrapper is a command line
  LD_PRELOAD=$WORK/qtractor-seq.so ${QTRACTOR_WRAPPER:-$(host_wrapper)} qtractor "$WORK/session/kestrion.qtr" >"$WORK/$1" 2>&1 &
  qtractor_pid=$!
  started+=("$qtractor_pid")
  main=$(timeout 30 xdotool search --sync --name 'kestrion\.qtr' | head -1) ||
    die "no Qtractor window (see $WORK/$1)"
  # Without a window manager nothing places the windows: the session above
  # the editor, both whole on the screen.
  xdotool windowmove "$main" 0 0 windowsize "$main" 1600 590
  sleep 3
}

# Keys reach Qtractor's window unreliably with no window manager to make it
# active, so everything is done with the mouse.
menu_item() {
  xdotool mousemove --window "$main" "${FILE_MENU[@]}" click 1 sleep 0.7 \
    mousemove --window "$main" "$@" click 1
}

play() {
  xdotool mousemove --window "$main" "${PLAY_BUTTON[@]}" click 1
  sleep 2
}

# record_master NAME: three seconds of the master bus, and sox's measure.
record_master() { record "$WORK/$1.wav" Qtractor:Master/out_1 Qtractor:Master/out_2; }

open_editor() {
  xdotool mousemove --window "$main" "${PLUGIN_ROW[@]}" click --repeat 2 --delay 80 1
  editor=$(timeout 15 xdotool search --sync --name '^Kestrion - ' | head -1) ||
    die "no editor window (see $WORK/qtractor.log)"
  xdotool windowmove "$editor" 252 605
  sleep 2
}

# quit LOG: File > Exit, and how Qtractor ended. A session it takes for
# changed makes it ask whether to save: the answer is Discard.
quit() {
  menu_item "${EXIT_ITEM[@]}"
  local status=0 warning
  if warning=$(timeout 3 xdotool search --sync --name '^Warning' 2>/dev/null | head -1) && [ -n "$warning" ]; then
    echo "qtractor: asked to save changes at Exit; discarding"
    xdotool mousemove --window "$warning" "${DISCARD_BUTTON[@]}" click 1
  fi
  timeout 20 tail --pid="$qtractor_pid" -f /dev/null || {
    echo "qtractor: still running 20 s after Exit; killed"
    kill "$qtractor_pid"
  }
  wait "$qtractor_pid" || status=$?
  echo "qtractor: exit status $status"
  grep -v 'XDG_RUNTIME_DIR' "$WORK/$1" | sed "s/^/$1: /" || true
}

saved_cutoff() {
  # Qtractor writes a parameter's attributes in no fixed order.
  grep "<param [^>]*index=\"$CUTOFF_INDEX\"" "$WORK/session/kestrion.qtr" | sed 's|.*>\([^<]*\)</param>.*|\1|'
}

# save: File > Save, and CutOff as the saved session holds it.
save() {
  local before
  before=$(stat -c %Y "$WORK/session/kestrion.qtr")
  menu_item "${SAVE_ITEM[@]}"
  for _ in $(seq 25); do [ "$(stat -c %Y "$WORK/session/kestrion.qtr")" = "$before" ] || break; sleep 0.2; done
  sleep 0.5
  saved_cutoff || true
}

log "qtractor: opening the session and playing the clip"
open_session qtractor.log
check_loaded "$qtractor_pid" "$BINARY"
play
record_master before-knob
check_sound "$WORK/before-knob.wav"
# The session written above has no parameter values, and Qtractor saves
# a session only once it has changed.
cutoff_before=$(saved_cutoff || true)

log "qtractor: opening the editor from the plug-in list"
open_editor
import -window root -trim +repage "$SHOT"
editor_image "$editor" "$WORK/editor.png"
check_editor "$WORK/editor.png"
knob_image "$editor" "$WORK/knob-before.png"

log "qtractor: turning the CutOff knob"
drag_cutoff "$editor"
knob_image "$editor" "$WORK/knob-after.png"
record_master after-knob
import -window root -trim +repage "$KNOB_SHOT"

# KESTRION_CHOOSE_SIZE (a percent): the size chosen from the options menu,
# to see whether Qtractor resizes its window.
if [ -n "${KESTRION_CHOOSE_SIZE:-}" ]; then
  log "qtractor: Options > Panel Size > $KESTRION_CHOOSE_SIZE %"
  choose_panel_size "$editor" "$KESTRION_CHOOSE_SIZE"
  import -window root -trim +repage "${SHOT%.png}-resized.png"
  xdotool getwindowgeometry "$editor"
fi

# Qtractor writes the value it reads back from the plug-in, and saves only
# a session it took for changed: a value only if it heard of the drag.
log "qtractor: saving the session and quitting"
cutoff_after=$(save)
echo "CutOff in the saved session: ${cutoff_after:-none}"
check_drag "$cutoff_before" "$cutoff_after"
quit qtractor.log

log "qtractor: reopening the saved session"
open_session qtractor-reopened.log
play
record_master reopened
open_editor
import -window root -trim +repage "$REOPENED_SHOT"
knob_image "$editor" "$WORK/knob-reopened.png"
check_reload "$WORK/knob-before.png" "$WORK/knob-after.png" "$WORK/knob-reopened.png"
quit qtractor-reopened.log
echo "qtractor: screenshots in $SHOT, $KNOB_SHOT and $REOPENED_SHOT (session and logs in $WORK)"
checks_passed
