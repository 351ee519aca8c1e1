#!/usr/bin/env bash
# Configures and builds the project into build/ (or $VELMORA_BUILD_DIR), on
# Qt 5; with VELMORA_QT_MAJOR=6 on Qt 6, into build-qt6/ by default.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
qt=${VELMORA_QT_MAJOR:-5}
suffix=""
[ "$qt" = 5 ] || suffix=-qt$qt
build=${VELMORA_BUILD_DIR:-$root/build$suffix}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_QT_MAJOR="$qt" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
