# The LV2 part of scripts/test-hosts.sh, sourced by it. A MIDI track runs a
# chord player (a Lua DSP, eight-note chords), Tessaro and a probe (a Lua
# DSP counting the most notes sounding at once). ardour7-lua makes the
# session: the player sends a program change (5) that Tessaro follows with
# Presets Switching on, the polyphony is set to 4 in that program, and the
# probe must see at most 4 notes. Ardour then opens the editor inside its
# plug-in window; Kill is clicked and the dial turned up three steps; the
# saved session must hold both. Reloaded by ardour7-lua, Tessaro must come
# back in program 5 with Kill and polyphony 7 (the program port says 0: the
# restored state wins), and the probe must see at most 7 notes. Midi
# Through is under Touch automation: a click on it with the transport
# rolling (a touch gesture) must leave Ardour running and be recorded in
# its automation lane.

LV2_BUNDLE=${TESSARO_HOSTS_LV2:-$ROOT/build/x86_64/tessaro.lv2}
LV2_URI=http://tessaro-midi.eu/plugins/tessaro
LV2_SESSION=tsrlv2
# How long the transport rolls after the touch: Ardour writes the pass when
# it stops.
LV2_TOUCH_ROLL=1.5

# The value of "name=" in a report file.
lv2_value() {
    sed -n "s/^$2=//p" "$1" | tail -1
}

lv2_expect() {
    local got
    got=$(lv2_value "$1" "$2")
    [ "$got" = "$3" ] || fail "LV2: $4 ($2 is '${got:-missing}', expected $3; see $1)"
}

# ARGS for the LV2 session scripts: the session and each port by symbol.
lv2_args() {
    local symbol port
    echo "work=$WORK" "session=$LV2_SESSION" "uri=$LV2_URI"
    for symbol in polyphony presets_switching midi_through polyphony_now kill_now presets_switching_now \
        program_now sounding_notes; do
        port=$(number_of "$LV2_BUNDLE" "$symbol")
        [ -n "$port" ] || fail "LV2: tessaro-host names no port $symbol"
        echo "port_$symbol=$port"
    done
}

