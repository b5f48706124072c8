#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test.
#   ./test.sh              whole suite
#   ./test.sh -R Palette   only the tests whose names match (ctest -R)
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh

export CCACHE_BASEDIR=$root
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
export VX_CORPUS=${VX_CORPUS:-$root/../shared/corpus}
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

build=${VX_TEST_BUILD:-build-asan}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVX_SANITIZE=ON -DVX_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600 "$@"
