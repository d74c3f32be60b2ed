#!/usr/bin/env bash
# Runs every test: the portable modules natively, again under AddressSanitizer and
# UndefinedBehaviorSanitizer with a bounded fuzzing run, then the Windows build under Wine on Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
. .ci/deps.sh
ensure_packages

fuzz_seconds=${FUZZ_SECONDS:-60}
failed=0

step() { echo; echo "== $*"; }

step "native build and tests"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native
ctest --test-dir build/native --output-on-failure || failed=1

step "sanitizer build and tests"
CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTACKPAD_SANITIZE=ON >/dev/null
cmake --build build/asan
ctest --test-dir build/asan --output-on-failure || failed=1

step "fuzzing the settings reader and writer for ${fuzz_seconds} s"
corpus=$(mktemp -d)
cp fuzz/corpus/* "$corpus"/
(cd "$corpus" && "$OLDPWD/build/asan/fuzz/settings_fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" 2>&1 | grep -E '^(stat::number_of_executed_units|==|SUMMARY|#[0-9]+ *DONE)' ) || failed=1
rm -rf "$corpus"

step "Windows build (32-bit, the product)"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win

arch=$(windows_arch)
windows_build=build/win
if [ "$arch" != i686 ]; then
  step "this kernel runs no 32-bit code: the same sources built for 64-bit Windows run the Wine tests"
  windows_build=build/win64
  cmake -S . -B $windows_build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
  cmake --build $windows_build
fi

step "Windows tests under Wine ($arch) on Xvfb"
start_display
trap 'stop_wine; stop_display' EXIT
prepare_wine "$PWD/build/wineprefix-$arch"
ctest --test-dir $windows_build --output-on-failure || failed=1

exit $failed
