# shellcheck shell=bash disable=SC2034
# Shared by setup.sh, test.sh and demo.sh: where things are and how a build
# tree is configured. Sourced, never run.

KESTRION_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_ROOT=$KESTRION_ROOT/build
JOBS=2

# libpng for the Windows cross build, built by setup.sh from Debian's source.
MINGW_DEPS_PREFIX=$BUILD_ROOT/deps/mingw
MINGW_TOOLCHAIN=$KESTRION_ROOT/cmake/mingw-w64-x86_64.cmake

# The 64-bit Wine loader; Debian 12 puts no wine64 on PATH.
WINE64=/usr/lib/wine/wine64

log() { printf '\n== %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Wall-clock seconds as m:ss.
format_seconds() { printf '%d:%02d' $(($1 / 60)) $(($1 % 60)); }

# configure_and_build DIR [CMAKE ARGS...]: configure DIR from the source tree
# (Ninja, RelWithDebInfo unless the arguments say otherwise) and build it all.
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$KESTRION_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" &&
    cmake --build "$dir" -j "$JOBS"
}

# Runs "$@" as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    die "installing packages needs root: run this script as root"
  fi
}

# at_panel_size PIXELS: a length on the panel at KESTRION_PANEL_SIZE percent
# (the host trials' panel size; 100 when unset), rounded as the editor does.
at_panel_size() { echo $((($1 * ${KESTRION_PANEL_SIZE:-100} + 50) / 100)); }

# The host trials: a drag up on the panel's CutOff knob in the editor's
# window WINDOW, at CUTOFF_KNOB (x y in the window), in eight steps.
drag_cutoff() {
  local window=$1 step
  xdotool mousemove --window "$window" "${CUTOFF_KNOB[@]}" sleep 0.2 mousedown 1
  for step in $(seq 8); do
    xdotool mousemove --window "$window" "${CUTOFF_KNOB[0]}" $((CUTOFF_KNOB[1] - 10 * step)) sleep 0.1
  done
  xdotool mouseup 1
  sleep 1
}

# choose_panel_size WINDOW PERCENT: Options > Panel Size > PERCENT in the
# editor's window WINDOW (at KESTRION_PANEL_SIZE), through the menu's keys:
# Up reaches the last entry, Right opens its submenu on "100 %".
choose_panel_size() {
  local window=$1 downs=$((($2 - 100) / 25)) _
  xdotool mousemove --window "$window" "$(at_panel_size 503)" "$(at_panel_size 339)" sleep 0.2 click 1
  sleep 0.8
  xdotool key Up sleep 0.2 key Right sleep 0.2
  for _ in $(seq "$downs"); do xdotool key Down sleep 0.1; done
  xdotool key Return
  sleep 2
}
