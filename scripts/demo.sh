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

# The sound each demo is played with, until the factory bank has programs
# for them: parameter settings by name, values as the plug-in displays them.
bass_settings=("KeyAssgn=Unison" "Octave 1=16'" "Octave 2=16'" "Tune 2=8" "Level 3=0" "Level 4=0"
  "CutOff=0.3" "Reso=0.45" "EGIntens=7000" "EG1 D=0.35" "EG1 S=0"
  "EG2 D=0.4" "EG2 S=0.6" "EG2 R=0.08" "Volume=0.8")
lead_settings=("KeyAssgn=Unison" "Wave 1=PW" "PW=0.3" "Tune 2=6" "Level 3=0" "Level 4=0.5"
  "Portamnt=0.3" "CutOff=0.55" "Reso=0.3" "EGIntens=3000" "EG1 A=0.1" "EG1 D=0.5"
  "EG1 S=0.4" "EG2 A=0.05" "EG2 R=0.25" "Volume=0.8")
chords_settings=("KeyAssgn=Poly" "CutOff=0.45" "Reso=0.2" "EGIntens=4000" "EG1 A=0.4"
  "EG1 S=0.5" "EG2 A=0.3" "EG2 R=0.5" "Volume=0.8")

mkdir -p "$OUT_DIR"
for midi in "${midi_files[@]}"; do
  name=$(basename "$midi" .mid)
  wav=$OUT_DIR/$name.wav
  args=()
  if declare -p "${name}_settings" >/dev/null 2>&1; then
    declare -n settings="${name}_settings"
    for setting in "${settings[@]}"; do args+=(--set "$setting"); done
    unset -n settings
  fi
  log "rendering resources/demo/$name.mid to ${wav#"$KESTRION_ROOT"/}"
  "$RENDER" "${args[@]}" "$PLUGIN" "$midi" "$wav"
done
echo
echo "demo: ${#midi_files[@]} file(s) rendered into ${OUT_DIR#"$KESTRION_ROOT"/}/"
