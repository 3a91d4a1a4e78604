#!/usr/bin/env bash
# configure.sh BUILD_DIR [cmake args...]: configures a Ninja build once; later
# calls reuse it, so repeated runs rebuild only what changed.
set -euo pipefail
dir=$1; shift
if [[ ! -f "$dir/build.ninja" ]]; then
  cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja "$@"
fi
