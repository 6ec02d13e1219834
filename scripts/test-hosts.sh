#!/bin/bash
# End-to-end check of the editor in a real host: Ardour 7 (Debian's ardour
# package), headless under a private Xvfb, loads the x86_64 VST 2 plug-in
# and then the LV2 bundle, opens each editor, changes parameters in it with
# the mouse, and checks what the host heard and saved. The parts:
#   scripts/hosts/common.sh  work directory, Xvfb, waits, Ardour, the layout
#   scripts/hosts/vst.sh     the VST 2 plug-in
#   scripts/hosts/lv2.sh     the LV2 bundle
#   scripts/hosts/lua/       the Lua processors and session scripts
# Positions of the editor's controls come from `tessaro-host layout`, the
# table the panel is built from; parameter and port numbers from
# `tessaro-host info`.
#
# Usage: scripts/test-hosts.sh [PLUGIN.so]   (default build/x86_64/tessaro.so)
# Environment: TESSARO_HOSTS_DISPLAY  X display number to use (default: the
#                                     first free one from 71)
#              TESSARO_HOSTS_KEEP=1   keep the work directory
#              TESSARO_HOSTS_LV2      LV2 bundle (default build/x86_64/tessaro.lv2)
# Exit status 0 when the host heard the changes and quit; the work
# directory (kept on failure) holds the sessions, Ardour's logs and
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

for tool in ardour ardour7-lua Xvfb xdotool xwininfo xwd xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "test-hosts: $tool is not installed" >&2; exit 2; }
done
[ -f "$PLUGIN" ] || { echo "test-hosts: no plug-in at $PLUGIN (build it first)" >&2; exit 2; }
[ -x "$ROOT/build/x86_64/tessaro-host" ] || { echo "test-hosts: no tessaro-host (build it first)" >&2; exit 2; }

. "$ROOT/scripts/hosts/common.sh"
. "$ROOT/scripts/hosts/vst.sh"
. "$ROOT/scripts/hosts/lv2.sh"
trap cleanup EXIT

setup_home
start_xvfb
vst_checks
lv2_checks
echo "test-hosts: PASS (Ardour 7 heard the editor's changes, in the VST 2 and the LV2 plug-in)"
[ "${TESSARO_HOSTS_KEEP:-0}" = 1 ] || rm -rf "$WORK"
exit 0
