-- Shared by the two ardour7-lua runs of the session test: the engine, the
-- parameter under test, the track's notes and a render of them through the
-- plug-in.
--
-- The renders are Ardour's bounce, not its export: Ardour 7.3's export, run
-- from ardour7-lua, corrupts the heap in about a third of the runs, with no
-- plug-in and no track in the session (it crashes in malloc or free, in its
-- export code or later). Its bounce runs the track on the calling thread while
-- the engine waits.

ARDOUR.config():set_hide_dummy_backend(false)
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")

-- The format under test, by Ardour's name: LXVST (VST 2.4), VST3 or LV2;
-- and how many parameters Ardour makes of the plug-in. VST 3 adds the 130
-- hidden MIDI parameters; its program parameter is Ardour's preset
-- selection, no control. For LV2 each port is one, audio and MIDI too, and
-- a control port's parameter number is its port index.
local format = os.getenv("DAW_PLUGIN_TYPE") or "LXVST"
kPluginType = assert(ARDOUR.PluginType[format], "unknown plug-in type")
kControlCount = ({LXVST = 70, VST3 = 200, LV2 = 74})[format]
kParameterCount = 70

kCutoff = 43          -- the plug-in's "CutOff" control
kCutoffParameter = ({LXVST = 43, VST3 = 43, LV2 = 47})[format]
-- Program 12 as the preset Ardour lists for it, in the formats whose
-- programs Ardour offers as presets.
kProgramPreset = ({VST3 = "VST3-P:4B65737472696F6E486172726F77766C:0012",
  LV2 = (os.getenv("KESTRION_LV2_URI") or "") .. "#program-12"})[format]
kCutoffValue = 0.0625  -- exact in binary, far darker than the default
kKeys = {48, 55, 60, 67}  -- one note a beat

-- Runs WORK(session), then closes the session. ardour7-lua frees the session
-- at once but leaves Lua's garbage collector to destroy the tracks, plug-ins
-- and regions the script still refers to, after it; a track destroyed that
-- late reads freed memory and corrupts the heap. So every such object lives
-- in WORK's locals, and is collected before the session goes.
function run_and_close(session, work)
  work(session)
  collectgarbage()
  close_session()
end

function kestrion_of(session)
  local track = session:route_by_name("Kestrion")
  assert(not track:isnil(), "no Kestrion track")
  local plugin = track:nth_plugin(0)
  assert(not plugin:isnil(), "the track holds no plug-in")
  assert(plugin:to_plugininsert():plugin(0):name() == "Kestrion", "the track's plug-in is not Kestrion")
  return track:to_track(), plugin
end

local function region_of(track)
  local region, count = nil, 0
  for r in track:playlist():region_list():iter() do region, count = r, count + 1 end
  assert(count == 1, "the track holds " .. count .. " regions")
  return region
end

-- A bounce reads the notes from a copy of the track's playlist that Ardour's
-- butler thread renders after each change (after a load too): wait until a
-- bounce of the bare notes holds them all, one engine cycle at a time.
function wait_for_notes(track)
  local region = region_of(track)
  local from = region:position():samples()
  local to = from + region:length():samples()
  for cycle = 1, 200 do
    local notes = track:bounce_range(from, to, ARDOUR.InterThreadInfo(), ARDOUR.LuaAPI.nil_proc(), false,
      "notes-seen"):to_midiregion()
    assert(not notes:isnil(), "no bounce of the notes")
    if ARDOUR.LuaAPI.note_list(notes:model()):size() == #kKeys then return end
    assert(ARDOUR.LuaAPI.wait_for_process_callback(1, 1000), "the engine stopped")
  end
  error("the track's notes never reached its playback")
end

-- Writes the span of the track's region, as PLUGIN plays it, to
-- FOLDER/NAME.wav: the left channel, 32-bit float.
function render_region(track, plugin, folder, name)
  local region = region_of(track)
  local from = region:position():samples()
  local sound = track:bounce_range(from, from + region:length():samples(), ARDOUR.InterThreadInfo(), plugin, true,
    name)
  assert(not sound:isnil(), "the bounce failed")
  local bounced = assert(io.open(sound:source(0):to_filesource():path(), "rb"))
  local copy = assert(io.open(folder .. "/" .. name .. ".wav", "wb"))
  copy:write(bounced:read("a"))
  bounced:close()
  copy:close()
end

-- The plug-in's parameters as Ardour's controls hold them, one a line, in
-- the form FOLDER/controls.txt keeps them.
function control_values(plugin)
  local lines = {}
  for i = 0, kParameterCount - 1 do
    lines[#lines + 1] = string.format("%.9g", ARDOUR.LuaAPI.get_processor_param(plugin, i))
  end
  return table.concat(lines, "\n") .. "\n"
end
