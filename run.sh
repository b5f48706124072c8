#!/usr/bin/env bash
# Installs what is missing, builds (Release) and opens the Editor on FILE, or on the sample drawing
# shipped in samples/. Without a display it says so and renders the drawing to a PNG with
# vxrender instead, printing where.
#   ./run.sh [FILE [vxrender options...]]
set -euo pipefail
# FILE is taken relative to where the command was typed.
if [ $# -ge 1 ]; then set -- "$(realpath -m -- "$1")" "${@:2}"; fi
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh

export CCACHE_BASEDIR=$root
export CCACHE_NOHASHDIR=1
build=${VX_RUN_BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)"

file=${1:-samples/sample.dxf}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  exec "$build/bin/vxeditor" "$file"
fi
echo "run.sh: no display for the editor (DISPLAY and WAYLAND_DISPLAY unset, or QT_QPA_PLATFORM=offscreen): rendering $file to a PNG instead of opening the editor" >&2
out="$root/$build/render/$(basename "${file%.*}").png"
mkdir -p "$build/render"
shift $(( $# > 0 ? 1 : 0 ))
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bin/vxrender" "$file" -o "$out" --size 1600x1200 "$@"
echo "wrote $out"
