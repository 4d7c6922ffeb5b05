-- ardour7-lua replay-session.lua SESSION_FILE OUT_DIR: loads the session the
-- recording run saved, checks that CutOff kept its value and exports it
-- twice, as the recording run did (OUT_DIR/reloaded.wav, OUT_DIR/replayed.wav).
-- Consecutive exports of one session in one run differ in level from moment
-- to moment (up to a factor of two over half a second): the instrument's
-- detuned oscillators run freely and Ardour keeps running the plug-in between
-- exports, so each export starts from other phases. Each run's second export
-- is the one compared, and by loudness and brightness over the whole region.
dofile(os.getenv("DAW_TEST_DIR") .. "/session-common.lua")
local session_file, out_dir = arg[1], arg[2]

local session = load_session(session_file:match("(.*)/"), session_file:match("([^/]*)%.ardour$"))
assert(session, "the session did not load")
local track, plugin = kestrion_of(session)
local value = ARDOUR.LuaAPI.get_processor_param(plugin, kCutoff)
assert(value == kCutoffValue, "CutOff came back as " .. tostring(value))
export_region(session, track:to_track(), out_dir, "reloaded")
export_region(session, track:to_track(), out_dir, "replayed")
close_session()
print("replayed")
