#!/usr/bin/env bash
# Configures and builds into build/ (extra arguments go to cmake's configure step).
# Release unless BUILD_TYPE says otherwise (for example BUILD_TYPE=RelWithDebInfo).
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Relative paths in the cache keys let several checkouts share one cache.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
fi
cmake -S . -B "${BUILD_DIR:-build}" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" "${launcher[@]}" "$@" >/dev/null
cmake --build "${BUILD_DIR:-build}" -j "$(nproc)"
