#!/usr/bin/env bash
# Configures and builds one architecture: x86_64 (native), i386 (-m32) or
# tsan (x86_64 with ThreadSanitizer, threading tests only) or asan (x86_64
# with AddressSanitizer and UndefinedBehaviorSanitizer, no benchmarks).
set -euo pipefail
arch=${1:?usage: build.sh x86_64|i386|tsan|asan}
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}
case "$arch" in
  x86_64) extra=() ;;
  i386)
    [ -f "$root/build/i386-runner" ] || bash "$root/scripts/setup.sh"
    extra=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/i386.cmake" -DTESSARO_I386_RUNNER="$(cat "$root/build/i386-runner")") ;;
  tsan)   extra=(-DTESSARO_TSAN=ON -DTESSARO_BENCH=OFF) ;;
  asan)   extra=(-DTESSARO_ASAN=ON -DTESSARO_BENCH=OFF) ;;
  *) echo "build.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$root/build/$arch" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
if [ "$arch" = tsan ]; then
  cmake --build "$root/build/$arch" -j "$jobs" --target tessaro-threading-tests -- --no-print-directory
else
  cmake --build "$root/build/$arch" -j "$jobs" -- --no-print-directory
fi
