#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Speed and memory figures of Kelvane, each as a ratio measured in this same run:
#   1. in-memory transform of a 256 MiB buffer against memcpy of the same buffer (the whole
#      transform, the generator's kernel and the precomputed period, with the fastest and with the
#      portable kernels), and the length from which the period pays for its building;
#   2. locking a large file with kelvane-cli against cp followed by a sync of the copy, and against
#      dd writing the same bytes directly (oflag=direct) and through the cache, both flushed; on
#      the write path kelvane-cli picks for the disk and on each of its two paths, with its peak
#      memory;
#   3. locking many small files (2,000 and 20,000 of 4 KiB) into another folder against cp of the
#      folder and one sync;
#   4. the window's start-up in a folder of 1 file and of 100,000 files, with its peak memory;
#   5. the checks before a run of many files: `kelvane-cli lock` of 2,000 and of 20,000 files of
#      4 KiB (the run ends at the password, which is read once every file is checked), the plan of
#      `bookmarks lock-all` over 10,000 bookmarks, and one change of a window's list of 10,000
#      bookmarks from the click to the list saved.
# Usage: bench/run.sh [BUILD_DIR] [WORK_DIR]
#   ROUNDS=5 FILE_MIB=512 SMALL="2000 20000" SMALL_ROUNDS=3 WINDOW_FILES=100000 to change the runs;
#   PARTS="memory file small window checks" to run some of them.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-$root/build-bench}
work=${2:-$root/bench/out}
rounds=${ROUNDS:-5}
file_mib=${FILE_MIB:-512}
small_counts=${SMALL:-2000 20000}
small_rounds=${SMALL_ROUNDS:-3}
window_files=${WINDOW_FILES:-100000}
parts=${PARTS:-memory file small window checks}

for tool in cmake /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (apt-get install cmake time)" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DKELVANE_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target kelvane_bench kelvane_window_bench kelvane_list_bench kelvane-cli -j"$(nproc)" >/dev/null
cli=$build/bin/kelvane-cli
mkdir -p "$work"
printf 'benchmark password\n' >"$work/password"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b == 0) print "n/a"; else printf "%.2f", a / b }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
med() { tr ' ' '\n' <<<"$1" | grep . | median; }
most() { tr ' ' '\n' <<<"$1" | grep . | sort -g | tail -1; }
wants() { [[ " $parts " == *" $1 "* ]]; }

# One timed run: prints wall seconds and peak resident KiB. Each run starts from the same state:
# a quiet disk, and (when run as root) a page cache that holds the source and nothing else.
timed() {
    sync
    echo 3 2>/dev/null >/proc/sys/vm/drop_caches || true
    [ -z "${warm:-}" ] || cat "$warm" >/dev/null
    sleep 1
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}

