#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Kelvane with warnings as errors and runs every test: first a
# Release build with GCC, then a Debug build with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (asserts on), which runs the suites again in a second folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVANE_BUILD_DIR:-$root/build}
checked=${KELVANE_SANITIZER_BUILD_DIR:-$root/build-sanitizers}

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKELVANE_WARNINGS_AS_ERRORS=ON
cmake --build "$build" -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure --no-tests=error

sanitizers=-fsanitize=address,undefined
cmake -S "$root" -B "$checked" -DCMAKE_BUILD_TYPE=Debug -DKELVANE_WARNINGS_AS_ERRORS=ON \
    -DCMAKE_CXX_COMPILER=clang++ -DKELVANE_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$sanitizers -fno-sanitize-recover=all -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
cmake --build "$checked" -j"$(nproc)"
# The install test checks the installed tree, which the first build has done already.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1 \
    LSAN_OPTIONS=suppressions="$root/scripts/leak-suppressions.txt":print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$checked" --output-on-failure --no-tests=error -j"$(nproc)" \
    -LE install
