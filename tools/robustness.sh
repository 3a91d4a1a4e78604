#!/usr/bin/env bash
# tools/robustness.sh: every PPD of Debian's openprinting-ppds, hplip-data and
# foomatic-db-compressed-ppds through our parser in the sanitizer build, with
# a time bound per file, and their identity keywords against libcups.
#
#   bash tools/robustness.sh            all files (about 11,800)
#   bash tools/robustness.sh --ci [N]   N files (300), evenly spread over the sorted list
#
# Installs the packages (TAVRO_WITH_REAL_PPDS=1 scripts/install-deps.sh),
# extracts the PPDs once (tools/real_ppds.sh), builds tavro-robust with
# AddressSanitizer + UBSan in build-asan/ (or $TAVRO_ROBUST_BUILD), runs it
# (one process, resumed after a crash or hang), and prints the report
# (tools/robustness_report.py). Exit 1 on any crash, hang or sanitizer report.
# $TAVRO_ROBUST_TIMEOUT: seconds per file (default 60).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
count=0
if [[ "${1:-}" == "--ci" ]]; then count=${2:-300}; fi
TAVRO_WITH_REAL_PPDS=1 bash scripts/install-deps.sh >&2
build=${TAVRO_ROBUST_BUILD:-build-asan}
bash scripts/configure.sh "$build" -DTAVRO_SANITIZE=ON -DTAVRO_BENCH=OFF >&2
ninja -C "$build" tavro-robust >&2
source tools/real_ppds.sh
real=$(real_ppds_dir)
out=${OUT:-$(mktemp -d /tmp/tavro-robust.XXXXXX)}
mkdir -p "$out"
if ((count > 0)); then
  # Every k-th file of the sorted list, so that all three packages are in it.
  awk -v n="$count" -v total="$(wc -l <"$real/files.txt")" \
    'BEGIN { step = total / n; if (step < 1) step = 1; next_at = 0 }
     NR - 1 >= next_at && taken < n { print; taken++; next_at += step }' \
    "$real/files.txt" >"$out/files.txt"
else
  cp "$real/files.txt" "$out/files.txt"
fi
total=$(wc -l <"$out/files.txt")
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
: >"$out/results.tsv"
: >"$out/failures.txt"
: >"$out/stderr.log"
done_count=0
start=$(date +%s)
# A line every 30 s (TAVRO_ROBUST_PROGRESS), so that a full pass (ten minutes or more) shows it is moving.
(while sleep "${TAVRO_ROBUST_PROGRESS:-30}"; do
  echo "robustness: $(wc -l <"$out/results.tsv") of $total files, $(($(date +%s) - start)) s" >&2
done) &
progress=$!
trap 'kill "$progress" 2>/dev/null || true' EXIT
while ((done_count < total)); do
  tail -n +"$((done_count + 1))" "$out/files.txt" >"$out/rest.txt"
  rc=0
  "$build/tools/tavro-robust" --timeout "${TAVRO_ROBUST_TIMEOUT:-60}" "$out/rest.txt" \
    >>"$out/results.tsv" 2>>"$out/stderr.log" || rc=$?
  done_count=$(wc -l <"$out/results.tsv")
  if ((rc != 0 && done_count >= total)); then
    # Every file was read: the report came at exit (a leak, for instance).
    printf 'exit %d\tat exit\n' "$rc" >>"$out/failures.txt"
    echo "robustness: exit $rc after the last file" >&2
  elif ((rc != 0)); then
    # The file being read when the process ended is the one after the last line.
    failed=$(sed -n "$((done_count + 1))p" "$out/files.txt")
    printf 'exit %d\t%s\n' "$rc" "$failed" >>"$out/failures.txt"
    echo "robustness: exit $rc on $failed" >&2
    done_count=$((done_count + 1))
    printf '%s\t-1\tCRASH\n' "$failed" >>"$out/results.tsv"
  fi
done
kill "$progress" 2>/dev/null || true
elapsed=$(($(date +%s) - start))
python3 tools/robustness_report.py "$out" "$elapsed" | tee "$out/report.md"
echo "robustness: results in $out" >&2
[[ ! -s "$out/failures.txt" ]] && ! grep -q "ERROR: AddressSanitizer\|runtime error:" "$out/stderr.log"
