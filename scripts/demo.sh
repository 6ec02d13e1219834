#!/usr/bin/env bash
# The plug-in's main job on both architectures: load it as a host does and
# show what it offers, then limit a bundled example piece (polyphony 4, kill
# on), draw the before/after piano roll, and take a screenshot of the editor
# playing the piece. Everything runs under one private X server, so the
# plug-in finds a display as it would in a host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${TESSARO_DEMO_UNDER_X:-}" != 1 ]; then
  exec "$root/scripts/with-xvfb.sh" env TESSARO_DEMO_UNDER_X=1 bash "$0" "$@"
fi
out="$root/build/demo"
mkdir -p "$out"
run() { "$root/scripts/run-program.sh" "$@"; }
echo "($("$root/scripts/run-program.sh" --describe))"
for arch in x86_64 i386; do
  host="$root/build/$arch/tessaro-host"
  plugin="$root/build/$arch/tessaro.so"
  echo "================ $arch ================"
  run "$arch" "$host" info "$plugin"
  echo
  run "$arch" "$host" example "$out/example.mid"
  run "$arch" "$host" process "$plugin" "$out/example.mid" "$out/limited-$arch.mid" \
    --set 0=4/127 --set 1=1 --roll "$out/piano-roll-$arch.png"
  echo "limited piece: $out/limited-$arch.mid"
  echo "piano roll:    $out/piano-roll-$arch.png"
done
echo
echo "================ editor ================"
run x86_64 "$root/build/x86_64/tessaro-host" edit "$root/build/x86_64/tessaro.so" \
  --set 0=4/127 --set 1=1 --play "$out/example.mid" --screenshot "$out/editor.png" --after 2200
echo "editor screenshot: $out/editor.png"
