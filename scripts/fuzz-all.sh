#!/usr/bin/env bash
# fuzz-all.sh [SECONDS] [NAME...]: runs every fuzz target (or the named ones)
# for SECONDS each (default 600), one after the other, then adds to fuzz/corpus/NAME
# only the finds that reach new coverage (libFuzzer's merge), so the committed
# corpora stay small and CTest replays them. Prints executions and
# coverage per target; a crash stops the run and leaves the reproducer in the
# build directory. Uses $FUZZ_BUILD_DIR (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-600}; shift || true
bd=${FUZZ_BUILD_DIR:-build-fuzz}
names=("$@")
if [[ ${#names[@]} -eq 0 ]]; then
  for f in fuzz/fuzz_*.cpp; do n=$(basename "$f" .cpp); names+=("${n#fuzz_}"); done
fi
bash scripts/install-deps.sh
CC=clang CXX=clang++ bash scripts/configure.sh "$bd" -DTAVRO_FUZZ=ON -DTAVRO_TESTS=OFF \
  -DTAVRO_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
ninja -C "$bd" $(printf 'fuzz_%s ' "${names[@]}")

summary=()
for name in "${names[@]}"; do
  found="$bd/corpus/$name"; seeds="fuzz/corpus/$name"
  mkdir -p "$found" "$seeds"
  log="$bd/fuzz_$name.log"
  echo "== fuzz_$name for ${secs}s (log: $log)"
  ( cd "$bd" && "./fuzz/fuzz_$name" -max_total_time="$secs" -print_final_stats=1 \
      -artifact_prefix="./fuzz_$name-" "corpus/$name" "../$seeds" ) >"$log" 2>&1 || {
    echo "fuzz_$name FAILED: see $log"; tail -20 "$log"; exit 1; }
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  # Keep the committed seeds and add only the finds that reach new coverage.
  "./$bd/fuzz/fuzz_$name" -merge=1 "$seeds" "$found" >/dev/null 2>&1
  files=$(ls "$seeds" | wc -l)
  summary+=("$(printf '%-18s %12s executions  cov %6s  corpus %4s files %6s' \
    "$name" "${execs:-?}" "${cov:-?}" "$files" "$(du -sh "$seeds" | cut -f1)")")
done
echo; echo "== summary (${secs}s per target)"
printf '%s\n' "${summary[@]}"
