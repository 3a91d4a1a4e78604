#!/usr/bin/env bash
# bench/filter.sh: the ticket filter against `cat` and CUPS's pstops on the
# same generated PostScript job, printed as one markdown table.
#
#   bash bench/filter.sh [MB ...]        (default sizes: 200 50)
#
# Builds tavro-ticket-filter (Release) in build-bench/ (or $TAVRO_BENCH_BUILD),
# generates each job in a temporary folder (never kept), writes a ticket that
# suppresses the job's standard blocks, then runs every program over the job
# from the page cache to /dev/null, $TAVRO_BENCH_REPS times (3), and reports
# the best wall time as throughput and the peak resident size (/usr/bin/time).
# The pstops row is left out when cups-core-drivers is not installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
TAVRO_WITH_CUPSD=1 bash scripts/install-deps.sh >&2
build=${TAVRO_BENCH_BUILD:-build-bench}
bash scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=Release >&2
ninja -C "$build" tavro-ticket-filter >&2
filter="$root/$build/queue/ticket/tavro-ticket-filter"
pstops=/usr/lib/cups/filter/pstops
reps=${TAVRO_BENCH_REPS:-3}
sizes=("$@")
((${#sizes[@]})) || sizes=(200 50)

work=$(mktemp -d /tmp/tavro-filter-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/root/Library/Caches/QZV"
b64() { printf '%b' "$1" | base64 -w0; }
{
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<array>\n'
  for key in Duplex MediaType QZStaple QZColorMode QZPunch QZCollate; do
    printf '<integer>-9</integer><data>%s</data>\n' "$(b64 "*$key")"
  done
  printf '<integer>81</integer><data>%s</data>\n' "$(b64 '%%BeginFeature: *Duplex DuplexNoTumble\n<</Duplex true>> setpagedevice\n%%EndFeature\n')"
  printf '<integer>501</integer><data>%s</data>\n' "$(b64 '%%QZVDriver\n')"
  printf '<integer>71</integer><data>%s</data>\n' "$(b64 '%%EndTavroPreparse1: True\n')"
  printf '</array>\n</plist>\n'
} >"$work/root/Library/Caches/QZV/Tavro.tempBench"
option="QZV.PSData.org.tavro.print.pde.41E21128-26D6-4D35-B898-DBD8D5A9D932.PInf=Tavro.tempBench"

# best_run FILE CMD...: "seconds peak_kb" of the fastest of $reps runs (the
# peak is the largest seen).
best_run() {
  local file=$1 best="" peak=0 start end kb secs
  shift
  for ((i = 0; i < reps; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" <"$file" >/dev/null 2>"$work/stderr"
    end=$(date +%s%N)
    kb=$(tail -1 "$work/rss")
    secs=$(awk -v n=$((end - start)) 'BEGIN { printf "%.4f", n / 1e9 }')
    ((kb > peak)) && peak=$kb
    if [[ -z $best ]] || awk -v a="$secs" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$secs; fi
  done
  echo "$best $peak"
}

echo "| job | program | time (s) | throughput (MB/s) | vs cat | peak RSS (KiB) |"
echo "|---|---|---:|---:|---:|---:|"
for mb in "${sizes[@]}"; do
  job="$work/job-$mb.ps"
  awk -v bytes=$((mb * 1000000)) -f bench/gen_ps_job.awk >"$job"
  bytes=$(stat -c %s "$job")
  cat "$job" >/dev/null  # into the page cache
  read -r cat_s cat_kb <<<"$(best_run "$job" cat)"
  rows=("cat $cat_s $cat_kb")
  read -r s kb <<<"$(best_run "$job" env TAVRO_ROOT="$work/root" "$filter" 1 bench job 1 "$option")"
  rows+=("tavro-ticket-filter $s $kb")
  if [[ -x $pstops ]]; then
    read -r s kb <<<"$(best_run "$job" env PPD="$root/samples/TavroC750.ppd" "$pstops" 1 bench job 1 "")"
    rows+=("pstops $s $kb")
  fi
  for row in "${rows[@]}"; do
    read -r name s kb <<<"$row"
    awk -v name="$name" -v s="$s" -v kb="$kb" -v bytes="$bytes" -v cat_s="$cat_s" 'BEGIN {
      t = (s > 0 ? s : 0.0001); c = (cat_s > 0 ? cat_s : 0.0001)
      printf "| %.0f MB | %s | %.3f | %.0f | %.2f | %d |\n", bytes / 1e6, name, s, bytes / 1e6 / t, c / t, kb }'
  done
done
