#!/usr/bin/env bash
# Runs a command under a private Xvfb (1280x1024x24, -noreset so that the
# server survives its clients disconnecting between tests). The server is
# stopped when the command ends; the command's exit status is returned.
set -u
display=""
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
    display=":${n}"
    break
  fi
done
if [ -z "$display" ]; then
  echo "with-xvfb: no free display number between :91 and :140" >&2
  exit 1
fi
Xvfb "$display" -screen 0 1280x1024x24 -noreset +extension SHAPE +xinerama >/tmp/xvfb-${display#:}.log 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null' EXIT
for _ in $(seq 1 100); do
  if DISPLAY="$display" xdpyinfo >/dev/null 2>&1; then
    break
  fi
  if ! kill -0 $xvfb_pid 2>/dev/null; then
    echo "with-xvfb: Xvfb failed to start:" >&2
    cat /tmp/xvfb-${display#:}.log >&2
    exit 1
  fi
  sleep 0.1
done
DISPLAY="$display" "$@"
