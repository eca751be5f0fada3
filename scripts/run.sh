#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Kelvane and starts the window program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVANE_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"
exec "$build/bin/kelvane" "$@"
