#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages that building, testing, packaging and running Kelvane need,
# when some are missing (debhelper builds the package; lintian checks it). Needs root only then:
# as another user it asks through sudo.
set -euo pipefail

packages=(
    build-essential clang cmake pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev liburing-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core
    openssl time
    help2man desktop-file-utils appstream man-db dpkg-dev
    xdg-utils shared-mime-info libglib2.0-bin
    debhelper fakeroot
    lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "install-deps: these packages are missing and installing them needs root:" >&2
        echo "  apt-get install ${missing[*]}" >&2
        exit 1
    fi
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
