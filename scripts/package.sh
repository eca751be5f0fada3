#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Kelvane for /usr and makes its Debian package,
# build-package/kelvane_<version>_<architecture>.deb; prints the package's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVANE_PACKAGE_DIR:-$root/build-package}

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DKELVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
cmake --build "$build" --target package >/dev/null
ls "$build"/kelvane_*.deb
