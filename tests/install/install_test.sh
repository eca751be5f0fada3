#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a temporary DESTDIR and checks what an installed Kelvane gives a user:
# both programs and their hardening, the license, the desktop entry, the AppStream metadata, the
# icons, the man pages, the bash completion, the version, and a lock and unlock with the
# installed kelvane-cli.
# Usage: install_test.sh BUILD_DIR VERSION BINDIR DATADIR MANDIR DOCDIR BUILD_TYPE
#        (the install folders, full)
set -euo pipefail
build=$1 version=$2 bindir=$3 datadir=$4 mandir=$5 docdir=$6 build_type=$7

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# Runs a program with no display at all.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

if ! DESTDIR=$work/root cmake --install "$build" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    exit 1
fi
bin=$work/root$bindir
share=$work/root$datadir
man=$work/root$mandir
# The installed programs' bookmark list, away from the user's own.
export XDG_DATA_HOME=$work/data XDG_CONFIG_DIRS=$work/etc

# The programs, their versions (an installed copy is no portable one), and help without a
# display.
[ ! -e "$bin/kelvane-portable" ] || fail "the portable marker is installed"
for program in kelvane kelvane-cli; do
    [ -x "$bin/$program" ] || fail "$bin/$program is not an installed program"
    for option in --version -v; do
        shown=$(headless "$bin/$program" "$option" 2>&1) || fail "$program $option failed: $shown"
        [ "$shown" = "$program $version" ] || fail "$program $option says '$shown', not '$program $version'"
    done
    # Read whole first: grep -q stops at the first match, and the program's later writes would
    # then end it with SIGPIPE.
    shown=$(headless "$bin/$program" --help) || fail "$program --help failed"
    grep -q "^Usage: $program " <<<"$shown" || fail "$program --help has no usage line"
done

# The programs in the build tree are a portable copy, and say so.
built=$(cd "$build/bin" && pwd -P)
for program in kelvane kelvane-cli; do
    shown=$(headless "$built/$program" --version 2>&1) || fail "$program --version failed: $shown"
    [ "$shown" = "$program $version
Portable copy (kelvane-portable beside the program): the bookmark list is $built/bookmarked.txt" ] ||
        fail "the built $program does not say it is a portable copy: '$shown'"
done

# Both programs are hardened: a position-independent executable, relocations read-only and bound
# at start-up, a stack protector and, in an optimised build, the checked C library functions.
for program in kelvane kelvane-cli; do
    file=$bin/$program
    header=$(readelf -hW "$file") dynamic=$(readelf -dW "$file") symbols=$(readelf --dyn-syms -W "$file")
    grep -q 'Type: *DYN' <<<"$header" && grep -q 'FLAGS_1).*PIE' <<<"$dynamic" ||
        fail "$program is not a position-independent executable"
    grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).* NOW' <<<"$dynamic" || fail "$program has no BIND_NOW"
    readelf -lW "$file" | grep -q GNU_RELRO || fail "$program has no read-only relocations"
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
    case $build_type in
    Release | RelWithDebInfo | MinSizeRel)
        grep -Eq ' __[a-z0-9_]+_chk(@|$)' <<<"$symbols" ||
            fail "$program calls no checked (_FORTIFY_SOURCE) function"
        ;;
    esac
done

# The license.
grep -q '^MIT License' "$work/root$docdir/LICENSE" || fail "no MIT license in $docdir"

# The desktop entry names a program that is installed, and the icon.
desktop=$share/applications/org.kelvane.Kelvane.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
grep -qx 'Exec=kelvane %F' "$desktop" || fail "$desktop does not start 'kelvane %F'"
grep -qx 'Icon=org.kelvane.Kelvane' "$desktop" || fail "$desktop names another icon"

