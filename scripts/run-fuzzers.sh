#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or
# $VELMORA_FUZZ_BUILD_DIR) and runs each from its seed corpus for
# $VELMORA_FUZZ_SECONDS seconds (default 15). Any finding fails the run; the
# input that caused it is in build-fuzz/fuzz/findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_FUZZ_BUILD_DIR:-$root/build-fuzz}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMORA_FUZZERS=ON -DVELMORA_FUZZ_SECONDS="${VELMORA_FUZZ_SECONDS:-15}" >/dev/null
cmake --build "$build" --target velmora_fuzzers -j"$(nproc)"
ctest --test-dir "$build" -L fuzz --output-on-failure -j2
