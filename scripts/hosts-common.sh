# shellcheck shell=bash
# Shared by the scripts that run the plug-in in real hosts on a virtual
# display (ardour.sh, qtractor.sh, muse.sh, jalv.sh) and by the daw tests:
# a private home, the LV2 bundle where a host looks for it, the processes
# started and their stop, a virtual display, a dummy JACK server and
# recordings of what it plays. Sourced, never run; needs nothing else.

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
# newest first: `trap stop_started EXIT`.
started=()
stop_started() {
  local i
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    kill "${started[i]}" 2>/dev/null || true
    wait "${started[i]}" 2>/dev/null || true
  done
}

# start_display SCREEN SIZE LOG: an Xvfb of SIZE (e.g. 1600x1000) on SCREEN,
# exported as DISPLAY once it answers; a larger one for a panel above 100 %.
start_display() {
  local size=$2
  [ "${KESTRION_PANEL_SIZE:-100}" -le 100 ] && [ -z "${KESTRION_CHOOSE_SIZE:-}" ] || size=2800x1600
  Xvfb "$1" -screen 0 "${size}x24" -nolisten tcp >"$3" 2>&1 &
  started+=($!)
  export DISPLAY=$1
  local _
  for _ in $(seq 50); do
    if xdotool getmouselocation >/dev/null 2>&1; then return; fi
    sleep 0.1
  done
  printf 'error: the virtual display %s did not start (see %s)\n' "$1" "$3" >&2
  exit 1
}

# start_jack NAME LOG: a JACK server on the dummy driver, 48 kHz, 1024 frames
# a period, under the private server name NAME (JACK_DEFAULT_SERVER).
start_jack() {
  export JACK_DEFAULT_SERVER=$1
  jackd --no-realtime -d dummy -r 48000 -p 1024 >"$2" 2>&1 &
  started+=($!)
  jack_wait -w -t 10 >/dev/null 2>&1 || { printf 'error: no JACK server (see %s)\n' "$2" >&2; exit 1; }
}

# record FILE PORT...: three seconds of the JACK output PORTs into FILE, and
# sox's measure of them, each line led by FILE's name.
record() {
  local file=$1 name
  shift
  name=$(basename "$file" .wav)
  timeout 20 jack_rec -f "$file" -d 3 "$@" >/dev/null 2>&1
  sox "$file" -n stat 2>&1 | grep -E 'Maximum amplitude|RMS +amplitude|Rough +frequency' | sed "s/^/$name: /"
}
