# The VST 2 part of scripts/test-hosts.sh, sourced by it. Ardour indexes
# the plug-in and loads it as the instrument of a MIDI track; the check
# opens the plug-in's window, clicks the kill button and turns the
# polyphony dial up three steps with the wheel, clicks Midi Through under
# Touch automation, lays the host's popup menu over the editor and takes it
# away with Escape, closes the editor, saves the session and verifies that
# the host heard both parameter changes and quits without blocking.

VST_SESSION=tsrhost
VST_SCANNER=/usr/lib/ardour7/ardour-vst-scanner

vst_checks() {
    [ -x "$VST_SCANNER" ] || { echo "test-hosts: $VST_SCANNER is missing" >&2; exit 2; }
    export LXVST_PATH=$WORK/vst
    mkdir -p "$LXVST_PATH"
    cp "$PLUGIN" "$LXVST_PATH/tessaro.so"
    # Ardour takes an index no newer than the binary (whole seconds) as stale.
    touch -d "@$(($(date +%s) - 10))" "$LXVST_PATH/tessaro.so"

    echo "test-hosts: indexing the plug-in"
    LD_LIBRARY_PATH=/usr/lib/ardour7 "$VST_SCANNER" -f "$LXVST_PATH/tessaro.so" >"$WORK/scan.log" 2>&1 ||
        fail "Ardour's scanner refused the plug-in (see scan.log)"

    echo "test-hosts: making a session with a MIDI track and the plug-in"
    local through_param kill_param poly_param
    through_param=$(number_of "$PLUGIN" "OP: Midi Through")
    [ -n "$through_param" ] || fail "tessaro-host names no Midi Through parameter"
    lua_script "$WORK/vst-session.lua" work="$WORK" session=$VST_SESSION param_midi_through="$through_param" \
        -- vst-session.lua
    ardour7-lua "$WORK/vst-session.lua" >"$WORK/vst-session.log" 2>&1
    local file=$WORK/$VST_SESSION/$VST_SESSION.ardour
    grep -q 'name="Tessaro"' "$file" 2>/dev/null || fail "the session has no Tessaro (see vst-session.log)"
    grep -q "automation-id=\"parameter-$through_param\"[^>]*state=\"Touch\"" "$file" ||
        fail "Midi Through is not under Touch automation (see vst-session.log)"

    echo "test-hosts: starting Ardour"
    start_ardour "$VST_SESSION" ardour.log

    echo "test-hosts: opening the plug-in's window"
    show_mixer
    # A double click on the track's first processor.
    xdotool mousemove 330 195 click --repeat 2 --delay 80 1
    local size panel=
    read -r size <<<"$("$HOST_TOOL" layout | awk '$1 == "editor" { print $2 "x" $3 }')"
    find_panel() {
        panel=$(xwininfo -root -tree 2>/dev/null | grep " ${size}+0+0 " | grep -v ' +0+0$' | head -1 | awk '{print $1}')
        [ -n "$panel" ]
    }
    wait_until 15 find_panel || fail "the editor did not appear in the host's window"
    wait_still "$panel" 10 || fail "the editor was not drawn"
    shot editor-before

    echo "test-hosts: clicking Kill and turning the polyphony dial"
    local kill poly through
    kill=$(control_window "$panel" kill)
    poly=$(control_window "$panel" polyphony)
    through=$(control_window "$panel" midi_through)
    [ -n "$kill" ] && [ -n "$poly" ] && [ -n "$through" ] || fail "the editor's controls are not where the layout says"
    click_kill_and_turn_dial "$kill" "$poly" ""

    echo "test-hosts: clicking Midi Through, under Touch automation"
    # Ardour may put the value back at once (Touch); what counts is that it
    # survives the click and whatever it does about it.
    hover "$through"
    xdotool click 1
    wait_still "$through" 5
    wait_still "$MAIN" 5
    ardour_alive || fail "Ardour crashed at an edit gesture on a parameter under Touch automation"
    shot editor-after

    echo "test-hosts: a popup menu over the editor, Escape, closing the editor"
    # The plug-in's window goes right of and below the track's first
    # processor, so that the processor's popup menu, opening at the pointer,
    # lies over the editor. Taking the menu away uncovers the editor in a
    # burst of exposures, which the host's editor thread must read to the
    # end: if it is left waiting, closing the editor and quitting block for
    # good.
    local window shown
    window=$(xdotool search --name "^Midi: Tessaro" 2>/dev/null | head -1)
    [ -n "$window" ] || fail "the host's window of the editor was not found"
    timeout 5 xdotool windowmove --sync "$window" 360 220
    wait_still "$panel" 5
    shown=$(picture "$panel")
    xdotool mousemove 330 195 click 3
    wait_until 5 picture_is_not "$panel" "$shown" || fail "the popup menu does not lie over the editor"
    shot popup-menu
    xdotool key Escape
    wait_until 5 picture_is "$panel" "$shown" || fail "the editor was not drawn again after the popup menu"
    shot popup-gone
    # A double click on the processor closes the editor.
    xdotool mousemove 330 195 click --repeat 2 --delay 80 1
    closed() { ! xwininfo -id "$window" 2>/dev/null | grep -q IsViewable; }
    wait_until 5 closed || fail "the editor did not close"

    save_session "$file"
    local kill_value poly_value
    kill_value=$(grep -o '<Controllable name="OP: Kill"[^>]*' "$file" | grep -o 'value="[^"]*"')
    poly_value=$(grep -o '<Controllable name="OP: Polyphony"[^>]*' "$file" | grep -o 'value="[^"]*"')
    echo "test-hosts: the host holds Kill $kill_value, Polyphony $poly_value"
    [ "$kill_value" = 'value="1"' ] || fail "the host did not hear the kill button"
    case "$poly_value" in
        value=\"0.1496*) ;;  # 19 / 127: the default 16 plus three steps
        *) fail "the host did not hear the polyphony dial" ;;
    esac
    quit_ardour "VST 2 session"
}
