#!/usr/bin/env bash
# Installs what is missing, builds (Release) and runs the main job on FILE, or on the sample drawing.
#   ./run.sh [FILE]
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh

export CCACHE_BASEDIR=$root
export CCACHE_NOHASHDIR=1
build=${VX_RUN_BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ $# -ge 1 ]; then
  exec "$build/bin/vxdump" "$@"
else
  exec "$build/bin/vxdump" --sample
fi
