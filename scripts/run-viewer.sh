#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer on its built-in
# terrain with the Compass plugin. Extra arguments go to the viewer
# (try --help). The build shows only the work it does, so an up-to-date tree
# starts the viewer without a word. Qt 5 in build/; VELMORA_QT_MAJOR=6 picks
# Qt 6 in build-qt6/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
suffix=""
[ "${VELMORA_QT_MAJOR:-5}" = 5 ] || suffix=-qt${VELMORA_QT_MAJOR}
build=${VELMORA_BUILD_DIR:-$root/build$suffix}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" |
  { grep -v -E '^\[ *[0-9]+%\] (Built target|Automatic MOC and UIC for target) |^Consolidate compiler' || true; }
exec "$build/bin/velmora_viewer" "$@"
