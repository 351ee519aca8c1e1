#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer on its built-in
# terrain with the Compass plugin. Extra arguments go to the viewer
# (try --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
exec "$build/bin/velmora_viewer" "$@"
