#!/usr/bin/env bash
# The plug-in in Ardour 7, headless. Run by ctest:
#   ardour_test.sh scan MODULE WORK
#     Ardour's scanner accepts the plug-in and caches its identity; for LV2,
#     Ardour's discovery lists it.
#   ardour_test.sh session MODULE WORK COMPARE
#     a session plays the plug-in into an audio file, keeps a parameter, a
#     program chosen as a preset (VST 3, LV2) and the sound across saving
#     and reloading.
# MODULE is the VST 2.4 module, the VST 3 bundle or the LV2 bundle (folders).
# KESTRION_LV2_URI names the LV2 plug-in.
# Everything Ardour writes goes under WORK (a private home).
set -euo pipefail
mode=$1 module=$2 work=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/ardour-home.sh"
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
plugin_type=$(ardour_plugin_type "$module")
export DAW_TEST_DIR=$here DAW_PLUGIN_TYPE=$plugin_type

prepare_ardour_home "$work" "$module" >"$work.scan.log" 2>&1 || {
  cat "$work.scan.log"
  fail "the scanner refused the module"
}

run_lua() {
  local log=$work/$1.log
  shift
  timeout -k 10 60 ardour7-lua "$@" >"$log" 2>&1 || { cat "$log"; fail "ardour7-lua $* failed"; }
}

case $mode in
scan)
  if [ "$plugin_type" = LV2 ]; then
    # No scanner and no cache: what the discovery lists, in the cache's form.
    run_lua discover "$here/discover-plugin.lua" "$work/discovery"
    element=PluginInfo cache=$work/discover.log
    # Ardour counts every port: MIDI in and Thru out, the two audio outputs.
    fields=("unique_id=\"$KESTRION_LV2_URI\"" 'name="Kestrion"' 'creator="Harrowvale Music"'
      'category="Instrument Plugin"' 'is_instrument="1"' 'n_inputs="0"' 'n_midi_inputs="1"' 'n_outputs="2"'
      'n_midi_outputs="1"' 'presets="64"')
  elif [ "$plugin_type" = VST3 ]; then
    suffix=v3i element=VST3Info
    # The class id is "KestrionHarrowvl" in ASCII; the event output is MIDI Thru.
    fields=('uid="4B65737472696F6E486172726F77766C"' 'name="Kestrion"' 'vendor="Harrowvale Music"'
      'category="Instrument|Synth"' 'n_inputs="0"' 'n_outputs="2"' 'n_midi_inputs="1"' 'n_midi_outputs="1"')
  else
    suffix=v2i element=VST2Info
    # The unique id is "1416" read as a big-endian 32-bit number.
    fields=('id="825504054"' 'name="Kestrion"' 'creator="Harrowvale Music"' 'category="Instrument"'
      'is_instrument="1"' 'n_midi_inputs="1"' 'n_outputs="2"')
  fi
  [ "$plugin_type" = LV2 ] || cache=$(find "$XDG_CACHE_HOME/ardour7/vst" -name "*.$suffix" 2>/dev/null)
  [ "$(echo "$cache" | grep -c .)" = 1 ] || fail "expected one scan cache file, found: $cache"
  cat "$cache"
  [ "$(grep -c "<$element " "$cache")" = 1 ] || fail "the cache does not name exactly one plug-in"
  info=$(grep "<$element " "$cache")
  for field in "${fields[@]}"; do
    [[ $info == *" $field"* ]] || fail "the cache lacks $field"
  done
  ;;
session)
  compare=$4
  # A session an earlier run left would be opened instead of made anew.
  rm -rf "$work/session"
  mkdir -p "$work/out"
  run_lua record "$here/record-session.lua" "$work/session" "$work/out"
  run_lua replay "$here/replay-session.lua" "$work/session/kestrion.ardour" "$work/out"
  "$compare" differ "$work/out/default.wav" "$work/out/recorded.wav" || fail "CutOff did not change the sound"
  "$compare" same "$work/out/recorded.wav" "$work/out/replayed.wav" || fail "the reloaded session sounds otherwise"
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "PASS: $mode"
