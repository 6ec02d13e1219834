#!/usr/bin/env bash
# Runs the benchmarks of both architectures with the given Google Benchmark
# flags, without an X server (the display name does not parse), so that no
# toolkit thread runs beside the measurements. Under emulation the figures
# mean nothing: there each benchmark runs one iteration, as a smoke test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for arch in x86_64 i386; do
  echo "== $arch"
  flags=("$@")
  if [ "$arch" = i386 ] && [ -n "$(cat "$root/build/i386-runner")" ]; then
    echo "(under qemu-i386 user emulation: one iteration each, no figures)"
    flags=(--benchmark_min_time=0)
  fi
  env DISPLAY=no-x-server "$root/scripts/run-program.sh" "$arch" "$root/build/$arch/tessaro-bench" "${flags[@]}"
done
