#!/usr/bin/env bash
# Hear Kestrion: prepares the machine, builds the Linux plug-in and the
# renderer in build/linux, then plays each demo MIDI file of resources/demo/
# through the plug-in into build/demo/<name>.wav.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

DEMO_DIR=$KESTRION_ROOT/resources/demo
OUT_DIR=$BUILD_ROOT/demo
PLUGIN=$BUILD_ROOT/linux/Kestrion.so
RENDER=$BUILD_ROOT/linux/tools/render/kestrion-render

[ -f "$KESTRION_ROOT/tools/render/CMakeLists.txt" ] ||
  die "the renderer (tools/render) is not in this tree yet, so there is nothing to play the demo with"
shopt -s nullglob
midi_files=("$DEMO_DIR"/*.mid)
shopt -u nullglob
[ ${#midi_files[@]} -gt 0 ] ||
  die "no demo MIDI file (resources/demo/*.mid) in this tree yet"

bash "$KESTRION_ROOT/scripts/setup.sh"

log "building the plug-in and kestrion-render in build/linux"
cmake -S "$KESTRION_ROOT" -B "$BUILD_ROOT/linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_ROOT/linux" -j "$JOBS" --target Kestrion kestrion-render
[ -f "$PLUGIN" ] || die "the build made no $PLUGIN"
[ -x "$RENDER" ] || die "the build made no $RENDER"

# The factory program each demo is played with.
declare -A demo_program=([bass]=0 [lead]=12 [chords]=41)

mkdir -p "$OUT_DIR"
for midi in "${midi_files[@]}"; do
  name=$(basename "$midi" .mid)
  wav=$OUT_DIR/$name.wav
  args=()
  program=${demo_program[$name]:-}
  [ -z "$program" ] || args+=(--program "$program")
  log "rendering resources/demo/$name.mid${program:+ with program $program} to ${wav#"$KESTRION_ROOT"/}"
  "$RENDER" "${args[@]}" "$PLUGIN" "$midi" "$wav"
done
echo
echo "demo: ${#midi_files[@]} file(s) rendered into ${OUT_DIR#"$KESTRION_ROOT"/}/"
