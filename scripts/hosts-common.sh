# shellcheck shell=bash
# Shared by the scripts that run the plug-in in real hosts on a virtual
# display (ardour.sh, qtractor.sh, muse.sh, jalv.sh) and by the daw tests:
# a private home, the LV2 bundle where a host looks for it, the processes
# started and their stop, a virtual display, a dummy JACK server and
# recordings of what it plays, and the checks of a trial. Sourced, never
# run; the checks of the editor need common.sh's at_panel_size.

# private_home WORK: empties WORK and makes WORK/home the home, with the XDG
# folders inside it, so that nothing a host writes reaches the user's own.
private_home() {
  rm -rf "$1"
  mkdir -p "$1/home/run"
  chmod 700 "$1/home/run"
  export HOME=$1/home XDG_CONFIG_HOME=$1/home/.config XDG_CACHE_HOME=$1/home/.cache
  export XDG_DATA_HOME=$1/home/.local/share XDG_RUNTIME_DIR=$1/home/run
  # KESTRION_PANEL_SIZE (a percent of the panel's sizes) is the size the
  # user chose last, as the configuration file keeps it.
  if [ -n "${KESTRION_PANEL_SIZE:-}" ]; then
    mkdir -p "$XDG_CONFIG_HOME/HarrowvaleMusic"
    printf '[Global]\nPanel Size=%s\n' "$KESTRION_PANEL_SIZE" >"$XDG_CONFIG_HOME/HarrowvaleMusic/kestrion.ini"
  fi
}

