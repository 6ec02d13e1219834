#!/usr/bin/env bash
# Installs what the two builds and the tests need on Debian 12. Idempotent:
# it only calls apt-get when a package is missing.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages ($*) and not root; install them or run as root" >&2
    exit 1
  fi
}

amd64=(build-essential cmake g++-multilib pkg-config
       libx11-dev:amd64 libxext-dev:amd64 libxinerama-dev:amd64 libxpm-dev:amd64 libxmu-dev:amd64
       libgtest-dev:amd64 libgmock-dev:amd64 libbenchmark-dev:amd64
       xvfb xauth x11-utils x11-apps xdotool imagemagick
       xfonts-base xfonts-75dpi xfonts-100dpi)
i386=(libx11-dev:i386 libxext-dev:i386 libxinerama-dev:i386 libxpm-dev:i386 libxmu-dev:i386
      libgtest-dev:i386 libgmock-dev:i386 libbenchmark-dev:i386)

# `setup.sh --hosts` also installs the real host used by `make test-hosts`.
if [ "${1:-}" = "--hosts" ]; then
  amd64+=(ardour)
fi

missing=()
for p in "${amd64[@]}" "${i386[@]}"; do
  st=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$st" = "install ok installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

need_root "${missing[@]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-remove --no-install-recommends "${missing[@]}" >/tmp/tessaro-setup.log 2>&1 ||
  { cat /tmp/tessaro-setup.log >&2; echo "setup: apt-get install failed" >&2; exit 1; }
echo "setup: installed ${missing[*]}"
