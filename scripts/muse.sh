#!/usr/bin/env bash
# Plays the LV2 or the VST 2.4 plug-in in a real host, MusE 4.1 (Debian's
# `muse` package), on a virtual display: Kestrion as MusE's synth, played by a MIDI track's
# looped part through MusE's JACK driver on a dummy JACK server. The saved
# song says its editor is open, so MusE opens it while loading; its CutOff
# knob is dragged, the song saved, and the saved song tells whether MusE saw
# the change; then the saved song is reopened. Not part of the test command.
# Run after a Linux build:
#   bash scripts/muse.sh [PLUGIN] [SHOT.png]
# PLUGIN is the LV2 bundle (build/linux/Kestrion.lv2, the default) or the
# VST 2.4 module (build/linux/Kestrion.so). Its "check:" lines say whether
# MusE loaded the plug-in, it sounded, the editor showed, the drag reached
# MusE and the reopened song restored it; it fails when one did not. It
# leaves SHOT (the editor
# open over the playing song), SHOT with "-knob" before its extension (after
# the drag) and with "-reopened" (the saved song reopened), the song, the
# master output as WAV files with sox's measure of each, and the logs, all
# under build/muse (a private HOME; MUSE_WORK names another), and stops
# everything it started. The display is a virtual one on MUSE_DISPLAY
# (default :58; "auto" for a free one); with LV2_TRACE
# set, the logs list the LV2 features MusE hands over and the control port
# values the plug-in takes.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/hosts-common.sh"

PLUGIN=$(realpath "${1:-$BUILD_ROOT/linux/Kestrion.lv2}")
WORK=$(realpath -m "${MUSE_WORK:-$BUILD_ROOT/muse}")
SHOT=$(realpath -m "${2:-$WORK/muse.png}")
KNOB_SHOT=${SHOT%.png}-knob.png
REOPENED_SHOT=${SHOT%.png}-reopened.png
SONG=$WORK/song/kestrion.med
[ -e "$PLUGIN" ] || die "no plug-in at $PLUGIN: build first"
need_commands muse jackd jack_rec jack_transport xdotool import identify compare Xvfb sox

# Where things sit, in pixels from the window's corner: MusE's File menu
# with its Save and Quit items, the Skip button of its "save current
# project?" question, and the panel's CutOff knob.
FILE_MENU=(20 10)
SAVE_ITEM=(48 127)
QUIT_ITEM=(48 408)
SKIP_BUTTON=(216 69)
CUTOFF_KNOB=("$(at_panel_size 870)" "$(at_panel_size 43)")

log "muse: a private home with the plug-in"
private_home "$WORK"
mkdir -p "$WORK/song" "$(dirname "$SHOT")"
# The synth as the song names it (its type, and the bundle's URI or the
# module's file name) and the binary MusE loads.
if [ -d "$PLUGIN" ]; then
  FORMAT=LV2 SYNTH_TYPE="LV2 (synths)"
  install_lv2_bundle "$PLUGIN" "$WORK/plugins"
  SYNTH_NAME="<uri>$(lv2_uri "$PLUGIN")</uri>"
  BINARY=$WORK/plugins/Kestrion.lv2/Kestrion.so
else
  FORMAT="VST 2.4" SYNTH_TYPE="VST (synths)"
  mkdir -p "$WORK/plugins"
  export LXVST_PATH=$WORK/plugins
  cp "$PLUGIN" "$WORK/plugins/Kestrion.so"
  SYNTH_NAME="<class>Kestrion</class>"
  BINARY=$WORK/plugins/Kestrion.so
fi
# MusE's settings: no tip of the day, no question about instrument
# initialisation when the transport starts, and the plug-in paths.
mkdir -p "$XDG_CONFIG_HOME/MusE/MusE"
cat >"$XDG_CONFIG_HOME/MusE/MusE/MusE-seq.cfg" <<XML
<?xml version="1.0"?>
<muse version="3.3">
  <configuration>
    <didYouKnow>0</didYouKnow>
    <midiSendInit>0</midiSendInit>
    <warnInitPending>0</warnInitPending>
    <pluginLv2PathList>${LV2_PATH:-}</pluginLv2PathList>
    <pluginLinuxVstPathList>${LXVST_PATH:-}</pluginLinuxVstPathList>
  </configuration>
</muse>
XML

# part_events: four bars of arpeggios at MusE's 384 ticks a beat, one note
# a beat held for three quarters of it, as MusE's song keeps a part's notes.
part_events() {
  local tick=0 note
  for note in 48 55 60 64 67 72 67 64 45 52 57 60 64 69 64 60; do
    printf '        <event tick="%d" len="288" a="%d" b="100" />\n' "$tick" "$note"
    tick=$((tick + 384))
  done
}

log "muse: a song with Kestrion ($FORMAT) as a synth, its editor marked open"
# The part and the loop are four bars; the synth's output goes to the
# master output, which goes to the JACK server's playback ports.
cat >"$SONG" <<XML
<?xml version="1.0"?>
<muse version="3.3">
  <song>
    <cpos>0</cpos>
    <lpos>0</lpos>
    <rpos>6144</rpos>
    <master>1</master>
    <loop>1</loop>
    <len>30720</len>
    <sampleRate>48000</sampleRate>
    <AudioOutput>
      <name>Out 1</name>
      <channels>2</channels>
      </AudioOutput>
    <SynthI>
      <name>Kestrion</name>
      <channels>2</channels>
      <synthType>$SYNTH_TYPE</synthType>
      $SYNTH_NAME
      <label>Kestrion</label>
      <port>0</port>
      <nativeGuiVisible>1</nativeGuiVisible>
      <nativeGeometry x="240" y="600" w="1120" h="380"></nativeGeometry>
      </SynthI>
    <miditrack>
      <name>Notes</name>
      <device>0</device>
      <channel>0</channel>
      <part>
        <name>notes</name>
        <poslen tick="0" len="6144" />
