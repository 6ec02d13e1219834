#!/bin/bash
# End-to-end check of the editor in a real host: Ardour 7 (Debian's ardour
# package) loads the x86_64 plug-in as the instrument of a MIDI track,
# headless under a private Xvfb. The check opens the plug-in's window,
# clicks the kill button and turns the polyphony dial up three steps with
# the wheel (xdotool), lays the host's popup menu over the editor and takes
# it away with Escape, closes the editor, saves the session and verifies
# that the host heard both parameter changes and quits without blocking.
# The LV2 block below then checks the LV2 bundle in the same host.
#
# Usage: scripts/test-hosts.sh [PLUGIN.so]   (default build/x86_64/tessaro.so)
# Environment: TESSARO_HOSTS_DISPLAY  X display number to use (default: the
#                                     first free one from 71)
#              TESSARO_HOSTS_KEEP=1   keep the work directory
#              TESSARO_HOSTS_LV2      LV2 bundle (default build/x86_64/tessaro.lv2)
# Exit status 0 when the host heard the changes and quit; the work
# directory (kept on failure) holds the session, Ardour's log and
# screenshots.
set -u

ROOT=$(cd "$(dirname "$0")/.." && pwd)
PLUGIN=${1:-$ROOT/build/x86_64/tessaro.so}
# Another run may hold a display: take the first free number from 71.
NUMBER=${TESSARO_HOSTS_DISPLAY:-}
if [ -z "$NUMBER" ]; then
    for n in $(seq 71 90); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            NUMBER=$n
            break
        fi
    done
    [ -n "$NUMBER" ] || { echo "test-hosts: no free X display number from 71 to 90" >&2; exit 2; }
fi
WORK=$(mktemp -d /tmp/tessaro-hosts.XXXXXX)
SESSION=tsrhost
XVFB_PID=
ARDOUR_PID=

fail() {
    echo "test-hosts: FAIL: $*" >&2
    shot failure
    echo "test-hosts: details in $WORK" >&2
    exit 1
}

