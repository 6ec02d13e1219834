-- Shared by the LV2 session scripts: ARGS (set before this file) names the
-- ports by symbol (ARGS.port_<symbol>), as the bundle numbers them.

-- The host parameter of a port of the processor.
function param_of_port(proc, port)
  local plugin = proc:to_insert():plugin(0)
  for i = 0, plugin:parameter_count() - 1 do
    local n, ok = plugin:nth_parameter(i, true)
    if n == port then return i end
  end
  error("no parameter for port " .. port)
end

-- Prints "name=value" for Tessaro's outputs and the probe's counts; the
-- track holds Tessaro second and the probe third.
function report(t)
  local p, probe = t:nth_plugin(1), t:nth_plugin(2)
  for _, name in ipairs({ "polyphony_now", "kill_now", "presets_switching_now", "program_now", "sounding_notes" }) do
    local port = ARGS["port_" .. name]
    print(name .. "=" .. math.floor(ARDOUR.LuaAPI.get_processor_param(p, param_of_port(p, port), true)))
  end
  local counts = probe:to_insert():plugin(0):to_luaproc():shmem():to_int(0):array()
  print("probe_most=" .. counts[1])
  print("probe_note_ons=" .. counts[2])
end

-- Waits until done() holds, at most seconds; false when it never did.
function wait_until(seconds, done)
  for _ = 1, seconds * 20 do
    if done() then return true end
    ARDOUR.LuaAPI.usleep(50000)
  end
  return done()
end
