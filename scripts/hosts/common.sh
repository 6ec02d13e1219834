# The common part of scripts/test-hosts.sh, sourced by it: the work
# directory and private home, Xvfb, waiting for conditions, pictures of
# windows, starting Ardour, the Lua scripts, and where the editor's
# controls lie (from `tessaro-host layout`, the table the panel is built
# from) and what the plug-ins number their parameters and ports (from
# `tessaro-host info`).

HOST_TOOL=$ROOT/build/x86_64/tessaro-host
LUA_DIR=$ROOT/scripts/hosts/lua
WORK=$(mktemp -d /tmp/tessaro-hosts.XXXXXX)
XVFB_PID=
ARDOUR_PID=
MAIN=

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

shot() {
    command -v xwd >/dev/null && command -v convert >/dev/null &&
        xwd -root -display ":$NUMBER" 2>/dev/null | convert xwd:- "$WORK/$1.png" 2>/dev/null
    return 0
}

# Runs the command until it succeeds, every 0.1 s, at most SECONDS seconds;
# fails when it never did. Usage: wait_until SECONDS COMMAND...
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    while [ "$SECONDS" -lt "$deadline" ]; do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

# What the screen shows of a window (a checksum of its pixels).
picture() {
    xwd -silent -id "$1" 2>/dev/null | md5sum | cut -d' ' -f1
}
picture_is() { [ "$(picture "$1")" = "$2" ]; }
picture_is_not() { [ "$(picture "$1")" != "$2" ]; }

# Waits until a window's picture stays the same for half a second (drawing
# done, at most SECONDS seconds). Usage: wait_still WINDOW SECONDS
wait_still() {
    local last now i
    last=$(picture "$1")
    for i in $(seq $(($2 * 2))); do
        sleep 0.5
        now=$(picture "$1")
        [ "$now" = "$last" ] && return 0
        last=$now
    done
    return 1
}

# Waits until the picture of a window differs from BEFORE, then until it
# stays still. Usage: wait_changed WINDOW BEFORE SECONDS
wait_changed() {
    wait_until "$3" picture_is_not "$1" "$2" && wait_still "$1" "$3"
}

# Clicks the Kill button and turns the polyphony dial up three steps (the
# windows $1 and $2); $3 starts each failure message.
click_kill_and_turn_dial() {
    local before
    hover "$1"
    before=$(picture "$1")
    xdotool click 1
    wait_changed "$1" "$before" 5 || fail "${3}the kill button did not answer the click"
    hover "$2"
    before=$(picture "$2")
    xdotool click 4 click 4 click 4
    wait_changed "$2" "$before" 5 || fail "${3}the polyphony dial did not answer the wheel"
}

ardour_alive() { kill -0 "$ARDOUR_PID" 2>/dev/null; }
ardour_gone() { ! ardour_alive; }
file_newer() { [ "$1" -nt "$2" ]; }

# A control's place in the panel: "X Y WIDTH HEIGHT". Usage: place NAME
place() {
    "$HOST_TOOL" layout | awk -v name="$1" '$1 == name { print $2, $3, $4, $5 }'
}

# The window of a control in the editor (a child of the panel window),
# found by its place. Usage: control_window PANEL_WINDOW NAME
control_window() {
    local x y w h
    read -r x y w h <<<"$(place "$2")"
    xwininfo -tree -id "$1" 2>/dev/null | grep " ${w}x${h}+${x}+${y} " | head -1 | awk '{print $1}'
}

# Moves the pointer to the centre of a window.
point_at() {
    local geometry x y w h
    geometry=$(xwininfo -id "$1" 2>/dev/null)
    x=$(echo "$geometry" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(echo "$geometry" | sed -n 's/.*Absolute upper-left Y: *//p')
    w=$(echo "$geometry" | sed -n 's/.*Width: *//p')
    h=$(echo "$geometry" | sed -n 's/.*Height: *//p')
    xdotool mousemove $((x + w / 2)) $((y + h / 2))
}

# Moves the pointer onto a control and waits until it has drawn its hover
# look, so that what changes next is the control's answer to a click.
hover() {
    point_at "$1"
    wait_still "$1" 5
}

# The number of a VST 2 parameter (by its name) or an LV2 port (by its
# symbol), as the plug-in itself answers. Usage: number_of PLUGIN NAME
number_of() {
    "$HOST_TOOL" info "$1" 2>/dev/null | awk -v name="$2" '
        /^ports:/ { inports = 1; next } /^parameters:/ { inports = 0; inparams = 1; next } /^[a-z]/ { inparams = 0 }
        inports && $2 == name { print $1; exit }
        inparams { line = $0; sub(/^ *[0-9]+ +/, "", line); if (index(line, name) == 1) { print $1; exit } }'
}

# Writes a Lua script for ardour7-lua: ARGS from NAME=VALUE pairs, then the
# given files of scripts/hosts/lua. Usage: lua_script OUT NAME=VALUE... -- FILE...
lua_script() {
    local out=$1 pair
    shift
    echo "ARGS = {}" >"$out"
    while [ "$#" -gt 0 ] && [ "$1" != -- ]; do
        pair=$1
        shift
        case "${pair#*=}" in
            ''|*[!0-9]*) printf 'ARGS["%s"] = [[%s]]\n' "${pair%%=*}" "${pair#*=}" >>"$out" ;;
            *) printf 'ARGS["%s"] = %s\n' "${pair%%=*}" "${pair#*=}" >>"$out" ;;
        esac
    done
    shift
    for f in "$@"; do
        cat "$LUA_DIR/$f" >>"$out"
    done
}

