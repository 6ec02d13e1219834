#!/usr/bin/env bash
# Installs what the two builds and the tests need on Debian 12, and finds
# out how i386 programs run here. Idempotent: it only calls apt-get when a
# package is missing.
#
# Some kernels run no 32-bit programs (IA-32 emulation switched off). There
# every i386 program (tests, tessaro-host, benchmarks) runs under qemu-i386
# user emulation; the choice is written to build/i386-runner, which
# scripts/run-program.sh and the i386 build read. TESSARO_I386_EMULATION=1
# chooses emulation even where the kernel runs 32-bit programs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages ($*) and not root; install them or run as root" >&2
    exit 1
  fi
}

amd64=(build-essential cmake g++-multilib pkg-config
       libx11-dev:amd64 libxext-dev:amd64 libxinerama-dev:amd64 libxpm-dev:amd64 libxmu-dev:amd64
       libgtest-dev:amd64 libgmock-dev:amd64 libbenchmark-dev:amd64
       liblilv-dev:amd64
       xvfb xauth x11-utils x11-apps xdotool imagemagick
       xfonts-base xfonts-75dpi xfonts-100dpi
       lv2-dev:amd64 lilv-utils serdi
       libpng-dev:amd64 jackd2 libjack-jackd2-dev:amd64)
# The LV2 headers are the same files for every architecture (lv2-dev is
# Multi-Arch: same and holds no compiled code), so the i386 build uses the
# amd64 package's. `tessaro-host live` (a JACK client) is built for x86_64
# only, so JACK's development files are not needed for i386.
i386=(libx11-dev:i386 libxext-dev:i386 libxinerama-dev:i386 libxpm-dev:i386 libxmu-dev:i386
      libgtest-dev:i386 libgmock-dev:i386 libbenchmark-dev:i386
      liblilv-dev:i386 libpng-dev:i386)

# `setup.sh --hosts` also installs the real host used by `make test-hosts`.
if [ "${1:-}" = "--hosts" ]; then
  amd64+=(ardour)
fi

# Installs the packages of the arguments that are missing.
install_missing() {
  local missing=() p st
  for p in "$@"; do
    st=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$st" = "install ok installed" ] || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  need_root "${missing[@]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-remove --no-install-recommends "${missing[@]}" >/tmp/tessaro-setup.log 2>&1 ||
    { cat /tmp/tessaro-setup.log >&2; echo "setup: apt-get install failed" >&2; exit 1; }
  echo "setup: installed ${missing[*]}"
}

install_missing "${amd64[@]}" "${i386[@]}"

# How i386 programs run: a tiny -m32 program tells whether the kernel runs it.
mkdir -p "$root/build"
probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
printf 'int main(void) { return 42; }\n' >"$probe_dir/probe.c"
gcc -m32 -o "$probe_dir/probe" "$probe_dir/probe.c"
status=0
if [ "${TESSARO_I386_EMULATION:-0}" = 1 ]; then
  status=1
  reason="TESSARO_I386_EMULATION=1"
else
  "$probe_dir/probe" 2>/dev/null || status=$?
  reason="this kernel runs no 32-bit programs"
fi
runner=""
if [ "$status" -ne 42 ]; then
  install_missing qemu-user
  runner=$(command -v qemu-i386)
  status=0
  "$runner" "$probe_dir/probe" || status=$?
  if [ "$status" -ne 42 ]; then
    echo "setup: i386 programs run neither natively nor under $runner" >&2
    exit 1
  fi
fi
previous=$(cat "$root/build/i386-runner" 2>/dev/null || echo "(none)")
echo "$runner" >"$root/build/i386-runner"
if [ "$previous" != "$runner" ]; then
  if [ -n "$runner" ]; then
    echo "setup: i386 programs run under qemu-i386 user emulation ($reason)"
  else
    echo "setup: i386 programs run natively"
  fi
fi