# Locked files have their own type, which the desktop entry opens. The type is read as a file
# manager reads it, from the installed tree and the system's MIME database, through xdg-mime on
# GIO (GNOME's file manager), with the user's own MIME and application folders left empty.
grep -qx 'MimeType=application/x-kelvane-locked;' "$desktop" || fail "$desktop opens no locked files"
if [ -f "$share/mime/packages/org.kelvane.Kelvane.xml" ]; then
    update-mime-database "$share/mime" >"$work/mime.log" 2>&1 || { cat "$work/mime.log" >&2; fail "update-mime-database rejects the locked file type"; }
    update-desktop-database "$share/applications" || fail "update-desktop-database failed"
    mkdir -p "$work/mime-files" "$work/empty"
    desktop_env() { env XDG_CURRENT_DESKTOP=GNOME XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$work/empty" XDG_CONFIG_HOME="$work/empty" "$@"; }
    # The file name, what it holds (the bytes of a locked file, or text), the type it has.
    while read -r name content expected; do
        if [ "$content" = locked ]; then
            printf '\x8f\x13\x00\xfe\x91\x02\xc4\x7f\x00\xa3' >"$work/mime-files/$name"
        else
            printf 'some text\n' >"$work/mime-files/$name"
        fi
        got=$(desktop_env xdg-mime query filetype "$work/mime-files/$name")
        [ "$got" = "$expected" ] || fail "$name has the type '$got', not '$expected'"
    done <<'ROWS'
report_locked.txt locked application/x-kelvane-locked
Photo_LOCKED.JPG locked application/x-kelvane-locked
archive_locked.tar.gz locked application/x-kelvane-locked
notes.locked locked application/x-kelvane-locked
data_locked.kvzq locked application/x-kelvane-locked
report.txt text text/plain
report_unlocked.txt text text/plain
locked.txt text text/plain
lockedfile.txt text text/plain
ROWS
    # Read whole, then cut: head would end gio with SIGPIPE where it lists more than one program.
    comment=$(desktop_env gio mime application/x-kelvane-locked 2>&1 || true)
    comment=${comment%%$'\n'*}
    opener=$(desktop_env xdg-mime query default application/x-kelvane-locked)
    [ "$opener" = org.kelvane.Kelvane.desktop ] || fail "locked files open with '$opener' ($comment), not Kelvane"
    grep -q '<comment>Kelvane locked file</comment>' "$share/mime/packages/org.kelvane.Kelvane.xml" ||
        fail "the locked file type has no comment"
else
    fail "no MIME package for locked files"
fi

metainfo=$share/metainfo/org.kelvane.Kelvane.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli rejects $metainfo"; }
grep -q "<release version=\"$version\"" "$metainfo" || fail "$metainfo has no release $version"
grep -q "<project_license>MIT</project_license>" "$metainfo" || fail "$metainfo names no license"

# Every icon size, each PNG as large as its folder says (width and height from the IHDR chunk).
[ -f "$share/icons/hicolor/scalable/apps/org.kelvane.Kelvane.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/org.kelvane.Kelvane.png
    if [ ! -f "$png" ]; then
        fail "no ${size}x${size} icon"
        continue
    fi
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
    [ "$signature" = 89504e470d0a1a0a ] && [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
        fail "$png is not a ${size}x${size} PNG (${width}x${height})"
done

# Both man pages read with man, each with its name, options and cross reference.
for page in kelvane:kelvane-cli kelvane-cli:kelvane; do
    name=${page%%:*} other=${page#*:}
    file=$man/man1/$name.1.gz
    text=$(MANWIDTH=100 man -l "$file" 2>"$work/man.err") || fail "man -l $file failed: $(cat "$work/man.err")"
    for expected in "$name - lock and unlock files" "--version" "$other(1)" "SECURITY"; do
        grep -qF -- "$expected" <<<"$text" || fail "man page $name(1) lacks '$expected'"
    done
    if [ "$name" = kelvane-cli ]; then # each example on a line of its own, on 80 columns
        examples=$(MANWIDTH=80 man -l "$file" 2>/dev/null | sed -n '/^EXAMPLES/,/^[A-Z]/p' |
            sed '1d;$d' | grep -v '^ *$')
        [ "$(wc -l <<<"$examples")" -ge 2 ] && ! grep -qv '^ *\$ [^$]*$' <<<"$examples" ||
            fail "the examples of kelvane-cli(1) do not stand each on a line: $examples"
    fi
    if [ "$name" = kelvane-cli ]; then # every usage line in the synopsis
        synopsis=$(sed -n '/^SYNOPSIS/,/^DESCRIPTION/p' <<<"$text")
        for command in "lock SOURCE" "unlock SOURCE" "bookmarks list" "bookmarks lock-all"; do
            grep -q "kelvane-cli .*$command" <<<"$synopsis" ||
                fail "the synopsis of kelvane-cli(1) lacks '$command'"
        done
    fi
done

# The completion is installed where bash-completion looks, and completes.
completion=$share/bash-completion/completions/kelvane-cli
if [ -f "$completion" ]; then
    mkdir -p "$work/files/folder" "$work/files/folder_locked"
    touch "$work/files/"{report.txt,pw.txt,notes_locked.txt,old.locked}
    # The installed tool lists the bookmarks that remove completes.
    PATH=$bin:$PATH headless kelvane-cli bookmarks add "$work/files/report.txt" ||
        fail "the installed kelvane-cli could not add a bookmark"
    PATH=$bin:$PATH headless kelvane-cli bookmarks add "$work/files/old.locked" -o "$work/x" ||
        fail "the installed kelvane-cli could not add a bookmark"
    complete_words() { # CURRENT WORD...: the words before the one being completed, then it
        (
            cd "$work/files"
            # shellcheck source=/dev/null
            source "$completion"
            local current=$1
            shift
            COMP_WORDS=("$@" "$current")
            COMP_CWORD=$#
            PATH=$bin:$PATH
            _kelvane_cli
            printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
        )
    }
    # The words before, the word being completed, what it completes to.
    while IFS='|' read -r words current expected; do
        # shellcheck disable=SC2086
        got=$(complete_words "$current" $words)
        [ "$got" = "$expected" ] || fail "completing '$words $current' gives '$got', not '$expected'"
    done <<'ROWS'
kelvane-cli||bookmarks lock unlock 
kelvane-cli|un|unlock 
kelvane-cli bookmarks||add clear list lock-all remove 
kelvane-cli bookmarks|lo|lock-all 
kelvane-cli bookmarks add|rep|report.txt 
kelvane-cli bookmarks list|rep| 
kelvane-cli lock a b|rep|report.txt 
kelvane-cli lock report.txt --output-dir|f|folder folder_locked 
kelvane-cli lock|rep|report.txt 
kelvane-cli lock report.txt|--pass|--password-file --password-stdin 
kelvane-cli lock report.txt --password-file|p|pw.txt 
kelvane-cli lock report.txt --password-file =|p|pw.txt 
kelvane-cli lock report.txt --password-file|=|folder folder_locked notes_locked.txt old.locked pw.txt report.txt 
kelvane-cli unlock||folder folder_locked notes_locked.txt old.locked 
kelvane-cli unlock|rep|report.txt 
kelvane-cli bookmarks remove|/nowhere/| 
kelvane-cli lock|-v|-v 
kelvane-cli -o x|lo|lock 
kelvane-cli --password-file = x|un|unlock 
kelvane-cli|--ver|--version 
kelvane-cli lock|--q|--quiet 
ROWS
    # After bookmarks remove: the sources in the installed tool's list.
    got=$(complete_words "$work/" kelvane-cli bookmarks remove)
    [ "$got" = "$work/files/old.locked $work/files/report.txt " ] ||
        fail "completing 'bookmarks remove' gives '$got', not the bookmarked sources"
else
    fail "no bash completion at $completion"
fi

# A lock and unlock with the installed tool gives the file back.
head -c 100000 /dev/urandom >"$work/report.bin"
printf 'install test\n' >"$work/password"
headless "$bin/kelvane-cli" lock "$work/report.bin" --password-file "$work/password" ||
    fail "the installed kelvane-cli could not lock"
headless "$bin/kelvane-cli" unlock "$work/report_locked.bin" --password-file "$work/password" ||
    fail "the installed kelvane-cli could not unlock"
if cmp -s "$work/report.bin" "$work/report_locked.bin"; then
    fail "the locked file is the source"
fi
cmp -s "$work/report.bin" "$work/report_unlocked.bin" ||
    fail "unlocking the locked file did not give the source back"

if [ "$failures" -gt 0 ]; then
    echo "$failures checks failed" >&2
    exit 1
fi
echo "installed tree: every check passed"