cleanup() {
    [ -n "$ARDOUR_PID" ] && kill "$ARDOUR_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

shot() {
    command -v xwd >/dev/null && command -v convert >/dev/null &&
        xwd -root -display ":$NUMBER" 2>/dev/null | convert xwd:- "$WORK/$1.png" 2>/dev/null
    return 0
}

# Opens a session in Ardour's GUI and waits for its main window: sets
# ARDOUR_PID and MAIN (the window). Usage: start_ardour SESSION LOG
start_ardour() {
    ardour -n -a "$WORK/$1" >"$WORK/$2" 2>&1 &
    ARDOUR_PID=$!
    MAIN=
    for _ in $(seq 60); do
        MAIN=$(xdotool search --name "^\*?$1 - Ardour\$" 2>/dev/null | head -1)
        [ -n "$MAIN" ] && break
        kill -0 "$ARDOUR_PID" 2>/dev/null || fail "Ardour ended while starting (see $2)"
        # Dismisses the notice that the engine's device differs from the session's.
        xdotool key Return 2>/dev/null
        sleep 2
    done
    [ -n "$MAIN" ] || fail "Ardour's main window did not appear ($1)"
    sleep 3
}

for tool in ardour ardour7-lua Xvfb xdotool xwininfo xwd; do
    command -v "$tool" >/dev/null || { echo "test-hosts: $tool is not installed" >&2; exit 2; }
done
SCANNER=/usr/lib/ardour7/ardour-vst-scanner
[ -x "$SCANNER" ] || { echo "test-hosts: $SCANNER is missing" >&2; exit 2; }
[ -f "$PLUGIN" ] || { echo "test-hosts: no plug-in at $PLUGIN (build it first)" >&2; exit 2; }

# ---------------------------------------------------------------- LV2 ------
# The LV2 bundle in the same Ardour. A MIDI track runs a chord player (a Lua
# DSP, eight-note chords), Tessaro and a probe (a Lua DSP counting the most
# notes sounding at once). ardour7-lua makes the session: the player sends
# a program change (5) that Tessaro follows with Presets Switching on, the
# polyphony is set to 4 in that program, and the probe must see at most 4
# notes. Ardour then opens the editor inside its plug-in window; Kill is
# clicked and the dial turned up three steps; the saved session must hold
# both. Reloaded by ardour7-lua, Tessaro must come back in program 5 with
# Kill and polyphony 7 (the program port says 0: the restored state wins),
# and the probe must see at most 7 notes. Midi Through is under Touch
# automation: a click on it with the transport rolling (a touch gesture)
# must leave Ardour running and be recorded in its automation lane.
LV2_BUNDLE=${TESSARO_HOSTS_LV2:-$ROOT/build/x86_64/tessaro.lv2}
LV2_URI=http://tessaro-midi.eu/plugins/tessaro
LV2_SESSION=tsrlv2

# Prints "name=value" for Tessaro's outputs and the probe's counts; the
# session is in $s, the track in $t. Lua, shared by both session scripts.
lv2_report_lua() {
    cat <<'LUA'
local function param_of_port(proc, port)
  local plugin = proc:to_insert():plugin(0)
  for i = 0, plugin:parameter_count() - 1 do
    local n, ok = plugin:nth_parameter(i, true)
    if n == port then return i end
  end
  error("no parameter for port " .. port)
end
local function report(t)
  local p, probe = t:nth_plugin(1), t:nth_plugin(2)
  local outputs = { polyphony_now = 9, kill_now = 10, presets_switching_now = 12, program_now = 15, sounding_notes = 16 }
  for name, port in pairs(outputs) do
    print(name .. "=" .. math.floor(ARDOUR.LuaAPI.get_processor_param(p, param_of_port(p, port), true)))
  end
  local counts = probe:to_insert():plugin(0):to_luaproc():shmem():to_int(0):array()
  print("probe_most=" .. counts[1])
  print("probe_note_ons=" .. counts[2])
end
LUA
}

# The value of "name=" in a report file.
lv2_value() {
    sed -n "s/^$2=//p" "$1" | tail -1
}

lv2_expect() {
    local got
    got=$(lv2_value "$1" "$2")
    [ "$got" = "$3" ] || fail "LV2: $4 ($2 is '${got:-missing}', expected $3; see $1)"
}

lv2_checks() {
    [ -f "$LV2_BUNDLE/manifest.ttl" ] || fail "no LV2 bundle at $LV2_BUNDLE (build it first)"
    export LV2_PATH=$WORK/lv2:/usr/lib/lv2
    mkdir -p "$WORK/lv2" "$XDG_CONFIG_HOME/ardour7/scripts"
    cp -r "$LV2_BUNDLE" "$WORK/lv2/"

    cat > "$XDG_CONFIG_HOME/ardour7/scripts/tessaro_chords.lua" <<'LUA'
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
LUA
    cat > "$XDG_CONFIG_HOME/ardour7/scripts/tessaro_probe.lua" <<'LUA'
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
LUA

    echo "test-hosts: LV2: making a session with the chord player, Tessaro and the probe"
    {
        lv2_report_lua
        cat <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session("$WORK/$LV2_SESSION", "$LV2_SESSION", 48000)
assert(s, "no session")
local t = s:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1), ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Midi", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
local chords = ARDOUR.LuaAPI.new_luaproc(s, "Tessaro Test Chords")
local p = ARDOUR.LuaAPI.new_plugin(s, "$LV2_URI", ARDOUR.PluginType.LV2, "")
local probe = ARDOUR.LuaAPI.new_luaproc(s, "Tessaro Test Probe")
assert(not chords:isnil() and not probe:isnil(), "the Lua test processors are missing")
assert(not p:isnil(), "Tessaro (LV2) not found")
t:add_processor_by_index(chords, 0, nil, true)
t:add_processor_by_index(p, 1, nil, true)
t:add_processor_by_index(probe, 2, nil, true)
-- midi_through under Touch automation: the editor's click on it below sends
-- a touch gesture, which Ardour must survive.
local through = p:to_insert():to_automatable():automation_control(Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, 6), false)
assert(not through:isnil(), "no control for midi_through")
through:set_automation_state(ARDOUR.AutoState.Touch)
ARDOUR.LuaAPI.set_processor_param(p, param_of_port(p, 5), 1)  -- presets_switching
ARDOUR.LuaAPI.usleep(300000)
ARDOUR.LuaAPI.set_processor_param(chords, 0, 6)                -- program change 5
ARDOUR.LuaAPI.usleep(500000)
ARDOUR.LuaAPI.set_processor_param(p, param_of_port(p, 2), 4)  -- polyphony 4, in program 5
ARDOUR.LuaAPI.usleep(300000)
probe:to_insert():plugin(0):to_luaproc():shmem():atomic_set_int(0, 0)
ARDOUR.LuaAPI.usleep(1500000)
report(t)
ARDOUR.LuaAPI.set_processor_param(chords, 0, 0)
s:save_state("", false, false, false, false, false)
close_session()
LUA
    } > "$WORK/lv2-session.lua"
    ardour7-lua "$WORK/lv2-session.lua" > "$WORK/lv2-session.log" 2>&1
    local report=$WORK/lv2-session.log
    grep -q 'automation-id="parameter-6"[^>]*state="Touch"' "$WORK/$LV2_SESSION/$LV2_SESSION.ardour" 2>/dev/null ||
        fail "LV2: no session, or midi_through is not under Touch automation (see lv2-session.log)"
    lv2_expect "$report" program_now 5 "Tessaro did not follow the program change"
    lv2_expect "$report" polyphony_now 4 "the polyphony port did not reach the engine"
    lv2_expect "$report" probe_most 4 "the MIDI after Tessaro is not limited to 4 notes"
    [ "$(lv2_value "$report" probe_note_ons)" -gt 0 ] 2>/dev/null || fail "LV2: no notes came out of Tessaro"

    echo "test-hosts: LV2: opening the editor in Ardour"
    start_ardour "$LV2_SESSION" lv2-ardour.log
    local plugwin= kill= poly= x y
    # The mixer, then a double click on the track's second processor.
    xdotool mousemove 1325 72 click 1
    sleep 3
    xdotool mousemove 330 208 click --repeat 2 --delay 80 1
    for _ in $(seq 30); do
        plugwin=$(xdotool search --name '^Midi: Tessaro .*\[LV2\]$' 2>/dev/null | head -1)
        [ -n "$plugwin" ] && kill=$(xwininfo -tree -id "$plugwin" 2>/dev/null | grep ' 50x30+120+70 ' | head -1)
        [ -n "$kill" ] && break
        sleep 0.5
    done
    [ -n "$plugwin" ] || fail "Ardour opened no window for Tessaro (LV2)"
    [ -n "$kill" ] || fail "the editor did not appear inside Ardour's plug-in window"
    poly=$(xwininfo -tree -id "$plugwin" | grep ' 50x30+60+70 ' | head -1)
    sleep 2
    shot lv2-editor-before

    echo "test-hosts: LV2: clicking Kill and turning the polyphony dial"
    x=$(echo "$kill" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\1/')
    y=$(echo "$kill" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\2/')
    xdotool mousemove $((x + 25)) $((y + 15)) click 1
    sleep 1
    x=$(echo "$poly" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\1/')
    y=$(echo "$poly" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\2/')
    xdotool mousemove $((x + 25)) $((y + 15)) click 4 click 4 click 4
    sleep 2
    echo "test-hosts: LV2: clicking Midi Through, under Touch automation, with the transport rolling"
    local through
    through=$(xwininfo -tree -id "$plugwin" | grep ' 16x16+230+130 ' | head -1)
    x=$(echo "$through" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\1/')
    y=$(echo "$through" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\2/')
    xdotool windowfocus "$MAIN" key space
    sleep 1.5
    xdotool mousemove $((x + 8)) $((y + 8)) click 1
    sleep 1.5
    kill -0 "$ARDOUR_PID" 2>/dev/null || fail "LV2: Ardour crashed at a touch gesture on a port under Touch automation"
    # Stopping the transport writes the touch pass into midi_through's lane.
    xdotool windowfocus "$MAIN" key space
    sleep 2
    shot lv2-editor-after
    xdotool windowfocus "$MAIN" key ctrl+s
    sleep 4
    local file=$WORK/$LV2_SESSION/$LV2_SESSION.ardour
    local kill_port poly_port
    kill_port=$(grep -o '<Port symbol="kill" value="[^"]*"' "$file" | grep -o 'value="[^"]*"')
    poly_port=$(grep -o '<Port symbol="polyphony" value="[^"]*"' "$file" | grep -o 'value="[^"]*"')
    echo "test-hosts: LV2: the host holds kill $kill_port, polyphony $poly_port"
    [ "$kill_port" = 'value="1"' ] || fail "LV2: the host did not hear the kill button"
    [ "$poly_port" = 'value="7"' ] || fail "LV2: the host did not hear the polyphony dial (4 plus three steps)"
    # The click is a touch: Ardour records On while it lasts, then the lane
    # goes back to Off (what Touch automation does at the release).
    sed -n '/<AutomationList automation-id="parameter-6"/,/<\/AutomationList>/p' "$file" | grep -q '^[ab][0-9]* 1$' ||
        fail "LV2: Ardour recorded no touch automation for Midi Through"
    echo "test-hosts: LV2: Ardour recorded the touch on Midi Through as automation"
    grep -rq "$LV2_URI#bank" "$WORK/$LV2_SESSION/plugins" || fail "LV2: the session holds no Tessaro bank"

    xdotool windowfocus "$MAIN" key ctrl+q 2>/dev/null
    for _ in $(seq 20); do kill -0 "$ARDOUR_PID" 2>/dev/null || break; sleep 0.5; done
    kill -0 "$ARDOUR_PID" 2>/dev/null && fail "Ardour did not quit with the LV2 plug-in loaded"
    wait "$ARDOUR_PID"
    local status=$?
    ARDOUR_PID=
    [ "$status" -lt 128 ] || fail "Ardour ended with signal $((status - 128)) (LV2 session)"

    echo "test-hosts: LV2: reloading the session"
    {
        lv2_report_lua
        cat <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
local s = load_session("$WORK/$LV2_SESSION", "$LV2_SESSION")
assert(s, "the session does not load")
local t = s:route_by_name("Midi"):to_track()
ARDOUR.LuaAPI.usleep(1500000)
report(t)
close_session()
LUA
    } > "$WORK/lv2-reload.lua"
    ardour7-lua "$WORK/lv2-reload.lua" > "$WORK/lv2-reload.log" 2>&1
    report=$WORK/lv2-reload.log
    lv2_expect "$report" program_now 5 "the program did not survive save and reload"
    lv2_expect "$report" kill_now 1 "Kill did not survive save and reload"
    lv2_expect "$report" polyphony_now 7 "the polyphony did not survive save and reload"
    lv2_expect "$report" probe_most 7 "the MIDI after the reloaded Tessaro is not limited to 7 notes"
    echo "test-hosts: LV2: MIDI limited, editor inside Ardour, changes heard, state kept"
}
# ------------------------------------------------------------ end of LV2 ---

# A private home: Ardour's settings, plug-in cache and session stay here.
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_CACHE_HOME=$WORK/cache XDG_DATA_HOME=$WORK/data
export LXVST_PATH=$WORK/vst
mkdir -p "$HOME" "$XDG_CONFIG_HOME/ardour7" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$LXVST_PATH"
cp "$PLUGIN" "$LXVST_PATH/tessaro.so"
# Ardour takes an index no newer than the binary (whole seconds) as stale.
touch -d "@$(($(date +%s) - 10))" "$LXVST_PATH/tessaro.so"

# Skip the first-run wizard and start the silent dummy engine by itself.
touch "$XDG_CONFIG_HOME/ardour7/.a7"
cat > "$XDG_CONFIG_HOME/ardour7/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device="" output-device="" sample-rate="48000" buffer-size="1024" n-periods="0" input-latency="0" output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
XML

Xvfb ":$NUMBER" -screen 0 1600x1200x24 -noreset >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$NUMBER" ] && break; sleep 0.1; done
sleep 0.2
kill -0 "$XVFB_PID" 2>/dev/null || { echo "test-hosts: Xvfb could not start on :$NUMBER (see $WORK/xvfb.log)" >&2; exit 2; }
export DISPLAY=:$NUMBER

echo "test-hosts: indexing the plug-in"
LD_LIBRARY_PATH=/usr/lib/ardour7 "$SCANNER" -f "$LXVST_PATH/tessaro.so" >"$WORK/scan.log" 2>&1 ||
    fail "Ardour's scanner refused the plug-in (see scan.log)"

echo "test-hosts: making a session with a MIDI track and the plug-in"
cat > "$WORK/session.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session("$WORK/$SESSION", "$SESSION", 48000)
assert(s, "no session")
local tl = s:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1), ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Midi", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local p = ARDOUR.LuaAPI.new_plugin(s, "Tessaro", ARDOUR.PluginType.LXVST, "")
assert(not p:isnil(), "Tessaro not found")
tl:front():add_processor_by_index(p, 0, nil, true)
s:save_state("", false, false, false, false, false)
close_session()
LUA
ardour7-lua "$WORK/session.lua" >"$WORK/session.log" 2>&1
grep -q 'name="Tessaro"' "$WORK/$SESSION/$SESSION.ardour" 2>/dev/null || fail "the session has no Tessaro (see session.log)"

# --- Edit gestures under touch automation (begin) ---------------------------
# Ardour 7.3 crashes in its handling of audioMasterBeginEdit for a parameter
# under Touch or Latch automation, so the plug-in tells Ardour only of the
# changes. Midi Through goes under Touch here; clicking its button below
# must leave Ardour running.
cat > "$WORK/touch.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
local s = load_session("$WORK/$SESSION", "$SESSION")
assert(s, "no session")
local p = s:route_by_name("Midi"):nth_plugin(0)
local through = p:to_insert():to_automatable():automation_control(Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, 4), false)
assert(not through:isnil(), "no control for Midi Through")
through:set_automation_state(ARDOUR.AutoState.Touch)
s:save_state("", false, false, false, false, false)
close_session()
LUA
ardour7-lua "$WORK/touch.lua" >"$WORK/touch.log" 2>&1
grep -q 'automation-id="parameter-4"[^>]*state="Touch"' "$WORK/$SESSION/$SESSION.ardour" ||
    fail "Midi Through is not under Touch automation (see touch.log)"
# --- Edit gestures under touch automation (end) -----------------------------

echo "test-hosts: starting Ardour"
start_ardour "$SESSION" ardour.log

echo "test-hosts: opening the plug-in's window"
# The mixer, then a double click on the track's first processor.
xdotool mousemove 1325 72 click 1
sleep 3
xdotool mousemove 330 195 click --repeat 2 --delay 80 1
PANEL=
for _ in $(seq 30); do
    PANEL=$(xwininfo -root -tree 2>/dev/null | grep ' 260x162+0+0 ' | grep -v ' +0+0$' | head -1)
    [ -n "$PANEL" ] && break
    sleep 0.5
done
[ -n "$PANEL" ] || fail "the editor did not appear in the host's window"
X=$(echo "$PANEL" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\1/')
Y=$(echo "$PANEL" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\2/')
sleep 2
shot editor-before

echo "test-hosts: clicking Kill and turning the polyphony dial"
xdotool mousemove $((X + 145)) $((Y + 85)) click 1
sleep 1
xdotool mousemove $((X + 85)) $((Y + 85)) click 4 click 4 click 4
sleep 2

# --- Edit gestures under touch automation (begin) ---------------------------
echo "test-hosts: clicking Midi Through, under Touch automation"
xdotool mousemove $((X + 238)) $((Y + 138)) click 1
sleep 2
kill -0 "$ARDOUR_PID" 2>/dev/null || fail "Ardour crashed at an edit gesture on a parameter under Touch automation"
# --- Edit gestures under touch automation (end) -----------------------------
shot editor-after

echo "test-hosts: a popup menu over the editor, Escape, closing the editor"
# The plug-in's window goes right of and below the track's first processor,
# so that the processor's popup menu, opening at the pointer, lies over the
# editor. Taking the menu away uncovers the editor in a burst of exposures,
# which the host's editor thread must read to the end: if it is left
# waiting, closing the editor and quitting block for good.
PLUGIN_WINDOW=$(xdotool search --name "^Midi: Tessaro" 2>/dev/null | head -1)
[ -n "$PLUGIN_WINDOW" ] || fail "the host's window of the editor was not found"
PANEL_ID=$(echo "$PANEL" | awk '{print $1}')
# What the screen shows where the editor is.
picture() { xwd -silent -id "$PANEL_ID" 2>/dev/null | md5sum; }
xdotool windowmove "$PLUGIN_WINDOW" 360 220
sleep 1
SHOWN=$(picture)
xdotool mousemove 330 195 click 3
sleep 2
shot popup-menu
[ "$(picture)" != "$SHOWN" ] || fail "the popup menu does not lie over the editor"
xdotool key Escape
sleep 2
shot popup-gone
[ "$(picture)" = "$SHOWN" ] || fail "the editor was not drawn again after the popup menu"
# A double click on the processor closes the editor.
xdotool mousemove 330 195 click --repeat 2 --delay 80 1
sleep 2
xwininfo -id "$PLUGIN_WINDOW" 2>/dev/null | grep -q IsViewable && fail "the editor did not close"

FILE=$WORK/$SESSION/$SESSION.ardour
touch -d "@$(($(date +%s) - 2))" "$WORK/before-save"
xdotool windowfocus "$MAIN" key ctrl+s
sleep 4
[ "$FILE" -nt "$WORK/before-save" ] || fail "Ardour did not save the session (is it blocked?)"
KILL=$(grep -o '<Controllable name="OP: Kill"[^>]*' "$FILE" | grep -o 'value="[^"]*"')
POLY=$(grep -o '<Controllable name="OP: Polyphony"[^>]*' "$FILE" | grep -o 'value="[^"]*"')
echo "test-hosts: the host holds Kill $KILL, Polyphony $POLY"
[ "$KILL" = 'value="1"' ] || fail "the host did not hear the kill button"
case "$POLY" in
    value=\"0.1496*) ;;  # 19 / 127: the default 16 plus three steps
    *) fail "the host did not hear the polyphony dial" ;;
esac

xdotool windowfocus "$MAIN" key ctrl+q 2>/dev/null
for _ in $(seq 20); do kill -0 "$ARDOUR_PID" 2>/dev/null || break; sleep 0.5; done
if kill -0 "$ARDOUR_PID" 2>/dev/null; then
    fail "Ardour did not quit within 10 s with the plug-in loaded (is it blocked?)"
fi
wait "$ARDOUR_PID"
STATUS=$?
ARDOUR_PID=
[ "$STATUS" -lt 128 ] || fail "Ardour ended with signal $((STATUS - 128)) when it unloaded the plug-in"
lv2_checks
echo "test-hosts: PASS (Ardour 7 heard the editor's changes, in the VST 2 and the LV2 plug-in)"
[ "${TESSARO_HOSTS_KEEP:-0}" = 1 ] || rm -rf "$WORK"
exit 0
