#!/usr/bin/env bash
# Runs a program built for ARCH: i386 programs under the runner that
# scripts/setup.sh chose (qemu-i386 on kernels that run no 32-bit programs),
# everything else directly.
#   run-program.sh ARCH PROGRAM [ARGS...]
#   run-program.sh --describe   one line: how i386 programs run here
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runner_file="$root/build/i386-runner"
i386_runner() {
  [ -f "$runner_file" ] || { echo "run-program: $runner_file is missing (run scripts/setup.sh)" >&2; exit 2; }
  cat "$runner_file"
}
if [ "${1:-}" = --describe ]; then
  if [ -n "$(i386_runner)" ]; then
    echo "i386 programs run under qemu-i386 user emulation (timings mean nothing there)"
  else
    echo "i386 programs run natively"
  fi
  exit 0
fi
arch=${1:?usage: run-program.sh ARCH PROGRAM [ARGS...]}
shift
if [ "$arch" = i386 ]; then
  runner=$(i386_runner)
  [ -n "$runner" ] && exec "$runner" "$@"
fi
exec "$@"
