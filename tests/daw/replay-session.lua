-- ardour7-lua replay-session.lua SESSION_FILE OUT_DIR: loads the session the
-- recording run saved, checks that CutOff and the program's other values
-- kept theirs and renders it as the recording run did (OUT_DIR/replayed.wav).
dofile(os.getenv("DAW_TEST_DIR") .. "/session-common.lua")
local session_file, out_dir = arg[1], arg[2]

local session = load_session(session_file:match("(.*)/"), session_file:match("([^/]*)%.ardour$"))
assert(session, "the session did not load")
run_and_close(session, function(session)
  local track, plugin = kestrion_of(session)
  local value = ARDOUR.LuaAPI.get_processor_param(plugin, kCutoff)
  assert(value == kCutoffValue, "CutOff came back as " .. tostring(value))
  local saved = assert(io.open(out_dir .. "/controls.txt", "r"))
  local expected = saved:read("a")
  saved:close()
  assert(control_values(plugin) == expected, "the controls came back otherwise:\n" .. control_values(plugin))
  wait_for_notes(track)
  render_region(track, plugin, out_dir, "replayed")
end)
print("replayed")
