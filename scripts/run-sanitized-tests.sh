#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (or $VELMORA_ASAN_BUILD_DIR) and runs every test there. Any
# sanitizer report fails a test: ASan and UBSan stop the program at the first
# error, LeakSanitizer makes it exit non-zero. The suppression files hold only
# third-party code (Mesa, fontconfig, GLib, Qt's own start-up allocations).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_ASAN_BUILD_DIR:-$root/build-asan}
rules=$root/scripts/sanitizers
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_odr_violation=2"
export LSAN_OPTIONS="suppressions=$rules/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$rules/ubsan.supp"
VELMORA_QT_MAJOR=5 VELMORA_BUILD_DIR=$build "$root/scripts/build.sh" -DVELMORA_SANITIZE=ON
# Instrumented programs run several times slower; the timeout grows with them.
xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
