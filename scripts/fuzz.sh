#!/usr/bin/env bash
# fuzz.sh NAME [SECONDS]: runs the libFuzzer target fuzz_NAME for SECONDS
# (default 60) from its seed corpus; new inputs go to $FUZZ_BUILD_DIR/corpus/NAME
# (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1; secs=${2:-60}
bd=${FUZZ_BUILD_DIR:-build-fuzz}
bash scripts/install-deps.sh
CC=clang CXX=clang++ bash scripts/configure.sh "$bd" -DTAVRO_FUZZ=ON -DTAVRO_TESTS=OFF -DTAVRO_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
ninja -C "$bd" "fuzz_$name"
mkdir -p "$bd/corpus/$name"
exec "./$bd/fuzz/fuzz_$name" -max_total_time="$secs" -print_final_stats=1 \
  "$bd/corpus/$name" "fuzz/corpus/$name"
