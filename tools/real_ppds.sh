# Sourced by bench/run.sh and tools/robustness.sh: real_ppds_dir prints the
# folder that holds every PPD of Debian's openprinting-ppds, hplip-data and
# foomatic-db-compressed-ppds, extracting them first when the folder is
# missing or was made from other package versions. Its files.txt lists them.
real_ppds_dir() {
  local root dir stamp want
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  dir=${TAVRO_REAL_PPDS_DIR:-/var/tmp/tavro-real-ppds}
  want=$(dpkg-query -W -f='${Package} ${Version}\n' openprinting-ppds hplip-data \
    foomatic-db-compressed-ppds 2>/dev/null)
  stamp="$dir/stamp"
  if [[ ! -f "$dir/files.txt" || ! -f "$stamp" || "$(cat "$stamp")" != "$want" ]]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    python3 "$root/tools/extract_real_ppds.py" "$dir" >&2 || return 1
    printf '%s\n' "$want" >"$stamp"
  fi
  printf '%s\n' "$dir"
}
