#!/usr/bin/env bash
# The module in Ardour 7, headless. Run by ctest:
#   ardour_test.sh scan MODULE WORK
#     Ardour's VST scanner accepts the module and caches its identity.
#   ardour_test.sh session MODULE WORK COMPARE
#     a session plays the module into an audio file, keeps a parameter and
#     the sound across saving and reloading.
# Everything Ardour writes goes under WORK (a private home).
set -euo pipefail
mode=$1 module=$2 work=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/ardour-home.sh"
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

prepare_ardour_home "$work" "$module" >"$work.scan.log" 2>&1 || {
  cat "$work.scan.log"
  fail "the scanner refused the module"
}

case $mode in
scan)
  cache=$(find "$XDG_CACHE_HOME/ardour7/vst" -name '*.v2i' 2>/dev/null)
  [ "$(echo "$cache" | grep -c .)" = 1 ] || fail "expected one scan cache file, found: $cache"
  cat "$cache"
  info=$(grep '<VST2Info ' "$cache") || fail "the cache names no plug-in"
  # The unique id is "1416" read as a big-endian 32-bit number.
  for field in 'id="825504054"' 'name="Kestrion"' 'creator="Harrowvale Music"' 'category="Instrument"' \
    'is_instrument="1"' 'n_midi_inputs="1"' 'n_outputs="2"'; do
    [[ $info == *" $field"* ]] || fail "the cache lacks $field"
  done
  ;;
session)
  compare=$4
  export DAW_TEST_DIR=$here
  # A session an earlier run left would be opened instead of made anew.
  rm -rf "$work/session"
  mkdir -p "$work/out"
  run_lua() {
    local log=$work/$1.log
    shift
    timeout -k 10 60 ardour7-lua "$@" >"$log" 2>&1 || { cat "$log"; fail "ardour7-lua $* failed"; }
  }
  run_lua record "$here/record-session.lua" "$work/session" "$work/out"
  run_lua replay "$here/replay-session.lua" "$work/session/kestrion.ardour" "$work/out"
  "$compare" differ "$work/out/default.wav" "$work/out/recorded.wav" || fail "CutOff did not change the sound"
  "$compare" same "$work/out/recorded.wav" "$work/out/replayed.wav" || fail "the reloaded session sounds otherwise"
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "PASS: $mode"