if wants memory; then
    echo "== In memory (256 MiB buffer)"
    # A benchmark's name may go on with its arguments ("BM_memcpy/min_time:2.000").
    rate() { printf '%s\n' "$1" | awk -v name="\"$2" '
        index($0, "\"name\": " name "\"") || index($0, "\"name\": " name "/") { found = 1 }
        found && /"bytes_per_second"/ { gsub(/[^0-9.e+]/, "", $2); print $2; exit }'; }
    fast=$("$build/bench/kelvane_bench" --benchmark_format=json 2>/dev/null)
    slow=$(KELVANE_PORTABLE=1 "$build/bench/kelvane_bench" --benchmark_format=json \
        --benchmark_filter='RndCryptBuffer|generator|period' 2>/dev/null)
    memcpy=$(rate "$fast" BM_memcpy)
    show() { printf '  %-34s %8s GB/s   %s x memcpy\n' "$1" "$(ratio "$2" 1e9)" "$(ratio "$2" "$memcpy")"; }
    printf '  %-34s %8s GB/s\n' memcpy "$(ratio "$memcpy" 1e9)"
    show "transform (fastest kernels)" "$(rate "$fast" BM_RndCryptBuffer)"
    show "  generator kernel alone" "$(rate "$fast" BM_generator)"
    show "  precomputed period alone" "$(rate "$fast" BM_period)"
    show "transform (portable kernels)" "$(rate "$slow" BM_RndCryptBuffer)"
    show "  generator kernel alone" "$(rate "$slow" BM_generator)"
    show "  precomputed period alone" "$(rate "$slow" BM_period)"
    # Building the period costs one period's worth of the generator; each byte that then comes
    # from the period saves the difference of the two ways.
    for kind in fast slow; do
        g=$(rate "${!kind}" BM_generator)
        p=$(rate "${!kind}" BM_period)
        [ -n "$g" ] && [ -n "$p" ] || continue
        printf '  period pays from (%s kernels)    %s MiB in one transform\n' "$kind" \
            "$(awk -v g="$g" -v p="$p" 'BEGIN { if (p <= g) print "never"; else printf "%.0f", 16 / (1 - g / p) }')"
    done
fi

if wants file; then
    echo "== Locking a ${file_mib} MiB file ($rounds rounds, median; work folder $work)"
    src=$work/source.bin
    if [ ! -f "$src" ] || [ "$(stat -c %s "$src")" -ne $((file_mib * 1024 * 1024)) ]; then
        head -c "$((file_mib * 1024 * 1024))" /dev/urandom >"$src"
    fi
    warm=$src
    names="cp_sync dd_direct dd_cached kelvane kelvane_windowed kelvane_direct"
    declare -A wall peak
    for _ in $(seq "$rounds"); do
        for name in $names; do
            rm -f "$work/out.bin"
            case $name in
                cp_sync) out=$(timed sh -c 'cp "$1" "$2" && sync "$2"' sh "$src" "$work/out.bin") ;;
                dd_direct) out=$(timed dd if="$src" of="$work/out.bin" bs=1M oflag=direct conv=fdatasync status=none) ;;
                dd_cached) out=$(timed dd if="$src" of="$work/out.bin" bs=1M conv=fdatasync status=none) ;;
                kelvane) out=$(timed "$cli" lock "$src" -o "$work/out.bin" --password-file "$work/password") ;;
                kelvane_windowed) out=$(KELVANE_DIRECT_IO=0 timed "$cli" lock "$src" -o "$work/out.bin" --password-file "$work/password") ;;
                kelvane_direct) out=$(KELVANE_DIRECT_IO=1 timed "$cli" lock "$src" -o "$work/out.bin" --password-file "$work/password") ;;
            esac
            wall[$name]+="${out% *} "
            peak[$name]+="${out#* } "
        done
    done
    rm -f "$work/out.bin" "$work/time"
    warm=
    base=$(med "${wall[cp_sync]}")
    direct=$(med "${wall[dd_direct]}")
    printf '  %-34s %6.2f s\n' "cp + sync of the copy" "$base"
    printf '  %-34s %6.2f s   %s x cp + sync\n' "dd bs=1M oflag=direct, fdatasync" "$direct" "$(ratio "$direct" "$base")"
    for name in dd_cached kelvane kelvane_windowed kelvane_direct; do
        case $name in
            dd_cached) label="dd bs=1M (cached), fdatasync" ;;
            kelvane) label="kelvane-cli lock, the path it picks" ;;
            kelvane_windowed) label="kelvane-cli lock, windowed path" ;;
            kelvane_direct) label="kelvane-cli lock, direct path" ;;
        esac
        t=$(med "${wall[$name]}")
        printf '  %-34s %6.2f s   %s x cp + sync, %s x dd direct\n' "$label" "$t" \
            "$(ratio "$t" "$base")" "$(ratio "$t" "$direct")"
    done
    printf '  %-34s %6.1f MiB\n' "kelvane-cli peak memory" "$(ratio "$(most "${peak[kelvane]} ${peak[kelvane_windowed]} ${peak[kelvane_direct]}")" 1024)"
    echo "  (runs, s)"
    for name in $names; do echo "    $name: ${wall[$name]}"; done
fi

if wants small; then
    for count in $small_counts; do
        echo "== Locking $count files of 4 KiB ($small_rounds rounds, median)"
        set_dir=$work/small-$count
        if [ ! -f "$set_dir/.complete" ]; then
            rm -rf "$set_dir"
            mkdir -p "$set_dir"
            head -c $((count * 4096)) /dev/urandom | split -a 6 -d -b 4096 - "$set_dir/f"
            touch "$set_dir/.complete"
        fi
        declare -A swall=()
        for _ in $(seq "$small_rounds"); do
            for name in cp_sync kelvane; do
                rm -rf "$work/small-out"
                mkdir "$work/small-out"
                case $name in
                    cp_sync) out=$(timed sh -c 'cp "$1"/f* "$2"/ && sync -f "$2"' sh "$set_dir" "$work/small-out") ;;
                    kelvane) out=$(timed sh -c '"$1" lock "$2"/f* --output-dir "$3" -q --password-file "$4"' sh \
                        "$cli" "$set_dir" "$work/small-out" "$work/password") ;;
                esac
                swall[$name]+="${out% *} "
            done
        done
        rm -rf "$work/small-out"
        base=$(med "${swall[cp_sync]}")
        t=$(med "${swall[kelvane]}")
        printf '  %-34s %6.2f s\n' "cp and one sync" "$base"
        printf '  %-34s %6.2f s   %s x cp + sync\n' "kelvane-cli lock --output-dir" "$t" "$(ratio "$t" "$base")"
        echo "  (runs, s) cp+sync: ${swall[cp_sync]}| kelvane: ${swall[kelvane]}"
    done
