#!/usr/bin/env bash
# Opens the Linux module's editor in a real host, Ardour 7 (Debian's
# `ardour` package), on a virtual display, and takes a screenshot. Not part of
# the test command (tests/daw runs Ardour headless there). Run after a Linux
# build:
#   bash scripts/ardour.sh [MODULE] [SHOT.png]
# Everything Ardour writes goes under build/ardour (a private HOME), never
# into the user's own configuration.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

MODULE=$(realpath "${1:-$BUILD_ROOT/linux/Kestrion.so}")
SHOT=$(realpath -m "${2:-$BUILD_ROOT/ardour/ardour.png}")
WORK=$BUILD_ROOT/ardour
[ -f "$MODULE" ] || die "no module at $MODULE: build first"
{ command -v ardour && command -v import; } >/dev/null || {
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends ardour imagemagick xvfb
}

log "ardour: a private home, the module scanned"
source "$(dirname "${BASH_SOURCE[0]}")/ardour-home.sh"
prepare_ardour_home "$WORK" "$MODULE"

log "ardour: a session with one MIDI track playing Kestrion"
cat >"$WORK/make-session.lua" <<LUA
ARDOUR.config():set_hide_dummy_backend(false)
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session("$WORK/session", "kestrion", 44100)
assert(s, "no session")
local tracks = s:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
  ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Kestrion",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local track = tracks:front()
local plugin = ARDOUR.LuaAPI.new_plugin(s, "Kestrion", ARDOUR.PluginType.LXVST, "")
assert(not plugin:isnil(), "Ardour does not know the module")
track:add_processor_by_index(plugin, 0, nil, true)
print("WINDOW P-" .. track:to_stateful():id():to_s() .. "-" .. plugin:to_stateful():id():to_s())
s:save_state("", false, false, false, false, false)
close_session()
LUA
window=$(timeout 60 ardour7-lua "$WORK/make-session.lua" 2>&1 | sed -n 's/^WINDOW //p')
[ -n "$window" ] || die "ardour7-lua made no session"
# Ardour reopens the plug-in's own editor while loading a session that says
# its window was open.
sed -i "s|</Session>|  <Extra><UI><Window name=\"$window\" visible=\"1\" custom-ui=\"1\" x-off=\"20\" y-off=\"40\" x-size=\"1120\" y-size=\"460\"/></UI></Extra>\n</Session>|" \
  "$WORK/session/kestrion.ardour"

log "ardour: opening the session on a virtual display"
Xvfb :73 -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=:73 timeout 90 ardour -n -a "$WORK/session/kestrion.ardour" >"$WORK/ardour.log" 2>&1 &
ardour_pid=$!
sleep "${ARDOUR_WAIT:-35}"
mkdir -p "$(dirname "$SHOT")"
import -display :73 -window root "$SHOT"
kill "$ardour_pid" 2>/dev/null || true
wait "$ardour_pid" 2>/dev/null || true
echo "ardour: screenshot in $SHOT (log: $WORK/ardour.log)"
