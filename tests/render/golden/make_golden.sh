#!/usr/bin/env bash
# Regenerates the golden pictures of the image tests from the corpus with the vxrender tool.
#   tests/render/golden/make_golden.sh [BUILD_DIR]      (default: build-asan)
# Look at every picture before committing it: a golden picture is only as good as that look.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${1:-$root/build-asan}
corpus=${VX_CORPUS:-$root/../shared/corpus}
export QT_QPA_PLATFORM=offscreen

# golden name            drawing in the corpus (keep in step with test_image_golden.cpp)
# Each drawing twice: whole pixels (NAME.png) and antialiased (NAME_aa.png).
while read -r name drawing; do
  "$build/bin/vxrender" "$corpus/$drawing" -o "$here/$name" --size 256x192 --antialias off
  "$build/bin/vxrender" "$corpus/$drawing" -o "$here/${name%.png}_aa.png" --size 256x192
  echo "$name <- $drawing"
done <<'LIST'
r11_entities-2d.png old-dwg/r11_entities-2d.dxf
example_2000.png libredwg/example_2000.dxf
sample_AC1015_ascii.png same-drawing/sample_AC1015_ascii.dxf
LIST
