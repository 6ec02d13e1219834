#!/usr/bin/env bash
# Runs every test of one built architecture: the tests that need no X
# server with DISPLAY naming no server, the GUI tests under a private Xvfb.
set -euo pipefail
arch=${1:?usage: test.sh x86_64|i386|tsan|asan}
root=$(cd "$(dirname "$0")/.." && pwd)
# A display name that no X server can answer (it does not parse), so the
# "without X" runs give the same result wherever they run.
no_x=no-x-server
cd "$root/build/$arch"
# Every sanitizer finding ends the program, so the test fails.
export ASAN_OPTIONS="halt_on_error=1 detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1"
if [ "$arch" = i386 ]; then
  echo "== i386: $("$root/scripts/run-program.sh" --describe)"
fi
echo "== $arch: tests without X"
if [ "$arch" = tsan ]; then
  # ThreadSanitizer needs a predictable address layout on kernels with
  # large mmap randomisation.
  env DISPLAY="$no_x" TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    setarch "$(uname -m)" -R ctest --output-on-failure -LE gui
else
  env DISPLAY="$no_x" ctest --output-on-failure -LE gui
fi
if [ "$arch" != tsan ] && ctest -N -L gui | grep -q 'Total Tests: [1-9]'; then
  echo "== $arch: GUI tests under Xvfb"
  "$root/scripts/with-xvfb.sh" ctest --output-on-failure -L gui
fi
if [ -x ./tessaro-bench ]; then
  echo "== $arch: benchmarks build and run one iteration"
  env DISPLAY="$no_x" "$root/scripts/run-program.sh" "$arch" ./tessaro-bench --benchmark_min_time=0 >/dev/null
fi
