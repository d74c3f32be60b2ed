#!/usr/bin/env bash
# Builds Tackpad and starts it under Wine in the current directory, so "Settings.ini" lands
# where you stand. Installs what is missing of what that needs first (as root); the tests' tools
# come with test.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/.ci/deps.sh"
ensure_program_packages
arch=$(windows_arch)
toolchain=$here/cmake/mingw-$arch.cmake
build=$here/build/win
[ "$arch" = i686 ] || build=$here/build/win64
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DTACKPAD_TESTS=OFF >/dev/null
cmake --build "$build" --target Tackpad
[ "$arch" = i686 ] || [ -n "$wine32_missing" ] || echo "Starting the 64-bit build of the same sources: $(why_64bit)."

if [ -z "${DISPLAY:-}" ]; then
  start_display
  trap stop_display EXIT
  echo "No display: Tackpad runs on the virtual display $DISPLAY"
fi
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-tackpad}
prepare_wine "$WINEPREFIX"
"$here/cmake/wine-run" "$build/app/Tackpad.exe"
