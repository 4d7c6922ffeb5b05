#!/usr/bin/env bash
# Plays the LV2 plug-in in LV2's reference host, jalv (its GTK 3 window,
# Debian's `jalv` package), on a virtual display: jalv runs it as a client of
# a dummy JACK server, a looping JACK MIDI sequencer plays it notes, its
# editor shows in jalv's window and its CutOff knob is dragged. jalv keeps
# no session: it runs under scripts/lv2-trace.gdb, whose log tells the LV2
# features jalv hands over and whether the drag reached CutOff's control
# port (the values the plug-in takes from ports the host changed). Run
# after a Linux build:
#   bash scripts/jalv.sh [BUNDLE] [SHOT.png]
# BUNDLE defaults to build/linux/Kestrion.lv2. Its "check:" lines say
# whether jalv loaded the plug-in, it sounded, the editor showed and the
# drag reached jalv; it fails when one did not. It leaves SHOT (the editor
# while the notes play), SHOT with "-knob" before its extension (after the
# drag), the output as WAV files with sox's measure of each, and the logs,
# all under build/jalv (a private HOME; JALV_WORK names another), and stops
# everything it started. The display is a virtual one on JALV_DISPLAY
# (default :59; "auto" for a free one).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/hosts-common.sh"

BUNDLE=$(realpath "${1:-$BUILD_ROOT/linux/Kestrion.lv2}")
WORK=$(realpath -m "${JALV_WORK:-$BUILD_ROOT/jalv}")
SHOT=$(realpath -m "${2:-$WORK/jalv.png}")
KNOB_SHOT=${SHOT%.png}-knob.png
[ -f "$BUNDLE/manifest.ttl" ] || die "no LV2 bundle at $BUNDLE: build first"
need_commands jalv.gtk3 gdb jackd jack_midiseq jack_connect jack_rec xdotool import identify compare Xvfb sox

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
export LV2_TRACE=1
# shellcheck disable=SC2046 # the wrapper is a command line
$(host_wrapper) jalv.gtk3 --jack-name Kestrion --exact-jack-name "$(lv2_uri "$BUNDLE")" >"$WORK/jalv.log" 2>&1 &
jalv_pid=$!
started+=("$jalv_pid")
editor=$(timeout 30 xdotool search --sync --name '^Kestrion$' | tail -1) ||
  die "no editor window (see $WORK/jalv.log)"
check_loaded "$jalv_pid" "$WORK/plugins/Kestrion.lv2/Kestrion.so"
# Four notes a loop of two seconds at 48 kHz, each held for 0.375 s.
jack_midiseq notes 96000 0 48 18000 24000 55 18000 48000 60 18000 72000 64 18000 >"$WORK/midiseq.log" 2>&1 &
started+=($!)
for _ in $(seq 50); do
  if jack_connect notes:out Kestrion:control 2>/dev/null; then break; fi
  sleep 0.2
done
sleep 2

record "$WORK/before-knob.wav" Kestrion:out_left Kestrion:out_right
check_sound "$WORK/before-knob.wav"
import -window root -trim +repage "$SHOT"
editor_image "$editor" "$WORK/editor.png"
check_editor "$WORK/editor.png"

# cutoff_port: the last value the plug-in took from CutOff's port.
cutoff_port() { { grep -a "^lv2-port $CUTOFF_PORT = " "$WORK/jalv.log" || true; } | tail -1 | sed 's/.* = //'; }
cutoff_before=$(cutoff_port)

log "jalv: turning the CutOff knob"
drag_cutoff "$editor"
record "$WORK/after-knob.wav" Kestrion:out_left Kestrion:out_right
import -window root -trim +repage "$KNOB_SHOT"
cutoff_after=$(cutoff_port)
echo "jalv: CutOff's port as the plug-in took it: before the drag ${cutoff_before:-untouched}, after ${cutoff_after:-untouched}"
# jalv keeps no session: the port's value is where the drag shows.
if [ -n "$cutoff_after" ] && [ "$cutoff_after" != "$cutoff_before" ]; then
  check drag pass "the plug-in took CutOff = $cutoff_after from jalv's port"
else
  check drag fail "the plug-in took no new CutOff from jalv's port"
fi
check reload n/a "jalv keeps no session"
echo "jalv: screenshots $SHOT and $KNOB_SHOT (log: $WORK/jalv.log)"
checks_passed
