#!/usr/bin/env bash
# The scripts' package step (.ci/deps.sh) against a fake apt-get and dpkg on the PATH: lists that
# fail to update, Wine's 32-bit half that cannot be installed, a flavour the person insists on.
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# The fakes keep their machine in $FAKE: installed (one package a line), arches, and the faults
# named in faults: lists (one index fails to update), i386 (no :i386 package installs), all.
cat >"$work/bin/dpkg" <<'FAKE'
#!/usr/bin/env bash
case "$1" in
  -s) grep -qxF "$2" "$FAKE/installed" ;;
  --print-foreign-architectures) cat "$FAKE/arches" ;;
  --add-architecture) echo "$2" >>"$FAKE/arches" ;;
  --remove-architecture) grep -vxF "$2" "$FAKE/arches" >"$FAKE/a"; mv "$FAKE/a" "$FAKE/arches" ;;
esac
FAKE
cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
faults=$(cat "$FAKE/faults")
if [ "$1" = update ]; then
  [[ $faults == *lists* ]] || exit 0
  echo "E: Failed to fetch http://mirror/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz" \
    " File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
  exit 100
fi
shift
names=()
for a in "$@"; do [[ $a == -* ]] || names+=("$a"); done
if [[ $faults == *all* ]] || { [[ $faults == *i386* ]] && [[ " ${names[*]}" == *:i386* ]]; }; then
  echo "The following packages have unmet dependencies:"
  echo " libcurl4:i386 : Depends: libssl3:i386 (>= 3.0.0) but it is not going to be installed"
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
fi
printf '%s\n' "${names[@]}" >>"$FAKE/installed"
FAKE
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
chmod +x "$work/bin"/*

export FAKE=$work/machine
# Runs the package step on a fresh fake machine; prints what it said, the flavour it leaves, "rc=N".
package_step() {
  local detected=$1 asked=$2 faults=$3
  rm -rf "$FAKE"; mkdir "$FAKE"
  : >"$FAKE/installed"; : >"$FAKE/arches"
  echo "$faults" >"$FAKE/faults"
  # As the scripts run it: any failure not handled ends them.
  (
    set -euo pipefail
    export PATH="$work/bin:$PATH" TACKPAD_DETECTED_WINE_ARCH=$detected TACKPAD_WINE_ARCH=$asked DISPLAY=:9
    . "$repo/.ci/deps.sh"
    ensure_program_packages
    echo "arch=$(windows_arch)"
  ) 2>&1
  echo "rc=$?"
}

failed=0
check() {
  local name=$1 want=$2 said=$3
  if ! grep -qF -- "$want" <<<"$said"; then
    echo "FAILED $name: wanted \"$want\" in:"; sed 's/^/    /' <<<"$said"
    failed=1
  fi
}
refuse() {
  local name=$1 unwanted=$2 said=$3
  if grep -qF -- "$unwanted" <<<"$said"; then
    echo "FAILED $name: \"$unwanted\" should not be in:"; sed 's/^/    /' <<<"$said"
    failed=1
  fi
}

# case | kernel runs | person asks | faults | said, every part | never said | installed at the end
while IFS='|' read -r name detected asked faults wants unwanted installed; do
  said=$(package_step "$detected" "$asked" "$faults")
  IFS=';' read -ra parts <<<"$wants"
  for w in "${parts[@]}"; do check "$name" "$w" "$said"; done
  [ -z "$unwanted" ] || refuse "$name" "$unwanted" "$said"
  for p in $installed; do check "$name: installed" "$p" "$(cat "$FAKE/installed")"; done
  [ "$name" != "32-bit half refused" ] || refuse "$name: i386 left added" i386 "$(cat "$FAKE/arches")"
done <<'CASES'
32-bit half installs|i686|||arch=i686;rc=0|cannot be installed|cmake g++-mingw-w64-i686 wine64 wine32:i386
32-bit half refused|i686||lists i386|Some package lists could not be read (http://mirror/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz): going on with those apt has;Wine's 32-bit half cannot be installed here (Unable to correct problems, you have held broken packages): using the 64-bit build of the same sources;arch=x86_64;rc=0|unmet dependencies|g++-mingw-w64-x86-64 wine64
no 32-bit code|x86_64||i386|arch=x86_64;rc=0|:i386|g++-mingw-w64-x86-64 wine wine64
the person insists on 32-bit|i686|i686|i386|libcurl4:i386 : Depends;E: Unable to correct problems, you have held broken packages.;These packages cannot be installed from this machine's package sources;install them yourself: wine32:i386;rc=1|using the 64-bit build|wine64
the person asks for 64-bit|i686|x86_64|i386|arch=x86_64;rc=0|:i386|g++-mingw-w64-x86-64
lists fail, packages install|i686||lists|Some package lists could not be read;arch=i686;rc=0|cannot be installed|wine32:i386
nothing installs|x86_64||all|E: Unable to correct problems;install them yourself: cmake ninja-build g++-mingw-w64-x86-64 wine wine64;rc=1|Installing: wine32|
CASES

[ $failed = 0 ] && echo "package step: every case passed"
exit $failed
