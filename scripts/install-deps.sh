#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Run as root (or with sudo available). Non-interactive.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  zlib1g-dev libssl-dev uuid-dev libplist-dev libcups2-dev
  libavahi-client-dev
  valgrind
)
# The suite runs private schedulers (tests/support/PrivateCupsd.h): the
# scheduler, its administration tools and pstops for the print chain.
PACKAGES+=(cups-daemon cups-client cups-core-drivers)
# Property-list tests read our output back with another reader (plistlib).
PACKAGES+=(python3)
# Renders the ticket filter's output in its end-to-end test, and the
# watermark resources in theirs (skipped without it).
PACKAGES+=(ghostscript)
# Real PPDs nobody here wrote, for tools/robustness.sh and bench/run.sh; xz
# is what their self-extracting archives call.
if [[ "${TAVRO_WITH_REAL_PPDS:-0}" == 1 ]]; then
  PACKAGES+=(openprinting-ppds hplip-data foomatic-db-compressed-ppds xz-utils python3)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
