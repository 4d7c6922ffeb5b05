#!/usr/bin/env bash
# The host matrix: every format of the plug-in in every Linux host Debian
# packages, each trial through its host's script (ardour.sh, qtractor.sh,
# muse.sh, jalv.sh) on a virtual display of its own (:80 to :88), one after
# the other. Each trial's "check:" lines (loaded, sound, editor, drag,
# reload) go into docs/hosts.md as a table with the hosts' versions and the
# date, and one screenshot a trial, the editor after the drag, into
# docs/hosts/. Not part of the test command (tests/daw runs the reliable
# trials there). Run after a Linux build:
#   bash scripts/hosts.sh [BUILD]
# BUILD is the build tree (build/linux, the default). Each trial's files are
# under build/hosts/HOST-FORMAT, its log beside them in HOST-FORMAT.log. It
# fails when a check failed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD=$(realpath "${1:-$BUILD_ROOT/linux}")
WORK=$BUILD_ROOT/hosts
DOC=$KESTRION_ROOT/docs/hosts.md
SHOTS=$KESTRION_ROOT/docs/hosts
CHECKS=(loaded sound editor drag reload)

# The trials: host, format, its display, the plug-in as the build made it.
TRIALS=(
  "ardour VST2.4 :80 $BUILD/Kestrion.so"
  "ardour VST3 :81 $BUILD/Kestrion.vst3"
  "ardour LV2 :82 $BUILD/Kestrion.lv2"
  "qtractor VST2.4 :83 $BUILD/Kestrion.so"
  "qtractor CLAP :84 $BUILD/Kestrion.clap"
  "qtractor LV2 :85 $BUILD/Kestrion.lv2"
  "muse VST2.4 :86 $BUILD/Kestrion.so"
  "muse LV2 :87 $BUILD/Kestrion.lv2"
  "jalv LV2 :88 $BUILD/Kestrion.lv2"
)

declare -A HOST_NAME=([ardour]=Ardour [qtractor]=Qtractor [muse]=MusE [jalv]=jalv)
declare -A FORMAT_NAME=([VST2.4]="VST 2.4" [VST3]="VST 3" [CLAP]=CLAP [LV2]=LV2)

# A screenshot larger than this is halved for the docs.
MAX_SHOT_BYTES=400000
if command -v magick >/dev/null; then
  RESIZE=(magick)
elif [ -x /usr/bin/convert ]; then
  RESIZE=(/usr/bin/convert)
else
  RESIZE=()
fi

version_of() { dpkg-query -W -f '${Version}' "$1" 2>/dev/null || echo "not installed"; }

rm -rf "$WORK" "$SHOTS"
mkdir -p "$WORK" "$SHOTS"
rows=() notes=()
any_failed=0
for trial in "${TRIALS[@]}"; do
  read -r host format screen plugin <<<"$trial"
  name=$host-$(tr -d . <<<"${format,,}")
  dir=$WORK/$name trial_log=$WORK/$name.log
  log "hosts: $host, $format (display $screen)"
  begun=$SECONDS
  # Each script takes its display and its work folder from HOST_DISPLAY and
  # HOST_WORK.
  env "${host^^}_DISPLAY=$screen" "${host^^}_WORK=$dir" \
    bash "$KESTRION_ROOT/scripts/$host.sh" "$plugin" "$dir/$name.png" >"$trial_log" 2>&1
  status=$?
  took=$((SECONDS - begun))
  grep '^check: ' "$trial_log" || true
  echo "hosts: $name ended with status $status after $(format_seconds "$took")"

  row="| ${HOST_NAME[$host]} | $(version_of "$host") | ${FORMAT_NAME[$format]} |"
  for check in "${CHECKS[@]}"; do
    # A check the trial never reached failed.
    result=$(sed -n "s/^check: $check \([^ ]*\) .*/\1/p" "$trial_log" | tail -1)
    [ "${result:-fail}" != fail ] || any_failed=1
    row+=" ${result:-not reached} |"
  done
  row+=" $(format_seconds "$took") |"
  shot=$dir/$name-knob.png
  if [ -f "$shot" ]; then
    cp "$shot" "$SHOTS/$name.png"
    if [ "$(stat -c %s "$SHOTS/$name.png")" -gt $MAX_SHOT_BYTES ] && [ ${#RESIZE[@]} -gt 0 ]; then
      "${RESIZE[@]}" "$SHOTS/$name.png" -resize 50% "$SHOTS/$name.png"
    fi
    row+=" [$name.png](hosts/$name.png) |"
  else
    row+=" none |"
  fi
  rows+=("$row")
  # What went wrong, in the trial's own words.
  while IFS= read -r line; do
    notes+=("- ${HOST_NAME[$host]}, ${FORMAT_NAME[$format]}: ${line#check: }")
  done < <(grep -E '^check: [a-z]+ fail |^error: ' "$trial_log" || true)
done

log "hosts: writing $DOC"
{
  cat <<EOF
# Kestrion in the Linux hosts

Every format of the plug-in in every Linux host that Debian 12 packages, as
\`bash scripts/hosts.sh\` last found it on $(date -u +%F), each host on a
virtual display (Xvfb, no window manager) with a private home; Qtractor,
MusE and jalv on a dummy JACK server, Ardour on its dummy engine.

| Host | Version | Format | Loaded | Notes sound | Editor shown | Drag reached the host | Reload restored it | Time | Editor after the drag |
|------|---------|--------|--------|-------------|--------------|-----------------------|--------------------|------|-----------------------|
EOF
  printf '%s\n' "${rows[@]}"
  if [ ${#notes[@]} -gt 0 ]; then
    printf '\nWhat failed:\n'
    printf '%s\n' "${notes[@]}"
  fi
  cat <<EOF

Versions (\`dpkg-query -W -f '\${Version}'\`): ardour $(version_of ardour),
qtractor $(version_of qtractor), muse $(version_of muse), jalv $(version_of jalv).

What each check is:
- **Loaded**: the host's process has the plug-in's binary, as the trial
  installed it, mapped (\`/proc/PID/maps\`).
- **Notes sound**: three seconds of the host's output, recorded from JACK
  while the host plays notes (a looped clip in Qtractor, a looped part in
  MusE, a JACK MIDI sequencer into jalv), are not silent by sox's measure
  (RMS amplitude above 0.001). Ardour's dummy engine plays into nothing:
  there Ardour's Lua session runner (\`ardour7-lua\`) plays the saved
  session's region of notes through the plug-in into a file, measured the
  same way.
- **Editor shown**: the editor's window, as it shows on the screen, is
  neither black nor one flat colour.
- **Drag reached the host**: after a drag up on the CutOff knob, the
  session the host saves holds a CutOff other than the one it saved before
  (Qtractor saves nothing before: a changed session is the change); jalv
  keeps no session, so there the plug-in must take a new CutOff from the
  control port jalv writes (a debugger's trace, \`scripts/lv2-trace.gdb\`).
- **Reload restored it**: the host reopens the saved session and its editor,
  and the CutOff knob shows where the drag left it (the knob's pixels as
  after the drag, not as before it).

Time is the whole trial: starting the display, JACK and the host, playing,
the drag, saving, quitting and reopening. The daw tests of the test command
run the Qtractor and jalv trials (tests/daw).
EOF
} >"$DOC"
echo "hosts: $DOC and the screenshots in $SHOTS"
exit "$any_failed"
