-- A session with a MIDI track and Tessaro (VST 2) as its instrument. Midi
-- Through goes under Touch automation: Ardour 7.3 crashes in its handling
-- of audioMasterBeginEdit for such a parameter, so the plug-in tells it
-- only of the changes, and the click on Midi Through must leave it running.
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session(ARGS.work .. "/" .. ARGS.session, ARGS.session, 48000)
assert(s, "no session")
local tl = s:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1), ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Midi", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local p = ARDOUR.LuaAPI.new_plugin(s, "Tessaro", ARDOUR.PluginType.LXVST, "")
assert(not p:isnil(), "Tessaro not found")
tl:front():add_processor_by_index(p, 0, nil, true)
local through = p:to_insert():to_automatable():automation_control(Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, ARGS.param_midi_through), false)
assert(not through:isnil(), "no control for Midi Through")
through:set_automation_state(ARDOUR.AutoState.Touch)
s:save_state("", false, false, false, false, false)
close_session()