fi

if wants window; then
    echo "== The window's start-up ($rounds rounds, median)"
    one=$work/window-1
    many=$work/window-$window_files
    mkdir -p "$one"
    touch "$one/only.txt"
    if [ ! -f "$many/.complete" ]; then
        rm -rf "$many"
        mkdir -p "$many"
        (cd "$many" && seq -f 'file%06g.txt' 1 "$window_files" | xargs touch && touch .complete)
    fi
    declare -A wwall=() wpeak=()
    for _ in $(seq "$rounds"); do
        for name in one many; do
            out=$(cd "${!name}" && QT_QPA_PLATFORM=offscreen /usr/bin/time -f '%e %M' -o "$work/time" \
                "$build/bench/kelvane_window_bench" >/dev/null 2>&1; cat "$work/time")
            wwall[$name]+="${out% *} "
            wpeak[$name]+="${out#* } "
        done
    done
    rm -f "$work/time"
    a=$(med "${wwall[one]}")
    b=$(med "${wwall[many]}")
    printf '  %-34s %6.2f s   %6.1f MiB\n' "a folder of 1 file" "$a" "$(ratio "$(most "${wpeak[one]}")" 1024)"
    printf '  %-34s %6.2f s   %6.1f MiB   %+.2f s\n' "a folder of $window_files files" "$b" \
        "$(ratio "$(most "${wpeak[many]}")" 1024)" "$(awk -v a="$a" -v b="$b" 'BEGIN { print b - a }')"
    echo "  (runs, s) 1: ${wwall[one]}| $window_files: ${wwall[many]}"
fi

if wants checks; then
    echo "== Checks before a run of many files (median of $rounds)"
    many=$work/checks
    if [ ! -f "$many/f19999" ]; then
        rm -rf "$many"
        mkdir -p "$many"
        # f00000 ... f19999, 4 KiB each
        head -c $((20000 * 4096)) /dev/urandom | (cd "$many" && split -b 4096 -d -a 5 - f)
    fi
    # Wall seconds of a command, which ends with the password: none can be read from the missing file.
    seconds() {
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        awk -v ns=$((end - start)) 'BEGIN { printf "%.4f", ns / 1e9 }'
    }
    checks() {
        local count=$1 runs=""
        for _ in $(seq "$rounds"); do
            runs+="$(cd "$many" && seconds "$cli" lock $(seq -f 'f%05g' 0 $((count - 1))) \
                --password-file "$work/no-password") "
        done
        med "$runs"
    }
    start_s=$(checks 1)
    c2k_s=$(checks 2000)
    c20k_s=$(checks 20000)
    printf '  kelvane-cli lock, 1 file    %7.3f s   (start-up and one check)\n' "$start_s"
    printf '  kelvane-cli lock, 2,000     %7.3f s   checks %.3f s past start-up (target < 0.1)\n' \
        "$c2k_s" "$(awk -v a="$c2k_s" -v b="$start_s" 'BEGIN { print a - b }')"
    printf '  kelvane-cli lock, 20,000    %7.3f s   ratio to 2,000 %s (target <= 11)\n' \
        "$c20k_s" "$(ratio "$(awk -v a="$c20k_s" -v b="$start_s" 'BEGIN { print a - b }')" \
        "$(awk -v a="$c2k_s" -v b="$start_s" 'BEGIN { print a - b }')")"

    # A portable copy of kelvane-cli keeps its list beside it.
    portable=$work/portable
    mkdir -p "$portable"
    cp "$cli" "$portable/kelvane-cli"
    touch "$portable/kelvane-portable"
    seq -f "$many/f%05g" 0 9999 | awk '{ print $0 "=" $0 ".locked" }' >"$portable/bookmarked.txt"
    runs=""
    for _ in $(seq "$rounds"); do
        runs+="$(seconds "$portable/kelvane-cli" bookmarks lock-all --password-file "$work/no-password") "
    done
    plan_s=$(med "$runs")
    printf '  bookmarks lock-all, 10,000  %7.3f s   plan ready, start-up included (target < 1)\n' "$plan_s"

    read -r add_s remove_s < <("$build/bench/kelvane_list_bench" 10000 "$rounds" 2>/dev/null)
    printf '  window list of 10,000: add  %7.4f s, remove %.4f s, click to saved (target < 0.1)\n' \
        "$add_s" "$remove_s"
fi
