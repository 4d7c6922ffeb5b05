#!/usr/bin/env bash
# Plays the LV2 plug-in in LV2's reference host, jalv (its GTK 3 window,
# Debian's `jalv` package), on a virtual display: jalv runs it as a client of
# a dummy JACK server, a looping JACK MIDI sequencer plays it notes, its
# editor shows in jalv's window and its CutOff knob is dragged. jalv keeps
# no session: with LV2_TRACE set, the log tells the LV2 features jalv hands
# over and whether the drag reached CutOff's control port (the values the
# plug-in takes from ports the host changed). Not part of the test command.
# Run after a Linux build:
#   bash scripts/jalv.sh [BUNDLE] [SHOT.png]
# BUNDLE defaults to build/linux/Kestrion.lv2. It leaves SHOT (the editor
# while the notes play), SHOT with "-knob" before its extension (after the
# drag), the output as WAV files with sox's measure of each, and the logs,
# all under build/jalv (a private HOME), and stops everything it started.
# The display is a virtual one on JALV_DISPLAY (default :59).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/hosts-common.sh"

BUNDLE=$(realpath "${1:-$BUILD_ROOT/linux/Kestrion.lv2}")
WORK=$BUILD_ROOT/jalv
SHOT=$(realpath -m "${2:-$WORK/jalv.png}")
KNOB_SHOT=${SHOT%.png}-knob.png
[ -f "$BUNDLE/manifest.ttl" ] || die "no LV2 bundle at $BUNDLE: build first"
need_commands jalv.gtk3 jackd jack_midiseq jack_connect jack_rec xdotool import Xvfb sox

# The panel's CutOff knob, in pixels from the panel's corner, and its port.
CUTOFF_KNOB=("$(at_panel_size 870)" "$(at_panel_size 43)")
CUTOFF_PORT=47

log "jalv: a private home with the bundle"
private_home "$WORK"
mkdir -p "$(dirname "$SHOT")"
install_lv2_bundle "$BUNDLE" "$WORK/plugins"

trap stop_started EXIT
log "jalv: a virtual display and a dummy JACK server"
start_display "${JALV_DISPLAY:-:59}" 1400x800 "$WORK/xvfb.log"
start_jack "kestrion-jalv-$$" "$WORK/jackd.log"

log "jalv: Kestrion with its editor, played by a JACK MIDI sequencer"
# shellcheck disable=SC2046 # the wrapper is a command line
$(host_wrapper) jalv.gtk3 --jack-name Kestrion --exact-jack-name "$(lv2_uri "$BUNDLE")" >"$WORK/jalv.log" 2>&1 &
started+=($!)
editor=$(timeout 30 xdotool search --sync --name '^Kestrion$' | tail -1) ||
  die "no editor window (see $WORK/jalv.log)"
# Four notes a loop of two seconds at 48 kHz, each held for 0.375 s.
jack_midiseq notes 96000 0 48 18000 24000 55 18000 48000 60 18000 72000 64 18000 >"$WORK/midiseq.log" 2>&1 &
started+=($!)
for _ in $(seq 50); do
  if jack_connect notes:out Kestrion:control 2>/dev/null; then break; fi
  sleep 0.2
done
sleep 2

record "$WORK/before-knob.wav" Kestrion:out_left Kestrion:out_right
import -window root -trim +repage "$SHOT"

log "jalv: turning the CutOff knob"
drag_cutoff "$editor"
record "$WORK/after-knob.wav" Kestrion:out_left Kestrion:out_right
import -window root -trim +repage "$KNOB_SHOT"
[ -z "${LV2_TRACE:-}" ] ||
  echo "jalv: CutOff's port as the plug-in took it: $(grep -a "^lv2-port $CUTOFF_PORT " "$WORK/jalv.log" | tail -1)"
echo "jalv: screenshots $SHOT and $KNOB_SHOT (log: $WORK/jalv.log)"
