#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing and makes the Debian package from debian/ with dpkg-buildpackage, in a
# copy of the source tree under build-package/ so that the tree itself is left as it is; checks the
# package with lintian and prints its path, build-package/kelvane_<version>_<architecture>.deb.
# The tests are left to scripts/test.sh unless DEB_BUILD_OPTIONS asks otherwise (default:
# "nocheck parallel=<cores>").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${KELVANE_PACKAGE_DIR:-$root/build-package}

bash "$root/scripts/install-deps.sh"
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
source=$out/kelvane-$version
rm -rf "$source"
mkdir -p "$source"
# The sources only: no build trees, no earlier package build.
tar -C "$root" --exclude=./.git --exclude=./build --exclude='./build-*' --exclude='./obj-*' \
    --exclude=./bench/out --exclude="./$(realpath --relative-to="$root" "$out")" \
    --exclude=./debian/.debhelper --exclude=./debian/kelvane --exclude=./debian/tmp -cf - . |
    tar -C "$source" -xf -

export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-nocheck parallel=$(nproc)}
profiles=()
[[ " $DEB_BUILD_OPTIONS " == *" nocheck "* ]] && profiles=(--build-profiles=nocheck)
log=$out/kelvane_${version}_$arch.build
if ! (cd "$source" && dpkg-buildpackage -us -uc -b "${profiles[@]}") >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "package: dpkg-buildpackage failed; the whole log is $log" >&2
    exit 1
fi
rm -rf "$source"
deb=$out/kelvane_${version}_$arch.deb
# Errors and warnings fail the run; informational tags are shown.
lintian --info --pedantic --fail-on error,warning "$deb" >&2
echo "$deb"
