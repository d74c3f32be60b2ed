#!/usr/bin/env bash
# Runs every test: the portable modules natively, again under AddressSanitizer and
# UndefinedBehaviorSanitizer with a bounded fuzzing run, then the Windows build under Wine on Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
. .ci/deps.sh
ensure_program_packages
ensure_packages $test_packages

fuzz_seconds=${FUZZ_SECONDS:-30}
failed=0
passed_total=0
failed_total=0

timings=()
step_name=""
step_start=$SECONDS
# Starts a step, noting how long the one before took.
step() {
  [ -n "$step_name" ] && timings+=("$((SECONDS - step_start)) s  $step_name")
  step_name=$*
  step_start=$SECONDS
  echo; echo "== $*"
}

# Runs one ctest tree and adds its counts to the totals.
run_ctest() {
  local log
  log=$(mktemp)
  ctest --test-dir "$1" --output-on-failure 2>&1 | tee "$log" || failed=1
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    local bad all
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    all=$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    passed_total=$((passed_total + all - bad))
    failed_total=$((failed_total + bad))
  else
    failed=1
  fi
  rm -f "$log"
}

step "native build and tests"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DTACKPAD_TESTS=ON >/dev/null
cmake --build build/native
run_ctest build/native

step "sanitizer build and tests"
CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTACKPAD_SANITIZE=ON -DTACKPAD_TESTS=ON >/dev/null
cmake --build build/asan
run_ctest build/asan

step "fuzzing the settings reader and writer for ${fuzz_seconds} s"
corpus=$(mktemp -d)
cp fuzz/corpus/* "$corpus"/
fuzzer=$PWD/build/asan/fuzz/settings_fuzzer
# Run inside the scratch corpus folder: the fuzzer writes its work file and any crash there.
if (cd "$corpus" && "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" >fuzz.log 2>&1); then
  grep -E '^stat::number_of_executed_units' "$corpus/fuzz.log"
else
  tail -40 "$corpus/fuzz.log"
  echo "the fuzzer found a failure; its input is kept in $corpus"
  failed=1
  corpus=""
fi
[ -n "$corpus" ] && rm -rf "$corpus"

arch=$(windows_arch)
step "Windows build (32-bit, the product)"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DTACKPAD_TESTS=ON >/dev/null
# Its test programs are built only where they run.
if [ "$arch" = i686 ]; then cmake --build build/win; else cmake --build build/win --target Tackpad; fi

step "the release packages and their winget manifest, built twice: the same commit must give the same bytes"
# A clone of a folder has no web address to download from: the manifest is made for a made-up one.
if ! (. package/winget.sh && release_repository . >/dev/null 2>&1); then
  export TACKPAD_RELEASE_REPOSITORY=https://forge.invalid/tackpad/tackpad
  echo "the git remote has no web address: the manifest names $TACKPAD_RELEASE_REPOSITORY"
fi
./package.sh
python3 tests/scripts/winget_manifest.py dist "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win/CMakeCache.txt)" ||
  failed=1
again=$(mktemp -d)
TACKPAD_PACKAGE_BUILD=$again/build TACKPAD_PACKAGE_DIST=$again/dist ./package.sh >/dev/null
cmp build/win/app/Tackpad.exe "$again/build/app/Tackpad.exe" || failed=1
for f in "$again"/dist/*; do cmp "dist/${f##*/}" "$f" || failed=1; done
rm -rf "$again"

windows_build=build/win
if [ "$arch" != i686 ]; then
  step "64-bit Wine ($(why_64bit)): the same sources built for 64-bit Windows run the Wine tests"
  windows_build=build/win64
  cmake -S . -B $windows_build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DTACKPAD_TESTS=ON >/dev/null
  cmake --build $windows_build
  TACKPAD_PACKAGE_ARCH=x86_64 ./package.sh >/dev/null
fi

step "Windows tests under Wine ($arch) on Xvfb"
start_display
trap 'stop_wine; stop_display' EXIT
prepare_wine "$PWD/build/wineprefix-$arch"
run_ctest $windows_build
step "done"

echo
printf '%s\n' "${timings[@]}"
[ "$arch" = i686 ] || echo "The 32-bit product was built but not run ($(why_64bit)): the Wine tests ran the 64-bit build."
echo "ctest: $passed_total passed, $failed_total failed"
exit $failed
