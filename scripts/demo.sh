#!/usr/bin/env bash
# The plug-in's main job on both architectures: load it as a host does and
# show what it offers, then limit a bundled example piece (polyphony 4, kill
# on), draw the before/after piano roll, again with Steal Highest (the bass
# line keeps sounding), run the same piece through the LV2
# bundle and check that its output is the same file, and take screenshots
# of the editor playing the piece in both formats. Everything runs under one
# private X server, so the plug-in finds a display as it would in a host.
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
  echo "---------------- $arch, Steal Highest ----------------"
  run "$arch" "$host" process "$plugin" "$out/example.mid" "$out/limited-highest-$arch.mid" \
    --set 0=4/127 --set 1=1 --set 11=0.75 --roll "$out/piano-roll-highest-$arch.png"
  echo "piano roll:    $out/piano-roll-highest-$arch.png"
  echo "---------------- $arch, LV2 ----------------"
  bundle="$root/build/$arch/tessaro.lv2"
  run "$arch" "$host" info "$bundle" | sed -n '1,3p'
  run "$arch" "$host" process "$bundle" "$out/example.mid" "$out/limited-$arch-lv2.mid" \
    --set 0=4/127 --set 1=1 >/dev/null
  if ! cmp -s "$out/limited-$arch.mid" "$out/limited-$arch-lv2.mid"; then
    echo "demo: the LV2 output $out/limited-$arch-lv2.mid differs from the VST 2 output" >&2
    exit 1
  fi
  echo "LV2 output is byte-identical to the VST 2 output: $out/limited-$arch-lv2.mid"
done
echo
echo "================ editor ================"
run x86_64 "$root/build/x86_64/tessaro-host" edit "$root/build/x86_64/tessaro.so" \
  --set 0=4/127 --set 1=1 --play "$out/example.mid" --screenshot "$out/editor.png" --after 2200
echo "editor screenshot: $out/editor.png"
run x86_64 "$root/build/x86_64/tessaro-host" edit "$root/build/x86_64/tessaro.lv2" \
  --set 0=4/127 --set 1=1 --play "$out/example.mid" --screenshot "$out/editor-lv2.png" --after 2200
echo "LV2 editor screenshot: $out/editor-lv2.png"
