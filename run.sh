#!/usr/bin/env bash
# Installs what is missing, builds (Release) and runs the main job on FILE, or on the sample drawing
# shipped in samples/: for now, renders it to a PNG with vxrender and prints where.
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

# Until the editor exists, the main job renders the drawing to a PNG (headless).
file=${1:-samples/sample.dxf}
out="$root/$build/render/$(basename "${file%.*}").png"
mkdir -p "$build/render"
shift $(( $# > 0 ? 1 : 0 ))
# Qt wants a private runtime folder; give it one when the session has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bin/vxrender" "$file" -o "$out" --size 1600x1200 "$@"
echo "wrote $out"
