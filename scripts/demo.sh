#!/usr/bin/env bash
# The plug-in's main job on both architectures: load it as a host does and
# show what it offers, then limit a bundled example piece (polyphony 4, kill
# on), draw the before/after piano roll, and take a screenshot of the editor
# playing the piece under a private X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/demo"
mkdir -p "$out"
for arch in x86_64 i386; do
  host="$root/build/$arch/tessaro-host"
  plugin="$root/build/$arch/tessaro.so"
  echo "================ $arch ================"
  # Without DISPLAY the plug-in says once that it has no X connection.
  env -u DISPLAY "$host" info "$plugin"
  echo
  "$host" example "$out/example.mid"
  env -u DISPLAY "$host" process "$plugin" "$out/example.mid" "$out/limited-$arch.mid" \
    --set 0=4/127 --set 1=1 --roll "$out/piano-roll-$arch.png"
  echo "limited piece: $out/limited-$arch.mid"
  echo "piano roll:    $out/piano-roll-$arch.png"
done
echo
echo "================ editor ================"
"$root/scripts/with-xvfb.sh" "$root/build/x86_64/tessaro-host" edit "$root/build/x86_64/tessaro.so" \
  --set 0=4/127 --set 1=1 --play "$out/example.mid" --screenshot "$out/editor.png" --after 2200
echo "editor screenshot: $out/editor.png"
