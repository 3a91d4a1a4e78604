#!/usr/bin/env bash
# bench/run.sh: the side-by-side benchmarks of issue 10 in one run, printed as
# one markdown table (also written to $OUT/table.md).
#
#   bash bench/run.sh
#
# Installs what is missing (with Debian's real PPD packages), builds
# tavro_bench and tavro_parse_once (Release) in build-bench/ (or
# $TAVRO_BENCH_BUILD), generates the 2 MB vendor PPD, takes the five largest
# PPDs of openprinting-ppds (extracted once, see tools/real_ppds.sh), then:
#   - parse time: tavro_bench, median of $TAVRO_BENCH_REPS repetitions (5);
#   - instructions per byte: valgrind --tool=callgrind over one parse in
#     tavro_parse_once, counting only the parse call, symbols bound at start;
#   - peak memory: tavro_parse_once's peak resident size after one parse;
#   - constraint checks: every choice of every pop-up of the generated PPD.
# The log's 2 ms pause per line is switched off in both programs (a parse
# logs the end-of-PPD marker).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
TAVRO_WITH_REAL_PPDS=1 bash scripts/install-deps.sh >&2
build=${TAVRO_BENCH_BUILD:-build-bench}
bash scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=Release >&2
ninja -C "$build" tavro_bench tavro_parse_once >&2
out=${OUT:-$(mktemp -d /tmp/tavro-bench.XXXXXX)}
mkdir -p "$out"
python3 bench/gen_vendor_ppd.py "$out/generated.ppd"
source tools/real_ppds.sh
real=$(real_ppds_dir)
mapfile -t largest < <(find "$real/openprinting-ppds" -type f -printf '%s\t%p\n' |
  sort -k1,1nr -k2 | head -5 | cut -f2)
files=("$root/samples/TavroC750.ppd" "$out/generated.ppd" "${largest[@]}")

list=$(IFS=:; echo "${largest[*]}")
echo "bench: parse timings ($((${#files[@]} * 2)) benchmarks)" >&2
TAVRO_BENCH_VENDOR_PPD="$out/generated.ppd" TAVRO_BENCH_PPDS="$list" \
  "$build/bench/tavro_bench" --benchmark_filter='^Parse/' \
  --benchmark_repetitions="${TAVRO_BENCH_REPS:-5}" --benchmark_report_aggregates_only=true \
  --benchmark_format=json >"$out/parse.json"
echo "bench: constraint sweep" >&2
TAVRO_BENCH_VENDOR_PPD="$out/generated.ppd" \
  "$build/bench/tavro_bench" --benchmark_filter='^BM_ConstraintSweepDocumentVsLibcups' \
  --benchmark_format=json >"$out/constraints.json"

echo "bench: instruction counts and peak memory" >&2
: >"$out/counts.tsv"
for f in "${files[@]}"; do
  for reader in ours libcups; do
    # Symbols bound at start, so that neither reader's count includes the
    # one-time lazy binding of its library calls (a warm process's parse).
    ir=$(LD_BIND_NOW=1 valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect='tavro_parse_*' \
      "$build/bench/tavro_parse_once" "$reader" "$f" 2>&1 >/dev/null |
      sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
    rss=$("$build/bench/tavro_parse_once" "$reader" "$f" | sed -n 's/.*peak_rss_kb=\([0-9]*\).*/\1/p')
    printf '%s\t%s\t%s\t%s\n' "$f" "$reader" "$ir" "$rss" >>"$out/counts.tsv"
  done
  rss=$("$build/bench/tavro_parse_once" none "$f" | sed -n 's/.*peak_rss_kb=\([0-9]*\).*/\1/p')
  printf '%s\tnone\t0\t%s\n' "$f" "$rss" >>"$out/counts.tsv"
done
python3 bench/report.py "$out" "${files[@]}" | tee "$out/table.md"
echo "bench: results in $out" >&2
