-- ardour7-lua record-session.lua SESSION_DIR OUT_DIR: makes a session with a
-- MIDI track playing Kestrion over a region of four notes, renders it with
-- CutOff set (OUT_DIR/recorded.wav) and with its default (OUT_DIR/default.wav)
-- and saves it with CutOff set, after choosing program 12 where Ardour lists
-- the programs as presets; OUT_DIR/controls.txt keeps the values saved.
dofile(os.getenv("DAW_TEST_DIR") .. "/session-common.lua")
local session_dir, out_dir = arg[1], arg[2]

local session = create_session(session_dir, "kestrion", 44100)
assert(session, "no session")
run_and_close(session, function(session)
  local tracks = session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
    ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Kestrion",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
  local track = tracks:front():to_track()
  local plugin = ARDOUR.LuaAPI.new_plugin(session, "Kestrion", kPluginType, "")
  assert(not plugin:isnil(), "Ardour does not know the plug-in")
  local controls = plugin:to_plugininsert():plugin(0)
  assert(controls:parameter_count() == kControlCount, "Ardour made " .. controls:parameter_count() .. " controls")
  assert(controls:parameter_label(kCutoffParameter) == "CutOff", "parameter " .. kCutoffParameter .. " is no CutOff")
  track:add_processor_by_index(plugin, 0, nil, true)
  if kProgramPreset then
    -- Ardour's preset menu lists the programs; choosing one returns (Ardour
    -- 7.3 holds a lock of its own while it sets the VST 3 program parameter).
    local chosen = controls:preset_by_uri(kProgramPreset)
    assert(chosen, "Ardour lists no preset for program 12")
    assert(controls:load_preset(chosen), "the preset " .. chosen.label .. " did not load")
  end

  -- Lua has no call that makes an empty MIDI region; bouncing the empty track
  -- with no processor in the way gives one, three seconds long.
  local region = track:bounce_range(0, 3 * 44100, ARDOUR.InterThreadInfo(), ARDOUR.LuaAPI.nil_proc(),
    false, "notes"):to_midiregion()
  assert(not region:isnil(), "no MIDI region")
  local notes = region:model():new_note_diff_command("notes")
  for beat, key in ipairs(kKeys) do
    notes:add(ARDOUR.LuaAPI.new_noteptr(0, Temporal.Beats(beat - 1, 0), Temporal.Beats(1, 0), key, 100))
  end
  region:model():apply_command(session, notes)
  track:playlist():add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)
  wait_for_notes(track)

  -- A render sounds as the plug-in's renders before it left it (a second
  -- render after a reload came out up to 10% brighter in some runs), so the
  -- one compared with the reloaded session's is this plug-in's first, as that
  -- one is.
  local default = ARDOUR.LuaAPI.get_processor_param(plugin, kCutoff)
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, kCutoff, kCutoffValue), "CutOff refused")
  render_region(track, plugin, out_dir, "recorded")
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, kCutoff, default), "CutOff refused its default")
  render_region(track, plugin, out_dir, "default")
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, kCutoff, kCutoffValue), "CutOff refused")
  -- Saved at once: Ardour hands a port's new value to an LV2 plug-in only at
  -- its next run, and the reloaded plug-in must still take it from the port.
  assert(session:save_state("", false, false, false, false, false) == 0, "the session was not saved")
  local saved = assert(io.open(out_dir .. "/controls.txt", "w"))
  saved:write(control_values(plugin))
  saved:close()
end)
print("recorded")
