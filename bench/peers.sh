#!/usr/bin/env bash
# Renders one MIDI file through kestrion-render with Kestrion and with the
# synth plug-ins Debian packages as Linux VST 2.4 modules (amsynth, Nekobi
# from dpf-plugins-vst), interleaved round by round so that machine noise
# falls on all alike, and prints each one's CPU time per audio second and its
# ratio to Kestrion's.
#   bash bench/peers.sh [ROUNDS]      (default 5; installs the peers with apt)
# Builds build/bench (Release) when kestrion-render or Kestrion.so is missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

ROUNDS=${1:-5}
BENCH_DIR=${KESTRION_BENCH_DIR:-$BUILD_ROOT/bench}
WORK=$BENCH_DIR/peers
SECONDS_OF_AUDIO=240

# --- The peers. -------------------------------------------------------------
missing=()
for pkg in amsynth dpf-plugins-vst; do
  dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null | grep -q '^ii' || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "peers: installing ${missing[*]}"
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi
find_module() { dpkg -L "$1" | grep -m1 "/$2\$" || die "$1 has no $2"; }
AMSYNTH=$(find_module amsynth amsynth_vst.so)
NEKOBI=$(find_module dpf-plugins-vst Nekobi-vst.so)

# --- Our build. -------------------------------------------------------------
RENDER=$BENCH_DIR/tools/render/kestrion-render
KESTRION=$BENCH_DIR/Kestrion.so
if [ ! -x "$RENDER" ] || [ ! -f "$KESTRION" ]; then
  log "peers: building $BENCH_DIR"
  cmake -S "$KESTRION_ROOT" -B "$BENCH_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRION_BENCH=ON
  cmake --build "$BENCH_DIR" -j "$JOBS" --target Kestrion kestrion-render
fi

# --- The song: one note line, an eighth note every quarter at 120 BPM. -------
mkdir -p "$WORK"
SONG=$WORK/note-line.mid
write_song() {
  local notes=$((SECONDS_OF_AUDIO * 2)) track="" i key
  # Delta times are in ticks of 480 per quarter: 240 = 0x81 0x70.
  for ((i = 0; i < notes; i++)); do
    key=$(printf '%02x' $((48 + (i * 5) % 24)))
    if [ "$i" -eq 0 ]; then track+='\x00'; else track+='\x81\x70'; fi
    track+="\\x90\\x$key\\x64"'\x81\x70'"\\x80\\x$key\\x00"
  done
  track+='\x00\xff\x2f\x00'
  local body
  body=$(printf "$track" | wc -c)
  {
    printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0'
    printf 'MTrk'
    printf "\\x$(printf '%02x' $((body >> 24 & 255)))\\x$(printf '%02x' $((body >> 16 & 255)))"
    printf "\\x$(printf '%02x' $((body >> 8 & 255)))\\x$(printf '%02x' $((body & 255)))"
    printf "$track"
  } >"$SONG"
}
write_song

# --- Interleaved rounds. ----------------------------------------------------
names=(Kestrion amsynth Nekobi)
modules=("$KESTRION" "$AMSYNTH" "$NEKOBI")
declare -A total
for name in "${names[@]}"; do total[$name]=0; done

cpu_seconds() {  # user + system CPU seconds of one render
  /usr/bin/time -o "$WORK/time.txt" -f '%U %S' "$RENDER" --tail 1 "$1" "$SONG" "$WORK/out.wav" >/dev/null 2>&1 ||
    die "kestrion-render failed with $1"
  awk '{ printf "%.4f", $1 + $2 }' "$WORK/time.txt"
}
[ -x /usr/bin/time ] || as_root apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends time

log "peers: $ROUNDS rounds of ${SECONDS_OF_AUDIO}s of audio"
for ((round = 1; round <= ROUNDS; round++)); do
  line="round $round:"
  for i in "${!names[@]}"; do
    t=$(cpu_seconds "${modules[$i]}")
    total[${names[$i]}]=$(awk -v a="${total[${names[$i]}]}" -v b="$t" 'BEGIN { printf "%.4f", a + b }')
    line+=" ${names[$i]} ${t}s"
  done
  echo "$line"
done

audio=$((SECONDS_OF_AUDIO + 1))
ours=$(awk -v t="${total[Kestrion]}" -v r="$ROUNDS" -v a="$audio" 'BEGIN { print t / r / a }')
printf '\n%-10s %16s %14s\n' plug-in "CPU ms/audio s" "ratio to ours"
for name in "${names[@]}"; do
  awk -v t="${total[$name]}" -v r="$ROUNDS" -v a="$audio" -v o="$ours" -v n="$name" \
    'BEGIN { c = t / r / a; printf "%-10s %16.3f %14.2f\n", n, c * 1000, c / o }'
done
