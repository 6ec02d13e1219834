-- A session with a MIDI track: the chord player, Tessaro (LV2) and the
-- probe. The player sends program change 5, which Tessaro follows with
-- Presets Switching on; the polyphony is then set to 4 in that program and
-- the probe counts the notes Tessaro lets through. Midi Through goes under
-- Touch automation for the editor's touch gesture in Ardour.
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session(ARGS.work .. "/" .. ARGS.session, ARGS.session, 48000)
assert(s, "no session")
local t = s:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1), ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Midi", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
local chords = ARDOUR.LuaAPI.new_luaproc(s, "Tessaro Test Chords")
local p = ARDOUR.LuaAPI.new_plugin(s, ARGS.uri, ARDOUR.PluginType.LV2, "")
local probe = ARDOUR.LuaAPI.new_luaproc(s, "Tessaro Test Probe")
assert(not chords:isnil() and not probe:isnil(), "the Lua test processors are missing")
assert(not p:isnil(), "Tessaro (LV2) not found")
t:add_processor_by_index(chords, 0, nil, true)
t:add_processor_by_index(p, 1, nil, true)
t:add_processor_by_index(probe, 2, nil, true)
local through = p:to_insert():to_automatable():automation_control(Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, ARGS.port_midi_through), false)
assert(not through:isnil(), "no control for midi_through")
through:set_automation_state(ARDOUR.AutoState.Touch)
local function now(name) return math.floor(ARDOUR.LuaAPI.get_processor_param(p, param_of_port(p, ARGS["port_" .. name]), true)) end
ARDOUR.LuaAPI.set_processor_param(p, param_of_port(p, ARGS.port_presets_switching), 1)
assert(wait_until(5, function() return now("presets_switching_now") == 1 end), "presets switching did not reach the engine")
ARDOUR.LuaAPI.set_processor_param(chords, 0, 6)                -- program change 5
wait_until(5, function() return now("program_now") == 5 end)
ARDOUR.LuaAPI.set_processor_param(p, param_of_port(p, ARGS.port_polyphony), 4)  -- in program 5
wait_until(5, function() return now("polyphony_now") == 4 end)
-- The probe counts from here: wait for a few chords to pass.
local shm = probe:to_insert():plugin(0):to_luaproc():shmem()
shm:atomic_set_int(0, 0)
local ons = shm:atomic_get_int(1)
wait_until(5, function() return shm:atomic_get_int(1) >= ons + 40 end)
report(t)
ARDOUR.LuaAPI.set_processor_param(chords, 0, 0)
s:save_state("", false, false, false, false, false)
close_session()
