-- Shared by the two ardour7-lua runs of the session test: the engine, the
-- parameter under test, an export of the track's notes.

ARDOUR.config():set_hide_dummy_backend(false)
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")

kCutoff = 43          -- the plug-in's "CutOff" parameter
kCutoffValue = 0.0625  -- exact in binary, far darker than the default
kPreset = os.getenv("ARDOUR_EXACT_PRESET")

function kestrion_of(session)
  local track = session:route_by_name("Kestrion")
  assert(not track:isnil(), "no Kestrion track")
  local plugin = track:nth_plugin(0)
  assert(not plugin:isnil(), "the track holds no plug-in")
  assert(plugin:to_plugininsert():plugin(0):name() == "Kestrion", "the track's plug-in is not Kestrion")
  return track, plugin
end

-- Writes the span of the track's region to FOLDER/NAME.wav. (Regions added
-- from Lua leave the session range unset, so the region says what to play.)
function export_region(session, track, folder, name)
  local region, count = nil, 0
  for r in track:playlist():region_list():iter() do region, count = r, count + 1 end
  assert(count == 1, "the track holds " .. count .. " regions")
  local export = session:simple_export()
  assert(export:set_preset(kPreset), "Ardour does not know the export preset")
  export:set_folder(folder)
  export:set_name(name)
  export:set_range(region:position():samples(), (region:position() + region:length()):samples())
  assert(export:check_outputs(), "nothing to export")
  assert(export:run_export(), "the export failed")
end