$(part_events)
        </part>
      </miditrack>
    <Route channel="0" channels="2">
      <source name="Kestrion"/>
      <dest name="Out 1"/>
      </Route>
    <Route channel="0">
      <source name="Out 1"/>
      <dest type="1" name="system:playback_1"/>
      </Route>
    <Route channel="1">
      <source name="Out 1"/>
      <dest type="1" name="system:playback_2"/>
      </Route>
    </song>
  </muse>
XML

trap stop_started EXIT
log "muse: a virtual display and a dummy JACK server"
start_display "${MUSE_DISPLAY:-:58}" 1600x1000 "$WORK/xvfb.log"
start_jack "kestrion-muse-$$" "$WORK/jackd.log"

# open_song LOG: MusE on the song, on JACK; the editor's window is the panel
# MusE opened while loading.
open_song() {
  # shellcheck disable=SC2046 # the wrapper is a command line
  $(host_wrapper) muse -j "$SONG" >"$WORK/$1" 2>&1 &
  muse_pid=$!
  started+=("$muse_pid")
  main=$(timeout 60 xdotool search --sync --name '^MusE Project: ' | head -1) ||
    die "no MusE window (see $WORK/$1)"
  editor=$(timeout 30 xdotool search --sync --name '^Kestrion$' | head -1) ||
    die "no editor window (see $WORK/$1)"
  # Without a window manager nothing places the windows: the song above the
  # editor's window, both whole on the screen. MusE's own window around the
  # editor, named for the track and the synth, is where the song says for
  # LV2, but over the song's menu for VST 2.4.
  xdotool windowmove "$main" 0 0 windowsize "$main" 1600 590
  local frame
  frame=$(xdotool search --name '^Kestrion:Kestrion' | head -1 || true)
  [ -z "$frame" ] || xdotool windowmove "$frame" 240 600
  sleep 3
}

# play: JACK's transport, which MusE follows.
play() {
  echo play | timeout 5 jack_transport >/dev/null
  sleep 2
}

record_master() { record "$WORK/$1.wav" "MusE:Out 1-0" "MusE:Out 1-1"; }

menu_item() {
  xdotool mousemove --window "$main" "${FILE_MENU[@]}" click 1 sleep 0.7 \
    mousemove --window "$main" "$@" click 1
}

# saved_cutoff: CutOff as the saved song holds it. MusE keeps a synth's
# control values as its track's controllers, numbered from 0x9000 in the
# order of the control ports: CutOff is 0x9000 + 43.
saved_cutoff() { sed -n 's/.*<controller id="36907" cur="\([^"]*\)".*/\1/p' "$SONG"; }

# quit: File > Quit, and how MusE ended. A song MusE takes for changed
# (a recording's JACK connections to its ports are a change to it) makes it
# ask whether to save: the answer is Skip.
quit() {
  menu_item "${QUIT_ITEM[@]}"
  local status=0 question
  if question=$(timeout 3 xdotool search --sync --onlyvisible --name '^MusE$' 2>/dev/null | head -1) &&
    [ -n "$question" ]; then
    echo "muse: asked to save the song at Quit; skipping"
    xdotool mousemove --window "$question" "${SKIP_BUTTON[@]}" click 1
  fi
  timeout 20 tail --pid="$muse_pid" -f /dev/null || {
    echo "muse: still running 20 s after Quit; killed"
    kill "$muse_pid"
  }
  wait "$muse_pid" || status=$?
  echo "muse: exit status $status"
}

# save: File > Save, and CutOff as the saved song holds it.
save() {
  local before
  before=$(stat -c %y "$SONG")
  menu_item "${SAVE_ITEM[@]}"
  for _ in $(seq 50); do [ "$(stat -c %y "$SONG")" = "$before" ] || break; sleep 0.2; done
  saved_cutoff
}

log "muse: opening the song and playing it"
open_song muse.log
check_loaded "$muse_pid" "$BINARY"
editor_image "$editor" "$WORK/editor.png"
check_editor "$WORK/editor.png"
play
record_master before-knob
check_sound "$WORK/before-knob.wav"
import -window root -trim +repage "$SHOT"
# The song written above has no control values: saved now, it has CutOff
# as MusE holds it before the drag.
cutoff_before=$(save)
echo "CutOff in the song saved before the drag: ${cutoff_before:-none}"
knob_image "$editor" "$WORK/knob-before.png"

log "muse: turning the CutOff knob"
drag_cutoff "$editor"
knob_image "$editor" "$WORK/knob-after.png"
record_master after-knob
import -window root -trim +repage "$KNOB_SHOT"

log "muse: saving the song and quitting"
cutoff_after=$(save)
echo "CutOff in the saved song: ${cutoff_after:-none}"
check_drag "$cutoff_before" "$cutoff_after"
quit

log "muse: reopening the saved song"
open_song muse-reopened.log
play
record_master reopened
import -window root -trim +repage "$REOPENED_SHOT"
knob_image "$editor" "$WORK/knob-reopened.png"
check_reload "$WORK/knob-before.png" "$WORK/knob-after.png" "$WORK/knob-reopened.png"
quit
echo "muse: screenshots in $SHOT, $KNOB_SHOT and $REOPENED_SHOT (song and logs in $WORK)"
checks_passed
