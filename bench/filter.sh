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
# the best wall and CPU times as throughput, and the peak resident size
# (bench/measure_run.cpp: getrusage of the child).
# The pstops row is left out when cups-core-drivers is not installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
TAVRO_WITH_CUPSD=1 bash scripts/install-deps.sh >&2
build=${TAVRO_BENCH_BUILD:-build-bench}
bash scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=Release >&2
ninja -C "$build" tavro-ticket-filter tavro_measure_run >&2
filter="$root/$build/queue/ticket/tavro-ticket-filter"
measure="$root/$build/bench/tavro_measure_run"
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

# best_run FILE CMD...: "wall_s cpu_s peak_kb": the shortest wall and CPU
# times of $reps runs and the largest peak resident size.
best_run() {
  local file=$1 wall="" cpu="" peak=0 w c kb
  shift
  for ((i = 0; i < reps; i++)); do
    read -r w c kb <<<"$("$measure" "$file" /dev/null "$@")"
    ((kb > peak)) && peak=$kb
    if [[ -z $wall ]] || awk -v a="$w" -v b="$wall" 'BEGIN { exit !(a < b) }'; then wall=$w; fi
    if [[ -z $cpu ]] || awk -v a="$c" -v b="$cpu" 'BEGIN { exit !(a < b) }'; then cpu=$c; fi
  done
  echo "$wall $cpu $peak"
}

echo "| job | program | wall (s) | MB/s (wall) | CPU (s) | MB/s (CPU) | vs cat (CPU) | peak RSS (KiB) |"
echo "|---|---|---:|---:|---:|---:|---:|---:|"
for mb in "${sizes[@]}"; do
  job="$work/job-$mb.ps"
  awk -v bytes=$((mb * 1000000)) -f bench/gen_ps_job.awk >"$job"
  bytes=$(stat -c %s "$job")
  cat "$job" >/dev/null  # into the page cache
  rows=("cat $(best_run "$job" cat)")
  rows+=("tavro-ticket-filter $(best_run "$job" env TAVRO_ROOT="$work/root" "$filter" 1 bench job 1 "$option")")
  if [[ -x $pstops ]]; then
    rows+=("pstops $(best_run "$job" env PPD="$root/samples/TavroC750.ppd" "$pstops" 1 bench job 1 "")")
  fi
  read -r _ _ cat_cpu _ <<<"${rows[0]}"
  for row in "${rows[@]}"; do
    read -r name wall cpu kb <<<"$row"
    awk -v name="$name" -v w="$wall" -v c="$cpu" -v kb="$kb" -v bytes="$bytes" -v cc="$cat_cpu" 'BEGIN {
      mb = bytes / 1e6; w = (w > 0 ? w : 1e-4); c = (c > 0 ? c : 1e-4); cc = (cc > 0 ? cc : 1e-4)
      printf "| %.0f MB | %s | %.3f | %.0f | %.3f | %.0f | %.2f | %d |\n", mb, name, w, mb / w, c, mb / c, cc / c, kb }'
  done
done
