#!/usr/bin/env bash
# Builds HTML Vesk and runs every test headless.
#   ./test.sh              build into build/ and run all tests
#   ./test.sh --sanitize   the same in build-asan/ with AddressSanitizer and UBSan
#   ./test.sh -R Profile   extra arguments go to ctest (here: only matching tests)
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure-deps.sh

build_dir=build
cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
    shift
    build_dir=build-asan
    cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DVESK_SANITIZE=ON -DVESK_BUILD_BENCH=OFF)
fi

vesk_ensure_packages "${VESK_BUILD_PACKAGES[@]}" "${VESK_TEST_PACKAGES[@]}"
vesk_ccache_env "$PWD"

cmake -S . -B "$build_dir" -G Ninja "${cmake_args[@]}"
cmake --build "$build_dir" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
# Leaks inside system libraries (fontconfig, glib) are not ours to fix.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
