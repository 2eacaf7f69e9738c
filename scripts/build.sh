#!/usr/bin/env bash
# Configures and builds into build/ (extra arguments go to cmake's configure step).
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "${BUILD_DIR:-build}" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "${BUILD_DIR:-build}" -j "$(nproc)"
