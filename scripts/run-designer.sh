#!/usr/bin/env bash
# Fresh machine to the designer: packages, build, then the designer on the embedded
# demo database (created with the demo reports when missing). Extra arguments go to
# the program (for example --system AP --report 应付账款账龄分析表). On a machine without
# a display the program says what it opened and draws the report's canvas to a picture.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  ./build/qxreportformat design "$@"
  ./build/qxreportformat render --out "${TMPDIR:-/tmp}/qxreportformat-canvas.png" "$@"
  exit 0
fi
exec ./build/qxreportformat design "$@"
