#!/usr/bin/env bash
# The plug-in's main job on both architectures: load it as a host does,
# show what it offers, and limit a bundled example piece.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/demo"
mkdir -p "$out"
for arch in x86_64 i386; do
  host="$root/build/$arch/tessaro-host"
  plugin="$root/build/$arch/tessaro.so"
  echo "================ $arch ================"
  env -u DISPLAY "$host" info "$plugin"
  if "$host" example "$out/example.mid" 2>/dev/null; then
    env -u DISPLAY "$host" process "$plugin" "$out/example.mid" "$out/limited-$arch.mid" \
      --set 0=0.031496 --set 1=1 --roll "$out/roll-$arch.png"
    echo "piano roll: $out/roll-$arch.png"
  fi
done
