#!/usr/bin/env bash
# The main job on the bundled sample: installs what is missing, builds the
# inspector and runs it over samples/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/configure.sh build
ninja -C build tavro-inspect
exec ./build/tools/tavro-inspect "${@:-samples/TavroC750.ppd}"
