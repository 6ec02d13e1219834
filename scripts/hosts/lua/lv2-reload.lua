-- The saved LV2 session loaded again: Tessaro reports what it restored, and
-- the probe what passes it.
AudioEngine:set_backend("None (Dummy)", "", "")
local s = load_session(ARGS.work .. "/" .. ARGS.session, ARGS.session)
assert(s, "the session does not load")
local t = s:route_by_name("Midi"):to_track()
local shm = t:nth_plugin(2):to_insert():plugin(0):to_luaproc():shmem()
wait_until(5, function() return shm:atomic_get_int(1) >= 40 end)
report(t)
close_session()
