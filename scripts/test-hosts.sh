#!/bin/bash
# End-to-end check of the editor in a real host: Ardour 7 (Debian's ardour
# package) loads the x86_64 plug-in as the instrument of a MIDI track,
# headless under a private Xvfb. The check opens the plug-in's window,
# clicks the kill button and turns the polyphony dial up three steps with
# the wheel (xdotool), saves the session and verifies that the host heard
# both parameter changes.
#
# Usage: scripts/test-hosts.sh [PLUGIN.so]   (default build/x86_64/tessaro.so)
# Environment: TESSARO_HOSTS_DISPLAY  X display number to use (default 71)
#              TESSARO_HOSTS_KEEP=1   keep the work directory
# Exit status 0 when the host heard the changes; the work directory (kept
# on failure) holds the session, Ardour's log and screenshots.
set -u

ROOT=$(cd "$(dirname "$0")/.." && pwd)
PLUGIN=${1:-$ROOT/build/x86_64/tessaro.so}
NUMBER=${TESSARO_HOSTS_DISPLAY:-71}
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

for tool in ardour ardour7-lua Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "test-hosts: $tool is not installed" >&2; exit 2; }
done
SCANNER=/usr/lib/ardour7/ardour-vst-scanner
[ -x "$SCANNER" ] || { echo "test-hosts: $SCANNER is missing" >&2; exit 2; }
[ -f "$PLUGIN" ] || { echo "test-hosts: no plug-in at $PLUGIN (build it first)" >&2; exit 2; }

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
ardour -n -a "$WORK/$SESSION" >"$WORK/ardour.log" 2>&1 &
ARDOUR_PID=$!
MAIN=
for _ in $(seq 60); do
    MAIN=$(xdotool search --name "^\*?$SESSION - Ardour\$" 2>/dev/null | head -1)
    [ -n "$MAIN" ] && break
    kill -0 "$ARDOUR_PID" 2>/dev/null || fail "Ardour ended while starting (see ardour.log)"
    # Dismisses the notice that the engine's device differs from the session's.
    xdotool key Return 2>/dev/null
    sleep 2
done
[ -n "$MAIN" ] || fail "Ardour's main window did not appear"
sleep 3

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

xdotool windowfocus "$MAIN" key ctrl+s
sleep 4
FILE=$WORK/$SESSION/$SESSION.ardour
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
    fail "Ardour did not quit with the plug-in loaded"
fi
wait "$ARDOUR_PID"
STATUS=$?
ARDOUR_PID=
[ "$STATUS" -lt 128 ] || fail "Ardour ended with signal $((STATUS - 128)) when it unloaded the plug-in"
echo "test-hosts: PASS (Ardour 7 heard the editor's changes)"
[ "${TESSARO_HOSTS_KEEP:-0}" = 1 ] || rm -rf "$WORK"
exit 0
