ardour { ["type"] = "dsp", name = "Tessaro Test Chords", category = "Utility", license = "MIT",
         author = "tessaro-midi.eu", description = [[Eight-note chords ten times a second; a program change on request]] }
function dsp_ioconfig () return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 }, } end
function dsp_params ()
  return { { ["type"] = "input", name = "Program change", min = 0, max = 32, default = 0, integer = true } }
end
local rate, clock, chord, sent = 48000, 0, 0, 0
function dsp_init (r) rate = r end
function dsp_run (_, _, n_samples)
  local cnt = 1
  local function tx (time, data) midiout[cnt] = { ["time"] = time, ["data"] = data }; cnt = cnt + 1 end
  local program = math.floor (CtrlPorts:array ()[1])
  if program ~= sent then
    sent = program
    if program > 0 then tx (1, { 0xC0, program - 1 }) end
  end
  local period = math.floor (rate / 10)
  for t = 1, n_samples do
    if (clock + t) % period == 0 then
      local base, old = 40 + (chord % 2) * 20, 40 + ((chord + 1) % 2) * 20
      if chord > 0 then for i = 0, 7 do tx (t, { 0x80, old + i, 0 }) end end
      for i = 0, 7 do tx (t, { 0x90, base + i, 100 }) end
      chord = chord + 1
    end
  end
  clock = clock + n_samples
end
