#!/usr/bin/env bash
# Builds the Windows release into dist/: Tackpad-<version>-win32.zip (Tackpad.exe and README.txt,
# to run from any folder one can write to), Tackpad-<version>-setup.exe (an installer for the
# current user) and the installer's winget manifest (Tackpad.Tackpad*.yaml), which downloads it
# from the tag v<version>'s release of TACKPAD_RELEASE_REPOSITORY (by default, the git remote).
# Installs what is missing first (as root). The same commit gives the same bytes.
#
# For the tests on a machine that runs no 32-bit code, TACKPAD_PACKAGE_ARCH=x86_64 builds the
# same packages from the 64-bit build (win64, into build/win64/dist). TACKPAD_PACKAGE_BUILD and
# TACKPAD_PACKAGE_DIST name other folders, as the check that a second build gives the same bytes does.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/.ci/deps.sh"
. "$here/package/winget.sh"

arch=${TACKPAD_PACKAGE_ARCH:-i686}
case "$arch" in
  i686) build=$here/build/win dist=$here/dist flavour=win32 target="" compiler=g++-mingw-w64-i686 ;;
  x86_64) build=$here/build/win64 dist=$here/build/win64/dist flavour=win64 target=-DTARGET=amd64-unicode \
    compiler=g++-mingw-w64-x86-64 ;;
  *) echo "TACKPAD_PACKAGE_ARCH is i686 or x86_64, not $arch" >&2; exit 2 ;;
esac
build=${TACKPAD_PACKAGE_BUILD:-$build}
dist=${TACKPAD_PACKAGE_DIST:-$dist}
ensure_packages cmake ninja-build $compiler nsis zip

# A build folder made here builds the program alone; one the tests made keeps its tests.
tests=()
[ -f "$build/CMakeCache.txt" ] || tests=(-DTACKPAD_TESTS=OFF)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" \
  "${tests[@]}" >/dev/null
cmake --build "$build" --target Tackpad
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# The files carry the commit's time and fixed modes, so the packages depend on the commit alone.
# Outside a git checkout: 1980, the earliest time a zip holds.
stamp=$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 315532800)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$build/app/Tackpad.exe" "$here/package/README.txt" "$stage/"
chmod 644 "$stage"/*
touch -d "@$stamp" "$stage"/*

mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
zip=$dist/Tackpad-$version-$flavour.zip
setup=$dist/Tackpad-$version-setup.exe
[ "$flavour" = win32 ] || setup=$dist/Tackpad-$version-$flavour-setup.exe
rm -f "$zip" "$setup" "$dist"/Tackpad.Tackpad*.yaml
(cd "$stage" && TZ=UTC zip -q -X -D "$zip" Tackpad.exe README.txt)
makensis -V2 -NOCD $target -DVERSION="$version" -DEXE="$stage/Tackpad.exe" -DREADME="$stage/README.txt" \
  -DICON="$here/app/tackpad.ico" -DOUTFILE="$setup" "$here/package/tackpad.nsi"
ls -l "$zip" "$setup" "$build/app/Tackpad.exe"

# The 64-bit packages exist for the tests alone: no one downloads them.
[ "$flavour" = win32 ] || exit 0
if repository=$(release_repository "$here"); then
  write_winget_manifest "$version" "$setup" "$repository" "$dist"
  ls -l "$dist"/Tackpad.Tackpad*.yaml
elif [ -n "${TACKPAD_RELEASE_REPOSITORY:-}" ]; then
  exit 1
else
  echo "so no winget manifest was made: name the repository in TACKPAD_RELEASE_REPOSITORY"
fi
