#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, on Qt 5 in build/
# and on Qt 6 in build-qt6/ (or $VELMORA_QT6_BUILD_DIR). Tests that need a
# display run on a virtual X server; widget tests use Qt's offscreen platform.
# Then the same tests run again in a Qt 5 build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzzers run briefly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
build_qt6=${VELMORA_QT6_BUILD_DIR:-$root/build-qt6}
"$root/scripts/install-deps.sh"
VELMORA_QT_MAJOR=5 "$root/scripts/build.sh"
xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
VELMORA_QT_MAJOR=6 VELMORA_BUILD_DIR=$build_qt6 "$root/scripts/build.sh"
xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --test-dir "$build_qt6" --output-on-failure -j2 --timeout 300
"$root/scripts/run-sanitized-tests.sh"
"$root/scripts/run-fuzzers.sh"
