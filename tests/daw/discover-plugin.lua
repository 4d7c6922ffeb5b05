-- ardour7-lua discover-plugin.lua SESSION_DIR: what Ardour's plug-in
-- discovery found of Kestrion in the format under test, a line per plug-in:
-- <PluginInfo field="value" .../>. Ardour fills its plug-in lists when a
-- session opens, so an empty one is made in SESSION_DIR.
dofile(os.getenv("DAW_TEST_DIR") .. "/session-common.lua")

local session = create_session(arg[1], "discovery", 44100)
assert(session, "no session")
run_and_close(session, function()
  for info in ARDOUR.LuaAPI.list_plugins():iter() do
    if info.type == kPluginType and info.name == "Kestrion" then
      print(string.format('<PluginInfo unique_id="%s" name="%s" creator="%s" category="%s" is_instrument="%d"' ..
        ' n_inputs="%d" n_midi_inputs="%d" n_outputs="%d" n_midi_outputs="%d" presets="%d"/>',
        info.unique_id, info.name, info.creator, info.category, info:is_instrument() and 1 or 0,
        info.n_inputs:n_audio(), info.n_inputs:n_midi(), info.n_outputs:n_audio(), info.n_outputs:n_midi(),
        info:get_presets():size()))
    end
  end
end)
