#!/usr/bin/env bash
# All the tests: installs what is missing, builds and runs the suite, including
# the replay of every fuzz seed corpus.
#   scripts/test.sh            normal build in build/
#   scripts/test.sh --sanitize AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=build
args=()
if [[ "${1:-}" == "--sanitize" ]]; then
  dir=build-asan
  args=(-DTAVRO_SANITIZE=ON -DTAVRO_BENCH=OFF)
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi
bash scripts/configure.sh "$dir" "${args[@]}"
ninja -C "$dir"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