lv2_checks() {
    [ -f "$LV2_BUNDLE/manifest.ttl" ] || fail "no LV2 bundle at $LV2_BUNDLE (build it first)"
    export LV2_PATH=$WORK/lv2:/usr/lib/lv2
    mkdir -p "$WORK/lv2"
    cp -r "$LV2_BUNDLE" "$WORK/lv2/"
    cp "$LUA_DIR/chords.lua" "$XDG_CONFIG_HOME/ardour7/scripts/tessaro_chords.lua"
    cp "$LUA_DIR/probe.lua" "$XDG_CONFIG_HOME/ardour7/scripts/tessaro_probe.lua"
    local args through_port
    # shellcheck disable=SC2046
    args=$(lv2_args) || exit 1
    through_port=$(echo "$args" | sed -n 's/.*port_midi_through=\([0-9]*\).*/\1/p')

    echo "test-hosts: LV2: making a session with the chord player, Tessaro and the probe"
    # shellcheck disable=SC2086
    lua_script "$WORK/lv2-session.lua" $args -- lv2-report.lua lv2-session.lua
    ardour7-lua "$WORK/lv2-session.lua" > "$WORK/lv2-session.log" 2>&1
    local report=$WORK/lv2-session.log file=$WORK/$LV2_SESSION/$LV2_SESSION.ardour
    grep -q "automation-id=\"parameter-$through_port\"[^>]*state=\"Touch\"" "$file" 2>/dev/null ||
        fail "LV2: no session, or midi_through is not under Touch automation (see lv2-session.log)"
    lv2_expect "$report" program_now 5 "Tessaro did not follow the program change"
    lv2_expect "$report" polyphony_now 4 "the polyphony port did not reach the engine"
    lv2_expect "$report" probe_most 4 "the MIDI after Tessaro is not limited to 4 notes"
    [ "$(lv2_value "$report" probe_note_ons)" -gt 0 ] 2>/dev/null || fail "LV2: no notes came out of Tessaro"

    echo "test-hosts: LV2: opening the editor in Ardour"
    start_ardour "$LV2_SESSION" lv2-ardour.log
    show_mixer
    # A double click on the track's second processor.
    xdotool mousemove 330 208 click --repeat 2 --delay 80 1
    local plugwin= kill= poly= through= before
    find_editor() {
        plugwin=$(xdotool search --name '^Midi: Tessaro .*\[LV2\]$' 2>/dev/null | head -1)
        [ -n "$plugwin" ] && kill=$(control_window "$plugwin" kill)
        [ -n "$kill" ]
    }
    wait_until 15 find_editor
    [ -n "$plugwin" ] || fail "Ardour opened no window for Tessaro (LV2)"
    [ -n "$kill" ] || fail "the editor did not appear inside Ardour's plug-in window"
    poly=$(control_window "$plugwin" polyphony)
    through=$(control_window "$plugwin" midi_through)
    [ -n "$poly" ] && [ -n "$through" ] || fail "LV2: the editor's controls are not where the layout says"
    wait_still "$plugwin" 10 || fail "LV2: the editor was not drawn"
    shot lv2-editor-before

    echo "test-hosts: LV2: clicking Kill and turning the polyphony dial"
    click_kill_and_turn_dial "$kill" "$poly" "LV2: "

    echo "test-hosts: LV2: clicking Midi Through, under Touch automation, with the transport rolling"
    toggle_transport
    hover "$through"
    before=$(picture "$through")
    xdotool click 1
    wait_changed "$through" "$before" 5
    ardour_alive || fail "LV2: Ardour crashed at a touch gesture on a port under Touch automation"
    picture_is_not "$through" "$before" || fail "LV2: the Midi Through button did not answer the click"
    sleep "$LV2_TOUCH_ROLL"
    # Stopping the transport writes the touch pass into midi_through's lane.
    toggle_transport
    wait_still "$MAIN" 10
    shot lv2-editor-after
    save_session "$file"
    local kill_port poly_port
    kill_port=$(grep -o '<Port symbol="kill" value="[^"]*"' "$file" | grep -o 'value="[^"]*"')
    poly_port=$(grep -o '<Port symbol="polyphony" value="[^"]*"' "$file" | grep -o 'value="[^"]*"')
    echo "test-hosts: LV2: the host holds kill $kill_port, polyphony $poly_port"
    [ "$kill_port" = 'value="1"' ] || fail "LV2: the host did not hear the kill button"
    [ "$poly_port" = 'value="7"' ] || fail "LV2: the host did not hear the polyphony dial (4 plus three steps)"
    # The click is a touch: Ardour records On while it lasts, then the lane
    # goes back to Off (what Touch automation does at the release).
    sed -n "/<AutomationList automation-id=\"parameter-$through_port\"/,/<\/AutomationList>/p" "$file" |
        grep -q '^[ab][0-9]* 1$' || fail "LV2: Ardour recorded no touch automation for Midi Through"
    echo "test-hosts: LV2: Ardour recorded the touch on Midi Through as automation"
    grep -rq "$LV2_URI#bank" "$WORK/$LV2_SESSION/plugins" || fail "LV2: the session holds no Tessaro bank"
    quit_ardour "LV2 session"

    echo "test-hosts: LV2: reloading the session"
    # shellcheck disable=SC2086
    lua_script "$WORK/lv2-reload.lua" $args -- lv2-report.lua lv2-reload.lua
    ardour7-lua "$WORK/lv2-reload.lua" > "$WORK/lv2-reload.log" 2>&1
    report=$WORK/lv2-reload.log
    lv2_expect "$report" program_now 5 "the program did not survive save and reload"
    lv2_expect "$report" kill_now 1 "Kill did not survive save and reload"
    lv2_expect "$report" polyphony_now 7 "the polyphony did not survive save and reload"
    lv2_expect "$report" probe_most 7 "the MIDI after the reloaded Tessaro is not limited to 7 notes"
    echo "test-hosts: LV2: MIDI limited, editor inside Ardour, changes heard, state kept"
}