# install_lv2_bundle BUNDLE DIR: a copy of BUNDLE in DIR, with the system's
# bundles linked beside it as a user's LV2 path has them (the LV2 core
# bundle names the instrument class), but never an installed copy of this
# one; LV2_PATH is DIR alone.
install_lv2_bundle() {
  local bundle
  mkdir -p "$2"
  cp -r "$1" "$2/Kestrion.lv2"
  for bundle in /usr/lib/lv2/*.lv2; do
    [ "$(basename "$bundle")" = Kestrion.lv2 ] || ln -s "$bundle" "$2/"
  done
  export LV2_PATH=$2
}

# lv2_uri BUNDLE: the plug-in's URI, as the bundle's manifest names it first.
lv2_uri() { sed -n 's/^<\([^#>]*\)>$/\1/p' "$1/manifest.ttl" | head -1; }

# host_wrapper: the command a host runs under. With LV2_TRACE set, gdb
# prints into the host's log the LV2 features the host hands to the plug-in
# and its UI and the control port values the plug-in takes
# (scripts/lv2-trace.gdb).
host_wrapper() {
  [ -z "${LV2_TRACE:-}" ] ||
    echo "gdb -batch -x $(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lv2-trace.gdb --args"
}

# need_commands COMMAND...: stops unless every COMMAND is installed.
need_commands() {
  local command
  for command in "$@"; do
    command -v "$command" >/dev/null ||
      { printf 'error: no %s: scripts/setup.sh installs it\n' "$command" >&2; exit 1; }
  done
}

# Every process started through `started+=($!)` is stopped on the way out,
# newest first: `trap stop_started EXIT`; one that is still there five
# seconds after a TERM (a host asking whether to save) is killed. A TERM or
# an INT (a test's time running out, Ctrl+C) ends the script through that
# trap too.
started=()
trap 'exit 143' TERM
trap 'exit 130' INT
# A command that ends a trial through `set -e` says so, in a function too.
set -o errtrace
trap 'printf "error: %s failed (%s, line %s)\n" "$BASH_COMMAND" "${BASH_SOURCE[0]##*/}" "$LINENO" >&2' ERR
stop_started() {
  local i pid _
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    pid=${started[i]}
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

# start_display SCREEN SIZE LOG: an Xvfb of SIZE (e.g. 1600x1000) on SCREEN,
# exported as DISPLAY once it answers; a larger one for a panel above 100 %.
# SCREEN "auto" takes the first free display number (the daw tests run
# beside other tests that have displays of their own).
start_display() {
  local size=$2 screen=$1 number_file
  [ "${KESTRION_PANEL_SIZE:-100}" -le 100 ] && [ -z "${KESTRION_CHOOSE_SIZE:-}" ] || size=2800x1600
  if [ "$screen" = auto ]; then
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$number_file" >"$3" 2>&1 &
  else
    Xvfb "$screen" -screen 0 "${size}x24" -nolisten tcp >"$3" 2>&1 &
  fi
  started+=($!)
  local _
  for _ in $(seq 50); do
    if [ "$screen" = auto ] && [ -s "$number_file" ]; then screen=:$(head -1 "$number_file"); fi
    if [ "$screen" != auto ] && DISPLAY=$screen xdotool getmouselocation >/dev/null 2>&1; then
      export DISPLAY=$screen
      [ -z "${number_file:-}" ] || rm -f "$number_file"
      return
    fi
    sleep 0.1
  done
  printf 'error: the virtual display %s did not start (see %s)\n' "$1" "$3" >&2
  exit 1
}

# start_jack NAME LOG: a JACK server on the dummy driver, 48 kHz, 1024 frames
# a period, under the private server name NAME (JACK_DEFAULT_SERVER). Its
# clients are not wholly private: JACK 1.9.21 names the socket on which a
# client takes its server's first call by the client's name alone, so two
# clients of one name (two Qtractors, two jack_recs) opening at the same
# moment on two servers can take each other's call and fail.
start_jack() {
  export JACK_DEFAULT_SERVER=$1
  jackd --no-realtime -d dummy -r 48000 -p 1024 >"$2" 2>&1 &
  started+=($!)
  jack_wait -w -t 10 >/dev/null 2>&1 || { printf 'error: no JACK server (see %s)\n' "$2" >&2; exit 1; }
}

# record FILE PORT...: three seconds of the JACK output PORTs into FILE, and
# its measure.
record() {
  local file=$1
  shift
  timeout 20 jack_rec -f "$file" -d 3 "$@" >"${file%.wav}.log" 2>&1 ||
    { printf 'error: jack_rec could not record %s (see %s)\n' "$*" "${file%.wav}.log" >&2; exit 1; }
  measure "$file"
}

# measure FILE: sox's measure of the sound file FILE, each line led by its
# name, kept beside it as a .txt file too.
measure() {
  sox "$1" -n stat 2>&1 | grep -E 'Maximum amplitude|RMS +amplitude|Rough +frequency' |
    sed "s/^/$(basename "$1" .wav): /" | tee "${1%.wav}.txt"
}

# The trials' verdicts, one line each, which scripts/hosts.sh reads:
# "check: NAME pass|fail|n/a (WHY)", NAME one of loaded, sound, editor,
# drag, reload. checks_passed, at the end, ends the script with a failure
# when one failed.
failed_checks=()
check() {
  printf 'check: %s %s (%s)\n' "$1" "$2" "$3"
  [ "$2" != fail ] || failed_checks+=("$1")
}
checks_passed() {
  [ ${#failed_checks[@]} -eq 0 ] || { printf 'FAILED: %s\n' "${failed_checks[*]}" >&2; exit 1; }
}

# check_loaded PID FILE: whether the host, PID or a process it started (a
# debugger's, a launcher's), has mapped FILE, the plug-in's binary as the
# trial installed it.
check_loaded() {
  local file pid pids=("$1") i=0
  file=$(realpath "$2")
  while [ $i -lt ${#pids[@]} ]; do
    # shellcheck disable=SC2207 # process ids
    pids+=($(pgrep -P "${pids[i]}" || true))
    i=$((i + 1))
  done
  # The host's own process first, not the debugger that reads its files.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    if grep -qF "$file" "/proc/$pid/maps" 2>/dev/null; then
      check loaded pass "$(cat "/proc/$pid/comm") ($pid) maps $file"
      return
    fi
  done
  check loaded fail "no process of the host maps $file"
}

# check_sound FILE: whether the sound file FILE holds sound, by the measure
# that `measure` kept.
check_sound() {
  local rms
  rms=$(sed -n 's/.*RMS *amplitude: *//p' "${1%.wav}.txt" 2>/dev/null)
  if awk -v rms="${rms:-0}" 'BEGIN { exit !(rms > 0.001) }'; then
    check sound pass "RMS amplitude $rms in $(basename "$1")"
  else
    check sound fail "RMS amplitude ${rms:-unknown} in $(basename "$1")"
  fi
}

# editor_image WINDOW FILE: the editor's window as it shows on the screen.
editor_image() { import -window "$1" "$2"; }

# check_editor FILE: whether the editor's image FILE shows something: not
# black, not one flat colour.
check_editor() {
  local figures
  figures=$(identify -format '%[fx:mean] %[fx:standard_deviation]' "$1" 2>/dev/null || echo "0 0")
  if awk -v mean="${figures% *}" -v spread="${figures#* }" 'BEGIN { exit !(mean > 0.02 && spread > 0.02) }'; then
    check editor pass "$(basename "$1"): mean ${figures% *}, deviation ${figures#* }"
  else
    check editor fail "$(basename "$1"): mean ${figures% *}, deviation ${figures#* }: black or empty"
  fi
}

# knob_image WINDOW FILE: the CutOff knob (CUTOFF_KNOB in WINDOW) as it
# shows on the screen, a square around it.
knob_image() {
  local half
  half=$(at_panel_size 24)
  import -window "$1" -crop "$((2 * half))x$((2 * half))+$((CUTOFF_KNOB[0] - half))+$((CUTOFF_KNOB[1] - half))" \
    +repage "$2"
}

# differing_pixels A B: how many pixels of the images A and B differ by
# more than a little.
differing_pixels() {
  local count
  # compare's status says whether the images differ: the count is the answer.
  count=$(compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 || true)
  echo "${count%%[!0-9]*}"
}

# check_drag BEFORE AFTER: whether the host's saved CutOff, BEFORE the drag
# and AFTER it, changed.
check_drag() {
  if [ -n "$2" ] && [ "$1" != "$2" ] && awk -v a="${1:-0}" -v b="$2" 'BEGIN { exit !(a != b) }'; then
    check drag pass "the saved CutOff went from ${1:-none} to $2"
  else
    check drag fail "the saved CutOff went from ${1:-none} to ${2:-none}"
  fi
}

# check_reload BEFORE AFTER REOPENED: whether the knob's images before the
# drag, after it and in the reopened session show the knob moved and put
# back where the drag left it.
check_reload() {
  local moved kept
  moved=$(differing_pixels "$1" "$2")
  kept=$(differing_pixels "$2" "$3")
  if [ "${moved:-0}" -gt 20 ] && [ "${kept:-999}" -le 5 ]; then
    check reload pass "the knob moved ($moved pixels) and came back as left ($kept pixels differ)"
  else
    check reload fail "the knob moved ${moved:-?} pixels; ${kept:-?} differ from it reopened"
  fi
}