# Opens a session in Ardour's GUI and waits until its main window is drawn:
# sets ARDOUR_PID and MAIN (the window). Usage: start_ardour SESSION LOG
start_ardour() {
    ardour -n -a "$WORK/$1" >"$WORK/$2" 2>&1 &
    ARDOUR_PID=$!
    MAIN=
    local deadline=$((SECONDS + 120)) notice=$SECONDS
    while [ "$SECONDS" -lt "$deadline" ]; do
        MAIN=$(xdotool search --name "^\*?$1 - Ardour\$" 2>/dev/null | head -1)
        [ -n "$MAIN" ] && break
        ardour_alive || fail "Ardour ended while starting (see $2)"
        # Dismisses the notice that the engine's device differs from the
        # session's, whenever it may have come up.
        if [ "$SECONDS" -ge $((notice + 2)) ]; then
            xdotool key Return 2>/dev/null
            notice=$SECONDS
        fi
        sleep 0.1
    done
    [ -n "$MAIN" ] || fail "Ardour's main window did not appear ($1)"
    wait_still "$MAIN" 20 || fail "Ardour's main window did not settle ($1)"
}

# Shows Ardour's mixer (its button at the top right of the main window).
show_mixer() {
    local before
    before=$(picture "$MAIN")
    xdotool mousemove 1325 72 click 1
    wait_changed "$MAIN" "$before" 10 || fail "Ardour did not show its mixer"
}

# Starts or stops Ardour's transport (space in the main window).
toggle_transport() {
    local before
    before=$(picture "$MAIN")
    xdotool windowfocus "$MAIN" key space
    wait_until 5 picture_is_not "$MAIN" "$before" || fail "Ardour's transport did not answer"
}

# Saves the session with Ctrl+S and waits until the file is written.
save_session() {
    touch -d "@$(($(date +%s) - 2))" "$WORK/before-save"
    xdotool windowfocus "$MAIN" key ctrl+s
    wait_until 15 file_newer "$1" "$WORK/before-save" || fail "Ardour did not save the session (is it blocked?)"
    # Ardour writes the file in one go; give the write a moment to finish.
    wait_until 5 grep -q '</Session>' "$1"
}

# Quits Ardour with Ctrl+Q and checks that it ended by itself.
quit_ardour() {
    xdotool windowfocus "$MAIN" key ctrl+q 2>/dev/null
    wait_until 10 ardour_gone || fail "Ardour did not quit within 10 s with the plug-in loaded (is it blocked?)"
    wait "$ARDOUR_PID"
    local status=$?
    ARDOUR_PID=
    [ "$status" -lt 128 ] || fail "Ardour ended with signal $((status - 128)) when it unloaded the plug-in ($1)"
}

# The private home: Ardour's settings, plug-in cache and sessions stay here;
# the dummy engine starts by itself and the first-run wizard is skipped.
setup_home() {
    export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_CACHE_HOME=$WORK/cache XDG_DATA_HOME=$WORK/data
    mkdir -p "$HOME" "$XDG_CONFIG_HOME/ardour7/scripts" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
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
}

x_server_up() { [ -e "/tmp/.X11-unix/X$NUMBER" ] && xdpyinfo -display ":$NUMBER" >/dev/null 2>&1; }

start_xvfb() {
    Xvfb ":$NUMBER" -screen 0 1600x1200x24 -noreset >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_until 10 x_server_up
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "test-hosts: Xvfb could not start on :$NUMBER (see $WORK/xvfb.log)" >&2; exit 2; }
    export DISPLAY=:$NUMBER
}
