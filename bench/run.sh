#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Speed and memory figures of Kelvane, each as a ratio measured in this same run:
#   1. in-memory transform of a 256 MiB buffer against memcpy of the same buffer, and against
#      `openssl speed -evp aes-256-ctr` at 16 KiB blocks;
#   2. locking a 1 GiB file with kelvane-cli against cp of the same file (and against cp followed
#      by a sync of the copy, since kelvane-cli flushes its output to disk before it renames it),
#      with kelvane-cli's peak memory, and `openssl enc -aes-256-ctr` and `dd ... conv=fdatasync` (the
#      write path from user space, flushed, with no transform) on the same file beside them;
#   3. the checks before a run of many files: `kelvane-cli lock` of 2,000 and of 20,000 files of
#      4 KiB (the run ends at the password, which is read once every file is checked), the plan of
#      `bookmarks lock-all` over 10,000 bookmarks, and one change of a window's list of 10,000
#      bookmarks from the click to the list saved.
# Usage: bench/run.sh [BUILD_DIR] [WORK_DIR]   (ROUNDS=5 FILE_MIB=1024 to change the file run)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-$root/build-bench}
work=${2:-$root/bench/out}
rounds=${ROUNDS:-5}
file_mib=${FILE_MIB:-1024}

for tool in cmake openssl /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (apt-get install cmake openssl time)" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DKELVANE_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target kelvane_bench kelvane_list_bench kelvane-cli -j"$(nproc)" >/dev/null
cli=$build/bin/kelvane-cli

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== In memory (256 MiB buffer)"
json=$("$build/bench/kelvane_bench" --benchmark_format=json 2>/dev/null)
rate() { printf '%s\n' "$json" | awk -v name="\"$1" '
    index($0, "\"name\": " name) { found = 1 }
    found && /"bytes_per_second"/ { gsub(/[^0-9.e+]/, "", $2); print $2; exit }'; }
memcpy=$(rate BM_memcpy)
transform=$(rate BM_RndCryptBuffer)
portable=$(rate BM_portable)
aes=$(openssl speed -evp aes-256-ctr -bytes 16384 -seconds 3 2>/dev/null |
    awk '/^AES-256-CTR/ { v = $2; sub(/k$/, "", v); print v * 1000 }')
printf '  memcpy                      %8.2f GB/s\n' "$(ratio "$memcpy" 1e9)"
printf '  transform (fastest kernel)  %8.2f GB/s   ratio to memcpy %s (target >= 0.6)\n' \
    "$(ratio "$transform" 1e9)" "$(ratio "$transform" "$memcpy")"
printf '  transform (portable kernel) %8.2f GB/s   ratio to memcpy %s\n' \
    "$(ratio "$portable" 1e9)" "$(ratio "$portable" "$memcpy")"
printf '  openssl aes-256-ctr 16 KiB  %8.2f GB/s   transform / openssl %s (target > 1)\n' \
    "$(ratio "$aes" 1e9)" "$(ratio "$transform" "$aes")"

echo "== Locking a ${file_mib} MiB file ($rounds rounds, median; work folder $work)"
mkdir -p "$work"
src=$work/source.bin
if [ ! -f "$src" ] || [ "$(stat -c %s "$src")" -ne $((file_mib * 1024 * 1024)) ]; then
    head -c "$((file_mib * 1024 * 1024))" /dev/urandom >"$src"
fi
printf 'benchmark password\n' >"$work/password"
key=000102030405060708090a0b0c0d0e0f000102030405060708090a0b0c0d0e0f
iv=000102030405060708090a0b0c0d0e0f

# One timed run: prints wall seconds and peak resident KiB. Each run writes a new file and starts
# from the same state: a quiet disk, and (when run as root) a page cache that holds the source
# and nothing else.
timed() {
    rm -f "$work/out.bin"
    sync
    echo 3 2>/dev/null >/proc/sys/vm/drop_caches || true
    cat "$src" >/dev/null
    sleep 1
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}
declare -A wall peak
for _ in $(seq "$rounds"); do
    for name in cp cp_sync dd_sync kelvane openssl; do
        case $name in
            cp) out=$(timed cp "$src" "$work/out.bin") ;;
            cp_sync) out=$(timed sh -c 'cp "$1" "$2" && sync "$2"' sh "$src" "$work/out.bin") ;;
            dd_sync) out=$(timed dd if="$src" of="$work/out.bin" bs=256K conv=fdatasync status=none) ;;
            kelvane) out=$(timed "$cli" lock "$src" -o "$work/out.bin" --force --password-file "$work/password") ;;
            openssl) out=$(timed openssl enc -aes-256-ctr -K $key -iv $iv -in "$src" -out "$work/out.bin") ;;
        esac
        wall[$name]+="${out% *} "
        peak[$name]+="${out#* } "
    done
done
rm -f "$work/out.bin" "$work/time"
med() { tr ' ' '\n' <<<"$1" | grep . | median; }
cp_s=$(med "${wall[cp]}")
cps_s=$(med "${wall[cp_sync]}")
dds_s=$(med "${wall[dd_sync]}")
kv_s=$(med "${wall[kelvane]}")
ssl_s=$(med "${wall[openssl]}")
kv_peak=$(tr ' ' '\n' <<<"${peak[kelvane]}" | grep . | sort -g | tail -1)
printf '  cp                          %6.2f s\n' "$cp_s"
printf '  cp + sync of the copy       %6.2f s\n' "$cps_s"
printf '  dd bs=256K conv=fdatasync   %6.2f s\n' "$dds_s"
printf '  kelvane-cli lock            %6.2f s   ratio to cp %s (target <= 1.3), to cp + sync %s, to dd %s\n' \
    "$kv_s" "$(ratio "$kv_s" "$cp_s")" "$(ratio "$kv_s" "$cps_s")" "$(ratio "$kv_s" "$dds_s")"
printf '  openssl enc -aes-256-ctr    %6.2f s   ratio to cp %s\n' "$ssl_s" "$(ratio "$ssl_s" "$cp_s")"
printf '  kelvane-cli peak memory     %6.1f MiB (target <= 64)\n' "$(ratio "$kv_peak" 1024)"
echo "  (runs, s) cp: ${wall[cp]}| cp+sync: ${wall[cp_sync]}| dd: ${wall[dd_sync]}| kelvane: ${wall[kelvane]}| openssl: ${wall[openssl]}"

echo "== Checks before a run of many files (median of $rounds)"
many=$work/many
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
