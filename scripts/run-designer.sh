#!/usr/bin/env bash
# Fresh machine to the designer: packages, build, then the designer on the embedded
# demo database (created with the demo reports when missing). Without a display the
# window runs on a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" ./build/qxreportformat "$@"
fi
exec ./build/qxreportformat "$@"
