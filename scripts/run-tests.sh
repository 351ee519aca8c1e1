#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Tests that need a
# display run on a virtual X server; widget tests use Qt's offscreen platform.
# Then the same tests run again in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzzers run briefly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
"$root/scripts/run-sanitized-tests.sh"
"$root/scripts/run-fuzzers.sh"
