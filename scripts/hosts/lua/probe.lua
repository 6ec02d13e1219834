ardour { ["type"] = "dsp", name = "Tessaro Test Probe", category = "Utility", license = "MIT",
         author = "tessaro-midi.eu", description = [[Counts incoming notes: most sounding at once, note-ons]] }
function dsp_ioconfig () return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 }, } end
local sounding, count = {}, 0
function dsp_init (rate)
  self:shmem ():allocate (2)
  self:shmem ():atomic_set_int (0, 0)
  self:shmem ():atomic_set_int (1, 0)
end
function dsp_run (_, _, n_samples)
  local shm = self:shmem ()
  for _, b in pairs (midiin) do
    local d = b["data"]
    if #d == 3 then
      local kind, key = d[1] & 0xF0, (d[1] & 0x0F) * 128 + d[2]
      if kind == 0x90 and d[3] > 0 then
        if not sounding[key] then sounding[key] = true; count = count + 1 end
        shm:atomic_set_int (1, shm:atomic_get_int (1) + 1)
        if count > shm:atomic_get_int (0) then shm:atomic_set_int (0, count) end
      elseif (kind == 0x80 or kind == 0x90) and sounding[key] then
        sounding[key] = nil; count = count - 1
      end
    end
  end
end
