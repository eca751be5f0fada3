#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the shared-mime-info package of locked files, org.kelvane.Kelvane.mime.xml.
#
# A locked file is named "<name>_locked.<extension>" or "<name>.locked". The glob "*_locked.*"
# with a high weight is enough where the desktop weighs every glob (Qt, KDE); GLib (GNOME, most
# file managers) tries a general glob only when no extension glob matches, so the package also
# names "*_locked.<extension>" for every extension the system's MIME database knows, each with a
# weight above the plain extension's. The file is kept in the source tree; run this again when
# the MIME database has learned new extensions (apt-get install shared-mime-info).
set -euo pipefail
globs=${1:-/usr/share/mime/globs2}
out=$(dirname "$0")/org.kelvane.Kelvane.mime.xml
{
    cat <<'HEAD'
<?xml version="1.0" encoding="UTF-8"?>
<!-- SPDX-License-Identifier: MIT -->
<!-- Written by mime-globs.sh from the system's MIME database: edit that script, not this file. -->
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-kelvane-locked">
    <comment>Kelvane locked file</comment>
    <icon name="org.kelvane.Kelvane"/>
    <glob pattern="*.locked" weight="80"/>
    <glob pattern="*_locked.*" weight="80"/>
HEAD
    # Every plain extension glob ("*.pdf", "*.tar.gz"), in lower case, once; a locked RPM build
    # recipe is left to the general glob.
    awk -F: '$3 ~ /^\*\.[A-Za-z0-9._+~-]+$/ { print tolower(substr($3, 3)) }' "$globs" |
        grep -v -x 's[p]ec' | LC_ALL=C sort -u |
        while read -r extension; do
            printf '    <glob pattern="*_locked.%s" weight="80"/>\n' "$extension"
        done
    cat <<'TAIL'
  </mime-type>
</mime-info>
TAIL
} >"$out"
